#pragma once
// Reader of DM files: fixed-column records of 84 bytes, one a line, whose first two bytes
// are the record code. Columns count bytes, from 1. The reader walks the file as the
// converter reads it: sheet records ("M " and its second line), element groups ("H " and
// the c element records after it, each with its own extra lines) and everything else
// ignored. It hands out the sheet records and the "E1"/"E2" line elements of the groups;
// every other element is consumed with the lines that follow it. Asked to, it also hands
// out every other element record: circles ("E3"), arcs ("E4") and annotations ("E7") read
// in full, and the rest as records passed over, with the reason.
//
// Each element record is followed by the number of lines its columns 32–35 give. Where
// that field of an "E5", an "E7" or a record of an unknown code is empty or not a number,
// an "E7" has one following line and the others none, as older files have it.
//
// Every problem stops the reading with a message (UTF-8, Japanese) that names the file,
// the line and, where there is one, the columns and the field.
//
// The file is read line by line from a platform::LineSource (LF line ends, a CR before
// them dropped), so each pass over it takes the same memory whatever the file's size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/core/transform.h"
#include "platform/line_source.h"

namespace dm {

// One line of a DM file: its 1-based number and its bytes without the line end.
struct DmLine {
    std::size_t number = 0;
    std::string_view text;
};

// Unit code of the "M " record → the unit factor f that turns a point's offsets into
// millimetres: 1 (millimetres) → 1, 10 (centimetres) → 10, 999 (metres) → 1000; any other
// code has none.
std::optional<double> unitFactor(int unitCode);

// Reads a decimal number: optional sign, digits, optional decimal point and digits.
// Blanks are not allowed here (callers trim them); neither are exponents, "inf" or "nan".
bool parseDecimal(std::string_view text, double& value);

// The stream estimate of the graphic database in bytes: 16 + 4 × (n rounded up to even) for
// every line of the file that starts "E1" or "E2", n being its columns 28–31. The same pass
// finds out whether the file is a DM file at all: one without an "M " record is not.
platform::Result<std::uint64_t> estimateStream(platform::LineSource& lines,
                                               const std::string& fileName);
platform::Result<std::uint64_t> estimateStream(std::string_view data, const std::string& fileName);

// The message for a source that stopped early (a read error or an overlong line).
std::string lineSourceFailure(const platform::LineSource& lines, const std::string& fileName);

// An "M " record: the sheet values of its second line and what they give.
struct SheetRecord {
    std::size_t line = 0;  // line of the "M " record itself
    std::string name;      // the sheet's name, columns 3–9 ("02JF711"), blanks trimmed, UTF-8
    double nmin = 0, emin = 0, nmax = 0, emax = 0;
    int unitCode = 0;
    converter::SheetTransform transform;
};

// A point as written in the file: first number north, second east.
struct RawPoint {
    double north = 0;
    double east = 0;
    friend bool operator==(const RawPoint&, const RawPoint&) = default;
};

// An "E1" or "E2" record of a group with the points of its coordinate lines; read in
// full, an "E3" (circle) or "E4" (arc) with its three defining points in the same layout.
struct LineElementRecord {
    std::size_t line = 0;  // line of the element record
    bool isE1 = false;
    int code = 2;         // 1 to 4: "E1" to "E4"
    int classPrefix = 0;  // columns 3–4
    int classCode = 0;    // columns 3–6
    int dataKind = 0;     // column 21: 2 (two-dimensional) or 3, 6 (with heights)
    int pointCount = 0;   // n, columns 28–31
    int lineCount = 0;    // L, columns 32–35
    int pointsPerLine = 0;
    std::vector<RawPoint> points;  // the n points in file order

    // Line of the file that holds point k (0-based).
    std::size_t lineOfPoint(std::size_t k) const { return line + 1 + k / pointsPerLine; }
    // Index of the coordinate line (0-based) that holds point k.
    std::size_t coordinateLineOf(std::size_t k) const { return k / pointsPerLine; }
};

// An "E7" record read in full: its anchor point and its text.
struct AnnotationRecord {
    std::size_t line = 0;
    int classPrefix = 0;  // columns 3–4
    int classCode = 0;    // columns 3–6
    RawPoint anchor;      // columns 36–42 north, 43–49 east
    // Columns 21–84 of the following lines joined, cut to the number of characters in
    // columns 28–31 (where that is a number) and without trailing blanks (Shift-JIS).
    std::string text;
};

// Why an element record gives nothing to draw.
enum class SkipReason {
    NotRequested,  // circle, arc or annotation, and drawing them was not asked for
    NoPointKind,   // "E5" point symbol or "E6": the graphic database has no point kind
    UnknownCode,   // a code other than "E1" to "E7"
    OutsideGroup,  // an element record that is not among the c records of an "H " record
    Unreadable,    // a circle, arc or annotation whose fields cannot be read (see detail)
    OutsideRange,  // nothing of it lies inside the 16-bit device range (set by the pass)
};
inline constexpr int kSkipReasons = 6;

// An element record handed out as passed over.
struct SkippedRecord {
    std::size_t line = 0;
    int code = 0;           // 1 to 7 for "E1" to "E7", 0 for any other code
    std::string codeText;   // the record's first two bytes, as shown
    std::string classText;  // columns 3–6, blanks trimmed
    SkipReason reason = SkipReason::NotRequested;
    std::string detail;  // for Unreadable: the line, the columns and what is wrong
};

enum class DmEvent { Sheet, LineElement, Annotation, Skipped, End, Failed };

class DmReader {
  public:
    // Reads lines from the source's current line on; fileName names the file in messages.
    DmReader(platform::LineSource& lines, std::string fileName);
    // Reads the bytes of a whole file.
    DmReader(std::string_view data, std::string fileName);
    DmReader(const DmReader&) = delete;
    DmReader& operator=(const DmReader&) = delete;

    // Reads on to the next sheet record or line element (and, with readEveryElement, the
    // next annotation or record passed over). End at the end of the file;
    // Failed when the file breaks the format (see failure()). Never throws.
    DmEvent next();
    // The failure was a wrong unit code in an "M " record: what comes before that record
    // is sound, and a run that has converted an earlier sheet keeps it.
    bool failedAtUnitCode() const { return failedAtUnit_; }

    // The most recent "M " record; valid once one has been read.
    const SheetRecord& sheet() const { return sheet_; }
    bool haveSheet() const { return haveSheet_; }
    // The element of the last LineElement event.
    const LineElementRecord& element() const { return element_; }
    // The record of the last Annotation or Skipped event.
    const AnnotationRecord& annotation() const { return annotation_; }
    const SkippedRecord& skipped() const { return skipped_; }
    const std::string& failure() const { return failure_; }
    const std::string& fileName() const { return fileName_; }

    // Hands out only the line elements for which wanted (called with the element record's
    // fields, before its points are read) is true; the coordinate lines of the others are
    // passed over without reading their points.
    void onlyElementsWhere(bool (*wanted)(const LineElementRecord&)) { wanted_ = wanted; }

    // Hands out every element record of a group: each one that is not a LineElement as
    // Skipped. With draw, circles and arcs come as LineElement (code 3, 4) with their three
    // points and annotations as Annotation; one that cannot be read comes as Skipped
    // (Unreadable) and the reading goes on after its lines.
    void readEveryElement(bool draw) {
        everyElement_ = true;
        drawAll_ = draw;
    }

  private:
    DmEvent step();
    void readSheet(const DmLine& first);
    void startGroup(const DmLine& header);
    // The event of one element record of a group, or nothing when it is passed over.
    std::optional<DmEvent> readGroupElement();
    bool readLineElement(const DmLine& record);  // false when the element is passed over
    void readElementHeader(const DmLine& record, LineElementRecord& e);
    void readCoordinateLines(const DmLine& record, LineElementRecord& e);
    long followingLines(const DmLine& record, int code);
    DmEvent readCurve(const DmLine& record, int code, long lines);
    DmEvent readAnnotation(const DmLine& record, long lines);
    DmEvent skip(const DmLine& record, int code, SkipReason reason, long lines,
                 std::string detail = {});
    void skipLines(const DmLine& record, long count, const char* what);
    bool nextLine(DmLine& line);
    DmLine nextLineOrFail(const DmLine& owner, const char* what, long have, long want);

    std::optional<platform::LineSource> ownLines_;  // for a reader of bytes
    platform::LineSource& lines_;
    std::string fileName_;
    SheetRecord sheet_;
    bool haveSheet_ = false;
    LineElementRecord element_;
    AnnotationRecord annotation_;
    SkippedRecord skipped_;
    std::string failure_;
    bool failed_ = false;
    bool failedAtUnit_ = false;
    bool (*wanted_)(const LineElementRecord&) = nullptr;
    bool everyElement_ = false;
    bool drawAll_ = false;
    long linesRead_ = 0;  // following lines of the element in progress read so far
    // The group being read: elements left and where its "H " record stands.
    long groupLeft_ = 0;
    long groupSize_ = 0;
    std::size_t groupLine_ = 0;
};

}  // namespace dm
