#include "editor/ui/database_peek.h"

#include <memory>

#include "editor/model/kinds.h"
#include "pdbformat/container.h"
#include "pdbformat/pdb_image.h"
#include "platform/files.h"

namespace lorvex {

DatabasePeek peekDatabase(const std::string& path) {
    DatabasePeek peek;
    peek.exists = platform::fileExists(path);
    if (!peek.exists)
        return peek;
    // A master database holds up to thousands of 41138-byte designs: keep the image off
    // the stack.
    auto image = std::make_unique<pdb::PdbImage>();
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(*image, path);
    if (!loaded.ok()) {
        peek.refused = true;
        peek.message = loaded.error();
        return peek;
    }
    if (*loaded == pdb::LoadStatus::NewImage)
        return peek;
    peek.name = pdb::databaseName(image->header);
    if (image->kind() == pdb::DatabaseKind::Master) {
        peek.codes.reserve(image->heldDesigns());
        for (std::size_t i = 0; i < image->heldDesigns(); ++i)
            peek.codes.push_back(editor::fieldText(image->designs[i].code));
    }
    return peek;
}

}  // namespace lorvex
