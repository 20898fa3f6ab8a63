#include "converter/shell/form_parts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "converter/shell/frame_boxes.h"
#include "ui/remembered_places.h"

namespace vornik {

PathRow addPathRow(QWidget* form, QVBoxLayout* layout, const QString& caption,
                   const QString& boxName, const QString& buttonName) {
    PathRow row;
    layout->addWidget(new QLabel(caption, form));
    row.box = new QLineEdit(form);
    row.box->setObjectName(boxName);
    row.box->setAccessibleName(caption);
    row.box->setMinimumWidth(360);
    row.button = new QPushButton(QStringLiteral(".."), form);
    row.button->setObjectName(buttonName);
    row.button->setFixedWidth(32);
    row.button->setAutoDefault(false);
    auto* line = new QHBoxLayout;
    line->addWidget(row.box, 1);
    line->addWidget(row.button);
    layout->addLayout(line);
    return row;
}

CreateCloseRow addCreateCloseRow(QWidget* form, QVBoxLayout* layout, const QString& createName) {
    CreateCloseRow row;
    row.create = new QPushButton(QString::fromUtf8("作成"), form);
    row.create->setObjectName(createName);
    row.close = new QPushButton(QString::fromUtf8("閉じる"), form);
    row.close->setObjectName(QString::fromUtf8("閉じるボタン"));
    row.create->setAutoDefault(false);
    row.create->setDefault(true);
    row.close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(row.create);
    buttons->addWidget(row.close);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    return row;
}

QString pickerStart(const QLineEdit* box, const QString& place) {
    const QString typed = box->text().trimmed();
    if (QFileInfo(typed).isDir())
        return typed;
    const QString last = kwibui::rememberedFile(place);
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : typed;
}

void rememberBox(const QLineEdit* box, const QString& place) {
    kwibui::rememberFile(place, box->text().trimmed());
}

bool checkFrameBoxes(const FrameBoxes& frame, platform::Prompter& prompter) {
    const FrameBoxes::Reading reading = frame.read();
    if (!reading.badBox)
        return true;
    QLineEdit* box = frame.box(*reading.badBox);
    prompter.show(frameValueProblem(*reading.badBox, box->text()).toStdString(), "",
                  platform::Icon::Critical, platform::Buttons::Ok);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
}

}  // namespace vornik
