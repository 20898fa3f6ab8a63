#pragma once
// The graphic database ("_G.pdb"): a Palm database whose 1024-byte records are consecutive
// pieces of one element stream. Every element is an 8-byte header followed by a body of
// 4-byte units; elements sit on 8-byte boundaries (an odd body length is followed by
// 4 zero bytes it does not count) and may straddle record boundaries.
//
// Writing. One GraphicDatabase per output file, used in this order:
//
//   pdb::GraphicDatabase g;
//   g.BeginGraphicDatabase(path, nameField, dateStamp, N);      // N from GraphicRecordCount
//   g.AppendElement({kKindFrame, 1, 10, 0, 0}); g.AppendBE32(...) ...   // fixed-size bodies
//   auto at = g.BeginPointElement(kKindArea, 1, 32, serial);    // area and line elements
//   g.AppendPoint(x, y); ...
//   g.EndPointElement(at, box);      // body length, fill bytes and box from what was written
//   platform::Status done = g.FinishGraphicDatabase();           // writes the file atomically
//                                     // (or FinishGraphicDatabase(outputs): one of a set)
//
// The whole file is built in memory and written in one step by FinishGraphicDatabase, so
// an abandoned run leaves any earlier file of that name untouched. Positions returned and
// taken by the writer are offsets within the element stream (0 = start of record 1), so
// they stay valid when N grows. When the stream outgrows N × 1024 bytes, N is enlarged so
// that every record is exactly 1024 bytes; after the last element the stream is zero-filled
// to the end of record N.
//
// Reading. ReadGraphicDatabase joins the records in list order and walks the stream element
// by element, as a viewer of the map does; it reports a record list that does not describe
// the file and any element whose length runs past the stream, so every file the writer
// makes can be proved to walk.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "pdbformat/container.h"
#include "platform/files.h"

namespace pdb {

constexpr std::size_t kGraphicRecordSize = 1024;
constexpr std::size_t kMaxGraphicRecords = 32767;  // iRecNum is a signed 16-bit count here
constexpr std::size_t kElementHeaderSize = 8;

// Element kinds and the classes and style codes the map conversions write.
constexpr std::uint8_t kKindFrame = 1;
constexpr std::uint8_t kKindLine = 4;
constexpr std::uint8_t kKindArea = 6;
constexpr std::uint8_t kKindLabel = 17;

constexpr std::int16_t kFrameBodyLength = 10;  // 40-byte frame header body
constexpr std::int16_t kLabelBodyLength = 8;   // 32-byte label body
constexpr std::size_t kLabelNameSize = 24;

// Number of 1024-byte records for an estimated stream length: the estimate divided by
// 1024, rounded up (1024 → 1, 1025 → 2).
std::size_t GraphicRecordCount(std::uint64_t estimatedStreamLength);

struct ElementHeader {
    std::uint8_t kind = 0;
    std::uint8_t elementClass = 0;
    std::int16_t bodyLength = 0;  // 4-byte units; fill bytes not counted
    std::uint8_t style = 0;
    std::int16_t serial = 0;
    friend bool operator==(const ElementHeader&, const ElementHeader&) = default;
};

// Bounding box of an area, line or label element, as stored.
struct Box {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t width = 0;
    std::int16_t height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

class GraphicDatabase {
  public:
    // Starts a new database for path with the 32-byte name field as it is to be stored,
    // the Palm day stamp for its three dates, and the estimated record count N.
    void BeginGraphicDatabase(std::string path, const std::array<std::uint8_t, 32>& nameField,
                              std::uint32_t dateStamp, std::size_t recordCount);

    // Current end of the element stream.
    std::size_t position() const { return stream_.size(); }
    const std::vector<std::uint8_t>& stream() const { return stream_; }

    // Appends an element header; returns its position. The body follows with the
    // Append* calls below; AppendFill then restores 8-byte alignment.
    std::size_t AppendElement(const ElementHeader& header);
    void AppendBytes(const void* data, std::size_t size);
    void AppendBE16(std::uint16_t value);
    void AppendBE32(std::uint32_t value);
    // Appends a zero box; returns its position for PatchBox.
    std::size_t AppendZeroBox();
    void PatchBox(std::size_t boxPosition, const Box& box);
    void PatchBodyLength(std::size_t headerPosition, std::int16_t bodyLength);
    // Appends 4 zero bytes when the stream is not on an 8-byte boundary.
    void AppendFill();
    // Drops everything from position on (an element that is abandoned).
    void Rewind(std::size_t position);

    // Area and line elements: header with a provisional body length, a zero box, then the
    // points. EndPointElement sets the body length to 2 + the points appended, adds the
    // fill bytes and patches the box, so the element is consistent however many points
    // were accepted. pointCount tells how many points an open element holds.
    std::size_t BeginPointElement(std::uint8_t kind, std::uint8_t elementClass, std::uint8_t style,
                                  std::int16_t serial);
    void AppendPoint(std::int16_t x, std::int16_t y);
    std::size_t pointCount(std::size_t headerPosition) const;
    void EndPointElement(std::size_t headerPosition, const Box& box);

    // The record count the file will have: N, enlarged to hold the whole stream.
    std::size_t recordCount() const;
    // The complete file image. Fails when more than kMaxGraphicRecords records would be
    // needed.
    platform::Result<platform::Bytes> EncodeGraphicDatabase() const;
    // Writes the file atomically (temporary file, then rename). On failure the earlier file
    // is intact and the failure (UTF-8, Japanese) says why.
    platform::Status FinishGraphicDatabase();
    // The same as one file of a run's outputs, which the caller commits together.
    platform::Status FinishGraphicDatabase(platform::OutputSet& outputs);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
    std::array<std::uint8_t, 32> name_{};
    std::uint32_t dateStamp_ = 0;
    std::size_t recordCount_ = 0;
    std::vector<std::uint8_t> stream_;
};

// ---- Reading -------------------------------------------------------------------------

struct GraphicElement {
    std::size_t offset = 0;  // within the stream
    ElementHeader header;
    std::uint8_t spare = 0;
    std::vector<std::uint8_t> body;  // bodyLength × 4 bytes
    std::size_t fillBytes = 0;       // 0 or 4
};

struct GraphicFile {
    PdbHeader header;
    ListHeader listHeader;
    std::vector<RecList> recList;
    std::vector<std::size_t> recordLengths;
    std::vector<std::uint8_t> stream;  // the records joined in order
    std::vector<GraphicElement> elements;
    std::size_t trailingZeroBytes = 0;  // zero fill after the last element
};

struct GraphicReadResult {
    bool ok = false;
    std::string error;  // UTF-8, Japanese; what made the file unwalkable
    GraphicFile file;   // as far as it could be read
    // The stream offset of the element the walk stopped at; empty when the file failed
    // before its stream (header, record list) or did not fail.
    std::optional<std::size_t> failedAt;
};

// Reads a whole graphic database image: header, record list (every iRecPos inside the
// file and increasing), records joined, then the elements. The walk stops at the zero fill
// (an element header of kind 0, with only zero bytes after it).
GraphicReadResult ReadGraphicDatabase(std::span<const std::uint8_t> file);

// Where a stream offset lies in the file: the record that holds it, by the record list.
std::size_t FileOffsetOfStream(const GraphicFile& file, std::size_t streamOffset);

// Bodies of the element kinds, decoded from big-endian.
struct PointBody {
    Box box;
    std::vector<std::pair<std::int16_t, std::int16_t>> points;  // (x, y)
};
struct LabelBody {
    Box box;
    std::string name;  // the 24 bytes up to the first zero byte (Shift-JIS)
};
struct FrameBody {
    std::int32_t originEast = 0;
    std::int32_t originNorth = 0;
    std::int32_t extentEast = 0;
    std::int32_t extentNorth = 0;
    std::array<std::int16_t, 12> frameValues{};
};
// Each decodes a body of the right size and nothing otherwise.
std::optional<PointBody> DecodePointBody(const GraphicElement& element);
std::optional<LabelBody> DecodeLabelBody(const GraphicElement& element);
std::optional<FrameBody> DecodeFrameBody(const GraphicElement& element);

}  // namespace pdb
