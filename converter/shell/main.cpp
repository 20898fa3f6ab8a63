// vornik: the conversion program. Opens the main menu; everything else starts from there.
// `vornik --view FILE` opens only the map viewer, showing FILE.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <iostream>

#include "converter/shell/map_view_window.h"
#include "converter/shell/start_form.h"
#include "converter/shell/vornik_services.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The settings (remembered places, the last datum) go to ~/.config/kwib/Vornik.conf.
    QApplication::setOrganizationName(QStringLiteral("kwib"));
    QApplication::setApplicationName(QStringLiteral("Vornik"));
    QApplication::setDesktopFileName(QStringLiteral("vornik"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vornik/vornik.png")));
    vornik::installFormFont(app);
    // The program speaks Japanese whatever the desktop's language: the standard buttons
    // and file dialogs too, where Qt's Japanese texts are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    vornik::FormPrompter prompter;
    vornik::FormFileChooser chooser;
    vornik::Services services;
    services.prompter = &prompter;
    services.chooser = &chooser;
    services.today = [] { return platform::today(); };
    services.programFolder = vornik::startFolder(QApplication::applicationDirPath());
    services.quit = [] { QApplication::quit(); };
    services.openMapView = [&services](const std::string& path) {
        vornik::showMapView(services, path);
    };

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        if (arguments.size() != 3 || arguments[1] != QStringLiteral("--view")) {
            std::cerr << "usage: vornik [--view FILE]\n";
            return 2;
        }
        vornik::showMapView(services, arguments[2].toStdString());
        return app.exec();
    }
    vornik::startForm menu(services);
    menu.show();
    return app.exec();
}
