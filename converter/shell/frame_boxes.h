#pragma once
// The twelve map-frame boxes of the settings forms (top-left and bottom-right corner,
// latitude and longitude, each in degrees, minutes and tenths of seconds) and their check.
#include <QWidget>
#include <array>
#include <optional>

class QLineEdit;

namespace vornik {

// Box names in the order the conversions take the values.
inline constexpr std::array<const char*, 12> kFrameBoxNames = {
    "tLatDeg", "tLatMin", "tLatSec", "tLonDeg", "tLonMin", "tLonSec",
    "bLatDeg", "bLatMin", "bLatSec", "bLonDeg", "bLonMin", "bLonSec"};

// What a box holds, in words for messages: "図枠左上の北緯（度）".
QString frameBoxCaption(std::size_t index);

// The value of a box: a decimal number (blanks around it and full-width digits allowed)
// that rounds to a 16-bit integer. Nothing for an empty box, text that is not a number,
// or a number outside -32768 to 32767.
std::optional<double> parseFrameValue(const QString& text);

// The message for a box whose text parseFrameValue refuses; names the box.
QString frameValueProblem(std::size_t index, const QString& text);

class FrameBoxes : public QWidget {
    Q_OBJECT
  public:
    explicit FrameBoxes(QWidget* parent = nullptr);

    QLineEdit* box(std::size_t index) const { return boxes_[index]; }
    // The twelve values, or the index of the first box that does not hold one.
    struct Reading {
        std::array<double, 12> values{};
        std::optional<std::size_t> badBox;
    };
    Reading read() const;

  private:
    std::array<QLineEdit*, 12> boxes_{};
};

}  // namespace vornik
