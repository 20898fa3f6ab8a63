#pragma once
// Prompter and FileChooser shown as Qt message boxes and file dialogs.
#include <QString>

#include "platform/file_chooser.h"
#include "platform/prompter.h"

class QWidget;

namespace platform {

class QtPrompter : public Prompter {
  public:
    // applicationTitle is used for boxes whose title is empty.
    QtPrompter(QWidget* parent, QString applicationTitle)
        : parent_(parent), applicationTitle_(std::move(applicationTitle)) {}
    Answer show(std::string_view text, std::string_view title, Icon icon, Buttons buttons) override;
    void setParent(QWidget* parent) { parent_ = parent; }

  private:
    QWidget* parent_;
    QString applicationTitle_;
};

class QtFileChooser : public FileChooser {
  public:
    explicit QtFileChooser(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> choose(const FileRequest& request) override;

  private:
    QWidget* parent_;
};

}  // namespace platform
