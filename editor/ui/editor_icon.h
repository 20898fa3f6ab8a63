#pragma once
// The application icon of Lorvex, in its 16, 32, 48 and 128 pixel forms.
#include <QIcon>

namespace lorvex {
QIcon editorIcon();
}
