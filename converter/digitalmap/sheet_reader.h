#pragma once
// Reading the files of a Digital Map 2500 sheet folder.
//
// The files are Shift-JIS text read as a stream of fields, not lines: a field ends at a
// comma or a line end, blanks around it are dropped, and a field in double quotes may hold
// commas. A record of k fields is simply the next k fields wherever the line ends fall.
// An arc file (".arc") and a polygon file (".pgn") start with an extent header of eleven
// fields whose fourth is the record count C (the header included); after it the file is
// read for at most C − 1 records, and which kind comes next follows from the counts: an arc
// record announces its n point records, a polygon record its m arc references. The
// attribute files (".atr") have one line that is skipped, then records to the end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/line_source.h"
#include "platform/result.h"

namespace digitalmap {

// Splits a file's bytes into fields, line by line (CR LF, LF or CR ends a line). A line
// that is empty or holds only blanks holds no field.
class FieldReader {
  public:
    explicit FieldReader(std::string_view data) : lines_(data, platform::LineEnds::AnyEnd) {}
    // The next field; false at the end of the file.
    bool next(std::string& field);
    // Skips the rest of the line of the last field, or the next line when that field ended
    // its line (or none was read).
    void skipLine();
    // 1-based line of the last field returned.
    std::size_t line() const { return fieldLine_; }

  private:
    platform::LineSource lines_;
    std::string_view line_;
    std::size_t pos_ = 0;
    bool inLine_ = false;  // fields of line_ are left
    std::size_t fieldLine_ = 1;
};

// Outcome of reading one record.
enum class ReadStatus {
    Ok,
    EndOfFile,  // the file ended before the record was complete
    Bad,        // a field is not a number; error() says which
};

// Valid record counts lie in 1 to 262143.
constexpr long long kMaxRecordCount = 262143;

struct ExtentHeader {
    long long recordCount = 0;  // C
    long long arcCount = 0;     // capacity of the building arc table (tatemono.arc)
    double d1 = 0, d2 = 0, d3 = 0, d4 = 0;
    std::size_t line = 0;
    bool validCount() const { return recordCount >= 1 && recordCount <= kMaxRecordCount; }
};
struct ArcRecord {
    long long code = 0;
    long long id = 0;
    long long pointCount = 0;  // n
    std::size_t line = 0;
};
struct PointRecord {
    double north = 0;
    double east = 0;
};
struct PolygonRecord {
    long long id = 0;
    long long arcRefs = 0;  // m
    double north = 0;       // anchor
    double east = 0;
    std::size_t line = 0;
};

// An arc or polygon file. Every record read, of any kind, counts against C − 1.
class SheetFile {
  public:
    SheetFile() = default;
    SheetFile(const SheetFile&) = delete;  // the field reader points into data_
    SheetFile& operator=(const SheetFile&) = delete;

    // Reads the whole file; false (with error()) when it cannot be read.
    // label names the file in messages (e.g. "TATEMONO/tatemono.arc").
    bool open(const std::string& path, std::string label);
    const std::string& label() const { return label_; }

    ReadStatus readHeader(ExtentHeader& header);
    bool recordsLeft() const { return read_ < limit_; }
    ReadStatus readArc(ArcRecord& arc);
    ReadStatus readPoint(PointRecord& point);
    ReadStatus readPolygon(PolygonRecord& polygon);
    ReadStatus readArcRef(long long& arcId);

    // UTF-8 message for the last Bad (or a failed open), naming file, line and field.
    const std::string& error() const { return error_; }
    std::size_t line() const { return fields_.line(); }

  private:
    ReadStatus field(std::string& text);
    ReadStatus integerField(long long& value, const char* name);
    // The count of the records that follow this one (points, arc references): Bad when it
    // is negative or more than the records the header leaves.
    ReadStatus countField(long long& count, const char* name);
    ReadStatus realField(double& value, const char* name);
    ReadStatus startRecord();

    std::string data_;
    std::string label_;
    FieldReader fields_{std::string_view{}};
    long long read_ = 0;
    long long limit_ = 0;
    std::string error_;
};

// Parses a whole field as a decimal integer or real ("+" allowed, nothing else around it).
std::optional<long long> parseInteger(std::string_view text);
std::optional<double> parseReal(std::string_view text);

// A message for a field that is not a number.
std::string notANumberMessage(const std::string& label, std::size_t line, const char* field,
                              std::string_view text, bool wantInteger);

// Reads a whole input file; a failure names the file (label) and says why it cannot be
// read (it may also be larger than memory).
platform::Result<std::string> readInputFile(const std::string& path, const std::string& label);

}  // namespace digitalmap
