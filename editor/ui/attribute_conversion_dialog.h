#pragma once
// AttributeConversionDialog ("属性データ変換"): chooses the direction of an attribute
// conversion and its files (input, output and, for CSV → attribute database, the master
// database with the design and the name of the new database), then hands them to the
// attribute conversion command. Files are looked into through a temporary image; the
// editor's image changes only when the command runs.
#include <QDialog>

#include "editor/attrconv/attr_conversion.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace lorvex {

class AttributeConversionDialog : public QDialog {
    Q_OBJECT
  public:
    AttributeConversionDialog(platform::Prompter& prompter, platform::FileChooser& chooser,
                              QWidget* parent = nullptr);

    // What the dialog hands back after OK.
    editor::AttributeConversion conversion() const { return conversion_; }

    QComboBox* typeBox() const { return type_; }
    QLineEdit* inputEdit() const { return input_; }
    QLineEdit* outputEdit() const { return output_; }
    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* masterEdit() const { return master_; }
    QComboBox* codeBox() const { return code_; }
    QPushButton* inputButton() const { return chooseInput_; }
    QPushButton* outputButton() const { return chooseOutput_; }
    QPushButton* masterButton() const { return chooseMaster_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  public Q_SLOTS:
    void chooseInput();
    void chooseOutput();
    void chooseMaster();
    void accept() override;

  private:
    editor::ConversionType type() const;
    void onTypeChanged();
    void onNameChanged(const QString& text);
    void applyOkRule();
    // The database name as Shift-JIS when it may name the new database.
    std::optional<std::string> acceptableName() const;
    void message(const std::string& text);

    platform::Prompter& prompter_;
    platform::FileChooser& chooser_;
    editor::AttributeConversion conversion_;

    QComboBox* type_ = nullptr;
    QLineEdit* input_ = nullptr;
    QPushButton* chooseInput_ = nullptr;
    QLineEdit* output_ = nullptr;
    QPushButton* chooseOutput_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLineEdit* master_ = nullptr;
    QPushButton* chooseMaster_ = nullptr;
    QComboBox* code_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The editor's "属性ﾃﾞｰﾀ変換" button: the dialog, then the conversion on the editor's
// image. The working design is not touched.
editor::CommandResult runAttributeConversion(editor::EditorState& state,
                                             platform::Prompter& prompter,
                                             platform::FileChooser& chooser,
                                             QWidget* parent = nullptr);

}  // namespace lorvex
