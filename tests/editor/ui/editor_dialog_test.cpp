// The real editor dialog under the offscreen platform: geometry of the preview, and the
// wiring of check box, arrows, mouse, page selector, keys, undo, the question before
// unsaved work is lost, remembered places and about box to the model.
#include "editor/ui/editor_dialog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUndoStack>

#include "dialogs_support.h"
#include "editor/model/kinds.h"
#include "editor/ui/about_dialog.h"
#include "editor/ui/lorvex_file_dialog.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"

namespace {

using editor::ObjectKind;
using editor::slotIndex;
using platform::Answer;

// Dialog client point of a screen point.
QPoint client(int x, int y) {
    return QPoint(225 + x, 110 + y);
}

class EditorDialogTest : public ::testing::Test {
  protected:
    EditorDialogTest() : dialog(&prompter) {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QApplication::setActiveWindow(&dialog);
    }

    template <class T>
    T* child(const char* name) {
        T* w = dialog.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void chooseType(ObjectKind kind) {
        child<QComboBox>("typeSelector")->setCurrentIndex(int(kind));
    }
    void chooseNumber(int index) { child<QComboBox>("numberSelector")->setCurrentIndex(index); }
    void clickShow() { QTest::mouseClick(child<QCheckBox>("showCheck"), Qt::LeftButton); }

    QWindow* window() { return dialog.windowHandle(); }
    const editor::ObjectSlot& slot(ObjectKind kind, int number, int page = 0) {
        return dialog.state().working.slots[slotIndex(kind, number, page)];
    }
    bool shownInPreview(QWidget* w) { return w && w->isVisibleTo(&dialog); }

    platform::ScriptedPrompter prompter;
    lorvex::EditorDialog dialog;
};

TEST_F(EditorDialogTest, CheckBoxPlacesAndPagesShowOnlyTheirObjects) {
    chooseType(ObjectKind::Str);
    chooseNumber(1);
    clickShow();
    const std::size_t s = slotIndex(ObjectKind::Str, 1, 0);
    EXPECT_EQ(dialog.state().working.slots[s].pageNumber, 0);
    ASSERT_TRUE(shownInPreview(dialog.previewMain(s)));
    EXPECT_EQ(dialog.previewMain(s)->geometry(), QRect(client(95, 267), QSize(75, 25)));
    EXPECT_EQ(static_cast<QLabel*>(dialog.previewLabel(s))->text(), QStringLiteral("Str[2]"));
    EXPECT_EQ(child<QLineEdit>("partCount")->text(), QStringLiteral("7"));
    EXPECT_EQ(child<QLineEdit>("pageNumber")->text(), QStringLiteral("0"));

    QComboBox* page = child<QComboBox>("pageSelector");
    page->setCurrentIndex(1);
    EXPECT_FALSE(shownInPreview(dialog.previewMain(s)));
    EXPECT_TRUE(shownInPreview(dialog.previewMain(217)));  // page 1's update button
    EXPECT_FALSE(child<QCheckBox>("showCheck")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>("labelX")->isEnabled());
    EXPECT_EQ(child<QLineEdit>("pageNumber")->text(), QStringLiteral("0"));
    page->setCurrentIndex(0);
    EXPECT_TRUE(shownInPreview(dialog.previewMain(s)));
    EXPECT_EQ(dialog.previewMain(s)->geometry(), QRect(client(95, 267), QSize(75, 25)));

    // The resolution selector changes nothing.
    child<QComboBox>("resolution")->setCurrentIndex(1);
    EXPECT_EQ(dialog.previewMain(s)->geometry(), QRect(client(95, 267), QSize(75, 25)));
    EXPECT_EQ(child<QWidget>("previewFrame")->geometry(), QRect(225, 110, 320, 320));

    // Unchecking takes it off again.
    clickShow();
    EXPECT_EQ(dialog.state().working.slots[s].pageNumber, editor::kNotPlaced);
    EXPECT_FALSE(shownInPreview(dialog.previewMain(s)));
}

TEST_F(EditorDialogTest, OverFullPageShowsTheMessageAndUnchecks) {
    for (int n = 0; n < 15; ++n) {
        chooseNumber(n);
        clickShow();
    }
    EXPECT_TRUE(prompter.calls().empty());
    chooseNumber(15);
    clickShow();
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].text, "オブジェクトのパーツ数が多すぎます。");
    EXPECT_FALSE(child<QCheckBox>("showCheck")->isChecked());
    EXPECT_FALSE(shownInPreview(dialog.previewMain(slotIndex(ObjectKind::Cmb, 15, 0))));
    EXPECT_EQ(child<QLineEdit>("partCount")->text(), QStringLiteral("50"));
}

TEST_F(EditorDialogTest, MouseDragsMoveAndResizeThroughThePreview) {
    chooseType(ObjectKind::Int);
    clickShow();  // Int 1: bounds 20..170 × 267..292
    const std::size_t s = slotIndex(ObjectKind::Int, 0, 0);

    // Hovering shows the pointer shapes and moves nothing.
    QTest::mouseMove(window(), client(80, 280));
    EXPECT_EQ(dialog.cursor().shape(), Qt::SizeAllCursor);
    QTest::mouseMove(window(), client(170, 292));
    EXPECT_EQ(dialog.cursor().shape(), Qt::SizeFDiagCursor);
    EXPECT_EQ(slot(ObjectKind::Int, 0).labelX, 20);

    // Body drag, over the disabled preview controls.
    QTest::mousePress(window(), Qt::LeftButton, {}, client(80, 280));
    QTest::mouseMove(window(), client(90, 275));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, client(90, 275));
    EXPECT_EQ(slot(ObjectKind::Int, 0).labelX, 30);
    EXPECT_EQ(slot(ObjectKind::Int, 0).labelY, 265);
    EXPECT_EQ(child<QLineEdit>("labelX")->text(), QStringLiteral("30"));
    EXPECT_EQ(dialog.previewMain(s)->geometry(), QRect(client(105, 262), QSize(75, 25)));

    // Corner drag: control corner now at (180, 287).
    QTest::mousePress(window(), Qt::LeftButton, {}, client(180, 287));
    QTest::mouseMove(window(), client(181, 288));
    QTest::mouseMove(window(), client(191, 293));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, client(191, 293));
    EXPECT_EQ(slot(ObjectKind::Int, 0).objectWidth, 86);
    EXPECT_EQ(slot(ObjectKind::Int, 0).objectHeight, 31);
    EXPECT_EQ(child<QLineEdit>("width")->text(), QStringLiteral("86"));
    // The resize zone follows the corner: hovering the new corner, not the old one.
    QTest::mouseMove(window(), client(191, 293));
    EXPECT_EQ(dialog.cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mouseMove(window(), client(175, 282));
    EXPECT_EQ(dialog.cursor().shape(), Qt::SizeAllCursor);

    // With Shift held nothing moves.
    QTest::mousePress(window(), Qt::LeftButton, Qt::ShiftModifier, client(80, 280));
    QTest::mouseEvent(QTest::MouseMove, window(), Qt::NoButton, Qt::ShiftModifier, client(60, 290));
    QTest::mouseRelease(window(), Qt::LeftButton, Qt::ShiftModifier, client(60, 290));
    EXPECT_EQ(slot(ObjectKind::Int, 0).labelX, 30);
}

TEST_F(EditorDialogTest, ArrowButtonsNudgeUntilTheEdge) {
    chooseType(ObjectKind::Label);
    clickShow();
    QLineEdit* x = child<QLineEdit>("labelX");
    x->setText(QStringLiteral("6"));
    QTest::mouseClick(child<QPushButton>("applyButton"), Qt::LeftButton);
    ASSERT_EQ(slot(ObjectKind::Label, 0).labelX, 6);
    QPushButton* left = child<QPushButton>("leftButton");
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_EQ(x->text(), QStringLiteral("5"));
    QTest::mouseClick(left, Qt::LeftButton);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelX, 5);
    QTest::mouseClick(child<QPushButton>("downButton"), Qt::LeftButton);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelY, 271);
    QTest::mouseClick(child<QPushButton>("upButton"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("rightButton"), Qt::LeftButton);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelY, 270);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelX, 6);
}

TEST_F(EditorDialogTest, FieldsAreWrittenWhenTheyLoseTheFocus) {
    chooseType(ObjectKind::Str);
    clickShow();
    QLineEdit* x = child<QLineEdit>("labelX");
    x->setFocus();
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("4a"));  // digits only; 4 breaks the left edge
    EXPECT_EQ(x->text(), QStringLiteral("4"));
    child<QLineEdit>("labelY")->setFocus();
    EXPECT_EQ(x->text(), QStringLiteral("20"));  // refused: the stored value comes back

    x->setFocus();
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("40"));
    child<QLineEdit>("labelText")->setFocus();
    EXPECT_EQ(slot(ObjectKind::Str, 0).labelX, 40);

    // The page title typed and left for the page selector lands on the page shown.
    QLineEdit* title = child<QLineEdit>("pageTitle");
    title->setFocus();
    title->insert(QStringLiteral("入力"));  // typed through the field's validator
    QComboBox* page = child<QComboBox>("pageSelector");
    page->setFocus(Qt::MouseFocusReason);
    page->setCurrentIndex(1);
    EXPECT_EQ(editor::fieldText(dialog.state().working.titles[0]), platform::toCp932("入力"));
    EXPECT_TRUE(title->text().isEmpty());
    page->setCurrentIndex(0);
    EXPECT_EQ(dialog.titleField(false)->text(), QStringLiteral("入力"));

    // A modal-dialog page shows its title centred (the hidden check box mirrors the flag).
    dialog.state().working.modalFlags[0] = 1;
    dialog.designReplaced();
    EXPECT_TRUE(child<QCheckBox>("centring")->isChecked());
    EXPECT_TRUE(shownInPreview(dialog.titleField(true)));
    EXPECT_FALSE(shownInPreview(dialog.titleField(false)));
    EXPECT_EQ(dialog.titleField(true)->text(), QStringLiteral("入力"));
    EXPECT_EQ(dialog.titleField(true)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(EditorDialogTest, TextFieldsCountShiftJisBytes) {
    chooseType(ObjectKind::Cmb);
    clickShow();
    QLineEdit* label = child<QLineEdit>("labelText");
    label->setFocus();
    label->clear();
    QTest::keyClicks(label, QString(40, QLatin1Char('a')));
    EXPECT_EQ(label->text().size(), 31);
    label->clear();
    for (int i = 0; i < 20; ++i) label->insert(QString(QChar(0x6F22)));  // 漢: 2 bytes each
    EXPECT_EQ(label->text(), QString(15, QChar(0x6F22)));
    label->clear();
    for (QChar c : QStringLiteral("a한b")) label->insert(QString(c));  // 한 has no CP932 code
    EXPECT_EQ(label->text(), QStringLiteral("ab"));
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("ラベル名称")));
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("한")));

    // Items: each line break is stored as CR LF, two bytes.
    QPlainTextEdit* items = child<QPlainTextEdit>("items");
    items->setFocus();
    QTest::keyClicks(items, QString(62, QLatin1Char('x')));
    QTest::keyClick(items, Qt::Key_Return);
    QTest::keyClicks(items, QString(70, QLatin1Char('y')));
    EXPECT_EQ(items->toPlainText(),
              QString(62, QLatin1Char('x')) + QLatin1Char('\n') + QString(63, QLatin1Char('y')));
    // A key refused in the middle leaves the cursor where it was.
    items->moveCursor(QTextCursor::Start);
    QTest::keyClick(items, Qt::Key_Z);
    EXPECT_EQ(items->textCursor().position(), 0);
    label->setFocus();
    const std::string stored = editor::fieldText(slot(ObjectKind::Cmb, 0).items);
    EXPECT_EQ(stored.size(), 127u);
    EXPECT_EQ(stored.substr(62, 2), "\r\n");
}

// Each way of ending with each answer to "変更を保存しますか？": only an unchanged design,
// 破棄, or 保存 with a save that was done end the editor; Esc inside a field ends nothing,
// and a label still being typed is saved.
TEST(EditorDialogEnding, UnsavedChangesAreAskedAboutBeforeTheEditorEnds) {
    enum class Way { Esc, Close, Quit };
    struct Case {
        const char* name;
        Way way;
        std::optional<Answer> answer;  // nothing: no change made, no question
        bool saveDone;                 // 保存: the database-file dialog accepted
        bool ends;
    };
    const Case cases[] = {
        {"unchanged, Esc", Way::Esc, std::nullopt, false, true},
        {"unchanged, 終了", Way::Quit, std::nullopt, false, true},
        {"Esc, 破棄", Way::Esc, Answer::Discard, false, true},
        {"Esc, 保存 cancelled", Way::Esc, Answer::Save, false, false},
        {"close, キャンセル", Way::Close, Answer::Cancel, false, false},
        {"close, 保存", Way::Close, Answer::Save, true, true},
        {"終了, 保存", Way::Quit, Answer::Save, true, true},
        {"終了, 破棄", Way::Quit, Answer::Discard, false, true},
        {"終了, キャンセル", Way::Quit, Answer::Cancel, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        platform::ScriptedPrompter prompter;
        platform::ScriptedFileChooser chooser;
        lorvex::EditorDialog dialog(&prompter);
        dialog.setFileChooser(&chooser);
        bool quit = false;
        dialog.setExitHandler([&] { quit = true; });
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        auto* label = dialog.findChild<QLineEdit*>(QStringLiteral("labelText"));
        if (c.answer) {
            dialog.findChild<QComboBox*>(QStringLiteral("typeSelector"))
                ->setCurrentIndex(int(ObjectKind::Str));
            QTest::mouseClick(dialog.findChild<QCheckBox*>(QStringLiteral("showCheck")),
                              Qt::LeftButton);
            label->setFocus();
            label->selectAll();
            QTest::keyClicks(label, QStringLiteral("Name"));
            QTest::keyClick(label, Qt::Key_Escape);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(prompter.calls().empty());
            prompter.answerNext(*c.answer);
            EXPECT_TRUE(dialog.isWindowModified());
        }
        const std::string saved = dir.file("s.pdb");
        if (c.answer == Answer::Save && c.saveDone)
            dialogtest::answerDesignDialog(chooser, saved, QStringLiteral("Master"),
                                           QStringLiteral("S"));
        else if (c.answer == Answer::Save)
            dialogtest::whenShown<lorvex::DatabaseFileDialog>(
                [](lorvex::DatabaseFileDialog* d) { dialogtest::click(d->cancelButton()); });
        auto* apply = dialog.findChild<QPushButton*>(QStringLiteral("applyButton"));
        switch (c.way) {
            case Way::Esc:
                apply->setFocus();
                QTest::keyClick(apply, Qt::Key_Escape);
                break;
            case Way::Close:
                dialog.close();
                break;
            case Way::Quit:
                QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("quitButton")),
                                  Qt::LeftButton);
                break;
        }
        EXPECT_EQ(c.way == Way::Quit ? quit : !dialog.isVisible(), c.ends);
        if (c.answer) {
            ASSERT_EQ(prompter.calls().size(), 1u);
            EXPECT_EQ(prompter.calls()[0].text, "変更を保存しますか？");
            EXPECT_EQ(prompter.calls()[0].buttons, platform::Buttons::SaveDiscardCancel);
        } else {
            EXPECT_TRUE(prompter.calls().empty());
        }
        EXPECT_EQ(testsupport::exists(saved), c.saveDone);
        if (c.saveDone) {
            pdb::PdbImage image;
            ASSERT_TRUE(pdb::LoadDatabase(image, saved).ok());
            EXPECT_EQ(editor::fieldText(
                          image.designs[0].slots[slotIndex(ObjectKind::Str, 0, 0)].labelText),
                      "Name");
            EXPECT_FALSE(dialog.isModified());
        }
    }
}

// Each kind of change undone and redone gives back the working design byte for byte; the
// changes are made one after the other as a user would (consecutive nudges of one object
// are one change, so the two kinds of nudge stand apart), and undoing them all leaves the
// design as it started, unmodified.
TEST_F(EditorDialogTest, UndoAndRedoRestoreTheDesignByteForByte) {
    auto bytes = [&] {
        std::vector<std::uint8_t> b(editor::kDispRecSize);
        editor::SwapDispRec(dialog.state().working, b.data());
        return b;
    };
    auto typeAndApply = [&](const char* field, const char* text) {
        QLineEdit* e = child<QLineEdit>(field);
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, QString::fromUtf8(text));
        QTest::mouseClick(child<QPushButton>("applyButton"), Qt::LeftButton);
    };
    auto drag = [&](QPoint from, QPoint to) {
        QTest::mousePress(window(), Qt::LeftButton, {}, from);
        QTest::mouseMove(window(), from + QPoint(1, 1));
        QTest::mouseMove(window(), to);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, to);
    };
    QWidget* surface = dialog.previewSurface();
    struct Case {
        const char* name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"place (表示)",
         [&] {
             chooseType(ObjectKind::Int);
             clickShow();
         }},
        {"label text", [&] { typeAndApply("labelText", "Floors"); }},
        {"move by dragging", [&] { drag(client(80, 280), client(90, 275)); }},
        {"resize by the corner", [&] { drag(client(180, 287), client(191, 293)); }},
        {"arrow button",
         [&] { QTest::mouseClick(child<QPushButton>("rightButton"), Qt::LeftButton); }},
        {"page title", [&] { typeAndApply("pageTitle", "Survey"); }},
        {"arrow keys, twice with Shift",
         [&] {
             QTest::mouseClick(window(), Qt::LeftButton, {}, client(60, 280));
             QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
             QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
         }},
        {"Delete key",
         [&] {
             surface->setFocus();
             QTest::keyClick(surface, Qt::Key_Delete);
         }},
        {"page change", [&] { child<QComboBox>("pageSelector")->setCurrentIndex(2); }},
    };
    const std::vector<std::uint8_t> start = bytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> before = bytes();
        c.change();
        const std::vector<std::uint8_t> after = bytes();
        ASSERT_NE(after, before);
        QTest::mouseClick(child<QPushButton>("undoButton"), Qt::LeftButton);
        EXPECT_EQ(bytes(), before);
        QTest::mouseClick(child<QPushButton>("redoButton"), Qt::LeftButton);
        EXPECT_EQ(bytes(), after);
    }
    EXPECT_TRUE(dialog.isModified());
    // Undo shows what it undoes: the page change takes the page selector back.
    dialog.undoAction()->trigger();
    EXPECT_EQ(child<QComboBox>("pageSelector")->currentIndex(), 0);
    while (dialog.undoStack()->canUndo()) dialog.undo();
    EXPECT_EQ(bytes(), start);
    EXPECT_FALSE(dialog.isModified());
    EXPECT_FALSE(dialog.isWindowModified());
}

// Arrows and Delete act on the preview once it has the focus (a click on it); in a field
// they belong to the field. A Shift step stops at the screen's edge; the current object
// is outlined with a handle at its resize corner.
TEST_F(EditorDialogTest, KeysNudgeAndDeleteOnThePreviewWhichOutlinesTheSelection) {
    chooseType(ObjectKind::Label);
    clickShow();  // Label 1 at 20..95 × 270..295
    QWidget* surface = dialog.previewSurface();
    QTest::mouseClick(window(), Qt::LeftButton, {}, client(50, 280));
    ASSERT_TRUE(surface->hasFocus());
    const QImage drawn = surface->grab().toImage();
    const QColor highlight = surface->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_EQ(drawn.pixelColor(12 + 95, 12 + 295), highlight);  // handle at the corner
    EXPECT_EQ(drawn.pixelColor(12 + 50, 12 + 267), highlight);  // outline above the top

    QTest::keyClick(surface, Qt::Key_Right);
    QTest::keyClick(surface, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelX, 21);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelY, 260);
    QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(surface, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelX, 5);
    EXPECT_EQ(child<QLineEdit>("labelX")->text(), QStringLiteral("5"));

    QLineEdit* y = child<QLineEdit>("labelY");
    y->setFocus();
    QTest::keyClick(y, Qt::Key_Down);
    QTest::keyClick(y, Qt::Key_Delete);
    EXPECT_EQ(slot(ObjectKind::Label, 0).labelY, 260);
    EXPECT_EQ(slot(ObjectKind::Label, 0).pageNumber, 0);

    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_Delete);
    EXPECT_EQ(slot(ObjectKind::Label, 0).pageNumber, editor::kNotPlaced);
    EXPECT_FALSE(child<QCheckBox>("showCheck")->isChecked());
    EXPECT_FALSE(dialog.previewMain(slotIndex(ObjectKind::Label, 0, 0))->isVisibleTo(&dialog));

    // Tab walks the attribute fields in the order they stand.
    chooseType(ObjectKind::Str);
    clickShow();
    child<QLineEdit>("labelText")->setFocus();
    for (const char* next : {"labelX", "labelY", "labelWidth", "direction", "offset", "width"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromUtf8(next));
    }
}

// A file chooser opens in the folder of the file last chosen through it, also in the next
// run of the program: two processes sharing a settings folder.
TEST(RememberedPlaces, AChooserOpensWhereTheLastRunChose) {
    testsupport::TempDir dir;
    const QString work = QString::fromStdString(dir.file("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    const QString plan = work + QStringLiteral("/plan.pdb");
    testsupport::writeBytes(plan.toStdString(), {});
    auto probe = [&](const QStringList& args) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.file("config")));
        env.insert(QStringLiteral("HOME"), QString::fromStdString(dir.file("")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--places-probe")} + args);
        EXPECT_TRUE(p.waitForFinished(30000));
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    EXPECT_EQ(probe({QStringLiteral("start")}),
              QDir(QString::fromStdString(dir.file(""))).absolutePath());
    EXPECT_EQ(probe({QStringLiteral("choose"), plan}), plan);
    EXPECT_EQ(probe({QStringLiteral("start")}), work + QStringLiteral(" plan.pdb"));
}

TEST(EditorDialogExit, QuitEndsTheProcessWithStatusZero) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::ScriptedPrompter p;
            lorvex::EditorDialog d(&p);
            d.show();
            QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("quitButton")),
                              Qt::LeftButton);
            std::abort();  // not reached when the button ends the process
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace

// The child process of RememberedPlaces: opens the database-file chooser, then either
// chooses the path given ("choose PATH", printing the path chosen) or prints where it
// opened, folder and selected file ("start").
int placesProbe(const QStringList& args) {
    QString out;
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!d)
            return;
        timer->stop();
        if (args.value(0) == QStringLiteral("choose")) {
            d->selectFile(args.value(1));
            QMetaObject::invokeMethod(d, "accept");
            return;
        }
        out = d->directory().absolutePath();
        if (!d->selectedFiles().isEmpty() && QFileInfo(d->selectedFiles().first()).isFile())
            out += QStringLiteral(" ") + QFileInfo(d->selectedFiles().first()).fileName();
        d->reject();
    });
    timer->start(10);
    lorvex::LorvexFileChooser chooser(nullptr);
    std::optional<std::string> chosen =
        chooser.choose(lorvex::fileRequest(lorvex::FileKind::Pdb, true, {}, "lorvex/database"));
    if (chosen)
        out = QString::fromStdString(*chosen);
    std::printf("%s\n", qPrintable(out));
    return 0;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc >= 2 && std::string(argv[1]) == "--places-probe")
        return placesProbe(QApplication::arguments().mid(2));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
