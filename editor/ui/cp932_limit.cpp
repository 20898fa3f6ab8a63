#include "editor/ui/cp932_limit.h"

#include <QSignalBlocker>
#include <QTextCursor>

#include "platform/cp932.h"

namespace lorvex {

Cp932Measure measureCp932(const QString& text, bool crlf) {
    QByteArray utf8 = text.toUtf8();
    platform::TextConversion c =
        platform::utf8ToCp932(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    Cp932Measure m;
    if (!c.ok) {
        m.ok = false;
        m.badCharacter = QString::fromUtf8(c.badCharacter.data(), qsizetype(c.badCharacter.size()));
        return m;
    }
    m.bytes = c.text.size();
    if (crlf)
        m.bytes += std::size_t(text.count(QLatin1Char('\n')));
    return m;
}

QString refusedCharacterMessage(const QString& field, const QString& character) {
    return QStringLiteral("「%1」に入力できない文字です: 「%2」はShift-JISで表せません。")
        .arg(field, character);
}

Cp932LimitValidator::Cp932LimitValidator(std::size_t maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State Cp932LimitValidator::validate(QString& input, int&) const {
    Cp932Measure m = measureCp932(input);
    if (!m.ok) {
        Q_EMIT refused(m.badCharacter);
        return Invalid;
    }
    return m.bytes <= maxBytes_ ? Acceptable : Invalid;
}

Cp932PlainTextLimit::Cp932PlainTextLimit(QPlainTextEdit* edit, std::size_t maxBytes)
    : QObject(edit), edit_(edit), maxBytes_(maxBytes) {
    connect(edit_, &QPlainTextEdit::textChanged, this, &Cp932PlainTextLimit::check);
}

void Cp932PlainTextLimit::setText(const QString& text) {
    QSignalBlocker block(edit_);
    edit_->setPlainText(text);
    lastGood_ = text;
}

void Cp932PlainTextLimit::check() {
    if (restoring_)
        return;
    QString text = edit_->toPlainText();
    Cp932Measure m = measureCp932(text, true);
    if (m.ok && m.bytes <= maxBytes_) {
        lastGood_ = text;
        return;
    }
    // Undo the edit, keeping the cursor where the refused input began.
    int position =
        std::max(0, int(edit_->textCursor().position() - (text.size() - lastGood_.size())));
    restoring_ = true;
    {
        QSignalBlocker block(edit_);
        edit_->setPlainText(lastGood_);
        QTextCursor cursor = edit_->textCursor();
        cursor.setPosition(std::min(position, int(lastGood_.size())));
        edit_->setTextCursor(cursor);
    }
    restoring_ = false;
    if (!m.ok)
        Q_EMIT refused(m.badCharacter);
}

}  // namespace lorvex
