#pragma once
// Prompter shown as Qt message boxes.
#include <QString>

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

}  // namespace platform
