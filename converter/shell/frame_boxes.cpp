#include "converter/shell/frame_boxes.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <cmath>

namespace vornik {
namespace {

constexpr std::array<const char*, 2> kCorners = {"図枠左上", "図枠右下"};
constexpr std::array<const char*, 2> kAxes = {"北緯", "東経"};
constexpr std::array<const char*, 3> kUnits = {"度", "分", "1/10秒"};

QString tr8(const char* s) {
    return QString::fromUtf8(s);
}

}  // namespace

QString frameBoxCaption(std::size_t index) {
    return tr8(kCorners[index / 6]) + tr8("の") + tr8(kAxes[(index / 3) % 2]) + tr8("（") +
           tr8(kUnits[index % 3]) + tr8("）");
}

std::optional<double> parseFrameValue(const QString& text) {
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    const QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (!number.match(plain).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return value;
}

QString frameValueProblem(std::size_t index, const QString& text) {
    const QString box =
        tr8("「") + frameBoxCaption(index) + tr8("」(") + tr8(kFrameBoxNames[index]) + tr8(")");
    const QString hint = tr8("\n-32768 から 32767 までの数値を入力して下さい。");
    const QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    if (plain.isEmpty())
        return box + tr8(" が入力されていません！") + hint;
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)$"));
    if (!number.match(plain).hasMatch())
        return box + tr8(" の「") + text + tr8("」は数値ではありません！") + hint;
    return box + tr8(" の「") + text + tr8("」は範囲外です！") + hint;
}

FrameBoxes::FrameBoxes(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    int row = 0;
    for (std::size_t corner = 0; corner < 2; ++corner) {
        grid->addWidget(
            new QLabel(tr8(corner == 0 ? "図枠左上の緯度と経度：" : "図枠右下の緯度と経度："),
                       this),
            row++, 0, 1, 7);
        for (std::size_t axis = 0; axis < 2; ++axis) {
            auto* axisLabel = new QLabel(tr8(kAxes[axis]) + tr8("："), this);
            axisLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grid->addWidget(axisLabel, row, 0);
            for (std::size_t unit = 0; unit < 3; ++unit) {
                const std::size_t index = corner * 6 + axis * 3 + unit;
                auto* edit = new QLineEdit(QStringLiteral("0"), this);
                edit->setObjectName(tr8(kFrameBoxNames[index]));
                edit->setAccessibleName(frameBoxCaption(index));
                edit->setAlignment(Qt::AlignRight);
                edit->setFixedWidth(unit == 2 ? 64 : 48);
                boxes_[index] = edit;
                grid->addWidget(edit, row, int(1 + unit * 2));
                grid->addWidget(new QLabel(tr8(kUnits[unit]), this), row, int(2 + unit * 2));
            }
            ++row;
        }
    }
    grid->setColumnMinimumWidth(0, 48);
    grid->setColumnStretch(7, 1);
    auto* note = new QLabel(tr8("[ 注意!!! 秒は0.1秒単位で指定　12.3秒は123と入力 ]"), this);
    grid->addWidget(note, row, 0, 1, 8);
}

FrameBoxes::Reading FrameBoxes::read() const {
    Reading reading;
    for (std::size_t i = 0; i < boxes_.size(); ++i) {
        auto value = parseFrameValue(boxes_[i]->text());
        if (!value) {
            reading.badBox = i;
            return reading;
        }
        reading.values[i] = *value;
    }
    return reading;
}

}  // namespace vornik
