#include "converter/digitalmap/digital_map.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "converter/core/attr_csv.h"
#include "converter/core/conversion.h"
#include "converter/core/module1.h"
#include "converter/core/transform.h"
#include "converter/digitalmap/attribute_index.h"
#include "converter/digitalmap/sheet_reader.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"
#include "platform/line_source.h"

namespace digitalmap {

namespace {

using converter::BoxOf;
using converter::CheckDevice;
using converter::DeviceCheck;
using converter::DevicePoint;
using converter::formatReal;
using converter::frameValueName;
using converter::FrameValues;
using converter::LabelBox;
using converter::LabelBoxFits;
using converter::ReadExtent;
using converter::roundTo32;
using converter::SheetTransform;
using converter::ToDevice;
using platform::Buttons;
using platform::Icon;

constexpr const char* kTitle = "nsdi2pdb";
constexpr const char* kNoSheetDir = "メッシュ番号のディレクトリを指定して下さい！";
constexpr const char* kNoPdbDir = "PDBファイルのディレクトリを指定して下さい！";
constexpr const char* kBadCount = "レコード数の指定が間違っています！";
constexpr const char* kBadCountStage = "レコード数の指定がまちがっています！";
constexpr const char* kTotalWrong = "レコード総数が間違っています！";
constexpr const char* kEndOfFile = "ファイルの終わり。レコード総数が間違っています！";
constexpr const char* kBadPolygon = "不正なポリゴン！";
constexpr const char* kBadLineString = "不正なラインストリング！";
constexpr const char* kGraphicDone = "図形PDBファイル作成処理が終了しました！( 6 / 7 )";
constexpr const char* kAttrDone = "属性PDBファイル作成処理が完了しました！( 7 / 7 )";

constexpr std::size_t kMaxOutlinePoints = 2048;
constexpr long long kMaxLinePoints = 32765;  // body length n + 2 is a signed 16-bit value
constexpr long long kMaxBuildings = 32767;   // the serial number is a signed 16-bit value

struct Input {
    std::string path;
    std::string label;  // names the file in messages
};

void showError(platform::Prompter& prompter, const std::string& text, std::string_view title) {
    prompter.show(text, title, Icon::Critical, Buttons::Ok);
}

void showInfo(platform::Prompter& prompter, const std::string& text, std::string_view title) {
    prompter.show(text, title, Icon::Information, Buttons::Ok);
}

std::string inFile(const char* text, const SheetFile& file) {
    return std::string(text) + "\n" + file.label() + "（" + std::to_string(file.line()) + " 行目）";
}

long long abs64(long long v) {
    return v < 0 ? (v == INT64_MIN ? INT64_MAX : -v) : v;
}

// Reads the extent header and checks its record count and extent; messages on failure.
// The record-count message carries badCountTitle (the stages show it under the
// application's title, attrCSVcreate under its own).
bool readCheckedHeader(SheetFile& file, ExtentHeader& header, SheetTransform& extent,
                       const char* badCountText, platform::Prompter& prompter,
                       std::string_view title, std::string_view badCountTitle = "") {
    switch (file.readHeader(header)) {
        case ReadStatus::Ok:
            break;
        case ReadStatus::EndOfFile:
            showError(prompter, file.label() + "：ヘッダーの途中でファイルが終わっています。",
                      title);
            return false;
        case ReadStatus::Bad:
            showError(prompter, file.error(), title);
            return false;
    }
    if (!header.validCount()) {
        showError(prompter,
                  std::string(badCountText) + "\n" + file.label() + "（" +
                      std::to_string(header.line) + " 行目、レコード数 " +
                      std::to_string(header.recordCount) + "）",
                  badCountTitle);
        return false;
    }
    auto e = ReadExtent(header.d1, header.d2, header.d3, header.d4);
    if (!e || !roundTo32(e->originEast) || !roundTo32(e->originNorth) || !roundTo32(e->Re) ||
        !roundTo32(e->Rn)) {
        showError(prompter,
                  file.label() + " の " + std::to_string(header.line) +
                      " 行目：図郭の範囲が不正です（最小北 " + formatReal(header.d1) + "、最小東 " +
                      formatReal(header.d2) + "、最大北 " + formatReal(header.d3) + "、最大東 " +
                      formatReal(header.d4) + "）。最大値は最小値より大きくなければなりません。",
                  title);
        return false;
    }
    extent = *e;
    return true;
}

bool loadNames(const Input& in, bool town, NameIndex& index, platform::Prompter& prompter,
               std::string_view title) {
    platform::Result<std::string> data = readInputFile(in.path, in.label);
    if (!data) {
        showError(prompter, data.error(), title);
        return false;
    }
    platform::Result<NameIndex> names =
        town ? LoadTownNames(*data, in.label) : LoadBuildingNames(*data, in.label);
    if (!names) {
        showError(prompter, names.error(), title);
        return false;
    }
    index = std::move(*names);
    return true;
}

// The building arcs of tatemono.arc, looked up by arc ID in stored order. The points of all
// arcs sit in one array; entries with the same ID are chained in the order they were read.
class ArcTable {
  public:
    struct Entry {
        long long id = 0;
        std::size_t first = 0;  // index of its first point
        std::size_t count = 0;
        std::size_t next = kNone;  // next entry with the same ID
    };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t size() const { return entries_.size(); }
    void add(long long id) {
        std::size_t index = entries_.size();
        entries_.push_back({id, points_.size(), 0, kNone});
        auto [it, fresh] = ends_.try_emplace(id, std::make_pair(index, index));
        if (!fresh) {
            entries_[it->second.second].next = index;
            it->second.second = index;
        }
    }
    // Adds a point to the entry added last.
    void addPoint(const PointRecord& p) {
        points_.push_back(p);
        ++entries_.back().count;
    }
    // Every entry with the ID, in stored order, as (first point, point count).
    template <typename Visit>
    void forEach(long long id, Visit visit) const {
        auto it = ends_.find(id);
        if (it == ends_.end())
            return;
        for (std::size_t i = it->second.first; i != kNone; i = entries_[i].next)
            visit(points_.data() + entries_[i].first, entries_[i].count);
    }

  private:
    std::vector<Entry> entries_;
    std::vector<PointRecord> points_;
    std::unordered_map<long long, std::pair<std::size_t, std::size_t>> ends_;  // first, last
};

class GraphicRun {
  public:
    GraphicRun(const SheetPaths& paths, const std::array<std::int16_t, 12>& frame,
               const platform::LocalDate& today, platform::Prompter& prompter,
               platform::OutputSet& outputs)
        : paths_(paths), frame_(frame), today_(today), prompter_(prompter), outputs_(outputs) {}

    // Stages up to the graphic database; false when the run ended early.
    bool run();

  private:
    bool sizingPass();
    bool sizeFile(const Input& in, bool polygons, SheetTransform& extent, bool arcTable = false);
    void beginDatabase();
    bool loadArcTable(ArcTable& table);
    // Opens one input and reads its checked extent header; a message on failure.
    bool openChecked(const Input& in, const char* badCountText, SheetFile& file,
                     ExtentHeader& header, SheetTransform& extent);
    bool buildings();
    void writeBuilding(const PolygonRecord& polygon, std::int16_t serial,
                       const SheetTransform& extent);
    bool placeNames();
    void writeLabel(const PolygonRecord& polygon, const DevicePoint& anchor);
    bool lines(const char* progress, const Input& in, std::uint8_t elementClass,
               std::uint8_t style);
    void finishCutElement(std::size_t at, const BoxOf& box);
    void error(const std::string& text, std::string_view title = "") {
        showError(prompter_, text, title);
    }

    const SheetPaths& paths_;
    std::array<std::int16_t, 12> frame_;
    platform::LocalDate today_;
    platform::Prompter& prompter_;
    platform::OutputSet& outputs_;
    pdb::GraphicDatabase graphic_;
    std::uint64_t estimate_ = 24;
    SheetTransform frameExtent_;
    ArcTable arcs_;
    std::vector<PointRecord> outline_;
    NameIndex towns_;
    bool townsLoaded_ = false;
};

Input input(const std::string& path, const char* label) {
    return {path, label};
}

bool GraphicRun::openChecked(const Input& in, const char* badCountText, SheetFile& file,
                             ExtentHeader& header, SheetTransform& extent) {
    if (!file.open(in.path, in.label)) {
        error(file.error(), kTitle);
        return false;
    }
    return readCheckedHeader(file, header, extent, badCountText, prompter_, kTitle);
}

bool GraphicRun::run() {
    if (!sizingPass())
        return false;
    beginDatabase();
    if (!buildings() || !placeNames())
        return false;
    if (!lines("街区レコード書き込み中です！( 3 / 7 )", input(paths_.gaikuArc, "GAIKU/gaiku.arc"),
               2, 0) ||
        !lines("河川レコード書き込み中です！( 4 / 7 )", input(paths_.kasenArc, "KASEN/kasen.arc"),
               4, 112) ||
        !lines("鉄道レコードを書き込み中です！( 5 / 7 )",
               input(paths_.othersArc, "OTHERS/others.arc"), 3, 80))
        return false;
    if (platform::Status staged = graphic_.FinishGraphicDatabase(outputs_); !staged) {
        error(staged.error(), kTitle);
        return false;
    }
    showInfo(prompter_, kGraphicDone, kTitle);
    return true;
}

bool GraphicRun::sizingPass() {
    SheetTransform extent;
    return sizeFile(input(paths_.tatemonoArc, "TATEMONO/tatemono.arc"), false, extent, true) &&
           sizeFile(input(paths_.tyomePgn, "GYOUSEI/tyome.pgn"), true, extent) &&
           sizeFile(input(paths_.gaikuArc, "GAIKU/gaiku.arc"), false, extent) &&
           sizeFile(input(paths_.kasenArc, "KASEN/kasen.arc"), false, extent) &&
           sizeFile(input(paths_.othersArc, "OTHERS/others.arc"), false, frameExtent_);
}

bool GraphicRun::sizeFile(const Input& in, bool polygons, SheetTransform& extent, bool arcTable) {
    SheetFile file;
    ExtentHeader header;
    if (!openChecked(in, kBadCount, file, header, extent))
        return false;
    // The building arcs' header gives the size of the arc table: no more arcs than records.
    if (arcTable && (header.arcCount < 0 || header.arcCount > header.recordCount - 1)) {
        error(file.label() + " の " + std::to_string(header.line) +
                  " 行目：ヘッダーのアーク数（5 番目の項目）" + std::to_string(header.arcCount) +
                  " が不正です（0 から、レコード数 − 1 の " +
                  std::to_string(header.recordCount - 1) + " まで）。",
              kTitle);
        return false;
    }
    long long left = 0;  // points or references still to come
    long long recordsLeft = header.recordCount - 1;
    while (file.recordsLeft()) {
        ReadStatus status;
        if (left == 0) {
            if (polygons) {
                PolygonRecord p;
                status = file.readPolygon(p);
                if (status == ReadStatus::Ok) {
                    if (p.arcRefs < 1)
                        break;
                    estimate_ += 40;
                    left = p.arcRefs;
                }
            } else {
                ArcRecord a;
                status = file.readArc(a);
                if (status == ReadStatus::Ok) {
                    if (a.pointCount < 1)
                        break;
                    // No more points can follow than records are left.
                    auto n = static_cast<std::uint64_t>(std::min(a.pointCount, recordsLeft));
                    estimate_ += 16 + 4 * (n + n % 2);
                    left = a.pointCount;
                }
            }
        } else if (polygons) {
            long long ref = 0;
            status = file.readArcRef(ref);
            --left;
        } else {
            PointRecord pt;
            status = file.readPoint(pt);
            --left;
        }
        --recordsLeft;
        if (status == ReadStatus::EndOfFile) {
            error(inFile(kTotalWrong, file), kTitle);
            break;
        }
        if (status == ReadStatus::Bad) {
            error(file.error(), kTitle);
            return false;
        }
    }
    return true;
}

void GraphicRun::beginDatabase() {
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(paths_.base + "_G", name))
        converter::Module1::showFailure(prompter_, "byteConv");
    graphic_.BeginGraphicDatabase(paths_.graphicDb, name, pdb::palmDayStamp(today_),
                                  pdb::GraphicRecordCount(estimate_));
    graphic_.AppendElement({pdb::kKindFrame, 1, pdb::kFrameBodyLength, 0, 0});
    graphic_.AppendBE32(static_cast<std::uint32_t>(*roundTo32(frameExtent_.originEast)));
    graphic_.AppendBE32(static_cast<std::uint32_t>(*roundTo32(frameExtent_.originNorth)));
    graphic_.AppendBE32(static_cast<std::uint32_t>(*roundTo32(frameExtent_.Re)));
    graphic_.AppendBE32(static_cast<std::uint32_t>(*roundTo32(frameExtent_.Rn)));
    for (std::int16_t v : frame_) graphic_.AppendBE16(static_cast<std::uint16_t>(v));
}

bool GraphicRun::loadArcTable(ArcTable& table) {
    SheetFile file;
    ExtentHeader header;
    SheetTransform extent;
    if (!openChecked(input(paths_.tatemonoArc, "TATEMONO/tatemono.arc"), kBadCountStage, file,
                     header, extent))
        return false;
    const long long capacity = std::max(0LL, header.arcCount);
    long long left = 0;
    while (file.recordsLeft()) {
        ReadStatus status;
        if (left == 0) {
            ArcRecord a;
            status = file.readArc(a);
            if (status == ReadStatus::Ok) {
                if (a.pointCount < 1)
                    break;
                if (static_cast<long long>(table.size()) >= capacity) {
                    error(file.label() + " の " + std::to_string(a.line) +
                              " 行目：アーク（ID=" + std::to_string(a.id) +
                              "）がヘッダーのアーク数 " + std::to_string(capacity) +
                              " を超えています。これ以降のアークは読み込みません。",
                          kTitle);
                    break;
                }
                table.add(a.id);
                left = a.pointCount;
            }
        } else {
            PointRecord pt;
            status = file.readPoint(pt);
            if (status == ReadStatus::Ok) {
                table.addPoint(pt);
                --left;
            }
        }
        if (status == ReadStatus::EndOfFile) {
            error(inFile(kEndOfFile, file), "Arc");
            break;
        }
        if (status == ReadStatus::Bad) {
            error(file.error(), kTitle);
            return false;
        }
    }
    return true;
}

bool GraphicRun::buildings() {
    if (!loadArcTable(arcs_))
        return false;
    showInfo(prompter_, "建物レコード書き込み中です！( 1 / 7 )", "");
    SheetFile file;
    ExtentHeader header;
    SheetTransform extent;
    if (!openChecked(input(paths_.tatemonoPgn, "TATEMONO/tatemono.pgn"), kBadCountStage, file,
                     header, extent))
        return false;
    long long serial = 0;
    while (file.recordsLeft()) {
        PolygonRecord polygon;
        ReadStatus status = file.readPolygon(polygon);
        if (status == ReadStatus::EndOfFile) {
            error(inFile(kEndOfFile, file), "arc");
            break;
        }
        if (status == ReadStatus::Bad) {
            error(file.error(), kTitle);
            return false;
        }
        if (polygon.arcRefs < 1)
            break;
        ++serial;
        outline_.clear();
        std::size_t outlinePoints = 0;  // counted on beyond the buffer's limit
        bool complete = true;
        for (long long k = 1; k <= polygon.arcRefs; ++k) {
            long long ref = 0;
            if (!file.recordsLeft()) {
                complete = false;
                break;
            }
            status = file.readArcRef(ref);
            if (status == ReadStatus::EndOfFile) {
                error(inFile(kEndOfFile, file), "arc");
                return true;  // the stage ends, the run goes on
            }
            if (status == ReadStatus::Bad) {
                error(file.error(), kTitle);
                return false;
            }
            // The sign of a reference is ignored: arcs are taken in their stored direction.
            // After the first reference an arc's first point repeats the previous last one.
            std::size_t skip = k == 1 ? 0 : 1;
            arcs_.forEach(abs64(ref), [&](const PointRecord* points, std::size_t count) {
                if (count <= skip)
                    return;
                outlinePoints += count - skip;
                if (outlinePoints <= kMaxOutlinePoints)
                    outline_.insert(outline_.end(), points + skip, points + count);
            });
        }
        if (!complete)
            break;
        if (serial > kMaxBuildings) {
            error(file.label() + " の " + std::to_string(polygon.line) +
                      " 行目：建物が 32767 件を超えました。これ以降の建物は書き込みません。",
                  kTitle);
            break;
        }
        if (outlinePoints > kMaxOutlinePoints) {
            error(file.label() + " の " + std::to_string(polygon.line) +
                      " 行目：建物（ID=" + std::to_string(polygon.id) + "）の外形が " +
                      std::to_string(kMaxOutlinePoints) + " 点を超えています（" +
                      std::to_string(outlinePoints) + " 点）。この建物は書き込みません。",
                  kTitle);
            continue;
        }
        writeBuilding(polygon, static_cast<std::int16_t>(serial), extent);
    }
    return true;
}

void GraphicRun::writeBuilding(const PolygonRecord& polygon, std::int16_t serial,
                               const SheetTransform& extent) {
    std::size_t at = graphic_.BeginPointElement(pdb::kKindArea, 1, 32, serial);
    BoxOf box;
    for (const PointRecord& pt : outline_) {
        DevicePoint d = ToDevice(extent, pt.north, pt.east);
        DeviceCheck check = CheckDevice(d.x, d.y, polygon.id);
        if (!check.accepted) {
            // The building ends here; its element keeps the points accepted so far.
            error(check.message);
            finishCutElement(at, box);
            return;
        }
        box.add(d);
        graphic_.AppendPoint(check.x, check.y);
    }
    if (box.degenerate())
        error(kBadPolygon);
    graphic_.EndPointElement(at, box.box());
}

void GraphicRun::finishCutElement(std::size_t at, const BoxOf& box) {
    if (box.empty())
        graphic_.Rewind(at);
    else
        graphic_.EndPointElement(at, box.box());
}

bool GraphicRun::placeNames() {
    showInfo(prompter_, "地名レコード書き込み中です！( 2 / 7 )", "");
    SheetFile file;
    ExtentHeader header;
    SheetTransform extent;
    if (!openChecked(input(paths_.tyomePgn, "GYOUSEI/tyome.pgn"), kBadCountStage, file, header,
                     extent))
        return false;
    while (file.recordsLeft()) {
        PolygonRecord polygon;
        ReadStatus status = file.readPolygon(polygon);
        if (status == ReadStatus::EndOfFile) {
            error(inFile(kEndOfFile, file), "tyome");
            break;
        }
        if (status == ReadStatus::Bad) {
            error(file.error(), kTitle);
            return false;
        }
        if (polygon.arcRefs < 1)
            break;
        DevicePoint anchor = ToDevice(extent, polygon.north, polygon.east);
        if (!LabelBoxFits(anchor.x, anchor.y)) {
            error(file.label() + " の " + std::to_string(polygon.line) +
                      " 行目：地名（ID=" + std::to_string(polygon.id) +
                      "）の枠が座標の範囲を越えています（X=" + formatReal(anchor.x) +
                      " Y=" + formatReal(anchor.y) + "）。この地名は書き込みません。",
                  kTitle);
        } else {
            if (!townsLoaded_) {
                if (!loadNames(input(paths_.tyomeAtr, "GYOUSEI/tyome.atr"), true, towns_, prompter_,
                               kTitle))
                    return false;
                townsLoaded_ = true;
            }
            writeLabel(polygon, anchor);
        }
        for (long long k = 0; k < polygon.arcRefs && file.recordsLeft(); ++k) {
            long long ref = 0;
            status = file.readArcRef(ref);
            if (status == ReadStatus::EndOfFile) {
                error(inFile(kEndOfFile, file), "tyome");
                return true;
            }
            if (status == ReadStatus::Bad) {
                error(file.error(), kTitle);
                return false;
            }
        }
    }
    return true;
}

void GraphicRun::writeLabel(const PolygonRecord& polygon, const DevicePoint& anchor) {
    graphic_.AppendElement({pdb::kKindLabel, 10, pdb::kLabelBodyLength, 0, 0});
    std::size_t boxAt = graphic_.AppendZeroBox();
    graphic_.PatchBox(boxAt, LabelBox(anchor.x, anchor.y));
    std::array<std::uint8_t, pdb::kLabelNameSize> field{};
    const std::string& name = towns_.nameOf(polygon.id);
    if (!name.empty()) {
        std::span<const std::uint8_t> source(reinterpret_cast<const std::uint8_t*>(name.data()),
                                             name.size());
        auto n = static_cast<std::int16_t>(std::min<std::size_t>(name.size(), 32767));
        platform::Result<std::int32_t> copied = converter::Module1::compressDbcs(field, source, n);
        if (!copied)
            converter::Module1::showFailure(prompter_, "compressDbcs");
        if (!copied || name.size() > field.size()) {
            // Too long for the field: keep what fits rather than an empty name, without
            // splitting a double-byte character.
            field.fill(0);
            pdb::storeText(field, name);
        }
    }
    graphic_.AppendBytes(field.data(), field.size());
}

bool GraphicRun::lines(const char* progress, const Input& in, std::uint8_t elementClass,
                       std::uint8_t style) {
    showInfo(prompter_, progress, "");
    SheetFile file;
    ExtentHeader header;
    SheetTransform extent;
    if (!openChecked(in, kBadCount, file, header, extent))
        return false;
    while (file.recordsLeft()) {
        ArcRecord arc;
        ReadStatus status = file.readArc(arc);
        if (status == ReadStatus::EndOfFile) {
            error(inFile(kTotalWrong, file), kTitle);
            return true;
        }
        if (status == ReadStatus::Bad) {
            error(file.error(), kTitle);
            return false;
        }
        if (arc.pointCount < 1)
            return true;
        if (arc.pointCount > kMaxLinePoints) {
            error(file.label() + " の " + std::to_string(arc.line) +
                      " 行目：アーク（ID=" + std::to_string(arc.id) + "）の点数 " +
                      std::to_string(arc.pointCount) + " が多すぎます（上限 " +
                      std::to_string(kMaxLinePoints) + "）。この段階を終わります。",
                  kTitle);
            return true;
        }
        std::size_t at = graphic_.BeginPointElement(pdb::kKindLine, elementClass, style, 0);
        BoxOf box;
        for (long long i = 0; i < arc.pointCount; ++i) {
            PointRecord pt;
            if (!file.recordsLeft()) {
                finishCutElement(at, box);
                return true;
            }
            status = file.readPoint(pt);
            if (status == ReadStatus::EndOfFile) {
                finishCutElement(at, box);
                error(inFile(kTotalWrong, file), kTitle);
                return true;
            }
            if (status == ReadStatus::Bad) {
                error(file.error(), kTitle);
                return false;
            }
            DevicePoint d = ToDevice(extent, pt.north, pt.east);
            DeviceCheck check = CheckDevice(d.x, d.y, arc.id);
            if (!check.accepted) {
                // The stage ends; the line keeps the points accepted so far.
                error(check.message);
                finishCutElement(at, box);
                return true;
            }
            box.add(d);
            graphic_.AppendPoint(check.x, check.y);
        }
        if (box.degenerate()) {
            error(kBadLineString);
            graphic_.EndPointElement(at, {});  // the box stays zero
            return true;
        }
        graphic_.EndPointElement(at, box.box());
    }
    return true;
}

std::string csvText(std::string_view sjis) {
    std::string text;
    bool comma = false;
    for (char c : sjis) {
        if (c == '"')
            c = '\'';  // a double quote cannot be written inside a field
        else if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
        comma = comma || c == ',';
        text.push_back(c);
    }
    return comma ? "\"" + text + "\"" : text;
}

// A building name as it goes into Text1 (32 bytes). A name two or more bytes longer than the
// field gets the field conversion's report, as the attribute database conversion would give
// it, and is cut to the field without splitting a double-byte character, so the CSV and the
// database keep the same name.
std::string fitBuildingName(const std::string& name, platform::Prompter& prompter) {
    constexpr std::size_t kText1Size = 32;
    if (name.size() <= kText1Size + 1)
        return name;
    std::array<std::uint8_t, kText1Size> field{};
    std::span<const std::uint8_t> source(reinterpret_cast<const std::uint8_t*>(name.data()),
                                         name.size());
    if (!converter::Module1::compressDbcs(
            field, source, static_cast<std::int16_t>(std::min<std::size_t>(name.size(), 32767))))
        converter::Module1::showFailure(prompter, "compressDbcs");
    field.fill(0);
    pdb::storeText(field, name);
    return pdb::storedText(field);
}

}  // namespace

std::string SheetBaseName(std::string_view sheetDir) {
    while (sheetDir.size() > 1 && sheetDir.back() == '/') sheetDir.remove_suffix(1);
    return std::string(platform::fileNameOf(sheetDir));
}

SheetPaths MakeSheetPaths(const std::string& sheetDir, const std::string& outDir) {
    SheetPaths p;
    p.base = SheetBaseName(sheetDir);
    if (p.base == "." || p.base == "..") {
        // "." names the folder by where it is: take the folder's own name.
        std::error_code ec;
        auto real = std::filesystem::weakly_canonical(std::filesystem::absolute(sheetDir), ec);
        if (!ec && !real.filename().empty())
            p.base = real.filename().string();
    }
    p.tatemonoArc = sheetDir + "/TATEMONO/tatemono.arc";
    p.tatemonoPgn = sheetDir + "/TATEMONO/tatemono.pgn";
    p.tatemonoAtr = sheetDir + "/TATEMONO/tatemono.atr";
    p.tyomePgn = sheetDir + "/GYOUSEI/tyome.pgn";
    p.tyomeAtr = sheetDir + "/GYOUSEI/tyome.atr";
    p.gaikuArc = sheetDir + "/GAIKU/gaiku.arc";
    p.kasenArc = sheetDir + "/KASEN/kasen.arc";
    p.othersArc = sheetDir + "/OTHERS/others.arc";
    p.graphicDb = outDir + "/" + p.base + "_G.pdb";
    p.attrDb = outDir + "/" + p.base + "_A.pdb";
    p.attrCsv = outDir + "/" + p.base + ".csv";
    return p;
}

bool CreateFromDigitalMap(const std::string& sheetDir, const std::string& outDir,
                          const std::array<double, 12>& frame, const platform::LocalDate& today,
                          platform::Prompter& prompter) {
    if (sheetDir.empty() || SheetBaseName(sheetDir).empty() || SheetBaseName(sheetDir) == "/") {
        showError(prompter, kNoSheetDir, "");
        return false;
    }
    SheetPaths paths = MakeSheetPaths(sheetDir, outDir);
    if (outDir.empty()) {
        showError(prompter, kNoPdbDir, "");
        return false;
    }
    std::size_t bad = 0;
    auto frameValues = FrameValues(frame, &bad);
    if (!frameValues) {
        showError(prompter,
                  std::string("図枠の値 ") + frameValueName(bad) + "（" + formatReal(frame[bad]) +
                      "）は -32768 から 32767 の整数でなければなりません。",
                  "");
        return false;
    }
    const Input inputs[] = {
        {paths.tatemonoArc, "TATEMONO/tatemono.arc"}, {paths.tatemonoPgn, "TATEMONO/tatemono.pgn"},
        {paths.tatemonoAtr, "TATEMONO/tatemono.atr"}, {paths.tyomePgn, "GYOUSEI/tyome.pgn"},
        {paths.tyomeAtr, "GYOUSEI/tyome.atr"},        {paths.gaikuArc, "GAIKU/gaiku.arc"},
        {paths.kasenArc, "KASEN/kasen.arc"},          {paths.othersArc, "OTHERS/others.arc"}};
    for (const Input& in : inputs) {
        if (!platform::fileExists(in.path)) {
            showError(prompter, "入力ファイルがありません：" + in.label + "（" + in.path + "）",
                      kTitle);
            return false;
        }
    }
    // The attribute files are text that goes into the databases: one in another encoding is
    // refused before anything is written, not found out after the graphic database.
    for (const Input& in : {Input{paths.tatemonoAtr, "TATEMONO/tatemono.atr"},
                            Input{paths.tyomeAtr, "GYOUSEI/tyome.atr"}}) {
        platform::Result<std::string> data = readInputFile(in.path, in.label);
        if (!data) {
            showError(prompter, data.error(), kTitle);
            return false;
        }
        if (auto problem = AttributeFileEncodingProblem(*data, in.label)) {
            showError(prompter, *problem, kTitle);
            return false;
        }
    }
    if (!converter::prepareOutputFolder(outDir, prompter))
        return false;
    // The graphic database, the CSV and the attribute database are put in place together at
    // the end of the run.
    platform::OutputSet outputs;
    GraphicRun run(paths, *frameValues, today, prompter, outputs);
    if (!run.run())
        return false;
    return attrCSVcreate(paths.attrCsv, sheetDir, paths.attrDb, today, prompter, outputs);
}

std::string BuildingCsvLine(long long id, double x, double y, std::string_view sjisName) {
    auto corner = [](double v) {
        return std::to_string(static_cast<long long>(std::nearbyint(v - 200)));
    };
    return std::to_string(id) + ",3,0,0," + corner(x) + "," + corner(y) + ",400,400," +
           formatReal(x) + "," + formatReal(y) + "," + csvText(sjisName) + ",,0,0,0,0,0,0,0,0,0,";
}

bool attrCSVcreate(const std::string& csvPath, const std::string& sheetDir,
                   const std::string& attrDbPath, const platform::LocalDate& today,
                   platform::Prompter& prompter, platform::OutputSet& outputs) {
    constexpr const char* title = "attrCSVcreate";
    SheetPaths paths = MakeSheetPaths(sheetDir, "");
    SheetFile file;
    if (!file.open(paths.tatemonoPgn, "TATEMONO/tatemono.pgn")) {
        showError(prompter, file.error(), title);
        return false;
    }
    ExtentHeader header;
    SheetTransform extent;
    if (!readCheckedHeader(file, header, extent, kBadCount, prompter, title, title))
        return false;

    NameIndex names;
    bool namesLoaded = false;
    std::string csv;
    bool more = true;
    while (more && file.recordsLeft()) {
        PolygonRecord polygon;
        ReadStatus status = file.readPolygon(polygon);
        if (status == ReadStatus::EndOfFile) {
            showError(prompter, inFile(kEndOfFile, file), title);
            break;
        }
        if (status == ReadStatus::Bad) {
            showError(prompter, file.error(), title);
            return false;
        }
        if (polygon.arcRefs < 1)
            break;
        DevicePoint anchor = ToDevice(extent, polygon.north, polygon.east);
        if (!namesLoaded) {
            if (!loadNames({paths.tatemonoAtr, "TATEMONO/tatemono.atr"}, false, names, prompter,
                           title))
                return false;
            namesLoaded = true;
        }
        csv += BuildingCsvLine(polygon.id, anchor.x, anchor.y,
                               fitBuildingName(names.nameOf(polygon.id), prompter));
        csv += "\r\n";
        for (long long k = 0; k < polygon.arcRefs && file.recordsLeft(); ++k) {
            long long ref = 0;
            status = file.readArcRef(ref);
            if (status == ReadStatus::EndOfFile) {
                showError(prompter, inFile(kEndOfFile, file), title);
                more = false;
                break;
            }
            if (status == ReadStatus::Bad) {
                showError(prompter, file.error(), title);
                return false;
            }
        }
    }
    platform::WriteError writeError;
    if (!outputs.add(csvPath, csv, &writeError)) {
        showError(prompter, csvPath + " を書き込めません（" + writeError.reason + "）。", title);
        return false;
    }
    return attrPDBcreate(csvPath, csv, attrDbPath, today, prompter, outputs);
}

bool attrPDBcreate(const std::string& csvPath, const std::string& csvText,
                   const std::string& attrDbPath, const platform::LocalDate& today,
                   platform::Prompter& prompter, platform::OutputSet& outputs) {
    constexpr const char* title = "attrPDBcreate";
    converter::AttrCsvResult csv = converter::readAttrCsv(csvText);
    if (csv.problem) {
        showError(prompter, converter::describeCsvProblem(csvPath, *csv.problem), title);
        return false;
    }
    for (const converter::TextCut& cut : csv.cuts)
        prompter.show(converter::describeTextCut(csvPath, cut), title, Icon::Warning, Buttons::Ok);
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(converter::baseNameOf(attrDbPath), name))
        converter::Module1::showFailure(prompter, "byteConv");
    platform::Status written =
        converter::stageFeatureAttrDatabase(outputs, attrDbPath, name, csv.records, today);
    if (written)
        written = converter::commitOutputs(outputs);
    if (!written) {
        showError(prompter, written.error(), title);
        return false;
    }
    showInfo(prompter, kAttrDone, title);
    return true;
}

}  // namespace digitalmap
