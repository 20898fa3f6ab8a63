#pragma once
// The editing model behind the editor dialog: the current object chosen by the type,
// number and page selectors, the attribute fields shown for it and written back from
// them, placing objects on pages with the per-page part limits, the arrow nudge, and
// the mouse click, drag and release on the preview. Widget-free: the dialog reads the
// field values and enabled states from here and hands user input back.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/model/commands.h"
#include "editor/model/design_change.h"
#include "editor/model/editor_state.h"
#include "editor/model/kinds.h"
#include "platform/prompter.h"

namespace editor {

// Where screen point (0, 0) of the 320 × 320 design area lies in the dialog.
constexpr int kPreviewOriginX = 225;
constexpr int kPreviewOriginY = 110;
constexpr int kPreviewSize = 320;
// Height of an object's label in the preview.
constexpr int kLabelHeight = 20;
// Objects keep left >= 5, top >= 30, right < 315 and bottom < 315.
constexpr int kScreenMinLeft = 5;
constexpr int kScreenMinTop = 30;
constexpr int kScreenLimit = 315;
constexpr int kMinObjectSize = 20;

constexpr const char* kTooManyPartsMessage = "オブジェクトのパーツ数が多すぎます。";

// Text of the attribute fields and the state of the check boxes, as the dialog shows them.
struct FieldValues {
    std::string pageTitle;  // Shift-JIS
    std::string labelText;  // Shift-JIS
    std::string items;      // Shift-JIS, CR LF between items
    // Digits as typed; an empty field reads 0.
    std::string labelX, labelY, labelWidth, offset, width, height, itemCount;
    int direction = 0;  // 0 "上方向" (positive offset), 1 "下方向" (negative)
    bool centring = false;
    bool inputRestriction = false;
};

// Which controls of the object and attribute groups the user can use.
struct FieldEnables {
    bool numberSelector = true;
    bool show = true;  // "表示"
    bool labelText = true, pageNumber = true, labelX = true, labelY = true, width = true,
         height = true, labelWidth = true, direction = true, offset = true, items = true,
         itemCount = true, inputRestriction = true;
    bool anyAttribute() const;
};

// Everything RefreshCurrentObject puts into the dialog's fields.
struct CurrentObjectView {
    FieldValues fields;
    int pageNumber = -1;  // "ページ番号": -1 when not placed
    int partCount = 0;    // "部品数" of the current page
    bool shown = false;   // "表示" checked
    FieldEnables enables;
};

// Rectangle in screen units of the design area.
struct ScreenRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The controls one placed object shows in the preview.
struct PreviewItem {
    ObjectKind kind = ObjectKind::Cmb;
    int number = 0;
    int page = 0;
    std::size_t slot = 0;
    std::optional<ScreenRect> label;  // Cmb, Int, Real, Str and IdNumber have a label control
    ScreenRect main;
    std::string text;  // Shift-JIS: shown in the label control, or in the main control without one
};

// ObjectBounds: the box an object and its label cover, and the main control's corner.
struct ObjectBounds {
    int left = 0, top = 0, right = 0, bottom = 0;
    int controlRight = 0, controlBottom = 0;
};
ObjectBounds boundsOf(const ObjectSlot& slot);

enum class NudgeMode { Move, Resize };
enum class PointerShape { Arrow, Move, Resize };

// What a pointer movement over the dialog did.
struct DragOutcome {
    PointerShape pointer = PointerShape::Arrow;
    bool changed = false;  // the object was moved, resized or repaired
};

// The object and page the selectors show.
struct Selection {
    ObjectKind kind = ObjectKind::Cmb;
    int number = 0;
    int page = 0;
    friend bool operator==(const Selection&, const Selection&) = default;
};

// A change to the working design with the selections shown before and after it, so an
// undo or redo can show the object it concerns.
struct RecordedChange {
    DesignChange change;
    Selection before, after;
};

// Leading decimal digits of a field's text; empty or no digits reads 0. Saturates far
// above any value a field can take, so long input never overflows.
long long leadingNumber(const std::string& text);

class EditingModel {
  public:
    EditingModel(EditorState& state, platform::Prompter& prompter);

    // Called between the placement of an over-full object and the message about it,
    // so the dialog can show the page as it is at that moment.
    void setRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }

    // ResetEditor, then kind Cmb, number 0, page 0, RelayoutPage.
    void start();

    EditorState& state() { return state_; }
    const DispRec& working() const { return state_.working; }

    // --- selectors ---
    ObjectKind currentKind() const { return kind_; }
    int currentNumber() const { return number_; }
    int currentPage() const { return page_; }
    // Entries of the number selector for the current kind (FillNumberList).
    const std::vector<std::string>& numberEntries() const { return numberEntries_; }

    // Type selector changed: FillNumberList (number 0).
    void selectKind(ObjectKind kind);
    // Number selector changed; an index outside the list leaves the number as it was.
    void selectNumber(int index);
    // Page selector changed: RelayoutPage.
    void selectPage(int page);

    Selection selection() const { return {kind_, number_, page_}; }
    // Shows a selection again without changing the design (undo and redo): the number
    // list of its kind and the part count of its page.
    void restoreSelection(const Selection& selection);

    // --- change recording ---
    // What changed in the working design since the last takeChange() or resetRecording(),
    // with the selections at both moments; the design as it stands is then the recorded one.
    RecordedChange takeChange();
    // The working design as it stands becomes the recorded one, with no change reported
    // (after a read, an undo or a redo).
    void resetRecording();

    // --- the current object ---
    // LocateObject: the slot of an object of the working design.
    ObjectSlot& locate(ObjectKind kind, int number, int page);
    const ObjectSlot& locate(ObjectKind kind, int number, int page) const;
    const ObjectSlot& currentSlot() const { return locate(kind_, number_, page_); }
    std::size_t currentSlotIndex() const;

    // RefreshCurrentObject: the field values and enabled states.
    CurrentObjectView view() const;
    // ApplyFields: page title, modal flag, texts and, if it fits the screen, geometry.
    void applyFields(const FieldValues& fields);
    // Check box "表示": place the current object on the current page or take it off,
    // then RelayoutPage. Ignored while the check box is disabled.
    void setShown(bool checked);
    // RelayoutPage: fixed objects reset on the current page, part count and limits.
    void relayoutPage();
    // "読 込" once the database-file dialog has returned: ReadCommand, then RelayoutPage
    // of the current page whether or not a design was found, so the fixed objects are
    // back at their places and the page limits hold. The window and lorvex-cli both
    // read through here, so the same read gives the same design to save.
    // designRead (when given) tells whether a design was copied in: the read succeeded
    // and, for a master database, a design carries the code.
    CommandResult read(const DesignTarget& target, bool* designRead = nullptr);
    int partCount(int page) const { return partCounts_.at(std::size_t(page)); }

    // --- preview ---
    // The placed objects of the page in preview order, and one object's controls.
    std::vector<PreviewItem> previewItems(int page) const;
    PreviewItem previewItem(ObjectKind kind, int number, int page) const;

    // --- arrows and mouse ---
    // NudgeObject on the current object; false when it did not change.
    bool nudge(int dx, int dy, NudgeMode mode);
    // SelectObjectAt a dialog client point; true when a selectable object was hit.
    bool selectObjectAt(int x, int y);
    // Left button pressed at a client point; fields are the dialog's current edits.
    void click(int x, int y, const FieldValues& fields);
    // Pointer moved to a client point; leftOnly: left button down, no other button or key.
    DragOutcome dragStep(int x, int y, bool leftOnly);
    // Left button released; true when the current object is placed on the current page.
    bool release();

    bool moveDragActive() const { return moveDragActive_; }
    bool resizeDragActive() const { return resizeDragActive_; }
    int anchorX() const { return anchorX_; }
    int anchorY() const { return anchorY_; }

  private:
    int capacityOf(ObjectKind kind) const;
    void fillNumberList();
    bool showChecked() const;
    FieldEnables enablesFor(const ObjectSlot& slot) const;
    bool pageOverFull() const;
    void countPage();
    bool repairSmallSize(ObjectSlot& slot);

    EditorState& state_;
    platform::Prompter& prompter_;
    std::function<void()> refreshHook_;
    ObjectKind kind_ = ObjectKind::Cmb;
    int number_ = 0;
    int page_ = 0;
    std::vector<std::string> numberEntries_;
    std::array<int, kPageCount> partCounts_{};
    std::array<int, kKindCount> kindCounts_{};  // per-kind counters of the last count
    int anchorX_ = 0, anchorY_ = 0;
    bool moveDragActive_ = false;
    bool resizeDragActive_ = false;
    DispRec recorded_;
    Selection recordedSelection_;
};

}  // namespace editor
