#pragma once
// Pieces the two settings forms share: a captioned path box with its ".." button, and
// the check of the frame boxes before a run.
#include <QString>

#include "platform/prompter.h"

class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace vornik {

class FrameBoxes;

struct PathRow {
    QLineEdit* box = nullptr;
    QPushButton* button = nullptr;
};

// Adds "caption" above a path box named boxName and its ".." button named buttonName.
PathRow addPathRow(QWidget* form, QVBoxLayout* layout, const QString& caption,
                   const QString& boxName, const QString& buttonName);

struct CreateCloseRow {
    QPushButton* create = nullptr;
    QPushButton* close = nullptr;
};

// Adds the right-aligned "作成" (named createName) and "閉じる" buttons below the form.
// Neither is a default button, so Enter in a box runs nothing.
CreateCloseRow addCreateCloseRow(QWidget* form, QVBoxLayout* layout, const QString& createName);

// True when every frame box holds a value. Otherwise shows which box is wrong and puts
// the focus on it, its text selected, so it can be typed over.
bool checkFrameBoxes(const FrameBoxes& frame, platform::Prompter& prompter);

}  // namespace vornik
