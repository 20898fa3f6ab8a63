// The conversion program's forms driven as a user drives them: buttons clicked, boxes
// typed into, modal forms answered while they are open. Messages and file dialogs go to
// the scripted Prompter and FileChooser.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <functional>

#include "converter/shell/dir_picker_form.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/select_dir_form.h"
#include "converter/shell/select_dir_form2.h"
#include "converter/shell/start_form.h"
#include "converter/shell/vornik_services.h"
#include "platform/qt/qt_prompter.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

using platform::Answer;
using platform::Buttons;
using platform::Icon;

namespace {

const platform::LocalDate kToday{2026, 12, 6};
const char* kTodayOption = "2026-12-06";

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// The boxes shown, one line each as vornik-cli prints them.
std::string transcript(const platform::ScriptedPrompter& prompter) {
    std::string all;
    for (const auto& call : prompter.calls()) {
        const char* kind = call.buttons == Buttons::Ok ? platform::iconName(call.icon) : "question";
        all += std::string("[") + kind + "] " + call.title + ": " + call.text + "\n";
    }
    return all;
}

// The frame of the sample sheet, box by box.
const QStringList kFrame = {"35", "40", "0",   "139", "45", "0",
                            "35", "39", "300", "139", "46", "450"};

void fillFrame(vornik::FrameBoxes* boxes) {
    for (std::size_t i = 0; i < 12; ++i) boxes->box(i)->setText(kFrame[qsizetype(i)]);
}

// Runs check on the modal form that trigger opens, once it is open. If the check leaves
// the form open (a failed check returns early), the form is closed so the test goes on.
template <class Form>
bool whileModal(const std::function<void()>& trigger, const std::function<void(Form*)>& check) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* form = qobject_cast<Form*>(modal);
        if (!form) {
            if (modal)
                modal->close();
            return;
        }
        seen = true;
        QPointer<Form> guard(form);
        check(form);
        if (guard && guard->isVisible())
            guard->reject();
    });
    trigger();
    return seen;
}

// The same for the modal form that a click on button opens.
template <class Form>
bool whileModal(QAbstractButton* button, const std::function<void(Form*)>& check) {
    return whileModal<Form>([button] { QTest::mouseClick(button, Qt::LeftButton); }, check);
}

}  // namespace

class VornikFormsTest : public QObject {
    Q_OBJECT

  private:
    platform::ScriptedPrompter prompter_;
    std::unique_ptr<platform::ScriptedFileChooser> chooser_;
    int quitCalls_ = 0;

    vornik::Services services(const std::string& programFolder = "/opt/vornik") {
        vornik::Services s;
        s.prompter = &prompter_;
        s.chooser = chooser_.get();
        s.today = [] { return kToday; };
        s.programFolder = programFolder;
        s.quit = [this] { ++quitCalls_; };
        return s;
    }

    // Takes the GUI run's output files away, runs vornik-cli with arguments on the same
    // input, and checks that it prints the GUI's messages and writes the same bytes.
    void expectSameAsCli(const QStringList& arguments, const std::vector<std::string>& outputs) {
        std::map<std::string, testsupport::Bytes> gui;
        for (const std::string& path : outputs) {
            gui[path] = testsupport::readBytes(path);
            std::filesystem::remove(path);
        }
        QProcess cli;
        cli.start(QStringLiteral(VORNIK_CLI_PATH), arguments);
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardError().toStdString(), transcript(prompter_));
        for (const std::string& path : outputs) QCOMPARE(testsupport::readBytes(path), gui[path]);
    }

  private slots:
    void init() {
        prompter_ = platform::ScriptedPrompter();
        chooser_ = std::make_unique<platform::ScriptedFileChooser>();
        quitCalls_ = 0;
    }

    void mainMenuAndExitQuestionNoKeepsIt() {
        vornik::startForm menu(services());
        QCOMPARE(menu.windowTitle(), u8("地図・属性データ変換 - Vornik"));
        QCOMPARE(menu.nsdi2pdbButton()->text(), u8("数値地図2500 → 図形・属性PDB"));
        QCOMPARE(menu.dm2pdbButton()->text(), u8("DMﾌｫｰﾏｯﾄﾌｧｲﾙ → 図形・属性PDB"));
        QCOMPARE(menu.csv2pdbButton()->text(), u8("属性CSV → 属性PDB"));
        QCOMPARE(menu.pdb2csvButton()->text(), u8("属性PDB → 属性CSV"));
        QCOMPARE(menu.exitButton()->text(), u8("終\u3000了"));
        menu.show();
        prompter_.answerNext(Answer::No);
        QTest::mouseClick(menu.exitButton(), Qt::LeftButton);
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
        const auto& call = prompter_.calls()[0];
        QCOMPARE(call.text, std::string("システムを終了しますか？"));
        QCOMPARE(call.title, std::string("ZUVovizezodev"));
        QCOMPARE(call.icon, Icon::Question);
        QCOMPARE(call.buttons, Buttons::YesNo);
        QVERIFY(menu.isVisible());
        QCOMPARE(quitCalls_, 0);
    }

    void exitQuestionYesClosesNewestFirstAndEnds() {
        vornik::startForm menu(services());
        menu.show();
        // Two more open forms (as a settings form and its picker would be), opened later.
        std::vector<QString> closedOrder;
        QWidget second, third;
        second.setObjectName("second");
        third.setObjectName("third");
        vornik::trackForm(&second);
        vornik::trackForm(&third);
        second.show();
        third.show();
        for (QWidget* w : {static_cast<QWidget*>(&menu), &second, &third})
            connect(w->windowHandle(), &QWindow::visibleChanged, this,
                    [&closedOrder, w](bool visible) {
                        if (!visible)
                            closedOrder.push_back(w->objectName());
                    });
        menu.setObjectName("menu");
        prompter_.answerNext(Answer::Yes);
        QTest::mouseClick(menu.exitButton(), Qt::LeftButton);
        QCOMPARE(quitCalls_, 1);
        QVERIFY(!menu.isVisible() && !second.isVisible() && !third.isVisible());
        QCOMPARE(closedOrder, (std::vector<QString>{"third", "second", "menu"}));
        QVERIFY(vornik::OpenForms::list().empty());
    }

    // The DM form's controls; a file from the dialog, a folder from the picker and a
    // frame value are all forgotten once the form is closed.
    void dmFormFillsTheFullPathAndClosingDiscardsTheChoices() {
        testsupport::TempDir dir;
        vornik::startForm menu(services());
        menu.show();
        auto expectEmpty = [](vornik::selectDirForm2* form) {
            QVERIFY(form->dmFileBox()->text().isEmpty());
            QVERIFY(form->pdbFolderBox()->text().isEmpty());
            for (std::size_t i = 0; i < 12; ++i) {
                QCOMPARE(form->frameBoxes()->box(i)->text(), u8("0"));
                QCOMPARE(form->frameBoxes()->box(i)->objectName(), u8(vornik::kFrameBoxNames[i]));
            }
        };
        bool closedByButton = false;
        whileModal<vornik::selectDirForm2>(menu.dm2pdbButton(), [&](vornik::selectDirForm2* form) {
            QCOMPARE(form->windowTitle(), u8("DMファイルの変換設定 - Vornik"));
            QVERIFY(form->isModal());
            QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget*>(form));
            expectEmpty(form);
            chooser_->answerNext(std::string("/data/maps/sheet 12.DAT"));
            QTest::mouseClick(form->dmFileButton(), Qt::LeftButton);
            QCOMPARE(form->dmFileBox()->text(), u8("/data/maps/sheet 12.DAT"));
            const auto& request = chooser_->requests().at(0);
            QCOMPARE(request.title, std::string("DMファイルを選択"));
            QCOMPARE(request.filterPattern, std::string("*.dm *.dat"));
            QVERIFY(!request.save);
            // A cancelled dialog ends the operation: the box keeps the earlier choice.
            chooser_->answerNext(std::nullopt);
            QTest::mouseClick(form->dmFileButton(), Qt::LeftButton);
            QCOMPARE(form->dmFileBox()->text(), u8("/data/maps/sheet 12.DAT"));
            QCOMPARE(chooser_->requests().size(), std::size_t(2));
            // The output folder through its picker.
            whileModal<vornik::pdbDirForm2>(
                form->pdbFolderButton(), [&](vornik::pdbDirForm2* picker) {
                    picker->pathBox()->setText(QString::fromStdString(dir.path()));
                    QTest::mouseClick(picker->decideButton(), Qt::LeftButton);
                });
            QCOMPARE(form->pdbFolderBox()->text(), QString::fromStdString(dir.path()));
            form->frameBoxes()->box(4)->setText("17");
            QTest::mouseClick(form->closeButton(), Qt::LeftButton);
            closedByButton = !form->isVisible();
        });
        QVERIFY(closedByButton);
        QVERIFY(prompter_.calls().empty());
        QVERIFY(whileModal<vornik::selectDirForm2>(menu.dm2pdbButton(), expectEmpty));
    }

    // The Digital Map 2500 form and its two pickers: the typed text is what 決定 copies,
    // 閉じる leaves the box as it was.
    void digitalMapFormAndPickersCopyTheTypedTextOnDecideOnly() {
        testsupport::TempDir dir;
        const QString sheet = QString::fromStdString(dir.file("53394525"));
        const QString other = QString::fromStdString(dir.file("other"));
        QDir().mkpath(sheet);
        QDir().mkpath(other);
        vornik::startForm menu(services());
        menu.show();
        bool opened = whileModal<vornik::selectDirForm>(
            menu.nsdi2pdbButton(), [&](vornik::selectDirForm* form) {
                QCOMPARE(form->windowTitle(), u8("数値地図2500の変換設定 - Vornik"));
                QCOMPARE(form->sheetFolderBox()->objectName(), u8("数値地図ディレクトリ"));
                QCOMPARE(form->pdbFolderBox()->objectName(), u8("PDBファイルディレクトリ"));
                // Both folders empty: the sheet folder is what the run asks for first.
                QTest::mouseClick(form->createButton(), Qt::LeftButton);
                QCOMPARE(
                    prompter_.texts(),
                    (std::vector<std::string>{"メッシュ番号のディレクトリを指定して下さい！"}));
                QCOMPARE(prompter_.calls()[0].icon, Icon::Critical);
                QVERIFY(form->isVisible());
                // Chosen in the tree, then typed over: the typed text is what counts.
                whileModal<vornik::nsdiDialogForm>(
                    form->sheetFolderButton(), [&](vornik::nsdiDialogForm* picker) {
                        QCOMPARE(picker->windowTitle(), u8("数値地図ファイルのディレクトリを指定"));
                        QCOMPARE(picker->pathBox()->objectName(), u8("ディレクトリパス"));
                        QModelIndex index = picker->folderModel()->index(other);
                        QVERIFY(index.isValid());
                        picker->folderTree()->setCurrentIndex(index);
                        QCOMPARE(picker->pathBox()->text(), other);
                        picker->pathBox()->clear();
                        QTest::keyClicks(picker->pathBox(), sheet);
                        QTest::mouseClick(picker->decideButton(), Qt::LeftButton);
                    });
                QCOMPARE(form->sheetFolderBox()->text(), sheet);
                // 閉じる leaves the box as it was, whatever the picker showed.
                whileModal<vornik::nsdiDialogForm>(
                    form->sheetFolderButton(), [&](vornik::nsdiDialogForm* picker) {
                        // It opens where the box points.
                        QCOMPARE(picker->pathBox()->text(), sheet);
                        picker->pathBox()->setText(other);
                        QTest::mouseClick(picker->closeButton(), Qt::LeftButton);
                    });
                QCOMPARE(form->sheetFolderBox()->text(), sheet);
                // The output folder's picker fills the other box.
                whileModal<vornik::pdbDirForm>(
                    form->pdbFolderButton(), [&](vornik::pdbDirForm* picker) {
                        QCOMPARE(picker->windowTitle(),
                                 u8("PDBファイルを作成するディレクトリを指定"));
                        QCOMPARE(picker->pathBox()->objectName(), u8("PDBディレクトリ"));
                        picker->pathBox()->setText(other);
                        QTest::mouseClick(picker->decideButton(), Qt::LeftButton);
                    });
                QCOMPARE(form->pdbFolderBox()->text(), other);
                QCOMPARE(form->sheetFolderBox()->text(), sheet);
            });
        QVERIFY(opened);
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
    }

    void pickerOpensAtTheFolderOfItsBox() {
        testsupport::TempDir dir;
        const QString deep = QString::fromStdString(dir.file("a/地図データ/53394525"));
        QDir().mkpath(deep);
        vornik::nsdiDialogForm picker(deep, nullptr);
        picker.show();
        QTreeView* tree = picker.folderTree();
        QCOMPARE(picker.folderModel()->filePath(tree->currentIndex()), deep);
        // The folder is opened out and stays in view while the model reads the folders
        // above it in the background and inserts their entries.
        QTest::qWait(500);
        QTRY_VERIFY(tree->viewport()->rect().contains(tree->visualRect(tree->currentIndex())));
        QVERIFY(picker.folderModel()->rowCount(picker.folderModel()->index("/")) > 1);
        QVERIFY(tree->isExpanded(tree->currentIndex().parent()));
    }

    void frameValues() {
        using vornik::parseFrameValue;
        const std::pair<QString, double> good[] = {
            {"0", 0},           {" 123 ", 123},       {u8("１２３"), 123},
            {"-32768", -32768}, {"32767.4", 32767.4}, {"-32768.5", -32768.5},
            {".5", 0.5},
        };
        for (const auto& [text, value] : good)
            QCOMPARE(parseFrameValue(text), std::optional<double>(value));
        for (const char* bad :
             {"", "  ", "abc", "12a", "1e3", "32767.5", "32768", "-32769", "+", "0x10", "1,5"})
            QVERIFY2(!parseFrameValue(bad), bad);
    }

    void badFrameBoxIsNamedAndFocusedAndAFailedRunKeepsTheForm() {
        testsupport::TempDir dir;
        vornik::startForm menu(services());
        menu.show();
        whileModal<vornik::selectDirForm2>(menu.dm2pdbButton(), [&](vornik::selectDirForm2* form) {
            form->activateWindow();
            form->dmFileBox()->setText(
                QString::fromStdString(KWIB_SOURCE_DIR "/samples/dm/sample.dm"));
            form->pdbFolderBox()->setText(QString::fromStdString(dir.path()));
            const struct {
                std::size_t box;
                const char* text;
                const char* expected;
            } cases[] = {
                {4, "abc",
                 "「図枠左上の東経（分）」(tLonMin) の「abc」は数値ではありません！\n-32768 "
                 "から "
                 "32767 までの数値を入力して下さい。"},
                {9, "",
                 "「図枠右下の東経（度）」(bLonDeg) が入力されていません！\n-32768 から 32767 "
                 "までの数値を入力して下さい。"},
                {11, "40000",
                 "「図枠右下の東経（1/10秒）」(bLonSec) の「40000」は範囲外です！\n-32768 から "
                 "32767 までの数値を入力して下さい。"},
            };
            for (const auto& c : cases) {
                prompter_.clear();
                QLineEdit* box = form->frameBoxes()->box(c.box);
                box->setText(u8(c.text));
                form->createButton()->setFocus();
                QTest::mouseClick(form->createButton(), Qt::LeftButton);
                QCOMPARE(prompter_.calls().size(), std::size_t(1));
                QCOMPARE(prompter_.calls()[0].text, std::string(c.expected));
                QCOMPARE(prompter_.calls()[0].icon, Icon::Critical);
                QTRY_VERIFY(box->hasFocus());
                QCOMPARE(box->selectedText(), u8(c.text));
                QVERIFY(form->isVisible());
                box->setText("0");
            }
            // A run that fails leaves the form open with its contents.
            const QString missing = QString::fromStdString(dir.file("missing.dat"));
            form->dmFileBox()->setText(missing);
            form->frameBoxes()->box(2)->setText("123");
            prompter_.clear();
            QTest::mouseClick(form->createButton(), Qt::LeftButton);
            QVERIFY(form->isVisible());
            QVERIFY(!prompter_.calls().empty());
            QCOMPARE(prompter_.calls().back().icon, Icon::Critical);
            QCOMPARE(form->dmFileBox()->text(), missing);
            QCOMPARE(form->frameBoxes()->box(2)->text(), u8("123"));
        });
        // Nothing was run to its end, so nothing was written.
        QVERIFY(QDir(QString::fromStdString(dir.path())).isEmpty());
    }

    // The four conversions through the menu give the files and messages vornik-cli gives.
    void fourConversionsMatchTheCommandLine() {
        testsupport::TempDir dir;
        const std::string csv = dir.file("attributes.csv");
        std::filesystem::copy_file(KWIB_SOURCE_DIR "/samples/attributes.csv", csv);
        const std::size_t lines = QString::fromStdString(testsupport::readText(csv))
                                      .split('\n', Qt::SkipEmptyParts)
                                      .size();
        vornik::startForm menu(services(dir.path()));
        menu.show();

        chooser_->answerNext(csv);
        QTest::mouseClick(menu.csv2pdbButton(), Qt::LeftButton);
        QCOMPARE(chooser_->requests().at(0).title, std::string("CSVファイルを選択"));
        QCOMPARE(chooser_->requests().at(0).initialFolder, dir.path());
        const std::string pdb = dir.file("attributes.pdb");
        expectSameAsCli({"csv2pdb", QString::fromStdString(csv), "--today", kTodayOption}, {pdb});
        const testsupport::PalmView view = testsupport::palmRead(pdb);
        QVERIFY2(view.loaded, view.error.c_str());
        QCOMPARE(view.name, std::string("attributes"));
        QCOMPARE(view.recordLengths, std::vector<std::size_t>(lines, 128));

        prompter_.clear();
        const std::string back = dir.file("back.csv");
        chooser_->answerNext(pdb);
        chooser_->answerNext(back);
        QTest::mouseClick(menu.pdb2csvButton(), Qt::LeftButton);
        QCOMPARE(chooser_->requests().at(1).title, std::string("PDBファイルを選択"));
        QCOMPARE(chooser_->requests().at(2).title, std::string("CSVファイルを選択"));
        expectSameAsCli({"pdb2csv", QString::fromStdString(pdb), QString::fromStdString(back)},
                        {back});
        QCOMPARE(QString::fromStdString(testsupport::readText(back)).count("\r\n"),
                 qsizetype(lines));

        // A cancelled dialog ends the operation quietly.
        prompter_.clear();
        chooser_->answerNext(std::nullopt);
        QTest::mouseClick(menu.csv2pdbButton(), Qt::LeftButton);
        QVERIFY(prompter_.calls().empty());

        // The Digital Map 2500 form.
        const std::string sheet = dir.file("53394525");
        std::filesystem::copy(KWIB_SOURCE_DIR "/samples/dm2500/53394525", sheet,
                              std::filesystem::copy_options::recursive);
        const std::string dmFile = dir.file("sample.dm");
        std::filesystem::copy_file(KWIB_SOURCE_DIR "/samples/dm/sample.dm", dmFile);
        const std::string out = dir.file("out");
        std::filesystem::create_directory(out);
        bool closed = false;
        whileModal<vornik::selectDirForm>(menu.nsdi2pdbButton(), [&](vornik::selectDirForm* form) {
            form->sheetFolderBox()->setText(QString::fromStdString(sheet));
            form->pdbFolderBox()->setText(QString::fromStdString(out));
            fillFrame(form->frameBoxes());
            QTest::mouseClick(form->createButton(), Qt::LeftButton);
            closed = !form->isVisible();
        });
        QVERIFY(closed);
        QVERIFY(prompter_.calls().size() >= 7);
        QVERIFY(prompter_.calls().back().text.find("( 7 / 7 )") != std::string::npos);
        expectSameAsCli({"nsdi2pdb", QString::fromStdString(sheet), QString::fromStdString(out),
                         "--frame", kFrame.join(','), "--today", kTodayOption},
                        {out + "/53394525_G.pdb", out + "/53394525_A.pdb", out + "/53394525.csv"});
        checkDatabases(
            out + "/53394525_G.pdb", out + "/53394525_A.pdb",
            QString::fromStdString(testsupport::readText(out + "/53394525.csv")).count("\r\n"));

        // The DM form, its file given through the file dialog.
        prompter_.clear();
        closed = false;
        whileModal<vornik::selectDirForm2>(menu.dm2pdbButton(), [&](vornik::selectDirForm2* form) {
            chooser_->answerNext(dmFile);
            QTest::mouseClick(form->dmFileButton(), Qt::LeftButton);
            form->pdbFolderBox()->setText(QString::fromStdString(out));
            fillFrame(form->frameBoxes());
            QTest::mouseClick(form->createButton(), Qt::LeftButton);
            closed = !form->isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(prompter_.texts(),
                 (std::vector<std::string>{"処理を開始します！( 1 / 3 )",
                                           "図形PDBファイル作成処理が終了しました！( 2 / 3 )",
                                           "属性PDBファイル作成処理が完了しました！( 3 / 3 )"}));
        expectSameAsCli({"dm2pdb", QString::fromStdString(dmFile), QString::fromStdString(out),
                         "--frame", kFrame.join(','), "--today", kTodayOption},
                        {out + "/sample_G.pdb", out + "/sample_A.pdb"});
        checkDatabases(out + "/sample_G.pdb", out + "/sample_A.pdb", -1);
    }

    void unexpectedFailureEndsTheOperationWithAMessage() {
        QVERIFY(vornik::runGuarded(prompter_, [] { return true; }));
        QVERIFY(!vornik::runGuarded(prompter_, [] { return false; }));
        QVERIFY(prompter_.calls().empty());
        QVERIFY(!vornik::runGuarded(prompter_,
                                    []() -> bool { throw std::runtime_error("disk gone"); }));
        QCOMPARE(
            prompter_.texts(),
            (std::vector<std::string>{"予期しないエラーのため処理を中止しました（disk gone）。"}));
        QCOMPARE(prompter_.calls()[0].icon, Icon::Critical);
    }

    // The programs' message boxes: the program's title when the box has none, the icon, the
    // buttons each kind asks for, and the answer of the button clicked; closing a yes/no box
    // answers No, any other Cancel.
    void messageBoxesShowTheirButtonsAndAnswerTheClickedOne() {
        using B = QMessageBox;
        platform::QtPrompter boxes(nullptr, u8("Vornik"));
        struct Case {
            Buttons buttons;
            Icon icon;
            B::StandardButtons shown;
            B::StandardButton defaultButton, click;
            Answer answer;
        };
        const Case cases[] = {
            {Buttons::Ok, Icon::Information, B::Ok, B::NoButton, B::Ok, Answer::Ok},
            {Buttons::OkCancel, Icon::Critical, B::Ok | B::Cancel, B::NoButton, B::NoButton,
             Answer::Cancel},
            {Buttons::YesNo, Icon::Question, B::Yes | B::No, B::NoButton, B::Yes, Answer::Yes},
            {Buttons::YesNo, Icon::None, B::Yes | B::No, B::NoButton, B::NoButton, Answer::No},
            {Buttons::OkCancelDefaultCancel, Icon::Warning, B::Ok | B::Cancel, B::Cancel, B::Ok,
             Answer::Ok},
            {Buttons::SaveDiscardCancel, Icon::Warning, B::Save | B::Discard | B::Cancel, B::Save,
             B::Discard, Answer::Discard},
            {Buttons::SaveDiscardCancel, Icon::Warning, B::Save | B::Discard | B::Cancel, B::Save,
             B::Save, Answer::Save},
        };
        const B::Icon icons[] = {B::NoIcon, B::Information, B::Warning, B::Critical, B::Question};
        for (const Case& c : cases) {
            Answer answer{};
            QVERIFY(whileModal<QMessageBox>(
                [&] { answer = boxes.show("本文", c.click ? "" : "題", c.icon, c.buttons); },
                [&](QMessageBox* box) {
                    QCOMPARE(box->windowTitle(), c.click ? u8("Vornik") : u8("題"));
                    QCOMPARE(box->text(), u8("本文"));
                    QCOMPARE(box->icon(), icons[int(c.icon)]);
                    QCOMPARE(box->standardButtons(), c.shown);
                    if (c.defaultButton)
                        QCOMPARE(box->defaultButton(), box->button(c.defaultButton));
                    if (c.buttons == Buttons::SaveDiscardCancel)
                        QCOMPARE(box->button(B::Discard)->text(), u8("破棄"));
                    if (c.click)
                        box->button(c.click)->click();
                }));
            QCOMPARE(answer, c.answer);
        }
    }

    void startFolderFallsBackToHome() {
        testsupport::TempDir dir;
        QCOMPARE(vornik::startFolder(QString::fromStdString(dir.path())), dir.path());
        QCOMPARE(vornik::startFolder(QString::fromStdString(dir.file("gone"))),
                 QDir::homePath().toStdString());
        if (!QFileInfo(QStringLiteral("/usr/bin")).isWritable())
            QCOMPARE(vornik::startFolder(QStringLiteral("/usr/bin")),
                     QDir::homePath().toStdString());
    }

    void realFileDialogIsSaveStyleWithFiltersAndDefaultExtension() {
        testsupport::TempDir dir;
        testsupport::writeBytes(dir.file("list.csv"), {'1'});
        platform::FileRequest request;
        request.title = "CSVファイルを選択";
        request.filterName = "CSV";
        request.filterPattern = "*.csv";
        request.defaultExtension = "CSV";
        request.initialFolder = dir.path();
        request.save = true;
        vornik::FormFileChooser chooser;
        std::optional<std::string> chosen;
        bool seen = whileModal<QFileDialog>(
            [&] { chosen = chooser.choose(request); },
            [&](QFileDialog* dialog) {
                QCOMPARE(dialog->windowTitle(), u8("CSVファイルを選択"));
                QCOMPARE(dialog->nameFilters(),
                         (QStringList{u8("CSV (*.csv)"), u8("すべてのファイル (*)")}));
                QCOMPARE(dialog->defaultSuffix(), u8("CSV"));
                QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
                QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
                QCOMPARE(dialog->directory().absolutePath(), QString::fromStdString(dir.path()));
                // A bare name gets the default extension and the case of the file on
                // disk ("list.csv").
                dialog->selectFile("list");
                static_cast<QDialog*>(dialog)->accept();
            });
        QVERIFY(seen);
        QCOMPARE(chosen, std::optional<std::string>(dir.file("list.csv")));
        // A name that does not exist yet may be typed.
        whileModal<QFileDialog>([&] { chosen = chooser.choose(request); },
                                [&](QFileDialog* dialog) {
                                    dialog->selectFile("new");
                                    static_cast<QDialog*>(dialog)->accept();
                                });
        QCOMPARE(chosen, std::optional<std::string>(dir.file("new.CSV")));
        whileModal<QFileDialog>([&] { chosen = chooser.choose(request); },
                                [&](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(chosen, std::optional<std::string>());
    }

    // The DM form's checkbox: off at first; on, the run draws what --all-elements draws and
    // ends with the account vornik-cli prints.
    void dmFormCheckboxDrawsEveryElementAndShowsTheAccount() {
        testsupport::TempDir dir;
        const std::string dmFile = dir.file("every.dm");
        std::filesystem::copy_file(
            KWIB_SOURCE_DIR "/tests/cases/vornik/dm2pdb-all-elements/input.dm", dmFile);
        vornik::startForm menu(services());
        menu.show();
        bool closed = false;
        whileModal<vornik::selectDirForm2>(menu.dm2pdbButton(), [&](vornik::selectDirForm2* form) {
            QCOMPARE(form->allElementsBox()->text(), u8("注記・円・円弧も変換する"));
            QVERIFY(!form->allElementsBox()->isChecked());
            form->dmFileBox()->setText(QString::fromStdString(dmFile));
            form->pdbFolderBox()->setText(QString::fromStdString(dir.path()));
            form->allElementsBox()->setChecked(true);
            QTest::mouseClick(form->createButton(), Qt::LeftButton);
            closed = !form->isVisible();
        });
        QVERIFY(closed);
        const std::string graphic = dir.file("every_G.pdb");
        const testsupport::Bytes gui = testsupport::readBytes(graphic);
        QProcess cli;
        cli.start(QStringLiteral(VORNIK_CLI_PATH),
                  {QStringLiteral("dm2pdb"), QString::fromStdString(dmFile),
                   QString::fromStdString(dir.path()), "--today", kTodayOption, "--all-elements"});
        QVERIFY(cli.waitForFinished(120000));
        QCOMPARE(testsupport::readBytes(graphic), gui);
        QCOMPARE(prompter_.calls().back().text + "\n", cli.readAllStandardOutput().toStdString());
        QCOMPARE(prompter_.calls().back().icon, Icon::Information);
    }

  private:
    // Both databases load in the independent reader; attribute records are 128 bytes and
    // no graphic record exceeds 1024 bytes.
    void checkDatabases(const std::string& graphic, const std::string& attributes,
                        qsizetype attributeRecords) {
        const testsupport::PalmView g = testsupport::palmRead(graphic);
        QVERIFY2(g.loaded, g.error.c_str());
        QVERIFY(!g.recordLengths.empty());
        for (std::size_t length : g.recordLengths) QVERIFY(length > 0 && length <= 1024);
        const testsupport::PalmView a = testsupport::palmRead(attributes);
        QVERIFY2(a.loaded, a.error.c_str());
        QVERIFY(!a.recordLengths.empty());
        if (attributeRecords >= 0)
            QCOMPARE(qsizetype(a.recordLengths.size()), attributeRecords);
        for (std::size_t length : a.recordLengths) QCOMPARE(length, std::size_t(128));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The forms remember places in the settings: keep them away from the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    vornik::installFormFont(app);
    VornikFormsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ui_forms_test.moc"
