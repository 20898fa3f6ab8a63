#pragma once
// The georeferencing row of both settings forms: the zone of the plane rectangular
// coordinate system (1 to 19, or none chosen), its datum, for Digital Map 2500 sheets the
// unit of the sheet's extent, and "図枠を計算", which fills the frame boxes with the frame
// computed from the input's extent and shows how it was computed. The boxes stay editable;
// before a run, confirmTypedFrame compares what they hold with the computed frame.
#include <QGroupBox>
#include <array>
#include <functional>
#include <optional>

#include "converter/sheetframe/sheet_frame.h"
#include "platform/prompter.h"

class QComboBox;
class QPushButton;

namespace vornik {

class FrameBoxes;

class GeorefBox : public QGroupBox {
    Q_OBJECT
  public:
    // input gives the form's input path (the sheet folder or the DM file) when it is needed.
    GeorefBox(sheetframe::InputKind kind, FrameBoxes* frame, platform::Prompter& prompter,
              std::function<QString()> input, QWidget* parent);

    QComboBox* zoneList() const { return zone_; }
    QComboBox* datumList() const { return datum_; }
    QComboBox* unitList() const { return unit_; }  // nullptr on the DM form
    QPushButton* computeButton() const { return compute_; }

    std::optional<int> zone() const;
    void setZone(std::optional<int> zone);
    georef::Datum datum() const;
    std::optional<georef::ExtentUnit> unit() const;  // none: judged from the extent
    sheetframe::InputKind kind() const { return kind_; }

    // Puts the row's controls in the focus chain between previous and next, in the order
    // they are shown (the row is made after the frame boxes it fills).
    void placeInTabOrder(QWidget* previous, QWidget* next);

    // A DM file was chosen or typed: chooses the zone its name, or else its sheet name,
    // gives ("09LD351.dm" → 9); leaves the choice as it is when neither gives one.
    void preselectZone(const QString& dmPath);

    // "図枠を計算": true when the boxes were filled.
    bool computeFrame();

    // Before a run: with a zone chosen and values typed (not all 0), a value more than 1
    // second from the computed frame is named in a warning (OK goes on, Cancel does not);
    // a frame that cannot be computed is reported and the run does not start.
    bool confirmTypedFrame(const std::array<double, 12>& typed);

  private:
    // The computed frame, a note on where the zone came from, or nothing after a message.
    std::optional<georef::SheetFrame> computed(std::string& note);
    void error(const std::string& text);

    sheetframe::InputKind kind_;
    FrameBoxes* frame_;
    platform::Prompter& prompter_;
    std::function<QString()> input_;
    QComboBox* zone_;
    QComboBox* datum_;
    QComboBox* unit_ = nullptr;
    QPushButton* compute_;
};

// The frame of each input of a batch: the typed values for every input when any was typed;
// otherwise each input's own frame, computed in the box's system when its zone is known
// (chosen, or named by a DM file). Copied into the batch's threads: it holds no widget.
struct BatchFrame {
    std::array<double, 12> typed{};
    bool anyTyped = false;
    sheetframe::InputKind kind = sheetframe::InputKind::DmFile;
    std::optional<int> zone;
    georef::Datum datum{};
    std::optional<georef::ExtentUnit> unit;

    std::optional<std::array<double, 12>> of(const std::string& input,
                                             platform::Prompter& prompter) const;
};
BatchFrame batchFrame(const std::array<double, 12>& typed, const GeorefBox& box);

}  // namespace vornik
