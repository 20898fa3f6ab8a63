#pragma once
// DatabaseFileDialog: asks the read, save and delete commands for a database file, a
// database name and an identification code. Choosing a file looks into it through a
// temporary image (peekDatabase): its database name is selected and, for a master
// database, its identification codes are offered.
#include <QDialog>
#include <string>

#include "editor/model/commands.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lorvex {

// Captions the commands give the dialog.
inline constexpr const char* kSaveCaption = "画面設計情報レコードへの書込み";
inline constexpr const char* kReadCaption = "画面設計情報レコードの読込";
inline constexpr const char* kDeleteCaption = "画面設計情報レコードの削除";

using editor::kNameFieldBytes;

class DatabaseFileDialog : public QDialog {
    Q_OBJECT
  public:
    DatabaseFileDialog(const QString& caption, platform::Prompter& prompter,
                       platform::FileChooser& chooser, QWidget* parent = nullptr);

    // What the dialog hands back after OK: the path (UTF-8), the database name and the
    // identification code (Shift-JIS).
    editor::DesignTarget target() const { return target_; }

    QLineEdit* pathEdit() const { return path_; }
    QPushButton* chooseButton() const { return choose_; }
    QComboBox* nameBox() const { return name_; }
    QComboBox* codeBox() const { return code_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  public Q_SLOTS:
    // "選 択": chooses the file and takes its database name.
    void chooseFile();
    void accept() override;

  private:
    void applyNameRule(const QString& name);
    void selectDatabaseName(const std::string& name);
    void onNameChosen(int index);
    void onNameTyped(const QString& text);
    void onCodeChosen(int index);
    void onCodeTyped(const QString& text);
    // The Shift-JIS text of a field, or nothing after showing why it cannot be taken.
    std::optional<std::string> checkedText(const QString& text, const char* tooLongMessage,
                                           const QString& fieldName);
    std::string comboText(const QComboBox* box) const;
    std::string pathText() const;
    void message(const std::string& text);

    platform::Prompter& prompter_;
    platform::FileChooser& chooser_;
    editor::DesignTarget target_;

    QLineEdit* path_ = nullptr;
    QPushButton* choose_ = nullptr;
    QComboBox* name_ = nullptr;
    QComboBox* code_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Text of a record shown in a control: Shift-JIS bytes as UTF-8, undecodable bytes marked.
QString displayText(const std::string& sjis);

}  // namespace lorvex
