#pragma once
// The two reading passes of the DM conversion over the file's bytes: the graphic pass
// (frame headers, line and area elements in device coordinates) and the attribute pass
// (one attribute record per area). Both decide what an element becomes by the same rules
// and place its points the same way, so the area serial numbers and boxes of the two
// databases agree.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/core/transform.h"
#include "converter/dm/dm_reader.h"
#include "platform/prompter.h"

namespace dm {

// Drawing style of a line or area element by its class code: 3001-3004 32, 2301-2306,
// 2309 and 2311-2315 80, 5101-5106 112, any other 0.
std::uint8_t styleCodeOf(int classCode);
// Class codes of building outlines, the elements that become areas when closed.
inline bool isAreaClass(int classCode) {
    return classCode >= 3001 && classCode <= 3004;
}

// The twelve frame values as stored: top-left latitude degrees, minutes, tenths of
// seconds, top-left longitude, bottom-right latitude, bottom-right longitude.
using FrameValues = std::array<std::int16_t, 12>;

// Converts the twelve numbers of the settings form (rounded, halves to even). A value that
// does not fit in 16 bits fails with a message naming it.
platform::Result<FrameValues> frameValuesFrom(const std::array<double, 12>& numbers);

struct DevicePoint {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// A point rejected by the range check.
struct Rejection {
    std::size_t point = 0;  // 0-based index in the element
    std::string message;    // the overflow text
};

// An element's points in device coordinates, as they go into the graphic database: each
// point is transformed and range-checked; a rejected point is dropped together with the
// points after it on the same coordinate line. The box covers the accepted points.
struct PlacedElement {
    std::vector<DevicePoint> points;
    converter::BoxOf box;
    std::vector<Rejection> rejected;
    RawPoint lastAccepted;  // raw numbers of the last accepted point
};
void placeElement(const LineElementRecord& e, const converter::SheetTransform& t,
                  PlacedElement& out);

// True for a line element that becomes an area: more than 2 points, the first and the
// last point equal as written in the file, class code 3001 to 3004.
bool isClosedArea(const LineElementRecord& e);

// What the graphic pass writes, in stream order.
struct FrameHeader {
    std::int32_t originEast = 0;   // Emin, rounded
    std::int32_t originNorth = 0;  // Nmax, rounded
    std::int32_t extentEast = 0;   // Re, rounded
    std::int32_t extentNorth = 0;  // Rn, rounded
    FrameValues frame{};
};
struct GraphicElement {
    std::uint8_t kind = 4;  // 4 line, 6 area
    std::uint8_t elementClass = 0;
    std::uint8_t style = 0;
    std::int16_t serial = 0;
    std::int16_t left = 0, top = 0, width = 0, height = 0;
    const std::vector<DevicePoint>* points = nullptr;
};

class GraphicSink {
  public:
    virtual ~GraphicSink() = default;
    virtual void frameHeader(const FrameHeader& header) = 0;
    virtual void element(const GraphicElement& element) = 0;
    // A label element (kind 17, class 10): its box and its name field's 24 bytes.
    virtual void label(const pdb::Box& box,
                       const std::array<std::uint8_t, pdb::kLabelNameSize>& name) = 0;
    // True once the database cannot take more (the pass then stops with a message).
    virtual bool full() const { return false; }
};

// Device points of a circle or an arc through three device points: a circle (code 3) runs
// from the first point round to it again, an arc (code 4) from the first point through the
// second to the third. Enough points that no chord strays 1 unit or more from the curve,
// at most 2048. Nothing when the three points lie on one line (or two coincide).
std::optional<std::vector<converter::DevicePoint>> curvePoints(int code, converter::DevicePoint a,
                                                               converter::DevicePoint b,
                                                               converter::DevicePoint c);

// What the graphic pass made of the element records of a file.
struct DmAccount {
    std::array<long, 8> read{};  // element records by code: [1]–[7] "E1"–"E7", [0] others
    long lines = 0, areas = 0, circles = 0, arcs = 0, labels = 0;  // elements written
    std::array<long, kSkipReasons> skipped{};                      // by SkipReason
    long pointsOutside = 0;   // points of lines and areas dropped by the range check
    long clippedCurves = 0;   // circles and arcs cut where they leave the device range
    long straightCurves = 0;  // circles and arcs drawn straight (three points on one line)
    long cutTexts = 0;        // annotation texts cut to the label's 24 bytes
};

// The account as the user reads it, a few lines naming the file (UTF-8, no final line end).
std::string accountText(const std::string& fileName, const DmAccount& account);
// One line of the log for a record passed over: its line, code, class and why.
std::string skippedLine(const SkippedRecord& skipped);

// Takes each record the graphic pass passes over, as it goes (a log of a large file is
// never held whole).
class SkipLog {
  public:
    virtual ~SkipLog() = default;
    virtual void add(const SkippedRecord& skipped) = 0;
};

struct GraphicOptions {
    bool allElements = false;  // circles, arcs and annotations drawn too
    SkipLog* log = nullptr;    // told of every record passed over, when given
};

struct PassResult {
    bool ok = true;
    std::string message;  // why not, when !ok (UTF-8)
    int areaCount = 0;
    // Set when the pass ended at an "M " record with a wrong unit code after an earlier,
    // sound sheet: what came before stands, and this is the message to show.
    std::string stoppedAtSheet;
    DmAccount account;  // the graphic pass's account of the element records
};

// The graphic pass: one frame header per "M " record, one line or area element per "E1"
// and "E2" record of a group; with allElements also a line element per circle ("E3") and
// arc ("E4") and a label per annotation ("E7"). Every element record is counted in the
// account. Overflows and degenerate elements are reported through the
// prompter (critical and warning boxes with the application's title) and the pass goes on;
// a broken file, or a stream the sink cannot take, ends it with !ok. A wrong unit code in
// an "M " record ends it too: with !ok at the first sheet record, with stoppedAtSheet after
// an earlier one. Reads the source from its current line to its end.
PassResult runGraphicPass(platform::LineSource& lines, const std::string& fileName,
                          const FrameValues& frame, GraphicSink& sink, platform::Prompter& prompter,
                          const GraphicOptions& options = {});
PassResult runGraphicPass(std::string_view data, const std::string& fileName,
                          const FrameValues& frame, GraphicSink& sink, platform::Prompter& prompter,
                          const GraphicOptions& options = {});

// One attribute record's values for an area.
struct AreaBox {
    std::int32_t id = 0;  // the area's serial number
    std::int16_t left = 0, top = 0, width = 0, height = 0;
};

// The attribute pass: the boxes of the areas in file order, up to the end of the file or
// to the "M " record where the graphic pass stopped. The file must hold exactly
// expectedAreas areas (the count of the graphic pass); otherwise !ok with a message.
PassResult runAttributePass(platform::LineSource& lines, const std::string& fileName,
                            int expectedAreas, std::vector<AreaBox>& areas);
PassResult runAttributePass(std::string_view data, const std::string& fileName, int expectedAreas,
                            std::vector<AreaBox>& areas);

}  // namespace dm
