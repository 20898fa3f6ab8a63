#include "editor/ui/attribute_conversion_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/database_file_dialog.h"
#include "editor/ui/database_peek.h"
#include "editor/ui/lorvex_file_dialog.h"
#include "editor/ui/lorvex_help.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"

namespace lorvex {
namespace {

constexpr const char* kNotAttributeDatabase = "選択されたファイルが属性PDBファイルではありません。";
constexpr const char* kNotMasterDatabase =
    "選択されたファイルがマスターPDBファイルではありません。";

bool isEditorDatabaseName(const std::string& sjis) {
    return pdb::kindOfName(sjis) != pdb::DatabaseKind::Attribute;
}

}  // namespace

AttributeConversionDialog::AttributeConversionDialog(platform::Prompter& prompter,
                                                     platform::FileChooser& chooser,
                                                     QWidget* parent)
    : QDialog(parent), prompter_(prompter), chooser_(chooser) {
    setObjectName(QStringLiteral("AttributeConversionDialog"));
    setWindowTitle(QStringLiteral("属性データ変換"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto pathEdit = [this](const char* objectName) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(objectName));
        edit->setReadOnly(true);
        edit->setMinimumWidth(300);
        return edit;
    };
    auto chooseButton = [this](const char* objectName) {
        auto* button = new QPushButton(QStringLiteral("選 択"), this);
        button->setObjectName(QString::fromLatin1(objectName));
        button->setAutoDefault(false);
        return button;
    };

    type_ = new QComboBox(this);
    type_->setObjectName(QStringLiteral("typeBox"));
    type_->addItem(QStringLiteral("CSV → PDB"));
    type_->addItem(QStringLiteral("PDB → CSV"));
    input_ = pathEdit("inputEdit");
    chooseInput_ = chooseButton("inputButton");
    output_ = pathEdit("outputEdit");
    chooseOutput_ = chooseButton("outputButton");
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("nameEdit"));
    master_ = pathEdit("masterEdit");
    chooseMaster_ = chooseButton("masterButton");
    code_ = new QComboBox(this);
    code_->setObjectName(QStringLiteral("codeBox"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](const char* label, QWidget* field, QWidget* button) {
        grid->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
        grid->addWidget(field, row, 1);
        if (button)
            grid->addWidget(button, row, 2);
        ++row;
    };
    addRow("変換タイプ", type_, nullptr);
    addRow("入力ファイル名", input_, chooseInput_);
    addRow("出力ファイル名", output_, chooseOutput_);
    addRow("データベース名", name_, nullptr);
    addRow("ﾏｽﾀｰﾌｧｲﾙ名", master_, chooseMaster_);
    addRow("識別コード", code_, nullptr);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    type_->setCurrentIndex(int(editor::ConversionType::CsvToPdb));
    ok_->setEnabled(false);
    code_->setEnabled(false);

    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this,
            [this] { showLorvexHelp(this, "attribute-conversion"); });
    addAction(help);

    connect(type_, &QComboBox::currentIndexChanged, this,
            &AttributeConversionDialog::onTypeChanged);
    connect(chooseInput_, &QPushButton::clicked, this, &AttributeConversionDialog::chooseInput);
    connect(chooseOutput_, &QPushButton::clicked, this, &AttributeConversionDialog::chooseOutput);
    connect(chooseMaster_, &QPushButton::clicked, this, &AttributeConversionDialog::chooseMaster);
    connect(name_, &QLineEdit::textEdited, this, &AttributeConversionDialog::onNameChanged);
    connect(code_, &QComboBox::currentIndexChanged, this, &AttributeConversionDialog::applyOkRule);
    connect(ok_, &QPushButton::clicked, this, &AttributeConversionDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

editor::ConversionType AttributeConversionDialog::type() const {
    return type_->currentIndex() == int(editor::ConversionType::PdbToCsv)
               ? editor::ConversionType::PdbToCsv
               : editor::ConversionType::CsvToPdb;
}

void AttributeConversionDialog::message(const std::string& text) {
    prompter_.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

// The two paths depend on the direction; the master, the name and the code list do not.
void AttributeConversionDialog::onTypeChanged() {
    input_->clear();
    output_->clear();
    bool toPdb = type() == editor::ConversionType::CsvToPdb;
    name_->setEnabled(toPdb);
    chooseMaster_->setEnabled(toPdb);
    applyOkRule();
}

void AttributeConversionDialog::chooseInput() {
    bool fromPdb = type() == editor::ConversionType::PdbToCsv;
    std::optional<std::string> chosen =
        chooser_.choose(fileRequest(fromPdb ? FileKind::Pdb : FileKind::Csv, false, {},
                                    fromPdb ? "lorvex/attributeDatabase" : "lorvex/attributeCsv"));
    if (chosen) {
        input_->setText(QString::fromStdString(*chosen));
        if (fromPdb) {
            DatabasePeek peek = peekDatabase(*chosen);
            if (peek.refused) {
                message(peek.message);
                input_->clear();
            } else if (peek.exists && isEditorDatabaseName(peek.name)) {
                message(kNotAttributeDatabase);
                input_->clear();
            }
        }
    }
    applyOkRule();
}

void AttributeConversionDialog::chooseOutput() {
    bool toPdb = type() == editor::ConversionType::CsvToPdb;
    std::optional<std::string> chosen =
        chooser_.choose(fileRequest(toPdb ? FileKind::Pdb : FileKind::Csv, true, {},
                                    toPdb ? "lorvex/attributeDatabase" : "lorvex/attributeCsv"));
    if (chosen) {
        output_->setText(QString::fromStdString(*chosen));
        if (toPdb) {
            // A master or default database is never replaced by an attribute database.
            DatabasePeek peek = peekDatabase(*chosen);
            if (peek.exists && !peek.refused && isEditorDatabaseName(peek.name)) {
                message(kNotAttributeDatabase);
                output_->clear();
            }
        }
    }
    applyOkRule();
}

void AttributeConversionDialog::chooseMaster() {
    std::optional<std::string> chosen =
        chooser_.choose(fileRequest(FileKind::Pdb, false, {}, "lorvex/attributeMaster"));
    if (chosen) {
        master_->setText(QString::fromStdString(*chosen));
        DatabasePeek peek = peekDatabase(*chosen);
        if (peek.refused || pdb::kindOfName(peek.name) != pdb::DatabaseKind::Master ||
            !peek.exists) {
            code_->setEnabled(false);
            message(peek.refused ? peek.message : std::string(kNotMasterDatabase));
            master_->clear();
        } else {
            code_->blockSignals(true);
            code_->clear();
            for (const std::string& code : peek.codes) code_->addItem(displayText(code));
            code_->setCurrentIndex(code_->count() > 0 ? 0 : -1);
            code_->blockSignals(false);
            code_->setEnabled(true);
        }
    }
    applyOkRule();
}

std::optional<std::string> AttributeConversionDialog::acceptableName() const {
    platform::TextConversion sjis = platform::utf8ToCp932(name_->text().toStdString());
    if (!sjis.ok || sjis.text.empty() || sjis.text.size() >= kNameFieldBytes ||
        isEditorDatabaseName(sjis.text))
        return std::nullopt;
    return sjis.text;
}

void AttributeConversionDialog::onNameChanged(const QString& text) {
    platform::TextConversion sjis = platform::utf8ToCp932(text.toStdString());
    if (!sjis.ok) {
        message(QStringLiteral(
                    "「データベース名」に入力できない文字です: 「%1」はShift-JISで表せません。")
                    .arg(QString::fromStdString(sjis.badCharacter))
                    .toStdString());
    } else if (sjis.text.size() >= kNameFieldBytes) {
        message(editor::kNameTooLongMessage);
    } else if (isEditorDatabaseName(sjis.text)) {
        // The new database holds attribute records; under either of these names they
        // would be read as designs.
        message("データベース名「" + sjis.text +
                "」は属性PDBファイルには使えません。\nMaster と Default 以外の名前にして下さい。");
    }
    applyOkRule();
}

void AttributeConversionDialog::applyOkRule() {
    bool enable = !input_->text().isEmpty() && !output_->text().isEmpty();
    if (enable && type() == editor::ConversionType::CsvToPdb)
        enable = code_->isEnabled() && code_->currentIndex() >= 0 && !master_->text().isEmpty() &&
                 acceptableName().has_value();
    ok_->setEnabled(enable);
}

void AttributeConversionDialog::accept() {
    if (!ok_->isEnabled())
        return;
    conversion_ = {};
    conversion_.type = type();
    conversion_.inputPath = input_->text().toStdString();
    conversion_.outputPath = output_->text().toStdString();
    if (conversion_.type == editor::ConversionType::CsvToPdb) {
        conversion_.masterPath = master_->text().toStdString();
        conversion_.databaseName = acceptableName().value_or(std::string());
        conversion_.codeIndex = std::size_t(code_->currentIndex());
    }
    QDialog::accept();
}

editor::CommandResult runAttributeConversion(editor::EditorState& state,
                                             platform::Prompter& prompter,
                                             platform::FileChooser& chooser, QWidget* parent) {
    AttributeConversionDialog dialog(prompter, chooser, parent);
    if (dialog.exec() != QDialog::Accepted)
        return editor::CommandResult::Cancelled;
    return editor::AttributeConversionCommand(state, dialog.conversion(), prompter);
}

}  // namespace lorvex
