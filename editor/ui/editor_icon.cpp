#include "editor/ui/editor_icon.h"

namespace lorvex {

QIcon editorIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 128})
        icon.addFile(QStringLiteral(":/lorvex/icons/lorvex-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace lorvex
