#include "converter/shell/vornik_help.h"

#include <QAction>
#include <QUrl>
#include <QWidget>

#include "ui/help_window.h"

namespace vornik {

void showVornikHelp(QWidget* from, const char* anchor) {
    kwibui::showHelp(from, QStringLiteral("Vornik ヘルプ"),
                     QUrl(QStringLiteral("qrc:/vornik/help/index.html")),
                     QString::fromUtf8(anchor));
}

void addHelpKey(QWidget* window, const char* anchor) {
    auto* help = new QAction(window);
    help->setObjectName(QStringLiteral("helpAction"));
    help->setShortcut(QKeySequence::HelpContents);
    help->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(help, &QAction::triggered, window,
                     [window, anchor] { showVornikHelp(window, anchor); });
    window->addAction(help);
}

}  // namespace vornik
