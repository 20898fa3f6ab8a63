#include "editor/attrconv/attr_csv_export.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace editor {
namespace {

constexpr std::size_t kFirstDescribedSlot = 2;  // rows 2 and 3 start at slot 2
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kEmptyFixedCells = ",,,,,,,,,";  // cells 2 to 10 of rows 2 to 4

const char* const kFixedNames[] = {"StatusCode", "SymbolCode", "UserData", "TopLeftX", "TopLeftY",
                                   "ExtentX",    "ExtentY",    "X",        "Y"};

// Appends integers and reals without going through the C library's locale machinery.
template <typename Int>
void appendInt(std::string& out, Int value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

// "%f" of the value: fixed notation with six decimals.
void appendReal(std::string& out, float value) {
    char buf[400];  // the longest finite float in fixed notation needs 47 characters
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                             std::chars_format::fixed, 6);
    out.append(buf, res.ptr);
}

// A cell that a spreadsheet would split, or would read as a quoted cell.
bool needsQuotes(std::string_view text) {
    return text.find_first_of(",\r\n") != std::string_view::npos ||
           (!text.empty() && text.front() == '"');
}

// Header texts (labels, item lists) are never read back, so a text that would break the
// column layout in a spreadsheet is quoted, with its double quotes doubled.
void appendHeaderCell(std::string& out, std::string_view text) {
    if (!needsQuotes(text)) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void appendNameRow(std::string& out, const CsvShape& shape) {
    out.append(platform::toCp932("項目名称(ID)"));
    for (const char* name : kFixedNames) {
        out.push_back(',');
        out.append(name);
    }
    auto numbered = [&](const char* name, std::size_t count) {
        for (std::size_t k = 1; k <= count; ++k) {
            out.push_back(',');
            out.append(name);
            out.push_back('[');
            appendInt(out, k);
            out.push_back(']');
        }
    };
    numbered("Cmb", shape.cmb);
    numbered("Int", shape.ints);
    numbered("Real", shape.reals);
    numbered("Str", shape.strColumns);
    out.append(kLineEnd);
}

// Rows 2 and 3: one cell per described object, empty for an object on no page.
template <typename CellText>
void appendObjectRow(std::string& out, const DispRec& design, const char* firstCell,
                     CellText cellText) {
    out.append(platform::toCp932(firstCell));
    out.push_back(',');
    out.append(kEmptyFixedCells);
    const std::size_t count = csvShapeOf(design).describedObjects();
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out.push_back(',');
        const ObjectSlot& slot = design.slots[kFirstDescribedSlot + i];
        if (slot.pageNumber != kNotPlaced)
            cellText(slot);
    }
    out.append(kLineEnd);
}

// "0:"A" 1:"B" " for the items A and B (stored as A CR LF B).
std::string itemListCell(const ObjectSlot& slot) {
    std::string items = fieldText(slot.items);
    std::string cell;
    std::size_t start = 0;
    for (int i = 0; start < items.size(); ++i) {
        std::size_t end = items.find("\r\n", start);
        if (end == std::string::npos)
            end = items.size();
        appendInt(cell, i);
        cell.append(":\"");
        cell.append(items, start, end - start);
        cell.append("\" ");
        start = end + 2;
    }
    return cell;
}

void appendItemRow(std::string& out, const DispRec& design, const CsvShape& shape) {
    out.append(platform::toCp932("項目名称(Cmb)"));
    out.push_back(',');
    out.append(kEmptyFixedCells);
    for (std::size_t k = 0; k < shape.cmb; ++k) {
        appendHeaderCell(out, itemListCell(design.slots[kFirstDescribedSlot + k]));
        out.push_back(',');
    }
    out.append(kLineEnd);
}

void appendDataRow(std::string& out, const pdb::AttrRec& rec, const CsvShape& shape) {
    auto cell = [&](auto value) {
        appendInt(out, value);
        out.push_back(',');
    };
    cell(rec.ID);
    cell(int{rec.StatusCode});
    cell(int{rec.SymbolCode});
    cell(rec.UserData);
    cell(rec.TopLeftX);
    cell(rec.TopLeftY);
    cell(rec.ExtentX);
    cell(rec.ExtentY);
    cell(rec.X);
    cell(rec.Y);
    for (std::size_t k = 0; k < shape.cmb; ++k) cell(unsigned{rec.Cmb[k]});
    for (std::size_t k = 0; k < shape.ints; ++k) cell(rec.Int[k]);
    for (std::size_t k = 0; k < shape.reals; ++k) {
        appendReal(out, rec.Real[k]);
        out.push_back(',');
    }
    for (std::size_t k = 0; k < shape.strColumns; ++k) {
        if (k > 0)
            out.push_back(',');
        out.append(fieldText(rec.Str[k]));
    }
    out.append(kLineEnd);
}

}  // namespace

std::size_t CsvShape::describedObjects() const {
    return std::max<std::size_t>(cmb + ints + reals + strs, 1);
}

CsvShape csvShapeOf(const DispRec& design) {
    CsvShape shape;
    shape.cmb = design.counts[0];
    shape.ints = design.counts[1];
    shape.reals = design.counts[2];
    shape.strs = design.counts[3];
    shape.strColumns = std::max<std::size_t>(shape.strs, 1);
    return shape;
}

std::string AttributesCsvText(const pdb::PdbImage& image) {
    const DispRec& design = image.designs.front();
    const CsvShape shape = csvShapeOf(design);
    std::string out;
    // Enough for typical values: 8 bytes per number and 12 per string.
    out.reserve(4096 + image.heldAttrRecs() *
                           (10 + shape.cmb + shape.ints + shape.reals + shape.strColumns) * 12);
    appendNameRow(out, shape);
    appendObjectRow(out, design, "ページ番号",
                    [&](const ObjectSlot& slot) { appendInt(out, int{slot.pageNumber}); });
    appendObjectRow(out, design, "ラベル名称", [&](const ObjectSlot& slot) {
        appendHeaderCell(out, fieldText(slot.labelText));
    });
    appendItemRow(out, design, shape);
    for (std::size_t i = 0; i < image.heldAttrRecs(); ++i)
        appendDataRow(out, image.attrRecs[i], shape);
    return out;
}

std::string separatorWarning(const pdb::PdbImage& image) {
    const CsvShape shape = csvShapeOf(image.designs.front());
    constexpr std::size_t kListed = 10;
    std::size_t found = 0;
    std::string list;
    for (std::size_t i = 0; i < image.heldAttrRecs(); ++i) {
        for (std::size_t k = 0; k < shape.strColumns; ++k) {
            std::string text = fieldText(image.attrRecs[i].Str[k]);
            if (text.find_first_of(",\r\n") == std::string::npos)
                continue;
            if (++found <= kListed) {
                list += "\nレコード " + std::to_string(i + 1) + " Str[" + std::to_string(k + 1) +
                        "]: " + platform::toUtf8(text);
            }
        }
    }
    if (found == 0)
        return {};
    if (found > kListed)
        list += "\n（ほか " + std::to_string(found - kListed) + " 件）";
    return "次の文字列にはカンマまたは改行が含まれています。CSVではそこで列や行が"
           "区切られるため、このファイルを読み込むと値がずれます（" +
           std::to_string(found) + " 件）。" + list;
}

ExportResult ExportAttributesCsv(const pdb::PdbImage& image, const std::string& path) {
    const std::string text = AttributesCsvText(image);
    platform::WriteError error;
    if (!platform::writeFileAtomically(path, text, &error)) {
        std::string head = error.stage == platform::WriteError::Stage::Create
                               ? "ファイルが開けません。\n編集中でないか確認してください。"
                               : "ファイルの書込みに失敗しました。";
        return {false, head + "\n" + path + "\n(" + error.reason + ")", {}};
    }
    return {true, {}, separatorWarning(image)};
}

}  // namespace editor
