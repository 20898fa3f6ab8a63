#pragma once
// AboutDialog: the small version box of Lorvex.
#include <QDialog>

namespace lorvex {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace lorvex
