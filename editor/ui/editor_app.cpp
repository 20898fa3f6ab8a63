#include "editor/ui/editor_app.h"

#include <QLibraryInfo>

#include "editor/ui/editor_dialog.h"
#include "editor/ui/editor_icon.h"

namespace lorvex {

EditorApp::EditorApp(int& argc, char** argv) : app_(argc, argv) {
    QApplication::setOrganizationName(QStringLiteral("kwib"));
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(QString());
    QApplication::setDesktopFileName(QStringLiteral("lorvex"));
    QApplication::setWindowIcon(editorIcon());
    installEditorFonts();
    // The editor speaks Japanese whatever the desktop's language: the file dialogs and
    // the standard buttons too, where Qt's Japanese texts are installed.
    if (qtTexts_.load(QStringLiteral("qtbase_ja"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts_);
}

int EditorApp::run() {
    EditorDialog dialog;
    dialog.exec();  // Esc or closing the window ends it, whatever the result
    return 0;
}

}  // namespace lorvex
