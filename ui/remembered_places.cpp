#include "ui/remembered_places.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace kwibui {
namespace {

QString key(const QString& place) {
    return QStringLiteral("places/") + place;
}

}  // namespace

QString rememberedFile(const QString& place) {
    return QSettings().value(key(place)).toString();
}

void rememberFile(const QString& place, const QString& path) {
    if (place.isEmpty() || path.isEmpty())
        return;
    QSettings settings;
    settings.setValue(key(place), QFileInfo(path).absoluteFilePath());
    settings.sync();
}

QString startFolder(const QString& place, const QString& fallback) {
    const QString last = rememberedFile(place);
    if (!last.isEmpty()) {
        const QString folder = QFileInfo(last).absolutePath();
        if (QFileInfo(folder).isDir())
            return folder;
    }
    if (!fallback.isEmpty() && QFileInfo(fallback).isDir())
        return fallback;
    return QDir::homePath();
}

}  // namespace kwibui
