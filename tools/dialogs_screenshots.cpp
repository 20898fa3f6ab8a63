// Writes the screenshots of the database-file dialog and the attribute conversion dialog
// for the documentation, each filled in as a user leaves it just before OK.
// Usage: lorvex-dialog-screenshots OUTPUT_DIR
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

#include "editor/model/kinds.h"
#include "editor/ui/attribute_conversion_dialog.h"
#include "editor/ui/database_file_dialog.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"

namespace {

bool writeMaster(const std::string& path, const std::vector<const char*>& codes) {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, "Master");
    image.designs.clear();
    for (const char* code : codes) {
        editor::DispRec d = editor::freshWorkingDesign();
        editor::setFieldText(d.code, platform::toCp932(code));
        image.designs.push_back(d);
    }
    image.designs.emplace_back();
    image.listHeader.iRecNum = static_cast<std::uint16_t>(codes.size());
    return pdb::WriteDatabase(image, path).ok();
}

bool save(QWidget& w, const QString& path) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    QApplication::processEvents();
    if (!w.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lorvex-dialog-screenshots OUTPUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    // A short, fixed folder, so the pictures show a path a user could have.
    const QString shown = QDir::tempPath() + QStringLiteral("/調査");
    if (QDir(shown).exists() || !QDir().mkpath(shown)) {
        std::fprintf(stderr, "cannot use %s\n", qPrintable(shown));
        return 1;
    }
    const std::string folder = shown.toStdString();
    const std::string master = folder + "/建物調査.pdb";
    if (!writeMaster(master, {"建物01", "建物02", "道路01"}))
        return 1;

    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;

    lorvex::DatabaseFileDialog files(QString::fromUtf8(lorvex::kSaveCaption), prompter, chooser);
    chooser.answerNext(master);
    files.show();
    files.chooseFile();
    files.codeBox()->setCurrentIndex(1);
    Q_EMIT files.codeBox()->activated(1);  // as when the user picks it
    bool ok = save(files, out.filePath(QStringLiteral("lorvex-dialog-database-file.png")));

    lorvex::AttributeConversionDialog conversion(prompter, chooser);
    conversion.show();
    chooser.answerNext(folder + "/建物調査_0612.csv");
    conversion.chooseInput();
    chooser.answerNext(folder + "/建物調査_0612.pdb");
    conversion.chooseOutput();
    chooser.answerNext(master);
    conversion.chooseMaster();
    conversion.nameEdit()->setText(QStringLiteral("建物調査0612"));
    QMetaObject::invokeMethod(conversion.nameEdit(), "textEdited",
                              Q_ARG(QString, conversion.nameEdit()->text()));
    ok = ok &&
         save(conversion, out.filePath(QStringLiteral("lorvex-dialog-attribute-conversion.png")));
    QDir(shown).removeRecursively();
    return ok && prompter.calls().empty() ? 0 : 1;
}
