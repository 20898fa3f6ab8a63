// Feeds arbitrary bytes to the DM reader and both conversion passes: each must finish or
// refuse with a message, never crash; a graphic database it builds must walk, and the
// attribute pass must find the areas the graphic pass counted. The graphic pass runs once
// more drawing every element: its database must walk too, find the same areas, and
// account for each element record it read exactly once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "converter/dm/dm2pdb.h"
#include "converter/dm/dm_passes.h"
#include "converter/dm/dm_reader.h"
#include "pdbformat/graphic_stream.h"

namespace {

class SilentPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view, std::string_view, platform::Icon,
                          platform::Buttons) override {
        return platform::Answer::Ok;
    }
};

class CountingLog : public dm::SkipLog {
  public:
    void add(const dm::SkippedRecord&) override { ++count; }
    long count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SilentPrompter prompter;
    (void)dm::estimateStream(bytes, "fuzz.dm");

    std::array<std::uint8_t, 32> name{'f', 'u', 'z', 'z', '_', 'G'};
    auto image = dm::buildGraphicImage(bytes, "fuzz.dm", dm::FrameValues{}, name, 0, prompter);
    if (!image)
        return 0;
    if (!pdb::ReadGraphicDatabase(image->file).ok)
        std::abort();
    std::vector<dm::AreaBox> areas;
    dm::PassResult attrs = dm::runAttributePass(bytes, "fuzz.dm", image->pass.areaCount, areas);
    if (!attrs.ok || areas.size() != static_cast<std::size_t>(image->pass.areaCount))
        std::abort();

    dm::GraphicOptions all;
    all.allElements = true;
    CountingLog log;
    all.log = &log;
    auto every = dm::buildGraphicImage(bytes, "fuzz.dm", dm::FrameValues{}, name, 0, prompter, all);
    if (!every || !pdb::ReadGraphicDatabase(every->file).ok ||
        every->pass.areaCount != image->pass.areaCount)
        std::abort();
    const dm::DmAccount& a = every->pass.account;
    long read = 0, passedOver = 0;
    for (long n : a.read) read += n;
    for (long n : a.skipped) passedOver += n;
    if (read != a.lines + a.areas + a.circles + a.arcs + a.labels + passedOver ||
        passedOver != log.count)
        std::abort();
    return 0;
}
