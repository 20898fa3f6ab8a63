#include "editor/ui/database_file_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/database_peek.h"
#include "editor/ui/lorvex_file_dialog.h"
#include "editor/ui/lorvex_help.h"
#include "platform/cp932.h"

namespace lorvex {
namespace {

const QString kMaster = QStringLiteral("Master");

// Raw Shift-JIS bytes of a list item, kept beside its shown text.
constexpr int kRawRole = Qt::UserRole + 1;

QByteArray rawBytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

QString displayText(const std::string& sjis) {
    platform::TextConversion utf8 = platform::cp932ToUtf8(sjis);
    QString shown = QString::fromStdString(utf8.text);
    if (!utf8.ok)
        shown += QChar(0xFFFD);
    return shown;
}

DatabaseFileDialog::DatabaseFileDialog(const QString& caption, platform::Prompter& prompter,
                                       platform::FileChooser& chooser, QWidget* parent)
    : QDialog(parent), prompter_(prompter), chooser_(chooser) {
    setObjectName(QStringLiteral("DatabaseFileDialog"));
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("pathEdit"));
    path_->setReadOnly(true);
    path_->setMinimumWidth(300);
    choose_ = new QPushButton(QStringLiteral("選 択"), this);
    choose_->setObjectName(QStringLiteral("chooseButton"));
    choose_->setAutoDefault(false);

    name_ = new QComboBox(this);
    name_->setObjectName(QStringLiteral("nameBox"));
    name_->setEditable(true);
    name_->setCompleter(nullptr);  // typed text stays as typed
    name_->setInsertPolicy(QComboBox::NoInsert);
    name_->addItem(QStringLiteral("Default"));
    name_->setItemData(0, rawBytes("Default"), kRawRole);
    name_->addItem(kMaster);
    name_->setItemData(1, rawBytes("Master"), kRawRole);
    name_->setCurrentIndex(-1);
    name_->setEditText(QString());

    code_ = new QComboBox(this);
    code_->setObjectName(QStringLiteral("codeBox"));
    code_->setEditable(true);
    code_->setCompleter(nullptr);
    code_->setInsertPolicy(QComboBox::NoInsert);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("okButton"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("ファイル名"), this), 0, 0);
    grid->addWidget(path_, 0, 1);
    grid->addWidget(choose_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ名"), this), 1, 0);
    grid->addWidget(name_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("識別コード"), this), 2, 0);
    grid->addWidget(code_, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Before a file is chosen there is nothing to name or accept.
    ok_->setEnabled(false);
    name_->setEnabled(false);
    code_->setEnabled(false);

    auto* help = new QAction(this);
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, [this] { showLorvexHelp(this, "database-file"); });
    addAction(help);

    connect(choose_, &QPushButton::clicked, this, &DatabaseFileDialog::chooseFile);
    connect(ok_, &QPushButton::clicked, this, &DatabaseFileDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(name_, &QComboBox::activated, this, &DatabaseFileDialog::onNameChosen);
    connect(name_->lineEdit(), &QLineEdit::textEdited, this, &DatabaseFileDialog::onNameTyped);
    connect(code_, &QComboBox::activated, this, &DatabaseFileDialog::onCodeChosen);
    connect(code_->lineEdit(), &QLineEdit::textEdited, this, &DatabaseFileDialog::onCodeTyped);
}

void DatabaseFileDialog::message(const std::string& text) {
    prompter_.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

std::string DatabaseFileDialog::pathText() const {
    return path_->text().toStdString();
}

void DatabaseFileDialog::chooseFile() {
    std::optional<std::string> chosen =
        chooser_.choose(fileRequest(FileKind::Pdb, true, {}, "lorvex/database"));
    if (!chosen)
        return;
    path_->setText(QString::fromStdString(*chosen));
    name_->setEnabled(true);
    name_->setCurrentIndex(0);  // "Default"
    code_->setEnabled(false);
    ok_->setEnabled(true);
    DatabasePeek peek = peekDatabase(*chosen);
    if (peek.refused) {
        // Taken like a missing file, but the user learns why its name is not shown.
        message(peek.message);
    } else if (peek.exists) {
        selectDatabaseName(peek.name);
    }
    applyNameRule(name_->currentText());
}

// Selects the list item that is exactly the file's database name, adding it in sorted
// place when the list lacks it. Kinds go by the exact bytes of the name, so "master" or
// "Mas" must not show as "Master".
void DatabaseFileDialog::selectDatabaseName(const std::string& name) {
    if (name.empty()) {
        name_->setCurrentIndex(-1);
        name_->setEditText(QString());
        return;
    }
    QByteArray raw = rawBytes(name);
    int found = -1;
    for (int i = 0; i < name_->count() && found < 0; ++i)
        if (name_->itemData(i, kRawRole).toByteArray() == raw)
            found = i;
    if (found < 0) {
        QString shown = displayText(name);
        found = 0;
        while (found < name_->count() &&
               QString::compare(name_->itemText(found), shown, Qt::CaseInsensitive) <= 0)
            ++found;
        name_->insertItem(found, shown);
        name_->setItemData(found, raw, kRawRole);
    }
    name_->setCurrentIndex(found);
}

void DatabaseFileDialog::applyNameRule(const QString& name) {
    code_->clear();
    code_->setEditText(QString());
    if (name != kMaster) {
        code_->setEnabled(false);
        ok_->setEnabled(!name.isEmpty());
        return;
    }
    code_->setEnabled(true);
    ok_->setEnabled(false);  // no code yet
    DatabasePeek peek = peekDatabase(pathText());
    for (const std::string& code : peek.codes) {
        code_->addItem(displayText(code));
        code_->setItemData(code_->count() - 1, rawBytes(code), kRawRole);
    }
    code_->setCurrentIndex(-1);
    code_->setEditText(QString());
}

void DatabaseFileDialog::onNameChosen(int index) {
    if (index >= 0)
        applyNameRule(name_->itemText(index));
}

std::optional<std::string> DatabaseFileDialog::checkedText(const QString& text,
                                                           const char* tooLongMessage,
                                                           const QString& fieldName) {
    platform::TextConversion sjis = platform::utf8ToCp932(text.toStdString());
    if (!sjis.ok) {
        message(QStringLiteral("「%1」に入力できない文字です: 「%2」はShift-JISで表せません。")
                    .arg(fieldName, QString::fromStdString(sjis.badCharacter))
                    .toStdString());
        return std::nullopt;
    }
    if (sjis.text.size() >= kNameFieldBytes) {
        message(tooLongMessage);
        return std::nullopt;
    }
    return sjis.text;
}

void DatabaseFileDialog::onNameTyped(const QString& text) {
    std::optional<std::string> name =
        checkedText(text, editor::kNameTooLongMessage, QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ名"));
    if (!name) {
        ok_->setEnabled(false);
        return;
    }
    applyNameRule(text);
    // A typed name may be accepted without a code, also "Master"; an empty name names no
    // database at all.
    ok_->setEnabled(!name->empty());
}

void DatabaseFileDialog::onCodeChosen(int index) {
    ok_->setEnabled(index >= 0 && !code_->itemText(index).isEmpty());
}

void DatabaseFileDialog::onCodeTyped(const QString& text) {
    std::optional<std::string> code =
        checkedText(text, editor::kCodeTooLongMessage, QStringLiteral("識別コード"));
    ok_->setEnabled(code && !code->empty());
}

// The Shift-JIS text of an editable list: the stored bytes of the chosen item when the
// text is still that item's, else the typed text.
std::string DatabaseFileDialog::comboText(const QComboBox* box) const {
    QString text = box->currentText();
    int index = box->currentIndex();
    if (index >= 0 && box->itemText(index) == text) {
        QByteArray raw = box->itemData(index, kRawRole).toByteArray();
        if (!raw.isNull())
            return raw.toStdString();
    }
    return platform::toCp932(text.toStdString());
}

void DatabaseFileDialog::accept() {
    if (!ok_->isEnabled())
        return;
    target_.path = pathText();
    target_.databaseName = comboText(name_);
    target_.code = code_->isEnabled() ? comboText(code_) : std::string();
    QDialog::accept();
}

}  // namespace lorvex
