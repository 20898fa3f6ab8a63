// Batch runs through the DM settings form and the progress window: several inputs convert
// without a modal box per stage, a broken one in the middle is named in the summary, and
// cancel lets the file under way finish and starts no other.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <filesystem>
#include <fstream>

#include "converter/dm/dm2pdb.h"
#include "converter/shell/batch_window.h"
#include "converter/shell/frame_boxes.h"
#include "converter/shell/select_dir_form2.h"
#include "platform/scripted_prompter.h"

namespace fs = std::filesystem;

namespace {

const platform::LocalDate kToday{2026, 12, 6};

std::vector<std::string> filesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    platform::ScriptedPrompter prompter_;
    platform::ScriptedFileChooser chooser_;

    std::string path(const char* name) const {
        return (fs::path(dir_.path().toStdString()) / name).string();
    }
    vornik::Services services() {
        vornik::Services s;
        s.prompter = &prompter_;
        s.chooser = &chooser_;
        s.today = [] { return kToday; };
        s.programFolder = dir_.path().toStdString();
        return s;
    }

  private slots:
    void initTestCase() {
        const fs::path samples = KWIB_SOURCE_DIR "/samples/dm/sample.dm";
        fs::copy_file(samples, path("a.dm"));
        fs::copy_file(KWIB_SOURCE_DIR "/tests/data/dm_wrong_unit/input.dm", path("b.dm"));
        fs::copy_file(samples, path("c.dm"));
        fs::create_directory(path("sub"));
        fs::copy_file(samples, path("sub/c.dm"));
    }

    void formRunsSeveralInputsInTheProgressWindow() {
        fs::create_directory(path("out"));
        vornik::selectDirForm2 form(services(), nullptr);
        form.show();
        form.dmFileBox()->setText(QString::fromStdString(path("a.dm")));
        form.batchInputs()->addInputs({path("b.dm"), path("c.dm"), path("a.dm")});
        QCOMPARE(form.batchInputs()->list()->count(), 3);
        form.batchInputs()->list()->item(2)->setSelected(true);
        QTest::mouseClick(form.batchInputs()->removeButton(), Qt::LeftButton);
        form.pdbFolderBox()->setText(QString::fromStdString(path("out")));

        bool checked = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<vornik::BatchProgressWindow*>(QApplication::activeModalWidget());
            if (!w || !w->finished())
                return;
            // The checks return early on a failure; the window is closed either way.
            [&] {
                QCOMPARE(w->bar()->value(), 3);
                const QString log = w->log()->toPlainText();
                QVERIFY(log.contains(QString::fromStdString(path("b.dm")) +
                                     QString::fromUtf8(": [error] dm2pdb: 座標値の単位")));
                QCOMPARE(w->summary()->rowCount(), 3);
                QCOMPARE(w->summary()->item(1, 0)->text(), QString::fromStdString(path("b.dm")));
                const QStringList status = {w->summary()->item(0, 6)->text(),
                                            w->summary()->item(1, 6)->text(),
                                            w->summary()->item(2, 6)->text()};
                QCOMPARE(status, (QStringList{QString::fromUtf8("完了"), QString::fromUtf8("失敗"),
                                              QString::fromUtf8("完了")}));
                QVERIFY(
                    w->summary()->item(1, 6)->toolTip().contains(QString::fromUtf8("b.dm 2行目")));
                QCOMPARE(w->summary()->currentRow(), 1);  // the failed input, selected
                QVERIFY(w->folderLabel()->text().contains(QString::fromStdString(path("out"))));
                QVERIFY(w->openFolderButton()->isVisible());
                checked = true;
            }();
            QTest::mouseClick(w->closeButton(), Qt::LeftButton);
        });
        poll.start(20);
        QTest::mouseClick(form.createButton(), Qt::LeftButton);
        QVERIFY(checked);
        // No modal box per stage; the failed input keeps the form open.
        QCOMPARE(prompter_.calls().size(), std::size_t(0));
        QVERIFY(form.isVisible());
        const auto out = filesIn(path("out"));
        QCOMPARE(out.size(), std::size_t(5));  // a and c, both databases, and the log
        QCOMPARE(std::vector<std::string>(out.begin(), out.begin() + 4),
                 (std::vector<std::string>{"a_A.pdb", "a_G.pdb", "c_A.pdb", "c_G.pdb"}));

        // Two inputs whose outputs share a name: refused, no window, the form stays.
        form.batchInputs()->addInputs({path("sub/c.dm")});
        QTest::mouseClick(form.createButton(), Qt::LeftButton);
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
        QVERIFY(prompter_.calls()[0].text.find("c_G.pdb") != std::string::npos);
        QVERIFY(form.isVisible());
        prompter_.clear();

        // Run again: the existing outputs are asked about once; "No" keeps them all.
        prompter_.answerNext(platform::Answer::No);
        disconnect(&poll, &QTimer::timeout, nullptr, nullptr);
        connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<vornik::BatchProgressWindow*>(QApplication::activeModalWidget());
            if (w && w->finished())
                w->accept();
        });
        form.batchInputs()->list()->clear();
        form.batchInputs()->addInputs({path("c.dm")});
        QTest::mouseClick(form.createButton(), Qt::LeftButton);
        QCOMPARE(prompter_.calls().size(), std::size_t(1));
        QCOMPARE(prompter_.calls()[0].buttons, platform::Buttons::YesNo);
        QVERIFY(!form.isVisible());  // both skipped: nothing failed
    }

    // No frame typed: each input gets the frame of its own zone, here named by the file.
    void untypedFrameIsComputedForEachInput() {
        fs::create_directory(path("zoned"));
        for (const char* name : {"09A.dm", "09B.dm"})
            fs::copy_file(KWIB_SOURCE_DIR "/samples/dm/sample.dm", path(name));
        vornik::selectDirForm2 form(services(), nullptr);
        form.show();
        form.batchInputs()->addInputs({path("09A.dm"), path("09B.dm")});
        form.pdbFolderBox()->setText(QString::fromStdString(path("zoned")));
        QString log;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<vornik::BatchProgressWindow*>(QApplication::activeModalWidget());
            if (w && w->finished()) {
                log = w->log()->toPlainText();
                w->accept();
            }
        });
        poll.start(20);
        QTest::mouseClick(form.createButton(), Qt::LeftButton);
        for (const char* name : {"09A.dm", "09B.dm"}) {
            QVERIFY(log.contains(QString::fromUtf8("系番号はファイル名「%1」から 9").arg(name)));
            std::ifstream g(path("zoned") + "/" + std::string(name, 3) + "_G.pdb",
                            std::ios::binary);
            std::string frame(24, '\0');
            g.seekg(88 + 24).read(frame.data(), 24);  // the twelve values of the frame header
            QCOMPARE(frame.substr(0, 6), std::string("\0\x24\0\x04\0\x5f", 6));  // 36°4'9.5"
        }
    }

    void cancelFinishesTheFileUnderWayAndStartsNoOther() {
        fs::create_directory(path("cancelled"));
        std::atomic<bool> release{false};
        const std::string outDir = path("cancelled");
        std::atomic<int> calls{0};
        auto convert = [&](const std::string& input, platform::Prompter& p) {
            ++calls;
            while (!release) std::this_thread::yield();
            return dm::dm2pdb(input, outDir, {}, kToday, p).outcome == converter::Outcome::Done;
        };
        auto b = std::make_unique<batch::Batch>(
            batch::Kind::DmFile, std::vector<std::string>{path("a.dm"), path("c.dm")}, outDir,
            convert);
        vornik::BatchProgressWindow window(std::move(b), 1, nullptr);
        window.show();
        QTRY_VERIFY(window.currentFile()->text().contains(QString::fromUtf8("a.dm")));
        window.start();  // shown again (restored after minimising): nothing starts twice
        QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
        QVERIFY(!window.cancelButton()->isEnabled());
        release = true;
        QTRY_VERIFY(window.finished());
        QCOMPARE(window.batch().results()[0].status, batch::Status::Clean);
        QCOMPARE(window.batch().results()[1].status, batch::Status::Cancelled);
        QCOMPARE(calls.load(), 1);
        const auto out = filesIn(outDir);
        QCOMPARE(out.size(), std::size_t(3));  // a's two databases and the log, nothing else
        QCOMPARE(out[0], "a_A.pdb");
        QCOMPARE(out[1], "a_G.pdb");
    }
};

QTEST_MAIN(BatchWindowTest)
#include "batch_window_test.moc"
