#include "editor/ui/lorvex_help.h"

#include <QUrl>

#include "ui/help_window.h"

namespace lorvex {

void showLorvexHelp(QWidget* from, const char* anchor) {
    kwibui::showHelp(from, QStringLiteral("Lorvex ヘルプ"),
                     QUrl(QStringLiteral("qrc:/lorvex/help/index.html")),
                     QString::fromUtf8(anchor));
}

}  // namespace lorvex
