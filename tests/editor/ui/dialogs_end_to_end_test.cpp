// A user's session with the editor's buttons: objects placed on two pages, saved into a
// new master under code A, read back in a fresh editor, then an attribute database of
// that design exported to CSV and imported again through the conversion dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>

#include "dialogs_support.h"
#include "editor/ui/attribute_conversion_dialog.h"
#include "editor/ui/editor_dialog.h"
#include "platform/console_prompter.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace dialogtest;
using editor::ObjectKind;
using editor::slotIndex;
using lorvex::AttributeConversionDialog;
using lorvex::DatabaseFileDialog;

constexpr std::size_t kDesignBytes = 41138;
constexpr std::size_t kAttrBytes = 636;

// Screen point (x, y) of the design area in dialog client coordinates.
QPoint client(int x, int y) {
    return QPoint(225 + x, 110 + y);
}

class Editor {
  public:
    explicit Editor(platform::Prompter& prompter, platform::FileChooser& chooser)
        : dialog(&prompter) {
        dialog.setFileChooser(&chooser);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    template <class T>
    T* child(const char* name) {
        T* w = dialog.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void press(const char* button) { click(child<QPushButton>(button)); }
    void select(ObjectKind kind, int number) {
        child<QComboBox>("typeSelector")->setCurrentIndex(int(kind));
        child<QComboBox>("numberSelector")->setCurrentIndex(number);
    }
    void page(int p) { child<QComboBox>("pageSelector")->setCurrentIndex(p); }
    void place() { QTest::mouseClick(child<QCheckBox>("showCheck"), Qt::LeftButton); }
    void drag(QPoint from, QPoint to) {
        QWindow* w = dialog.windowHandle();
        QTest::mousePress(w, Qt::LeftButton, {}, from);
        QTest::mouseMove(w, from + QPoint(1, 1));
        QTest::mouseMove(w, to);
        QTest::mouseRelease(w, Qt::LeftButton, {}, to);
    }
    void typeInto(const char* field, const QString& text) {
        QLineEdit* edit = child<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        child<QLineEdit>("pageTitle")->setFocus();  // leaving the field writes it
    }
    const editor::ObjectSlot& slot(std::size_t s) { return dialog.state().working.slots[s]; }

    lorvex::EditorDialog dialog;
};

TEST(EndToEnd, PlaceSaveReadAndConvertAttributesThroughTheButtons) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
    const std::string master = dir.file("plan.pdb");

    const std::size_t cmb = slotIndex(ObjectKind::Cmb, 0, 0);
    const std::size_t ints = slotIndex(ObjectKind::Int, 1, 0);
    const std::size_t str = slotIndex(ObjectKind::Str, 0, 0);
    const std::size_t btn = slotIndex(ObjectKind::Btn, 0, 1);
    const std::size_t label = slotIndex(ObjectKind::Label, 2, 0);
    const std::vector<std::size_t> placed{cmb, ints, str, btn, label};
    std::vector<editor::ObjectSlot> expected;
    std::vector<QRect> shownAt;
    {
        Editor first(prompter, chooser);
        // Page 0: a selection list where it starts, an integer field dragged up and right.
        first.select(ObjectKind::Cmb, 0);
        first.place();
        first.select(ObjectKind::Int, 1);
        first.place();
        first.drag(client(80, 280), client(120, 200));
        // Page 1: a string field moved by its X field, a button and a label.
        first.page(1);
        first.select(ObjectKind::Str, 0);
        first.place();
        first.typeInto("labelX", QStringLiteral("140"));
        first.typeInto("labelY", QStringLiteral("100"));
        first.select(ObjectKind::Btn, 0);
        first.place();
        first.select(ObjectKind::Label, 2);
        first.place();
        first.typeInto("labelY", QStringLiteral("60"));
        ASSERT_TRUE(prompter.calls().empty()) << prompter.texts().front();

        EXPECT_EQ(first.slot(cmb).pageNumber, 0);
        EXPECT_EQ(first.slot(ints).pageNumber, 0);
        EXPECT_EQ(first.slot(ints).labelX, 60);   // 20 + 40
        EXPECT_EQ(first.slot(ints).labelY, 190);  // 270 - 80
        EXPECT_EQ(first.slot(str).pageNumber, 1);
        EXPECT_EQ(first.slot(str).labelX, 140);
        EXPECT_EQ(first.slot(btn).pageNumber, 1);
        EXPECT_EQ(first.slot(label).labelY, 60);
        for (std::size_t s : placed) expected.push_back(first.slot(s));
        first.page(1);
        for (std::size_t s : placed) shownAt.push_back(first.dialog.previewMain(s)->geometry());

        answerDesignDialog(chooser, master, QStringLiteral("Master"), QStringLiteral("A"));
        first.press("saveButton");
        EXPECT_TRUE(prompter.calls().empty()) << prompter.texts().front();
        EXPECT_EQ(codesOf(master), std::vector<std::string>{"A"});
        expectPalm(master, {kDesignBytes});
        EXPECT_TRUE(testsupport::exists(dir.file("plan.txt")));
    }

    Editor second(prompter, chooser);
    answerDesignDialog(chooser, master, QStringLiteral("Master"), QStringLiteral("A"));
    second.press("readButton");
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(editor::fieldText(second.dialog.state().working.code), "A");
    for (std::size_t i = 0; i < placed.size(); ++i)
        EXPECT_TRUE(second.slot(placed[i]) == expected[i]) << "slot " << placed[i];
    // Shown on their pages at the same places: page 0 is shown after the read.
    auto visible = [&](std::size_t s) {
        return second.dialog.previewMain(s)->isVisibleTo(&second.dialog);
    };
    EXPECT_TRUE(visible(cmb));
    EXPECT_TRUE(visible(ints));
    EXPECT_FALSE(visible(str));
    EXPECT_EQ(second.dialog.previewMain(ints)->geometry(), shownAt[1]);
    EXPECT_EQ(second.child<QLineEdit>("partCount")->text(),
              QStringLiteral("10"));  // empty page 5, Cmb 3, Int 2
    second.page(1);
    EXPECT_TRUE(visible(str));
    EXPECT_TRUE(visible(btn));
    EXPECT_FALSE(visible(ints));
    EXPECT_EQ(second.dialog.previewMain(str)->geometry(), shownAt[2]);
    EXPECT_EQ(second.dialog.previewMain(btn)->geometry(), shownAt[3]);

    // An attribute database of design A, as the handheld returns it with three records.
    const std::string attr = dir.file("survey.pdb");
    answerDesignDialog(chooser, attr, QStringLiteral("Survey"), QString());
    second.press("saveButton");
    ASSERT_TRUE(prompter.calls().empty()) << prompter.texts().front();
    {
        pdb::PdbImage image;
        ASSERT_TRUE(pdb::LoadDatabase(image, attr).ok());
        image.attrRecs.assign(4, pdb::AttrRec{});
        for (int i = 0; i < 3; ++i) {
            image.attrRecs[i].ID = 500 + i;
            image.attrRecs[i].Cmb[0] = std::uint8_t(i + 1);
            image.attrRecs[i].Int[1] = -40 * i;
            editor::setFieldText(image.attrRecs[i].Str[0], sj(i ? "北区" : "南区"));
        }
        image.listHeader.iRecNum = 4;
        ASSERT_TRUE(pdb::WriteDatabase(image, attr).ok());
    }
    expectPalm(attr, {kDesignBytes, kAttrBytes, kAttrBytes, kAttrBytes});

    const std::string csv = dir.file("survey.csv");
    whenShown<AttributeConversionDialog>([&](AttributeConversionDialog* d) {
        pick(d->typeBox(), 1);
        chooser.answerNext(attr);
        click(d->inputButton());
        chooser.answerNext(csv);
        click(d->outputButton());
        click(d->okButton());
    });
    second.press("attrConvertButton");
    ASSERT_TRUE(prompter.calls().empty()) << prompter.texts().front();
    ASSERT_TRUE(testsupport::exists(csv));

    const std::string back = dir.file("survey2.pdb");
    whenShown<AttributeConversionDialog>([&](AttributeConversionDialog* d) {
        chooser.answerNext(csv);
        click(d->inputButton());
        chooser.answerNext(back);
        click(d->outputButton());
        chooser.answerNext(master);
        click(d->masterButton());
        EXPECT_EQ(itemsOf(d->codeBox()), std::vector<QString>{QStringLiteral("A")});
        retype(d->nameEdit(), QStringLiteral("家屋2"));
        click(d->okButton());
    });
    const editor::DispRec before = second.dialog.state().working;
    second.press("attrConvertButton");
    ASSERT_TRUE(prompter.calls().empty()) << prompter.texts().front();
    expectPalm(back, {kDesignBytes, kAttrBytes, kAttrBytes, kAttrBytes});
    EXPECT_EQ(testsupport::palmRead(back).name, sj("家屋2"));
    pdb::PdbImage original, converted;
    ASSERT_TRUE(pdb::LoadDatabase(original, attr).ok());
    ASSERT_TRUE(pdb::LoadDatabase(converted, back).ok());
    ASSERT_EQ(converted.heldAttrRecs(), 3u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(pdb::sameBytes(converted.attrRecs[i], original.attrRecs[i])) << i;
    EXPECT_TRUE(converted.designs[0] == original.designs[0]);
    // The conversion leaves the working design alone.
    EXPECT_TRUE(second.dialog.state().working == before);
}

// "JSON書出し" and "JSON読込": a design of a master to a JSON file, and from it into another
// master under another code; the record differs from the first only in its code.
TEST(EndToEnd, ADesignGoesToJsonAndBackThroughTheButtons) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
    const std::string master = dir.file("m.pdb"), other = dir.file("o.pdb");
    const std::string json = dir.file("b.json");
    writeMaster(master, {"A", "B"});
    Editor editor(prompter, chooser);

    whenShown<DatabaseFileDialog>([&](DatabaseFileDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("画面設計情報のJSON書出し"));
        chooser.answerNext(master);
        click(d->chooseButton());
        pick(d->codeBox(), 1);
        chooser.answerNext(json);  // the JSON file, chosen after this dialog
        click(d->okButton());
    });
    editor.press("exportJsonButton");
    ASSERT_TRUE(testsupport::exists(json));
    chooser.answerNext(json);
    answerDesignDialog(chooser, other, QStringLiteral("Default"), QString(),
                       "画面設計情報のJSON読込");
    editor.press("importJsonButton");  // not a master: refused
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"指定されたファイルはマスターPDBではありません。"});
    chooser.answerNext(json);
    answerDesignDialog(chooser, other, QStringLiteral("Master"), QStringLiteral("C"));
    editor.press("importJsonButton");
    EXPECT_EQ(codesOf(other), std::vector<std::string>{"C"});
    pdb::PdbImage from, to;
    ASSERT_TRUE(pdb::LoadDatabase(from, master).ok());
    ASSERT_TRUE(pdb::LoadDatabase(to, other).ok());
    editor::setFieldText(from.designs[1].code, "C");
    EXPECT_TRUE(to.designs[0] == from.designs[1]);
    // The JSON files went through save- and open-style choosers for *.json.
    ASSERT_EQ(chooser.requests().size(), 6u);
    EXPECT_EQ(chooser.requests()[1].filterPattern, "*.json");
    EXPECT_TRUE(chooser.requests()[1].save);
    EXPECT_EQ(chooser.requests()[4].filterPattern, "*.json");
    EXPECT_FALSE(chooser.requests()[4].save);
}

// The same read-then-save through the window's buttons and through lorvex-cli store
// writes the same database and report, byte for byte, after the same messages: from
// the fresh editor, and after reading designs whose fixed objects were moved away or
// whose page 0 is over-full.
TEST(EndToEnd, TheWindowAndLorvexCliStoreTheSameFiles) {
    struct Case {
        const char* name;
        std::function<void(editor::DispRec&)> source;  // none: the fresh editor saves
        int exitCode;  // 3 where the read shows a message on the way
    };
    const Case cases[] = {
        {"fresh editor", nullptr, 0},
        {"fixed objects moved",
         [](editor::DispRec& d) {
             d.slots[0].labelX = 50;
             d.slots[1].pageNumber = 3;
             d.slots[216].labelY = 100;
         },
         0},
        {"page 0 over-full",
         [](editor::DispRec& d) {
             for (std::size_t s = 2; s < 18; ++s) d.slots[s].pageNumber = 0;
         },
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        platform::ScriptedPrompter prompter;
        platform::ScriptedFileChooser chooser;
        const std::string source = dir.file("source.pdb");
        QStringList arguments{QStringLiteral("store")};
        if (c.source) {
            editor::DispRec d = design("S");
            c.source(d);
            writeDesignDatabase(source, "Master", {d});
            arguments << QStringLiteral("--from") << QString::fromStdString(source)
                      << QStringLiteral("--from-code") << QStringLiteral("S");
        }
        {
            Editor window(prompter, chooser);
            if (c.source) {
                answerDesignDialog(chooser, source, QStringLiteral("Master"), QStringLiteral("S"),
                                   lorvex::kReadCaption);
                window.press("readButton");
            }
            answerDesignDialog(chooser, dir.file("gui.pdb"), QStringLiteral("Master"),
                               QStringLiteral("A"));
            window.press("saveButton");
        }
        std::string messages;
        for (const auto& call : prompter.calls())
            messages +=
                std::string("[") + platform::iconName(call.icon) + "] : " + call.text + "\n";

        QProcess cli;
        cli.start(QStringLiteral(LORVEX_CLI_PATH),
                  arguments << QStringLiteral("--to") << QString::fromStdString(dir.file("cli.pdb"))
                            << QStringLiteral("--name") << QStringLiteral("Master")
                            << QStringLiteral("--code") << QStringLiteral("A"));
        ASSERT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), c.exitCode);
        EXPECT_EQ(cli.readAllStandardError().toStdString(), messages);
        EXPECT_EQ(testsupport::readBytes(dir.file("cli.pdb")),
                  testsupport::readBytes(dir.file("gui.pdb")));
        EXPECT_EQ(testsupport::readBytes(dir.file("cli.txt")),
                  testsupport::readBytes(dir.file("gui.txt")));
    }
}

}  // namespace
