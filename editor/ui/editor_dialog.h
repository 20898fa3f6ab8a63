#pragma once
// EditorDialog ("CKwibEditor"): the editor's one window. Its controls show the current
// object of the editing model and hand every user action back to it; the preview shows
// the current page with one or two disabled child controls per object, and the current
// object with an outline and a resize handle. Every change of the working design goes
// into an undo history; while it holds changes not saved, ending the editor asks first.
#include <QDialog>
#include <array>
#include <functional>
#include <memory>

#include "editor/model/editing_model.h"
#include "editor/model/editor_state.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QAction;
class QUndoStack;

namespace lorvex {

class Cp932PlainTextLimit;

// Maps the preview's font faces to the fonts installed here (IPA Gothic).
void installEditorFonts();

// Title of the editor's message boxes.
QString applicationTitle();

class EditorDialog : public QDialog {
    Q_OBJECT
  public:
    // Messages go to prompter, or to message boxes over the dialog when it is null.
    explicit EditorDialog(platform::Prompter* prompter = nullptr, QWidget* parent = nullptr);
    ~EditorDialog() override;

    editor::EditingModel& model() { return *model_; }
    QUndoStack* undoStack() const { return undoStack_; }
    // The working design differs from what was last read or saved.
    bool isModified() const;
    editor::EditorState& state() { return state_; }
    platform::Prompter& prompter() { return *prompter_; }

    // What "終 了" runs: ends the process at once with status 0 unless replaced.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // Lays out the current page and refreshes the fields after the working design was
    // changed from outside the dialog; the change goes into the undo history.
    void designReplaced();

    // The preview controls of an object slot (label control may be null), and the
    // two page-title fields.
    QWidget* previewLabel(std::size_t slot) const { return labelControls_.at(slot); }
    QWidget* previewMain(std::size_t slot) const { return mainControls_.at(slot); }
    QLabel* titleField(bool centred) const { return centred ? titleCentred_ : titleLeft_; }

    QAction* aboutAction() const { return aboutAction_; }
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }
    QAction* helpAction() const { return helpAction_; }
    // The preview area as a keyboard target: arrows nudge, Delete takes the object off.
    QWidget* previewSurface() const { return surface_; }

    // Files are chosen through chooser, or through the editor's file dialogs when it is
    // null. The commands use fileChooser().
    void setFileChooser(platform::FileChooser* chooser) { chooser_ = chooser; }
    platform::FileChooser& fileChooser();

  public Q_SLOTS:
    void showAbout();
    void showHelp();
    void undo();
    void redo();
    // Esc and the window's close button: asks first while changes are not saved.
    void reject() override;

  protected Q_SLOTS:
    // The four command buttons: read, save, delete and attribute conversion
    // (editor_dialog_commands.cpp).
    virtual void onReadClicked();
    virtual void onSaveClicked();
    virtual void onDeleteClicked();
    virtual void onAttrConvertClicked();
    // "JSON書出し" and "JSON読込": a design of a master database to and from a JSON file.
    virtual void onExportJsonClicked();
    virtual void onImportJsonClicked();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The save command as "保 存" runs it; a save that is done marks the design unchanged.
    editor::CommandResult saveDesign();
    // The question "変更を保存しますか？" while the design holds unsaved changes; true when
    // the work may be left (nothing unsaved, 破棄, or 保存 and the save was done).
    bool confirmLeavingChanges();
    // Fields typed but not yet written back are written now (before a command runs).
    void commitFieldEdits();
    // Puts what changed in the working design since the last record into the history.
    void recordChange(const char* text, int merge = -1);
    void restoreChange(const editor::DesignChange& change, bool forward,
                       const editor::Selection& selection);
    void nudgeByKey(int dx, int dy, int steps);
    void buildControls();
    void orderTabs();
    void buildPreviewControls();
    void applyFieldsNow();
    editor::FieldValues collectFields() const;
    void syncSelectors();
    // Selectors, preview and fields shown again for the working design as it stands.
    void showWorkingDesign();
    void refreshCurrentObject();
    void relayoutPreview();
    void layoutItem(const editor::PreviewItem& item, bool visible);
    void hidePreviewControls(std::size_t slot);
    void layoutTitleAndPageButtons();
    void showRefused(QWidget* field, const QString& fieldName, const QString& character);

    void onTypeChanged(int index);
    void onNumberChanged(int index);
    void onPageChanged(int index);
    void onShowClicked(bool checked);
    void onNudge(int dx, int dy);

    editor::EditorState state_;
    std::unique_ptr<platform::Prompter> ownPrompter_;
    platform::Prompter* prompter_ = nullptr;
    std::unique_ptr<platform::FileChooser> ownChooser_;
    platform::FileChooser* chooser_ = nullptr;
    std::unique_ptr<editor::EditingModel> model_;
    std::function<void()> exitHandler_;
    bool alive_ = false;
    bool refreshing_ = false;

    // Object selection.
    QComboBox* typeSelector_ = nullptr;
    QComboBox* numberSelector_ = nullptr;
    QCheckBox* showCheck_ = nullptr;
    // Attribute fields.
    QLineEdit* pageNumber_ = nullptr;
    QLineEdit* labelText_ = nullptr;
    QLineEdit* labelX_ = nullptr;
    QLineEdit* labelY_ = nullptr;
    QLineEdit* labelWidth_ = nullptr;
    QComboBox* direction_ = nullptr;
    QLineEdit* offset_ = nullptr;
    QLineEdit* width_ = nullptr;
    QLineEdit* height_ = nullptr;
    QPlainTextEdit* items_ = nullptr;
    Cp932PlainTextLimit* itemsLimit_ = nullptr;
    QLineEdit* itemCount_ = nullptr;
    QCheckBox* inputRestriction_ = nullptr;
    // Page settings.
    QComboBox* pageSelector_ = nullptr;
    QComboBox* resolution_ = nullptr;
    QLineEdit* partCount_ = nullptr;
    QLineEdit* pageTitle_ = nullptr;
    QCheckBox* centring_ = nullptr;

    QAction* aboutAction_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* helpAction_ = nullptr;
    QUndoStack* undoStack_ = nullptr;
    QWidget* surface_ = nullptr;

    // Preview.
    QFrame* previewFrame_ = nullptr;
    QLabel* titleCentred_ = nullptr;
    QLabel* titleLeft_ = nullptr;
    std::array<QWidget*, editor::kSlotCount> labelControls_{};
    std::array<QWidget*, editor::kSlotCount> mainControls_{};
    std::array<bool, editor::kSlotCount> shownSlots_{};
};

}  // namespace lorvex
