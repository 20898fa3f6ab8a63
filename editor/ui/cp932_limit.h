#pragma once
// Text limits of the editor's fields, counted in Shift-JIS (CP932) bytes as the records
// store them. Characters without a CP932 code are refused, never replaced.
#include <QPlainTextEdit>
#include <QString>
#include <QValidator>
#include <optional>

namespace lorvex {

// Bytes the text takes in a record, or nothing with the first character that has no
// CP932 code. With crlf, a line break counts as the two bytes CR LF it is stored as.
struct Cp932Measure {
    bool ok = true;
    std::size_t bytes = 0;
    QString badCharacter;
};
Cp932Measure measureCp932(const QString& text, bool crlf = false);

// The message shown when a character cannot be typed into a field.
QString refusedCharacterMessage(const QString& field, const QString& character);

// Validator of a one-line field: at most maxBytes CP932 bytes.
class Cp932LimitValidator : public QValidator {
    Q_OBJECT
  public:
    Cp932LimitValidator(std::size_t maxBytes, QObject* parent);
    State validate(QString& input, int& pos) const override;

  Q_SIGNALS:
    // A character without a CP932 code was refused.
    void refused(const QString& character) const;

  private:
    std::size_t maxBytes_;
};

// Keeps a multi-line edit within maxBytes CP932 bytes (line breaks count 2): an edit
// that would go over, or that brings a character without a CP932 code, is undone.
class Cp932PlainTextLimit : public QObject {
    Q_OBJECT
  public:
    Cp932PlainTextLimit(QPlainTextEdit* edit, std::size_t maxBytes);
    // Sets the text without checking it (text shown from the record).
    void setText(const QString& text);

  Q_SIGNALS:
    void refused(const QString& character);

  private:
    void check();
    QPlainTextEdit* edit_;
    std::size_t maxBytes_;
    QString lastGood_;
    bool restoring_ = false;
};

}  // namespace lorvex
