// The settings forms' coordinate system row, the places the forms remember, the open-style
// file dialog and the manual, driven as a user drives them. Messages go to a scripted
// Prompter; the settings live in a temporary folder.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <iostream>

#include "converter/shell/dir_picker_form.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/georef_box.h"
#include "converter/shell/select_dir_form.h"
#include "converter/shell/select_dir_form2.h"
#include "converter/shell/start_form.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"
#include "ui/help_window.h"

using platform::Answer;

namespace {

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

QStringList frameOf(const vornik::FrameBoxes* boxes) {
    QStringList values;
    for (std::size_t i = 0; i < 12; ++i) values << boxes->box(i)->text();
    return values;
}

// Runs check on the modal dialog that trigger opens, then closes it if it is still open.
template <class Form>
bool whileModal(const std::function<void()>& trigger, const std::function<void(Form*)>& check) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
        if (!form)
            return;
        seen = true;
        QPointer<Form> guard(form);
        check(form);
        if (guard && guard->isVisible())
            guard->reject();
    });
    trigger();
    return seen;
}

// The folder the output folder picker of a new DM form opens at.
QString dmPdbPickerStart(const vornik::Services& services) {
    vornik::selectDirForm2 form(services, nullptr);
    QString start;
    whileModal<vornik::pdbDirForm2>([&] { form.pdbFolderButton()->click(); },
                                    [&](vornik::pdbDirForm2* p) { start = p->pathBox()->text(); });
    return start;
}

}  // namespace

class GeorefPlacesTest : public QObject {
    Q_OBJECT

    platform::ScriptedPrompter prompter_;
    platform::ScriptedFileChooser chooser_;

  public:
    GeorefPlacesTest() {
        services_.prompter = &prompter_;
        services_.chooser = &chooser_;
        services_.today = [] { return platform::LocalDate{2026, 12, 6}; };
        services_.programFolder = "/opt/vornik";
        services_.quit = [] {};
    }
    vornik::Services services_;

  private Q_SLOTS:
    void init() { prompter_ = platform::ScriptedPrompter(); }

    // The zone comes from the DM file's name; 図枠を計算 fills the boxes; a typed value
    // far from the computed one and a missing output folder are asked about before the
    // first box; Enter runs the conversion.
    void dmFormComputesChecksAndRuns() {
        testsupport::TempDir dir;
        const std::string dm = dir.file("09LD351.dm");
        std::filesystem::copy_file(KWIB_SOURCE_DIR "/samples/dm/sample.dm", dm);
        vornik::selectDirForm2 form(services_, nullptr);
        form.show();
        vornik::GeorefBox* georef = form.georefBox();
        form.dmFileBox()->setText(QString::fromStdString(dm));
        QCOMPARE(georef->zone(), std::optional<int>(9));
        georef->datumList()->setCurrentIndex(
            georef->datumList()->findData(int(georef::Datum::Jgd2011)));
        georef->computeButton()->click();
        // 36°04′09.5″ 140°19′18.5″, 36°03′59.7″ 140°19′34.4″ (tests/cases/vornik/frame).
        QCOMPARE(frameOf(form.frameBoxes()), QStringList({"36", "4", "95", "140", "19", "185", "36",
                                                          "3", "597", "140", "19", "344"}));
        QVERIFY(prompter_.texts().back().starts_with("図枠を計算しました：第IX系、JGD2011"));

        form.frameBoxes()->box(2)->setText("215");
        const std::string out = dir.file("out");
        form.pdbFolderBox()->setText(QString::fromStdString(out));
        const std::string warning =
            "図枠左上の北緯（1/10秒）の値が計算値と 12.0 秒違います。このまま作成しますか？";
        const std::string folderQuestion =
            "PDBファイルのディレクトリ「" + out + "」がありません。作成しますか？";
        prompter_.answerNext(Answer::Cancel);
        form.createButton()->click();
        QCOMPARE(prompter_.texts().back(), warning);
        prompter_.answerNext(Answer::Ok);
        prompter_.answerNext(Answer::No);
        form.createButton()->click();
        QCOMPARE(prompter_.texts().back(), folderQuestion);
        QVERIFY(form.isVisible() && !std::filesystem::exists(out));

        prompter_ = platform::ScriptedPrompter();  // OK and Yes from here on
        QTest::keyClick(form.pdbFolderBox(), Qt::Key_Return);
        QCOMPARE(prompter_.texts().at(1), folderQuestion);
        QCOMPARE(prompter_.texts().back(), "属性PDBファイル作成処理が完了しました！( 3 / 3 )");
        QVERIFY(!form.isVisible() && std::filesystem::exists(out + "/09LD351_G.pdb"));
    }

    // A sheet folder needs a zone; its extent unit is judged from the size unless chosen.
    void digitalMapFormNeedsAZoneAndJudgesTheUnit() {
        vornik::selectDirForm form(services_, nullptr);
        form.sheetFolderBox()->setText(KWIB_SOURCE_DIR "/samples/dm2500/53394525");
        vornik::GeorefBox* georef = form.georefBox();
        georef->datumList()->setCurrentIndex(
            georef->datumList()->findData(int(georef::Datum::Tokyo)));
        georef->computeButton()->click();
        QCOMPARE(prompter_.texts().back(), "座標系の系番号（1〜19）を選んで下さい。");
        georef->setZone(9);
        georef->unitList()->setCurrentIndex(2);  // キロメートル: the corners leave zone IX
        georef->computeButton()->click();
        QVERIFY(prompter_.texts().back().find("単位はキロメートル：指定による") !=
                std::string::npos);
        QCOMPARE(form.frameBoxes()->box(0)->text(), "0");
        georef->unitList()->setCurrentIndex(0);
        georef->computeButton()->click();
        QVERIFY(prompter_.texts().back().find("長辺 2000 から判断") != std::string::npos);
        QCOMPARE(frameOf(form.frameBoxes()), QStringList({"35", "41", "203", "139", "44", "20",
                                                          "35", "40", "316", "139", "45", "216"}));
    }

    // A picker follows a typed path; the folder chosen is where a later form's picker
    // opens, also in a new process; the open-style dialog lists DM files and remembers.
    void placesAreRememberedAcrossRuns() {
        testsupport::TempDir dir;
        const QString deep = QString::fromStdString(dir.file("a/b"));
        QDir().mkpath(deep);
        vornik::selectDirForm2 form(services_, nullptr);
        QVERIFY(whileModal<vornik::pdbDirForm2>(
            [&] { form.pdbFolderButton()->click(); },
            [&](vornik::pdbDirForm2* picker) {
                picker->pathBox()->clear();
                QTest::keyClicks(picker->pathBox(), deep);
                QCOMPARE(picker->folderModel()->filePath(picker->folderTree()->currentIndex()),
                         deep);
                QTest::keyClick(picker->pathBox(), Qt::Key_Return);
            }));
        QCOMPARE(form.pdbFolderBox()->text(), deep);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--dm-pdb-picker-start"});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(), deep);

        std::filesystem::copy_file(KWIB_SOURCE_DIR "/samples/dm/sample.dm", dir.file("a/s.dm"));
        platform::FileRequest request;
        request.filterName = "DMファイル";
        request.filterPattern = "*.dm *.dat";
        request.place = "test/dm";
        vornik::FormFileChooser chooser;
        std::optional<std::string> chosen;
        for (const char* name : {"s.dm", ""}) {
            QVERIFY(whileModal<QFileDialog>(
                [&] { chosen = chooser.choose(request); },
                [&](QFileDialog* d) {
                    QCOMPARE(d->acceptMode(), QFileDialog::AcceptOpen);
                    QCOMPARE(d->labelText(QFileDialog::Accept), u8("開く"));
                    QCOMPARE(d->nameFilters(), QStringList({u8("DMファイル (*.dm *.dat)"),
                                                            u8("すべてのファイル (*)")}));
                    QVERIFY(d->width() >= 700);
                    if (*name == 0) {  // opens where s.dm was chosen
                        QCOMPARE(d->directory().absolutePath(), QFileInfo(deep).absolutePath());
                        return;
                    }
                    d->setDirectory(QFileInfo(deep).absolutePath());
                    d->selectFile(name);
                    static_cast<QDialog*>(d)->accept();
                }));
            if (*name)
                QCOMPARE(chosen, std::optional<std::string>(dir.file("a/s.dm")));
        }
    }

    // ヘルプ and F1 open the manual at the window's own section, its pictures bundled.
    void helpOpensTheManual() {
        vornik::startForm menu(services_, nullptr);
        menu.show();
        menu.helpButton()->click();
        vornik::selectDirForm form(services_, nullptr);
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key_F1);
        for (auto [window, section] :
             {std::pair<QWidget*, const char*>{&menu, "menu"}, {&form, "nsdi"}}) {
            auto* help = window->findChild<kwibui::HelpWindow*>();
            QVERIFY2(help && help->isVisible(), section);
            QCOMPARE(help->browser()->source().fragment(), u8(section));
            QVERIFY(help->browser()->toPlainText().contains(u8("図枠を計算")));
        }
        QVERIFY(QFile::exists(":/vornik/help/vornik-dm-settings.png"));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The settings go to a temporary folder, shared with the child process of the test.
    QTemporaryDir settings;
    const QString path = qEnvironmentVariableIsSet("KWIB_TEST_SETTINGS")
                             ? qEnvironmentVariable("KWIB_TEST_SETTINGS")
                             : settings.path();
    qputenv("KWIB_TEST_SETTINGS", path.toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
    GeorefPlacesTest test;
    if (argc == 2 && QByteArray(argv[1]) == "--dm-pdb-picker-start") {
        std::cout << dmPdbPickerStart(test.services_).toStdString() << '\n';
        return 0;
    }
    return QTest::qExec(&test, argc, argv);
}

#include "ui_georef_places_test.moc"
