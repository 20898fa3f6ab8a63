// The editing model of the editor dialog: fields, placement, page limits, arrows, mouse.
#include "editor/model/editing_model.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace editor {
namespace {

// Dialog client point of a screen point.
constexpr int cx(int x) {
    return 225 + x;
}
constexpr int cy(int y) {
    return 110 + y;
}

class EditingModelTest : public ::testing::Test {
  protected:
    EditingModelTest() : model(state, prompter) { model.start(); }

    // Places the current object on the current page with the check box.
    void place() { model.setShown(true); }

    void choose(ObjectKind kind, int number) {
        model.selectKind(kind);
        model.selectNumber(number);
    }

    // What the current object stores: label X, label Y, object Y offset, width, height.
    using Geometry = std::array<int, 5>;
    Geometry geometry() const {
        const ObjectSlot& s = current();
        return {s.labelX, s.labelY, s.objectY, static_cast<std::int16_t>(s.objectWidth),
                static_cast<std::int16_t>(s.objectHeight)};
    }

    // Types geometry into the fields and applies them, as "更 新" does.
    Geometry typeGeometry(const std::string& x, const std::string& y, const std::string& lw,
                          int direction, const std::string& offset, const std::string& w,
                          const std::string& h) {
        FieldValues f = model.view().fields;
        f.labelX = x;
        f.labelY = y;
        f.labelWidth = lw;
        f.direction = direction;
        f.offset = offset;
        f.width = w;
        f.height = h;
        model.applyFields(f);
        return geometry();
    }

    // One pointer step with the left button held, at a screen point.
    Geometry dragTo(int x, int y) {
        model.dragStep(cx(x), cy(y), true);
        return geometry();
    }

    const ObjectSlot& current() const { return model.currentSlot(); }

    EditorState state;
    platform::ScriptedPrompter prompter;
    EditingModel model;
};

TEST_F(EditingModelTest, FreshEditorShowsTheFixedObjectsOnPageZero) {
    EXPECT_EQ(model.currentKind(), ObjectKind::Cmb);
    EXPECT_EQ(model.currentPage(), 0);
    ASSERT_EQ(model.numberEntries().size(), 50u);
    EXPECT_EQ(model.numberEntries().front(), "1");
    EXPECT_EQ(model.numberEntries().back(), "50");
    EXPECT_EQ(model.view().partCount, 5);  // ID 2 + search, update, close 1 each
    EXPECT_EQ(model.view().fields.pageTitle, "");

    const std::pair<ScreenRect, const char*> fixed[] = {{{85, 32, 75, 25}, "ID番号"},
                                                        {{170, 32, 75, 25}, "検 索"},
                                                        {{155, 285, 70, 25}, "更 新"},
                                                        {{235, 285, 70, 25}, "閉じる"}};
    std::vector<PreviewItem> items = model.previewItems(0);
    ASSERT_EQ(items.size(), 4u);
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].main, fixed[i].first) << i;
        EXPECT_EQ(items[i].text, platform::toCp932(fixed[i].second)) << i;
    }
    // Only the ID field has a label; its box sits at (10 + 75, 35 - 3).
    EXPECT_EQ(items[0].kind, ObjectKind::IdNumber);
    EXPECT_EQ(items[0].label, (ScreenRect{10, 35, 75, 20}));
    EXPECT_EQ(items[1].kind, ObjectKind::SearchButton);
    EXPECT_FALSE(items[1].label.has_value());
}

TEST_F(EditingModelTest, PreviewItemsFollowTheObjectFields) {
    choose(ObjectKind::Int, 2);
    place();
    typeGeometry("30", "100", "0", 0, "5", "60", "30");  // label width 0
    PreviewItem item = model.previewItem(ObjectKind::Int, 2, 0);
    EXPECT_EQ(item.slot, 54u);
    ASSERT_TRUE(item.label.has_value());
    EXPECT_EQ(*item.label, (ScreenRect{30, 100, 0, 20}));
    EXPECT_EQ(item.main, (ScreenRect{30, 105, 60, 30}));
    EXPECT_EQ(item.text, "Int[3]");

    // A state-transition button has no label control; it lists on its own page only.
    model.selectPage(4);
    choose(ObjectKind::Btn, 6);
    place();
    item = model.previewItem(ObjectKind::Btn, 6, 4);
    EXPECT_EQ(item.slot, 122u + 8 * 4 + 6);
    EXPECT_FALSE(item.label.has_value());
    EXPECT_EQ(item.text, "Btn[4][6]");
    std::vector<PreviewItem> page4 = model.previewItems(4);
    ASSERT_EQ(page4.size(), 5u);
    EXPECT_EQ(page4[0].kind, ObjectKind::Btn);
    // Page 0 keeps Int 3 and its own update and close buttons; the ID field and the
    // search button went along to page 4.
    EXPECT_EQ(model.previewItems(0).size(), 3u);
}

TEST_F(EditingModelTest, NumberListFollowsKindAndFirstDesignOfTheImage) {
    model.selectKind(ObjectKind::Btn);
    ASSERT_EQ(model.numberEntries().size(), 8u);
    EXPECT_EQ(model.numberEntries().front(), "0");
    EXPECT_EQ(model.numberEntries().back(), "7");
    model.selectKind(ObjectKind::Str);
    EXPECT_EQ(model.numberEntries().size(), 10u);
    model.selectNumber(9);
    EXPECT_EQ(model.currentNumber(), 9);
    model.selectNumber(10);  // outside the list: ignored
    EXPECT_EQ(model.currentNumber(), 9);

    state.image.designs[0].counts[0] = 3;
    model.selectKind(ObjectKind::Cmb);
    EXPECT_EQ(model.numberEntries(), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(model.currentNumber(), 0);
}

TEST_F(EditingModelTest, EnabledFieldsFollowKindAndPlacement) {
    // Not placed: only the check box and the number selector.
    CurrentObjectView v = model.view();
    EXPECT_EQ(v.pageNumber, -1);
    EXPECT_FALSE(v.shown);
    EXPECT_TRUE(v.enables.show);
    EXPECT_TRUE(v.enables.numberSelector);
    EXPECT_FALSE(v.enables.anyAttribute());

    place();  // Cmb: no height, no restriction
    v = model.view();
    EXPECT_TRUE(v.shown);
    EXPECT_EQ(v.pageNumber, 0);
    EXPECT_TRUE(v.enables.items && v.enables.itemCount && v.enables.labelWidth);
    EXPECT_FALSE(v.enables.height);
    EXPECT_FALSE(v.enables.inputRestriction);

    choose(ObjectKind::Int, 0);
    place();
    v = model.view();
    EXPECT_TRUE(v.enables.height && v.enables.offset && v.enables.direction);
    EXPECT_FALSE(v.enables.items || v.enables.itemCount || v.enables.inputRestriction);
    EXPECT_TRUE(v.fields.inputRestriction);

    choose(ObjectKind::Str, 0);
    place();
    EXPECT_TRUE(model.view().enables.inputRestriction);

    choose(ObjectKind::Label, 0);
    place();
    v = model.view();
    EXPECT_TRUE(v.enables.labelText && v.enables.width && v.enables.height);
    EXPECT_FALSE(v.enables.labelWidth || v.enables.direction || v.enables.offset ||
                 v.enables.inputRestriction || v.enables.items);
}

TEST_F(EditingModelTest, ObjectOnAnotherPageIsAllDisabledAndShowsItsPage) {
    model.selectPage(2);
    choose(ObjectKind::Real, 4);
    place();
    model.selectPage(5);
    CurrentObjectView v = model.view();
    EXPECT_EQ(v.pageNumber, 2);
    EXPECT_FALSE(v.shown);
    EXPECT_FALSE(v.enables.show);
    EXPECT_FALSE(v.enables.anyAttribute());
    EXPECT_TRUE(v.enables.numberSelector);

    // Applying the fields changes only the title and modal flag of page 5.
    ObjectSlot before = current();
    FieldValues f = v.fields;
    f.pageTitle = platform::toCp932("五頁");
    f.centring = true;
    f.labelX = "100";
    model.applyFields(f);
    EXPECT_EQ(current(), before);
    EXPECT_EQ(fieldText(state.working.titles[5]), platform::toCp932("五頁"));
    EXPECT_EQ(state.working.modalFlags[5], 1);
    // The check box cannot take it off page 2 from here.
    model.setShown(false);
    EXPECT_EQ(current().pageNumber, 2);
}

TEST_F(EditingModelTest, GeometryIsStoredOnlyInsideTheScreenRules) {
    choose(ObjectKind::Label, 0);  // no label width
    place();
    EXPECT_EQ(typeGeometry("5", "100", "0", 0, "0", "75", "25"), (Geometry{5, 100, 0, 75, 25}));
    // Left 4: all six kept.
    EXPECT_EQ(typeGeometry("4", "120", "0", 0, "0", "75", "25"), (Geometry{5, 100, 0, 75, 25}));

    choose(ObjectKind::Int, 0);
    place();
    // Right edge = X + label width + width: 100 + 75 + 139 = 314 is inside, 315 is not.
    const Geometry w139{100, 100, 3, 139, 25};
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "139", "25"), w139);
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "140", "25"), w139);
    // Sizes below 20 are refused even where they would fit.
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "19", "25"), w139);
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "20", "25"),
              (Geometry{100, 100, 3, 20, 25}));
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "20", "19"),
              (Geometry{100, 100, 3, 20, 25}));
    const Geometry w20h20{100, 100, 3, 20, 20};
    EXPECT_EQ(typeGeometry("100", "100", "75", 0, "3", "20", "20"), w20h20);
    // Bottom: label height 20 counts too. Y 295 + 20 = 315 is out, 294 + 20 = 314 is in.
    EXPECT_EQ(typeGeometry("100", "295", "75", 0, "0", "20", "20"), w20h20);
    EXPECT_EQ(typeGeometry("100", "294", "75", 0, "0", "20", "20"),
              (Geometry{100, 294, 0, 20, 20}));
    // Empty fields read 0, which fails the left and size rules.
    EXPECT_EQ(typeGeometry("", "", "", 0, "", "", ""), (Geometry{100, 294, 0, 20, 20}));
}

TEST_F(EditingModelTest, DirectionGivesTheSignOfTheOffset) {
    choose(ObjectKind::Str, 0);
    place();
    // "上方向": 10 below the label.
    EXPECT_EQ(typeGeometry("20", "100", "75", 0, "10", "75", "25"),
              (Geometry{20, 100, 10, 75, 25}));
    EXPECT_EQ(model.previewItem(ObjectKind::Str, 0, 0).main.y, 110);
    EXPECT_EQ(model.view().fields.direction, 0);
    EXPECT_EQ(model.view().fields.offset, "10");

    // "下方向": 10 above.
    const Geometry above{20, 100, -10, 75, 25};
    EXPECT_EQ(typeGeometry("20", "100", "75", 1, "10", "75", "25"), above);
    EXPECT_EQ(model.previewItem(ObjectKind::Str, 0, 0).main.y, 90);
    EXPECT_EQ(model.view().fields.direction, 1);
    EXPECT_EQ(model.view().fields.offset, "10");

    // The top test uses Y - 10: Y 39 gives top 29 (refused), Y 40 gives 30.
    EXPECT_EQ(typeGeometry("20", "39", "75", 1, "10", "75", "25"), above);
    EXPECT_EQ(typeGeometry("20", "40", "75", 1, "10", "75", "25"), (Geometry{20, 40, -10, 75, 25}));
    // No offset has no direction: it shows as "上方向".
    EXPECT_EQ(typeGeometry("20", "40", "75", 1, "0", "75", "25"), (Geometry{20, 40, 0, 75, 25}));
    EXPECT_EQ(model.view().fields.direction, 0);
}

TEST_F(EditingModelTest, TextsAreCutToTheirByteLimitsWithoutSplittingCharacters) {
    place();
    FieldValues f = model.view().fields;
    std::string kanji15 = platform::toCp932("一二三四五六七八九十一二三四五");  // 30 bytes
    f.labelText = kanji15 + "ab";
    f.pageTitle = kanji15 + platform::toCp932("六");  // 32 bytes
    f.items = std::string(130, 'x');
    f.itemCount = "300";
    model.applyFields(f);
    EXPECT_EQ(fieldText(current().labelText), kanji15 + "a");
    EXPECT_EQ(fieldText(state.working.titles[0]), kanji15);
    EXPECT_EQ(fieldText(current().items), std::string(127, 'x'));
    EXPECT_EQ(current().itemCount, 300 - 256);
}

TEST_F(EditingModelTest, LeadingNumberReadsDigitsUntilTheFirstOther) {
    EXPECT_EQ(leadingNumber(""), 0);
    EXPECT_EQ(leadingNumber("12ab3"), 12);
    EXPECT_EQ(leadingNumber("-3"), -3);  // a stored negative label width shown again
    EXPECT_EQ(leadingNumber("x5"), 0);
    EXPECT_EQ(leadingNumber(std::string(40, '9')), 1000000000LL);
}

TEST_F(EditingModelTest, StateTransitionButtonCannotLeadToItsOwnPage) {
    model.selectPage(3);
    model.selectKind(ObjectKind::Btn);
    for (int target = 0; target < 8; ++target) {
        model.selectNumber(target);
        place();
        if (target == 3) {
            EXPECT_FALSE(model.view().enables.show);
            EXPECT_EQ(current().pageNumber, kNotPlaced);
        } else {
            EXPECT_TRUE(model.view().shown) << target;
            EXPECT_EQ(state.working.slots[122 + 8 * 3 + target].pageNumber, 3);
        }
    }
    EXPECT_EQ(model.view().partCount, 5 + 7);
}

struct LimitCase {
    ObjectKind kind;
    int allowed;
    int weight;
};

class PageLimitTest : public EditingModelTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(PageLimitTest, OneObjectOverTheLimitIsRefusedWithTheMessage) {
    const LimitCase c = GetParam();
    model.selectKind(c.kind);
    for (int n = 0; n < c.allowed; ++n) {
        model.selectNumber(n);
        place();
        ASSERT_TRUE(model.view().shown) << n;
    }
    const int full = 5 + c.allowed * c.weight;
    EXPECT_EQ(model.view().partCount, full);
    EXPECT_TRUE(prompter.calls().empty());

    // The dialog is refreshed while the object is still placed, before the message.
    bool placedAtRefresh = false;
    model.setRefreshHook([&] { placedAtRefresh = model.currentSlot().pageNumber == 0; });
    model.selectNumber(c.allowed);
    place();
    EXPECT_TRUE(placedAtRefresh);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].text, "オブジェクトのパーツ数が多すぎます。");
    EXPECT_EQ(prompter.calls()[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(current().pageNumber, kNotPlaced);
    EXPECT_FALSE(model.view().shown);
    EXPECT_EQ(model.view().partCount, full);
}

INSTANTIATE_TEST_SUITE_P(Kinds, PageLimitTest,
                         ::testing::Values(LimitCase{ObjectKind::Cmb, 15, 3},
                                           LimitCase{ObjectKind::Int, 6, 2},
                                           LimitCase{ObjectKind::Real, 6, 2},
                                           LimitCase{ObjectKind::Str, 7, 2},
                                           LimitCase{ObjectKind::Label, 4, 1}));

TEST_F(EditingModelTest, EveryVisitedPageCountsFiveAndGetsTheFixedObjects) {
    // A title typed on page 0 is applied when the field loses the focus, before the
    // page selector changes the page.
    FieldValues f = model.view().fields;
    f.pageTitle = platform::toCp932("入力画面");
    model.applyFields(f);
    for (int p = 0; p < 8; ++p) {
        model.selectPage(p);
        EXPECT_EQ(model.view().partCount, 5) << p;
        EXPECT_EQ(state.working.slots[216 + p].pageNumber, p);
        EXPECT_EQ(state.working.slots[224 + p].labelY, 285);
    }
    // The ID field and search button follow the shown page.
    EXPECT_EQ(state.working.slots[0].pageNumber, 7);
    EXPECT_EQ(state.working.slots[1].pageNumber, 7);
    // A fixed object moved away comes back to its place.
    state.working.slots[1].labelX = 30;
    model.selectPage(2);
    EXPECT_EQ(state.working.slots[1].labelX, 170);
    EXPECT_EQ(fieldText(state.working.titles[0]), platform::toCp932("入力画面"));
    EXPECT_EQ(model.view().fields.pageTitle, "");
}

TEST_F(EditingModelTest, PageOverWeightFromAFileLosesOnlyAnObjectOnThatPage) {
    // 64 state-transition buttons and 15 selection lists on page 1: 64 + 45 + 5 = 114.
    for (int s = 122; s < 186; ++s) state.working.slots[std::size_t(s)].pageNumber = 1;
    for (int s = 2; s < 17; ++s) state.working.slots[std::size_t(s)].pageNumber = 1;

    // The current object (Int 1) is not on page 1: nothing is taken off.
    choose(ObjectKind::Int, 0);
    model.selectPage(1);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(model.partCount(1), 114);
    EXPECT_EQ(current().pageNumber, kNotPlaced);

    // The current object on the page is taken off and its weight subtracted.
    choose(ObjectKind::Cmb, 2);
    model.selectPage(1);
    EXPECT_EQ(prompter.calls().size(), 2u);
    EXPECT_EQ(current().pageNumber, kNotPlaced);
    EXPECT_EQ(model.partCount(1), 111);
    EXPECT_EQ(state.working.slots[2].pageNumber, 1);
}

// A read followed by a save, as the window's buttons and lorvex-cli store both run it
// through the model: page 0 is laid out again after the read, so the stored design
// has the ID field, search button and page 0's update and close buttons on page 0 at
// their places (the buttons at their stored heights), and page 0's limits hold.
TEST_F(EditingModelTest, AReadLaysPageZeroOutAgainForTheSave) {
    struct Case {
        const char* name;
        std::function<void(DispRec&)> source;  // none: the fresh editor saves
        bool overFull;
    };
    const Case cases[] = {
        {"fresh editor", nullptr, false},
        {"fixed objects moved off their places",
         [](DispRec& d) {
             d.slots[0].labelX = 50;
             d.slots[0].pageNumber = kNotPlaced;
             d.slots[1].pageNumber = 3;
             d.slots[1].labelY = 200;
             d.slots[216].labelX = 20;
             d.slots[224].pageNumber = kNotPlaced;
         },
         false},
        // Sixteen selection lists on page 0, the current object (Cmb[1]) among them.
        {"page 0 over-full",
         [](DispRec& d) {
             for (std::size_t s = 2; s < 18; ++s) d.slots[s].pageNumber = 0;
         },
         true},
    };
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        model.start();
        prompter.clear();
        if (c.source) {
            pdb::PdbImage source;
            pdb::MakeNewImage(source);
            pdb::setDatabaseName(source.header, "Master");
            source.designs[0] = freshWorkingDesign();
            setFieldText(source.designs[0].code, "S");
            c.source(source.designs[0]);
            ASSERT_TRUE(pdb::WriteDatabase(source, dir.file("src.pdb")).ok());
            EXPECT_EQ(model.read({dir.file("src.pdb"), "Master", "S"}), CommandResult::Done)
                << c.name;
        }
        ASSERT_EQ(SaveCommand(state, {dir.file("m.pdb"), "Master", "A"}, prompter),
                  CommandResult::Done)
            << c.name;

        // The page numbers of the four fixed objects in the file (slot s of record 0 at
        // 80 + 8 + 306 + 176 s).
        const testsupport::Bytes b = testsupport::readBytes(dir.file("m.pdb"));
        for (std::size_t at : {394u, 570u, 38410u, 39818u})
            EXPECT_EQ(b.at(at), 0) << c.name << ", byte " << at;
        pdb::PdbImage saved;
        ASSERT_TRUE(pdb::LoadDatabase(saved, dir.file("m.pdb")).ok());
        const DispRec& d = saved.designs[0];
        const std::pair<std::size_t, std::array<int, 2>> places[] = {
            {0, {10, 35}}, {1, {170, 35}}, {216, {155, 288}}, {224, {235, 288}}};
        for (const auto& [slot, place] : places)
            EXPECT_EQ((std::array<int, 2>{d.slots[slot].labelX, d.slots[slot].labelY}), place)
                << c.name << " slot " << slot;
        // Over-full: the message, and the current object taken off the page.
        EXPECT_EQ(prompter.texts(), c.overFull ? std::vector<std::string>{kTooManyPartsMessage}
                                               : std::vector<std::string>{})
            << c.name;
        if (c.overFull) {
            EXPECT_EQ(d.slots[2].pageNumber, kNotPlaced);
            EXPECT_EQ(d.slots[3].pageNumber, 0);
        }
    }
}

TEST_F(EditingModelTest, NudgeStopsAtTheScreenEdges) {
    choose(ObjectKind::Label, 0);
    EXPECT_FALSE(model.nudge(-1, 0, NudgeMode::Move));  // not shown: nothing
    place();
    typeGeometry("6", "288", "0", 0, "0", "75", "25");
    EXPECT_TRUE(model.nudge(-1, 0, NudgeMode::Move));
    EXPECT_EQ(current().labelX, 5);
    EXPECT_FALSE(model.nudge(-1, 0, NudgeMode::Move));
    EXPECT_EQ(current().labelX, 5);
    EXPECT_TRUE(model.nudge(0, 1, NudgeMode::Move));  // bottom 288 + 25 = 313 → 314
    EXPECT_EQ(current().labelY, 289);
    EXPECT_FALSE(model.nudge(0, 1, NudgeMode::Move));
    EXPECT_EQ(current().labelY, 289);

    // Right edge: 314 - 75 = 239 is the last X.
    typeGeometry("239", "100", "0", 0, "0", "75", "25");
    EXPECT_FALSE(model.nudge(1, 0, NudgeMode::Move));
    EXPECT_TRUE(model.nudge(0, -1, NudgeMode::Move));
    // Top: 30.
    typeGeometry("100", "30", "0", 0, "0", "75", "25");
    EXPECT_FALSE(model.nudge(0, -1, NudgeMode::Move));
    EXPECT_EQ(current().labelY, 30);
    // Resizing stops at the same edge: the right edge 313 grows to 314 and no further.
    typeGeometry("238", "100", "0", 0, "0", "75", "25");
    EXPECT_TRUE(model.nudge(1, 0, NudgeMode::Resize));
    EXPECT_FALSE(model.nudge(1, 0, NudgeMode::Resize));
    EXPECT_EQ(current().objectWidth, 76);
}

// Int 1 at its defaults on page 0: label (20, 270), object offset (75, -3), 75 × 25.
// Bounds 20..170 × 267..292; corner (170, 292) at client (395, 402).
class DragTest : public EditingModelTest {
  protected:
    DragTest() {
        choose(ObjectKind::Int, 0);
        place();
    }
};

TEST_F(DragTest, BodyDragMovesAndFollowsThePointerFromWhereItStopped) {
    model.click(cx(80), cy(280), model.view().fields);
    EXPECT_EQ(model.currentKind(), ObjectKind::Int);
    DragOutcome o = model.dragStep(cx(90), cy(275), true);
    EXPECT_EQ(o.pointer, PointerShape::Move);
    EXPECT_TRUE(model.moveDragActive());
    EXPECT_EQ(geometry(), (Geometry{30, 265, -3, 75, 25}));

    // Out of the region 230..540 × 140..425: ignored, anchor kept.
    o = model.dragStep(600, cy(275), true);
    EXPECT_FALSE(o.changed);
    EXPECT_EQ(model.anchorX(), cx(90));
    // Back in: the whole distance from the last anchor.
    const Geometry back{40, 275, -3, 75, 25};
    EXPECT_EQ(dragTo(100, 285), back);

    // Against the bottom edge the object stops but the anchor follows the pointer.
    EXPECT_EQ(dragTo(100, 310), back);  // bottom would be 297 + 25
    EXPECT_EQ(model.anchorY(), cy(310));
    EXPECT_EQ(dragTo(100, 300), (Geometry{40, 265, -3, 75, 25}));
    // The region's left edge 230 is in it: there too the anchor follows the pointer.
    model.dragStep(230, cy(300), true);
    EXPECT_EQ(model.anchorX(), 230);

    // A movement without the button clears the flag; release redraws nothing new.
    model.dragStep(cx(300), cy(200), false);
    EXPECT_FALSE(model.moveDragActive());
    EXPECT_TRUE(model.release());
}

TEST_F(DragTest, CornerDragResizesAndSmallSizesAreRepairedOnTheNextMoveOrRelease) {
    model.click(cx(170), cy(292), model.view().fields);
    DragOutcome o = model.dragStep(cx(171), cy(292), true);
    EXPECT_EQ(o.pointer, PointerShape::Resize);
    EXPECT_TRUE(model.resizeDragActive());
    EXPECT_EQ(geometry(), (Geometry{20, 270, -3, 76, 25}));
    EXPECT_EQ(dragTo(175, 295), (Geometry{20, 270, -3, 80, 28}));

    // Down to width 10: kept for one step, then repaired to 20 without resizing.
    EXPECT_EQ(dragTo(105, 295), (Geometry{20, 270, -3, 10, 28}));
    o = model.dragStep(cx(95), cy(299), true);
    EXPECT_TRUE(o.changed);
    const Geometry repaired{20, 270, -3, 20, 28};
    EXPECT_EQ(geometry(), repaired);
    EXPECT_EQ(model.anchorX(), cx(105));

    // One step below zero is repaired the same way.
    EXPECT_EQ(dragTo(65, 295), (Geometry{20, 270, -3, -20, 28}));  // 20 - 40
    EXPECT_EQ(dragTo(66, 295), repaired);
    // The corner stops before the screen's right edge (control right < 315).
    EXPECT_EQ(dragTo(315, 295), repaired);

    // Release repairs a size left below 20 too.
    EXPECT_EQ(dragTo(309, 295), (Geometry{20, 270, -3, 14, 28}));  // the anchor followed to 315
    EXPECT_TRUE(model.release());
    EXPECT_EQ(geometry(), repaired);

    // A selection list keeps its height.
    choose(ObjectKind::Cmb, 0);
    place();
    model.click(cx(170), cy(292), model.view().fields);
    ASSERT_EQ(model.currentKind(), ObjectKind::Cmb);
    EXPECT_EQ(dragTo(175, 297), (Geometry{20, 270, -3, 80, 25}));
}

TEST_F(DragTest, ClickSelectsByBoundsAndKeepsSelectionElsewhere) {
    choose(ObjectKind::Label, 2);
    place();  // Label 3 at 20..95 × 270..295, over Int 1
    choose(ObjectKind::Str, 1);
    place();
    typeGeometry("20", "100", "75", 0, "0", "75", "25");  // Str 2 at 20..170 × 100..125

    choose(ObjectKind::Cmb, 4);
    model.click(cx(100), cy(110), model.view().fields);
    EXPECT_EQ(model.currentKind(), ObjectKind::Str);
    EXPECT_EQ(model.currentNumber(), 1);
    EXPECT_TRUE(model.view().shown);
    EXPECT_EQ(model.numberEntries().size(), 10u);

    // Overlap: the higher kind wins.
    model.click(cx(50), cy(280), model.view().fields);
    EXPECT_EQ(model.currentKind(), ObjectKind::Label);
    EXPECT_EQ(model.currentNumber(), 2);
    // Strict bounds: the label's right edge 95 is outside.
    model.click(cx(95), cy(280), model.view().fields);
    EXPECT_EQ(model.currentKind(), ObjectKind::Int);

    // Empty preview, the ID field and the search button keep the selection.
    model.click(cx(250), cy(200), model.view().fields);
    model.click(cx(50), cy(40), model.view().fields);
    model.click(cx(200), cy(40), model.view().fields);
    EXPECT_EQ(model.currentKind(), ObjectKind::Int);
    EXPECT_EQ(model.currentNumber(), 0);
    EXPECT_EQ(model.anchorX(), cx(200));

    // A click first applies the fields to the object selected so far.
    FieldValues f = model.view().fields;
    f.labelText = platform::toCp932("面積");
    f.labelX = "30";
    model.click(cx(300), cy(200), f);
    EXPECT_EQ(fieldText(current().labelText), platform::toCp932("面積"));
    EXPECT_EQ(current().labelX, 30);
}

}  // namespace
}  // namespace editor
