#pragma once
// The places each file field and dialog used last, kept between runs in the program's
// settings (QSettings under the application's organisation and name), so that a file
// chooser opens where the user was.
#include <QString>

namespace kwibui {

// The file last chosen for place (a settings key such as "lorvex/database"), or empty.
QString rememberedFile(const QString& place);
// Keeps path as the file last chosen for place.
void rememberFile(const QString& place, const QString& path);
// The folder a chooser for place opens in: the folder of its last file while it exists,
// else fallback when given and existing, else the home folder.
QString startFolder(const QString& place, const QString& fallback = {});

}  // namespace kwibui
