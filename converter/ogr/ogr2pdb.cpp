#include "converter/ogr/ogr2pdb.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <new>
#include <unordered_map>

#include "converter/core/module1.h"
#include "converter/core/transform.h"
#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/graphic_stream.h"
#include "platform/cp932.h"
#include "platform/text.h"

namespace ogr {
namespace {

using converter::BoxOf;
using converter::DevicePoint;
using converter::formatReal;
using converter::SheetTransform;
using platform::Buttons;
using platform::Icon;

constexpr std::size_t kMaxAreaPoints = 2048;   // a building outline's limit
constexpr std::size_t kMaxLinePoints = 32765;  // body length n + 2 is a signed 16-bit value
constexpr std::size_t kListed = 10;            // problems listed by name in one message
constexpr const char* kGeta = "〓";            // stands for a character Shift-JIS lacks

// An extent's metres as the account shows them: to the millimetre, the digits past it are noise.
std::string metres(double v) {
    return formatReal(std::nearbyint(v * 1000) / 1000);
}

struct PendingPoints {
    std::vector<std::int16_t> xy;  // x, y, x, y, …
    pdb::Box box;
};
struct PendingArea {
    PendingPoints outline;
    pdb::FeatureAttrRec record;
};
struct PendingLine {
    PendingPoints points;
    std::uint8_t style = 0;
};
struct PendingLabel {
    pdb::Box box;
    std::array<std::uint8_t, pdb::kLabelNameSize> name{};
};

std::size_t pointElementSize(std::size_t points) {
    return pdb::kElementHeaderSize + 8 + 4 * points + (points % 2 ? 4 : 0);
}

bool takes(Element element, GeometryClass kind) {
    switch (element) {
        case Element::Area:
        case Element::Line:
            return kind == GeometryClass::Polygon || kind == GeometryClass::Line;
        case Element::Label:
            return kind == GeometryClass::Point;
        case Element::Skip:
            return kind != GeometryClass::Any;
    }
    return false;
}

const char* elementWord(Element e, int lineClass) {
    switch (e) {
        case Element::Area:
            return "面（建物）";
        case Element::Label:
            return "ラベル";
        case Element::Skip:
            return "変換しない";
        case Element::Line:
            return lineClass == 4 ? "線（河川）" : lineClass == 3 ? "線（鉄道）" : "線（街区）";
    }
    return "";
}

std::string mappingFor(const std::string& word, const std::vector<LayerInfo>& layers) {
    if (!word.empty())
        return word;
    bool basemap = std::any_of(layers.begin(), layers.end(),
                               [](const LayerInfo& l) { return isBasemapLayer(l.name); });
    return basemap ? "basemap" : "generic";
}

// A text from a field, as Shift-JIS bytes for a field of width bytes: a character Shift-JIS
// lacks becomes 〓, a text too long is cut on a character boundary; both are noted.
struct TextProblems {
    std::vector<std::string> notUtf8, unmappable, cut, numbers;
};

std::string toFieldText(const std::string& utf8, std::size_t width, const std::string& where,
                        TextProblems& problems) {
    if (platform::firstInvalidUtf8(utf8)) {
        // Text in another encoding than its file declares: nothing of it can be trusted.
        problems.notUtf8.push_back(where);
        return {};
    }
    std::string sjis;
    std::string missing;
    std::string_view rest = utf8;
    while (!rest.empty()) {
        platform::TextConversion c = platform::utf8ToCp932(rest);
        sjis += c.text;
        if (c.ok)
            break;
        const std::size_t len =
            std::min(platform::utf8CharLength(static_cast<unsigned char>(rest[c.badOffset])),
                     rest.size() - c.badOffset);
        std::string bad(rest.substr(c.badOffset, len));
        missing += missing.empty() ? "" : "、";
        missing += "「" + bad + "」";
        sjis += platform::toCp932(kGeta);
        rest.remove_prefix(c.badOffset + len);
    }
    if (!missing.empty())
        problems.unmappable.push_back(where + "：" + missing);
    const std::size_t keep = platform::cp932PrefixLength(sjis, width);
    if (keep < sjis.size()) {
        problems.cut.push_back(where + "：" + std::to_string(sjis.size()) + " バイトを " +
                               std::to_string(width) + " バイトに切りました");
        sjis.resize(keep);
    }
    return sjis;
}

template <std::size_t N>
void storeField(std::array<std::uint8_t, N>& field, const std::string& sjis) {
    field.fill(0);
    pdb::storeText(field, sjis);
}

// What a feature's fields give a rule, resolved once per layer and rule.
struct Resolved {
    std::optional<std::size_t> name;
    std::vector<std::pair<Column, std::size_t>> attributes;
};

class Run {
  public:
    Run(const Ogr2PdbOptions& options, platform::Prompter& prompter)
        : o_(options), prompter_(prompter) {}
    Ogr2PdbResult run();

  private:
    bool fail(const std::string& text) {
        prompter_.show(text, kOgrTitle, Icon::Critical, Buttons::Ok);
        return false;
    }
    bool open();
    bool measure();  // the data's extent (and the check that the mapping covers it)
    bool setUpTransform();
    bool convert();
    bool write();
    bool nothingToWrite();
    void reportProblems();

    // The rule of a feature, or a failure for a geometry the mapping does not cover.
    const Rule* ruleFor(std::size_t layer, const InputFeature& f);
    bool resolve(std::size_t layer, const Rule& rule, Resolved& out);
    std::string where(std::size_t layer, long long fid, const std::string& field = {}) const;
    std::string nameOf(std::size_t layer, const InputFeature& f, const Resolved& r,
                       std::size_t width);
    void fillRecord(std::size_t layer, const InputFeature& f, const Resolved& r,
                    pdb::FeatureAttrRec& rec);
    bool place(const std::vector<XY>& points, PendingPoints& out, std::size_t limit,
               const char* tooMany);
    DevicePoint device(const XY& p) const {
        return converter::ToDevice(transform_, p.north - extent_.minNorth,
                                   p.east - extent_.minEast);
    }

    const Ogr2PdbOptions& o_;
    platform::Prompter& prompter_;
    Ogr2PdbResult result_;
    Account& account_ = result_.account;
    std::string base_;
    int epsg_ = 0;
    Mapping mapping_;
    std::unique_ptr<VectorInput> input_;
    bool stopped_ = false;  // a failure was shown inside a read
    Bounds extent_;
    SheetTransform transform_;
    std::array<std::int16_t, 12> frame_{};
    std::map<std::pair<std::size_t, const Rule*>, Resolved> resolved_;
    std::vector<PendingArea> areas_;
    std::vector<PendingLabel> labels_;
    std::map<int, std::vector<PendingLine>> lines_;
    TextProblems problems_;
};

std::string Run::where(std::size_t layer, long long fid, const std::string& field) const {
    const LayerInfo& info = input_->layers()[layer];
    std::string text =
        "「" + info.file + "」のレイヤー「" + info.name + "」の地物 " + std::to_string(fid);
    if (!field.empty())
        text += "、フィールド「" + field + "」";
    return text;
}

bool Run::open() {
    if (o_.input.empty())
        return fail("入力ファイルかフォルダーを指定して下さい！");
    if (o_.outDir.empty())
        return fail("PDBファイルのディレクトリを指定して下さい！");
    auto plane = georef::planeEpsg(o_.zone, o_.datum);
    if (!plane)
        return fail(plane.error());
    epsg_ = *plane;
    std::error_code ec;
    if (!std::filesystem::is_directory(o_.outDir, ec))
        return fail("PDBファイルのディレクトリがありません：" + o_.outDir);
    base_ = converter::baseNameOf(o_.input);
    if (base_ == "." || base_ == ".." || base_.empty()) {
        auto real = std::filesystem::weakly_canonical(std::filesystem::absolute(o_.input), ec);
        base_ = ec ? std::string() : converter::baseNameOf(real.filename().string());
    }
    if (auto problem = converter::databaseNameProblem(base_))
        return fail(converter::refusedFileNameMessage(o_.input, *problem));
    auto opened = VectorInput::open(o_.input, o_.encoding);
    if (!opened)
        return fail(opened.error() + "何も作成しませんでした。");
    input_ = std::move(*opened);
    account_.mapping = mappingFor(o_.mapping, input_->layers());
    auto mapping = loadMapping(account_.mapping);
    if (!mapping)
        return fail(mapping.error());
    mapping_ = std::move(*mapping);
    if (platform::Status target = input_->setTarget(epsg_); !target)
        return fail(target.error());
    for (const LayerInfo& l : input_->layers()) {
        const bool mapped = mapping_.names(l.name);
        account_.layers.push_back({l.file, l.name, mapped ? 0 : l.featureCount, mapped});
        if (!mapped && l.featureCount > 0)
            account_.skip("マッピングに規則のないレイヤー", l.featureCount);
    }
    return true;
}

const Rule* Run::ruleFor(std::size_t layer, const InputFeature& f) {
    const Rule* rule = mapping_.find(input_->layers()[layer].name, f.shape.kind);
    if (f.shape.kind != GeometryClass::Any && rule && takes(rule->element, f.shape.kind))
        return rule;
    fail(where(layer, f.fid) + " は " + f.shape.typeName + " で、マッピング「" + mapping_.source +
         "」にはこの図形を変換する規則がありません（面は polygon と閉じた line、線は line と "
         "polygon、ラベルは point から作ります）。何も作成しませんでした。");
    stopped_ = true;
    return nullptr;
}

bool Run::resolve(std::size_t layer, const Rule& rule, Resolved& out) {
    auto it = resolved_.find({layer, &rule});
    if (it != resolved_.end()) {
        out = it->second;
        return true;
    }
    const LayerInfo& info = input_->layers()[layer];
    auto index = [&](const std::string& field) -> std::optional<std::size_t> {
        auto f = std::find(info.fields.begin(), info.fields.end(), field);
        if (f == info.fields.end())
            return std::nullopt;
        return static_cast<std::size_t>(f - info.fields.begin());
    };
    Resolved r;
    for (const std::string& candidate : rule.name)
        if ((r.name = index(candidate)))
            break;
    for (const auto& [column, field] : rule.attributes) {
        auto k = index(field);
        if (!k) {
            fail("マッピング「" + mapping_.source + "」で列 " + columnName(column) +
                 " に当てたフィールド「" + field + "」が、「" + info.file + "」のレイヤー「" +
                 info.name + "」にありません。何も作成しませんでした。");
            stopped_ = true;
            return false;
        }
        r.attributes.emplace_back(column, *k);
    }
    out = resolved_[{layer, &rule}] = r;
    return true;
}

bool Run::measure() {
    for (std::size_t i = 0; i < input_->layers().size() && !stopped_; ++i) {
        if (!account_.layers[i].mapped)
            continue;
        platform::Status read = input_->read(i, std::nullopt, [&](const InputFeature& f) {
            if (f.shape.typeName.empty())
                return true;
            const Rule* rule = ruleFor(i, f);
            if (!rule)
                return false;
            if (rule->element != Element::Skip)
                for (const auto& part : f.shape.parts)
                    for (const XY& p : part) extent_.add(p);
            return true;
        });
        if (!read)
            return fail(read.error());
    }
    return !stopped_;
}

bool Run::setUpTransform() {
    const Bounds& e = extent_;
    auto t = converter::ReadExtent(e.minNorth, e.minEast, e.maxNorth, e.maxEast);
    const std::string text = "北 " + metres(e.minNorth) + "〜" + metres(e.maxNorth) + "、東 " +
                             metres(e.minEast) + "〜" + metres(e.maxEast);
    if (!t)
        return fail("範囲（" + text + "）に広さがありません。--extent で範囲を指定して下さい。" +
                    "何も作成しませんでした。");
    if (!converter::roundTo32(t->originEast) || !converter::roundTo32(t->originNorth) ||
        !converter::roundTo32(t->Re) || !converter::roundTo32(t->Rn))
        return fail("範囲（" + text +
                    "）が大きすぎて図枠ヘッダーに書けません。何も作成しませんでした。");
    transform_ = *t;
    if (o_.frame) {
        std::size_t bad = 0;
        auto values = converter::FrameValues(*o_.frame, &bad);
        if (!values)
            return fail(std::string("図枠の値 ") + converter::frameValueName(bad) + "（" +
                        formatReal((*o_.frame)[bad]) +
                        "）は -32768 から 32767 の整数でなければなりません。");
        frame_ = *values;
        account_.frameText = "指定";
    } else {
        auto frame =
            georef::computeFrame({e.minNorth, e.minEast, e.maxNorth, e.maxEast}, o_.zone, o_.datum);
        if (!frame)
            return fail(frame.error() + "\n何も作成しませんでした。");
        for (std::size_t i = 0; i < 12; ++i)
            frame_[i] = static_cast<std::int16_t>(frame->values[i]);
        account_.frameText = "範囲から計算";
    }
    account_.frameText += "（" +
                          georef::frameValuesText({frame_[0], frame_[1], frame_[2], frame_[3],
                                                   frame_[4], frame_[5], frame_[6], frame_[7],
                                                   frame_[8], frame_[9], frame_[10], frame_[11]}) +
                          "）";
    account_.extent = extent_;
    return true;
}

std::string Run::nameOf(std::size_t layer, const InputFeature& f, const Resolved& r,
                        std::size_t width) {
    if (!r.name || !f.values[*r.name])
        return {};
    const std::string& field = input_->layers()[layer].fields[*r.name];
    return toFieldText(*f.values[*r.name], width, where(layer, f.fid, field), problems_);
}

void Run::fillRecord(std::size_t layer, const InputFeature& f, const Resolved& r,
                     pdb::FeatureAttrRec& rec) {
    rec.StatusCode = 3;
    storeField(rec.Text1, nameOf(layer, f, r, rec.Text1.size()));
    for (const auto& [column, k] : r.attributes) {
        if (!f.values[k])
            continue;
        const std::string& text = *f.values[k];
        const std::string here = where(layer, f.fid, input_->layers()[layer].fields[k]);
        if (column == Column::Text2 || column == Column::Text3) {
            if (column == Column::Text2)
                storeField(rec.Text2, toFieldText(text, rec.Text2.size(), here, problems_));
            else
                storeField(rec.Text3, toFieldText(text, rec.Text3.size(), here, problems_));
            continue;
        }
        const bool byte = column == Column::StatusCode || column == Column::SymbolCode ||
                          (column >= Column::Flag1 && column <= Column::Flag6);
        const double low = byte ? 0 : -32768;
        const double high = byte ? 255 : column == Column::UserData ? 65535 : 32767;
        platform::Number<double> n = platform::parseNumber<double>(text);
        const double v = std::nearbyint(n.value);
        if (n.status != platform::NumberStatus::Ok || !(v >= low && v <= high)) {
            problems_.numbers.push_back(here + "：「" + text + "」は列 " + columnName(column) +
                                        " の " + formatReal(low) + "〜" + formatReal(high) +
                                        " の数ではありません");
            continue;
        }
        const auto u8 = static_cast<std::uint8_t>(v);
        const auto u16 = static_cast<std::uint16_t>(static_cast<std::int32_t>(v) & 0xFFFF);
        switch (column) {
            case Column::StatusCode:
                rec.StatusCode = u8;
                break;
            case Column::SymbolCode:
                rec.SymbolCode = u8;
                break;
            case Column::UserData:
                rec.UserData = u16;
                break;
            case Column::Value1:
                rec.Value1 = u16;
                break;
            case Column::Value2:
                rec.Value2 = u16;
                break;
            case Column::Value3:
                rec.Value3 = u16;
                break;
            case Column::Flag1:
                rec.Flag1 = u8;
                break;
            case Column::Flag2:
                rec.Flag2 = u8;
                break;
            case Column::Flag3:
                rec.Flag3 = u8;
                break;
            case Column::Flag4:
                rec.Flag4 = u8;
                break;
            case Column::Flag5:
                rec.Flag5 = u8;
                break;
            case Column::Flag6:
                rec.Flag6 = u8;
                break;
            default:
                break;
        }
    }
}

// The device points of one area or line, with their box; false (and the reason counted)
// when the element cannot be written.
bool Run::place(const std::vector<XY>& points, PendingPoints& out, std::size_t limit,
                const char* tooMany) {
    if (points.size() > limit) {
        account_.skip(tooMany);
        return false;
    }
    BoxOf box;
    out.xy.clear();
    out.xy.reserve(points.size() * 2);
    for (const XY& p : points) {
        const DevicePoint d = device(p);
        const converter::DeviceCheck check = converter::CheckDevice(d.x, d.y);
        if (!check.accepted) {
            account_.skip("16 ビットの座標範囲を越える点がある図形");
            return false;
        }
        box.add(d);
        out.xy.push_back(check.x);
        out.xy.push_back(check.y);
    }
    if (box.degenerate()) {
        account_.skip("大きさのない図形（点が一つに重なる）");
        return false;
    }
    out.box = box.box();
    return true;
}

bool Run::convert() {
    const std::optional<Bounds> clip =
        o_.extent ? std::optional<Bounds>(extent_) : std::optional<Bounds>();
    for (std::size_t i = 0; i < input_->layers().size() && !stopped_; ++i) {
        if (!account_.layers[i].mapped)
            continue;
        platform::Status read = input_->read(i, clip, [&](const InputFeature& f) {
            ++account_.layers[i].read;
            const Shape& s = f.shape;
            if (s.typeName.empty()) {
                account_.skip("図形のない地物");
                return true;
            }
            const Rule* rule = ruleFor(i, f);
            Resolved r;
            if (!rule || !resolve(i, *rule, r))
                return false;
            if (rule->element == Element::Skip) {
                account_.skip("マッピングで「変換しない」地物");
                return true;
            }
            if (s.outside) {
                account_.skip("範囲の外の地物");
                return true;
            }
            account_.clipped += s.clipped ? 1 : 0;
            if (rule->element != Element::Label && s.holes > 0) {
                account_.holes += s.holes;
                ++account_.areasWithHoles;
            }
            if (rule->element == Element::Label) {
                std::optional<std::string> text;
                for (const auto& part : s.parts) {
                    if (!text)
                        text = nameOf(i, f, r, pdb::kLabelNameSize);
                    if (text->empty()) {
                        account_.skip("文字のないラベル");
                        continue;
                    }
                    const DevicePoint d = device(part[0]);
                    if (!converter::LabelBoxFits(d.x, d.y)) {
                        account_.skip("枠が 16 ビットの座標範囲を越えるラベル");
                        continue;
                    }
                    PendingLabel label;
                    label.box = converter::LabelBox(d.x, d.y);
                    storeField(label.name, *text);
                    labels_.push_back(label);
                }
                return true;
            }
            std::optional<pdb::FeatureAttrRec> record;
            for (std::size_t k = 0; k < s.parts.size(); ++k) {
                if (rule->element == Element::Line) {
                    PendingLine line;
                    line.style = static_cast<std::uint8_t>(rule->style);
                    if (place(s.parts[k], line.points, kMaxLinePoints, "32765 点を超える線"))
                        lines_[rule->lineClass].push_back(std::move(line));
                    continue;
                }
                if (!s.anchors[k]) {
                    account_.skip("閉じていない線（面にできない）");
                    continue;
                }
                PendingArea area;
                if (!place(s.parts[k], area.outline, kMaxAreaPoints, "2048 点を超える面"))
                    continue;
                if (!record) {
                    record.emplace();
                    fillRecord(i, f, r, *record);
                }
                area.record = *record;
                const DevicePoint a = device(*s.anchors[k]);
                const pdb::Box box = converter::LabelBox(a.x, a.y);
                area.record.TopLeftX = box.left;
                area.record.TopLeftY = box.top;
                area.record.ExtentX = box.width;
                area.record.ExtentY = box.height;
                area.record.X = converter::roundTo32(a.x).value_or(0);
                area.record.Y = converter::roundTo32(a.y).value_or(0);
                areas_.push_back(std::move(area));
            }
            return true;
        });
        if (!read)
            return fail(read.error());
    }
    return !stopped_;
}

void Run::reportProblems() {
    auto report = [&](const std::vector<std::string>& list, const std::string& heading) {
        if (list.empty())
            return;
        std::string text = heading + "（" + std::to_string(list.size()) + " 件）：";
        for (std::size_t k = 0; k < list.size() && k < kListed; ++k) text += "\n" + list[k];
        if (list.size() > kListed)
            text += "\nほか " + std::to_string(list.size() - kListed) + " 件";
        prompter_.show(text, kOgrTitle, Icon::Warning, Buttons::Ok);
    };
    report(problems_.notUtf8,
           "文字コードが違うため読めない文字列を空にしました（シェープファイルの .cpg が"
           "違うときは、--encoding で文字コードを指定して下さい）");
    report(problems_.unmappable, "Shift-JIS（コードページ 932）にない文字を「〓」にしました");
    report(problems_.cut, "フィールドに入りきらない文字列を文字の切れ目で切りました");
    report(problems_.numbers, "数にできない値の列は 0 のままにしました");
}

bool Run::nothingToWrite() {
    std::string counts;
    for (const LayerInfo& l : input_->layers())
        counts += "\nレイヤー「" + l.name + "」（" + l.file + "）：地物 " +
                  std::to_string(l.featureCount) + " 件" +
                  (mapping_.names(l.name) ? "" : "（マッピングに規則なし）");
    return fail("「" + o_.input + "」から書き込む要素がありません。何も作成しませんでした。" +
                counts);
}

bool Run::write() {
    std::uint64_t stream = pdb::kElementHeaderSize + 40;
    std::size_t lineCount = 0;
    for (const PendingArea& a : areas_) stream += pointElementSize(a.outline.xy.size() / 2);
    stream += labels_.size() * (pdb::kElementHeaderSize + 32);
    for (const auto& [lineClass, list] : lines_)
        for (const PendingLine& l : list) {
            stream += pointElementSize(l.points.xy.size() / 2);
            ++lineCount;
        }
    if (areas_.empty() && labels_.empty() && lineCount == 0)
        return nothingToWrite();
    if (areas_.size() > pdb::kMaxFeatureAttrRecs)
        return fail("面が " + std::to_string(areas_.size()) +
                    " 個になり、図形PDBファイルに書ける 32767 個を越えます（通し番号と属性レコード"
                    "の数が 16 ビット）。--extent で範囲を狭めて、何回かに分けて変換して下さい。"
                    "何も作成しませんでした。");

    result_.graphicPath = converter::joinPath(o_.outDir, base_ + "_G.pdb");
    result_.attrPath = converter::joinPath(o_.outDir, base_ + "_A.pdb");
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(base_ + "_G", name))
        converter::Module1::showFailure(prompter_, "byteConv");
    pdb::GraphicDatabase g;
    g.BeginGraphicDatabase(result_.graphicPath, name, pdb::palmDayStamp(o_.today),
                           pdb::GraphicRecordCount(stream));
    g.AppendElement({pdb::kKindFrame, 1, pdb::kFrameBodyLength, 0, 0});
    g.AppendBE32(static_cast<std::uint32_t>(*converter::roundTo32(transform_.originEast)));
    g.AppendBE32(static_cast<std::uint32_t>(*converter::roundTo32(transform_.originNorth)));
    g.AppendBE32(static_cast<std::uint32_t>(*converter::roundTo32(transform_.Re)));
    g.AppendBE32(static_cast<std::uint32_t>(*converter::roundTo32(transform_.Rn)));
    for (std::int16_t v : frame_) g.AppendBE16(static_cast<std::uint16_t>(v));

    auto element = [&](const PendingPoints& p, std::uint8_t kind, std::uint8_t elementClass,
                       std::uint8_t style, std::int16_t serial) {
        std::size_t at = g.BeginPointElement(kind, elementClass, style, serial);
        for (std::size_t k = 0; k < p.xy.size(); k += 2) g.AppendPoint(p.xy[k], p.xy[k + 1]);
        g.EndPointElement(at, p.box);
    };
    std::vector<pdb::FeatureAttrRec> records;
    records.reserve(areas_.size());
    for (std::size_t k = 0; k < areas_.size(); ++k) {
        const auto serial = static_cast<std::int16_t>(k + 1);
        element(areas_[k].outline, pdb::kKindArea, 1, 32, serial);
        records.push_back(areas_[k].record);
        records.back().ID = static_cast<std::uint32_t>(serial);
    }
    for (const PendingLabel& l : labels_) {
        g.AppendElement({pdb::kKindLabel, 10, pdb::kLabelBodyLength, 0, 0});
        g.PatchBox(g.AppendZeroBox(), l.box);
        g.AppendBytes(l.name.data(), l.name.size());
    }
    // The sheet conversion's order: blocks, rivers, railways.
    for (int lineClass : {2, 4, 3})
        for (const PendingLine& l : lines_[lineClass])
            element(l.points, pdb::kKindLine, static_cast<std::uint8_t>(lineClass), l.style, 0);

    platform::OutputSet outputs;
    if (platform::Status staged = g.FinishGraphicDatabase(outputs); !staged)
        return fail(staged.error());
    if (!converter::databaseNameField(base_ + "_A", name))
        converter::Module1::showFailure(prompter_, "byteConv");
    platform::Status staged =
        converter::stageFeatureAttrDatabase(outputs, result_.attrPath, name, records, o_.today);
    if (staged)
        staged = converter::commitOutputs(outputs);
    if (!staged)
        return fail(staged.error());
    account_.areas = static_cast<long long>(areas_.size());
    account_.records = static_cast<long long>(records.size());
    account_.labels = static_cast<long long>(labels_.size());
    for (const auto& [lineClass, list] : lines_)
        if (!list.empty())
            account_.lines[lineClass] = static_cast<long long>(list.size());
    return true;
}

Ogr2PdbResult Run::run() {
    if (!open())
        return result_;
    if (o_.extent) {
        extent_ = *o_.extent;
        extent_.empty = false;
        account_.extentGiven = true;
    } else if (!measure()) {
        return result_;
    }
    if (extent_.empty) {
        nothingToWrite();
        return result_;
    }
    if (!setUpTransform() || !convert())
        return result_;
    reportProblems();
    if (!write())
        return result_;
    prompter_.show(describe(account_), kOgrTitle, Icon::Information, Buttons::Ok);
    result_.outcome = converter::Outcome::Done;
    return result_;
}

}  // namespace

void Account::skip(const std::string& reason, long long count) {
    for (auto& [r, n] : skipped)
        if (r == reason) {
            n += count;
            return;
        }
    skipped.emplace_back(reason, count);
}

}  // namespace ogr

namespace ogr {

std::string describe(const Account& a) {
    auto n = [](long long v) { return std::to_string(v); };
    std::string text = "変換しました（マッピング：" + a.mapping + "）。\n読んだ地物：";
    for (const Account::Layer& l : a.layers)
        text += "\n  「" + l.file + "」のレイヤー「" + l.name + "」：" + n(l.read) + " 件" +
                (l.mapped ? "" : "（規則なし）");
    const Bounds& e = a.extent;
    text += "\n範囲（" + std::string(a.extentGiven ? "指定" : "データから") + "）：北 " +
            metres(e.minNorth) + "〜" + metres(e.maxNorth) + "、東 " + metres(e.minEast) + "〜" +
            metres(e.maxEast) + " m\n図枠：" + a.frameText;
    auto line = [&](int c) { return a.lines.count(c) ? a.lines.at(c) : 0; };
    text += "\n書いた要素：面 " + n(a.areas) + "、ラベル " + n(a.labels) + "、線（街区）" +
            n(line(2)) + "、線（河川）" + n(line(4)) + "、線（鉄道）" + n(line(3)) +
            "\n属性レコード：" + n(a.records) + " 件";
    if (a.clipped)
        text += "\n範囲の端で切った地物：" + n(a.clipped) + " 件";
    if (a.holes)
        text += "\n除いた穴：" + n(a.holes) + " 個（" + n(a.areasWithHoles) + " 件の地物）";
    if (!a.skipped.empty()) {
        text += "\n変換しなかったもの：";
        for (const auto& [reason, count] : a.skipped) text += "\n  " + reason + "：" + n(count);
    }
    return text;
}

platform::Result<InputPlan> planInput(const std::string& input, const std::string& encoding,
                                      const std::string& mappingWord) {
    using Planned = platform::Result<InputPlan>;
    auto opened = VectorInput::open(input, encoding);
    if (!opened)
        return Planned::failure(opened.error());
    InputPlan plan;
    plan.mapping = mappingFor(mappingWord, (*opened)->layers());
    auto mapping = loadMapping(plan.mapping);
    if (!mapping)
        return Planned::failure(mapping.error());
    for (const LayerInfo& info : (*opened)->layers()) {
        LayerPlan layer{info, "変換しない（規則なし）"};
        if (mapping->names(info.name)) {
            layer.becomes.clear();
            for (GeometryClass g :
                 {GeometryClass::Polygon, GeometryClass::Line, GeometryClass::Point}) {
                const Rule* r = mapping->find(info.name, g);
                if (!r || !takes(r->element, g))
                    continue;
                const char* from = g == GeometryClass::Polygon ? "面→"
                                   : g == GeometryClass::Line  ? "線→"
                                                               : "点→";
                layer.becomes += (layer.becomes.empty() ? "" : "、") + std::string(from) +
                                 elementWord(r->element, r->lineClass);
            }
        }
        plan.layers.push_back(std::move(layer));
    }
    return plan;
}

Ogr2PdbResult ogr2pdb(const Ogr2PdbOptions& options, platform::Prompter& prompter) {
    try {
        return Run(options, prompter).run();
    } catch (const std::bad_alloc&) {
        prompter.show("メモリが足りないため、「" + options.input +
                          "」の変換を中止しました。何も作成しませんでした。",
                      kOgrTitle, Icon::Critical, Buttons::Ok);
        return {};
    }
}

}  // namespace ogr
