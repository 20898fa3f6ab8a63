#include "pdbformat/graphic_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/endian.h"
#include "platform/files.h"

namespace pdb {

std::size_t GraphicRecordCount(std::uint64_t estimatedStreamLength) {
    return static_cast<std::size_t>((estimatedStreamLength + kGraphicRecordSize - 1) /
                                    kGraphicRecordSize);
}

void GraphicDatabase::BeginGraphicDatabase(std::string path,
                                           const std::array<std::uint8_t, 32>& nameField,
                                           std::uint32_t dateStamp, std::size_t recordCount) {
    path_ = std::move(path);
    name_ = nameField;
    dateStamp_ = dateStamp;
    recordCount_ = recordCount;
    stream_.clear();
    stream_.reserve(recordCount * kGraphicRecordSize);
}

std::size_t GraphicDatabase::AppendElement(const ElementHeader& header) {
    std::size_t at = stream_.size();
    std::uint8_t bytes[kElementHeaderSize] = {};
    bytes[0] = header.kind;
    bytes[1] = header.elementClass;
    platform::putBE16(bytes + 2, static_cast<std::uint16_t>(header.bodyLength));
    bytes[4] = header.style;
    bytes[5] = 0;
    platform::putBE16(bytes + 6, static_cast<std::uint16_t>(header.serial));
    AppendBytes(bytes, sizeof bytes);
    return at;
}

void GraphicDatabase::AppendBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    stream_.insert(stream_.end(), p, p + size);
}

void GraphicDatabase::AppendBE16(std::uint16_t value) {
    std::uint8_t b[2];
    platform::putBE16(b, value);
    AppendBytes(b, 2);
}

void GraphicDatabase::AppendBE32(std::uint32_t value) {
    std::uint8_t b[4];
    platform::putBE32(b, value);
    AppendBytes(b, 4);
}

std::size_t GraphicDatabase::AppendZeroBox() {
    std::size_t at = stream_.size();
    stream_.resize(at + 8, 0);
    return at;
}

void GraphicDatabase::PatchBox(std::size_t boxPosition, const Box& box) {
    if (boxPosition + 8 > stream_.size())
        return;
    std::uint8_t* p = stream_.data() + boxPosition;
    platform::putBE16(p, static_cast<std::uint16_t>(box.left));
    platform::putBE16(p + 2, static_cast<std::uint16_t>(box.top));
    platform::putBE16(p + 4, static_cast<std::uint16_t>(box.width));
    platform::putBE16(p + 6, static_cast<std::uint16_t>(box.height));
}

void GraphicDatabase::PatchBodyLength(std::size_t headerPosition, std::int16_t bodyLength) {
    if (headerPosition + kElementHeaderSize > stream_.size())
        return;
    platform::putBE16(stream_.data() + headerPosition + 2, static_cast<std::uint16_t>(bodyLength));
}

void GraphicDatabase::AppendFill() {
    if (stream_.size() % 8 != 0)
        stream_.resize(stream_.size() + (8 - stream_.size() % 8), 0);
}

void GraphicDatabase::Rewind(std::size_t position) {
    if (position < stream_.size())
        stream_.resize(position);
}

std::size_t GraphicDatabase::BeginPointElement(std::uint8_t kind, std::uint8_t elementClass,
                                               std::uint8_t style, std::int16_t serial) {
    std::size_t at = AppendElement({kind, elementClass, 2, style, serial});
    AppendZeroBox();
    return at;
}

void GraphicDatabase::AppendPoint(std::int16_t x, std::int16_t y) {
    AppendBE16(static_cast<std::uint16_t>(x));
    AppendBE16(static_cast<std::uint16_t>(y));
}

std::size_t GraphicDatabase::pointCount(std::size_t headerPosition) const {
    std::size_t bodyStart = headerPosition + kElementHeaderSize + 8;
    return stream_.size() > bodyStart ? (stream_.size() - bodyStart) / 4 : 0;
}

void GraphicDatabase::EndPointElement(std::size_t headerPosition, const Box& box) {
    std::size_t points = pointCount(headerPosition);
    PatchBodyLength(headerPosition, static_cast<std::int16_t>(points + 2));
    AppendFill();
    PatchBox(headerPosition + kElementHeaderSize, box);
}

std::size_t GraphicDatabase::recordCount() const {
    return std::max(recordCount_, GraphicRecordCount(stream_.size()));
}

platform::Result<platform::Bytes> GraphicDatabase::EncodeGraphicDatabase() const {
    const std::size_t n = recordCount();
    if (n > kMaxGraphicRecords)
        return platform::Result<platform::Bytes>::failure(
            "図形データが大きすぎます（" + std::to_string(n) +
            " レコード必要、上限は 32767 レコード）。");
    platform::Bytes file =
        encodeHead(converterHeader(name_, dateStamp_), converterRecordList(n, kGraphicRecordSize));
    file.insert(file.end(), stream_.begin(), stream_.end());
    file.resize(recordsOffset(n) + n * kGraphicRecordSize, 0);
    return file;
}

platform::Status GraphicDatabase::FinishGraphicDatabase(platform::OutputSet& outputs) {
    platform::Result<platform::Bytes> file = EncodeGraphicDatabase();
    if (!file)
        return platform::Status::failure(path_ + "：" + file.error());
    platform::WriteError writeError;
    if (!outputs.add(path_, *file, &writeError))
        return platform::Status::failure(path_ + " を書き込めません（" + writeError.reason +
                                         "）。");
    return {};
}

platform::Status GraphicDatabase::FinishGraphicDatabase() {
    platform::OutputSet outputs;
    if (platform::Status staged = FinishGraphicDatabase(outputs); !staged)
        return staged;
    platform::WriteError writeError;
    if (!outputs.commit(&writeError))
        return platform::Status::failure(path_ + " を書き込めません（" + writeError.reason +
                                         "）。");
    return {};
}

// ---- Reading -------------------------------------------------------------------------

namespace {

bool allZero(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    return std::all_of(bytes.begin() + static_cast<long>(from), bytes.end(),
                       [](std::uint8_t b) { return b == 0; });
}

std::string offsetText(std::size_t offset) {
    return std::to_string(offset);
}

bool readRecords(std::span<const std::uint8_t> bytes, GraphicReadResult& result) {
    GraphicFile& f = result.file;
    ContainerHead head = readHead(bytes);
    if (bytes.size() < kRecListOffset) {
        result.error =
            "ファイルがヘッダーより短いです（" + std::to_string(bytes.size()) + " バイト）。";
        return false;
    }
    f.header = head.header;
    f.listHeader = head.listHeader;
    const std::size_t n = f.listHeader.iRecNum;
    if (!head.complete) {
        result.error = "ファイルがレコードリスト（" + std::to_string(n) + " 件）より短いです。";
        return false;
    }
    f.recList = std::move(head.recList);
    std::size_t previous = recordsOffset(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pos = f.recList[k].iRecPos;
        if (pos < previous || pos > bytes.size()) {
            result.error = "レコード " + std::to_string(k + 1) + " の位置 " + offsetText(pos) +
                           " がファイルの範囲外か前のレコードより前です。";
            return false;
        }
        previous = pos;
    }
    if (n > 0 && f.recList[0].iRecPos != recordsOffset(n)) {
        result.error = "レコード 1 がレコードリストの直後から始まっていません。";
        return false;
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t from = f.recList[k].iRecPos;
        std::size_t to = k + 1 < n ? f.recList[k + 1].iRecPos : bytes.size();
        f.recordLengths.push_back(to - from);
        f.stream.insert(f.stream.end(), bytes.begin() + static_cast<long>(from),
                        bytes.begin() + static_cast<long>(to));
    }
    return true;
}

bool walkElements(GraphicReadResult& result) {
    GraphicFile& f = result.file;
    const std::vector<std::uint8_t>& s = f.stream;
    std::size_t pos = 0;
    auto failed = [&](std::string message) {
        result.error = std::move(message);
        result.failedAt = pos;
        return false;
    };
    while (pos < s.size()) {
        if (s[pos] == 0 && allZero(s, pos)) {
            f.trailingZeroBytes = s.size() - pos;
            return true;
        }
        if (pos + kElementHeaderSize > s.size())
            return failed("オフセット " + offsetText(pos) +
                          " の要素ヘッダーがストリームの終わりを越えています。");
        GraphicElement e;
        e.offset = pos;
        e.header.kind = s[pos];
        e.header.elementClass = s[pos + 1];
        e.header.bodyLength = static_cast<std::int16_t>(platform::getBE16(&s[pos + 2]));
        e.header.style = s[pos + 4];
        e.spare = s[pos + 5];
        e.header.serial = static_cast<std::int16_t>(platform::getBE16(&s[pos + 6]));
        if (e.header.kind == 0 || e.header.bodyLength < 0)
            return failed("オフセット " + offsetText(pos) + " に不正な要素（種類 " +
                          std::to_string(e.header.kind) + "、本体長 " +
                          std::to_string(e.header.bodyLength) + "）があります。");
        std::size_t bodySize = static_cast<std::size_t>(e.header.bodyLength) * 4;
        e.fillBytes = e.header.bodyLength % 2 == 1 ? 4 : 0;
        std::size_t end = pos + kElementHeaderSize + bodySize + e.fillBytes;
        if (end > s.size())
            return failed("オフセット " + offsetText(pos) + " の要素（種類 " +
                          std::to_string(e.header.kind) + "、本体長 " +
                          std::to_string(e.header.bodyLength) + "）がストリームの終わり（" +
                          std::to_string(s.size()) + " バイト）を越えています。");
        std::size_t bodyStart = pos + kElementHeaderSize;
        e.body.assign(s.begin() + static_cast<long>(bodyStart),
                      s.begin() + static_cast<long>(bodyStart + bodySize));
        for (std::size_t i = bodyStart + bodySize; i < end; ++i) {
            if (s[i] != 0)
                return failed("オフセット " + offsetText(pos) +
                              " の要素の埋め草が 0 ではありません。");
        }
        f.elements.push_back(std::move(e));
        pos = end;
    }
    return true;
}

Box decodeBox(const std::uint8_t* p) {
    return Box{static_cast<std::int16_t>(platform::getBE16(p)),
               static_cast<std::int16_t>(platform::getBE16(p + 2)),
               static_cast<std::int16_t>(platform::getBE16(p + 4)),
               static_cast<std::int16_t>(platform::getBE16(p + 6))};
}

}  // namespace

GraphicReadResult ReadGraphicDatabase(std::span<const std::uint8_t> file) {
    GraphicReadResult result;
    if (!readRecords(file, result))
        return result;
    result.ok = walkElements(result);
    return result;
}

std::size_t FileOffsetOfStream(const GraphicFile& file, std::size_t streamOffset) {
    std::size_t recordStart = 0;
    for (std::size_t k = 0; k < file.recordLengths.size(); ++k) {
        if (streamOffset < recordStart + file.recordLengths[k] ||
            k + 1 == file.recordLengths.size())
            return file.recList[k].iRecPos + (streamOffset - recordStart);
        recordStart += file.recordLengths[k];
    }
    return recordsOffset(file.recList.size()) + streamOffset;
}

std::optional<PointBody> DecodePointBody(const GraphicElement& element) {
    const auto& b = element.body;
    if (b.size() < 8 || b.size() % 4 != 0)
        return std::nullopt;
    PointBody body;
    body.box = decodeBox(b.data());
    for (std::size_t i = 8; i + 4 <= b.size(); i += 4)
        body.points.emplace_back(static_cast<std::int16_t>(platform::getBE16(&b[i])),
                                 static_cast<std::int16_t>(platform::getBE16(&b[i + 2])));
    return body;
}

std::optional<LabelBody> DecodeLabelBody(const GraphicElement& element) {
    const auto& b = element.body;
    if (b.size() != 8 + kLabelNameSize)
        return std::nullopt;
    LabelBody body;
    body.box = decodeBox(b.data());
    for (std::size_t i = 8; i < b.size() && b[i] != 0; ++i) body.name.push_back(char(b[i]));
    return body;
}

std::optional<FrameBody> DecodeFrameBody(const GraphicElement& element) {
    const auto& b = element.body;
    if (b.size() != 40)
        return std::nullopt;
    FrameBody body;
    body.originEast = static_cast<std::int32_t>(platform::getBE32(&b[0]));
    body.originNorth = static_cast<std::int32_t>(platform::getBE32(&b[4]));
    body.extentEast = static_cast<std::int32_t>(platform::getBE32(&b[8]));
    body.extentNorth = static_cast<std::int32_t>(platform::getBE32(&b[12]));
    for (std::size_t i = 0; i < 12; ++i)
        body.frameValues[i] = static_cast<std::int16_t>(platform::getBE16(&b[16 + 2 * i]));
    return body;
}

}  // namespace pdb
