#pragma once
// Pieces the two settings forms share: a captioned path box with its ".." button, its
// folder picker and remembered place, and the check of the frame boxes before a run.
#include <QDialog>
#include <QLineEdit>
#include <QString>

#include "platform/prompter.h"

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
// "作成" is the default button: Enter in a box presses it.
CreateCloseRow addCreateCloseRow(QWidget* form, QVBoxLayout* layout, const QString& createName);

// The folder a picker for box opens at: the box's folder, else the folder last chosen for
// place (a remembered place, "vornik/dm-pdb"), else the box's text as it is.
QString pickerStart(const QLineEdit* box, const QString& place);
// Runs a folder picker (made with its start folder) and copies the folder chosen with
// "決定" into box, remembering it for place.
template <class Picker>
void pickFolder(QWidget* form, QLineEdit* box, const QString& place);
// Remembers the text of box, when it holds one, as the path last used for place.
void rememberBox(const QLineEdit* box, const QString& place);

// True when every frame box holds a value. Otherwise shows which box is wrong and puts
// the focus on it, its text selected, so it can be typed over.
bool checkFrameBoxes(const FrameBoxes& frame, platform::Prompter& prompter);

template <class Picker>
void pickFolder(QWidget* form, QLineEdit* box, const QString& place) {
    Picker picker(pickerStart(box, place), form);
    if (picker.exec() != QDialog::Accepted)
        return;
    box->setText(picker.chosenPath());
    rememberBox(box, place);
}

}  // namespace vornik
