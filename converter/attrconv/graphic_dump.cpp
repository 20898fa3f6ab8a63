#include "converter/attrconv/graphic_dump.h"

#include <chrono>
#include <cstdio>

#include "converter/attrconv/pdb2csv.h"
#include "pdbformat/graphic_stream.h"
#include "platform/cp932.h"

namespace converter {
namespace {

// A Palm date (seconds since 1904-01-01) as YYYY-MM-DD, with the time when it is not
// midnight.
std::string palmDate(std::uint32_t stamp) {
    using namespace std::chrono;
    year_month_day day{sys_days{year{1904} / January / 1} + days{stamp / 86400}};
    char buf[40];
    std::uint32_t s = stamp % 86400;
    int n = std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", int(day.year()), unsigned(day.month()),
                          unsigned(day.day()));
    if (s != 0)
        std::snprintf(buf + n, sizeof buf - std::size_t(n), " %02u:%02u:%02u", s / 3600,
                      s / 60 % 60, s % 60);
    return buf;
}

std::string fixed(const std::array<char, 4>& chars) {
    return std::string(chars.begin(), chars.end());
}

std::string utf8(const std::string& sjis) {
    platform::TextConversion t = platform::cp932ToUtf8(sjis);
    return t.ok ? t.text : t.text + "\\?";
}

std::string boxText(const pdb::Box& b) {
    return "box " + std::to_string(b.left) + "," + std::to_string(b.top) + " " +
           std::to_string(b.width) + "x" + std::to_string(b.height);
}

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string out = "bytes";
    char buf[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(buf, sizeof buf, " %02X", b);
        out += buf;
    }
    return out;
}

std::string kindName(std::uint8_t kind) {
    switch (kind) {
        case pdb::kKindFrame:
            return "frame";
        case pdb::kKindLine:
            return "line";
        case pdb::kKindArea:
            return "area";
        case pdb::kKindLabel:
            return "label";
        default:
            return "kind " + std::to_string(kind);
    }
}

// What follows the element's header fields: its body decoded by kind.
std::string bodyText(const pdb::GraphicElement& e) {
    const std::uint8_t kind = e.header.kind;
    if (kind == pdb::kKindFrame) {
        if (auto f = pdb::DecodeFrameBody(e)) {
            std::string out = "origin E " + std::to_string(f->originEast) + " N " +
                              std::to_string(f->originNorth) + ", extent E " +
                              std::to_string(f->extentEast) + " N " +
                              std::to_string(f->extentNorth) + ", values ";
            for (std::size_t i = 0; i < f->frameValues.size(); ++i)
                out += (i ? "," : "") + std::to_string(f->frameValues[i]);
            return out;
        }
    } else if (kind == pdb::kKindLabel) {
        if (auto l = pdb::DecodeLabelBody(e))
            return boxText(l->box) + ", \"" + utf8(l->name) + "\"";
    } else if (kind == pdb::kKindLine || kind == pdb::kKindArea) {
        if (auto p = pdb::DecodePointBody(e)) {
            std::string out = boxText(p->box) + ", " + std::to_string(p->points.size()) + " points";
            for (auto [x, y] : p->points) out += " " + std::to_string(x) + "," + std::to_string(y);
            return out;
        }
    }
    return hexBytes(e.body);
}

}  // namespace

GraphicDump dumpGraphicDatabase(std::span<const std::uint8_t> file, const std::string& shownName,
                                const std::vector<pdb::FeatureAttrRec>* attributes) {
    pdb::GraphicReadResult read = pdb::ReadGraphicDatabase(file);
    const pdb::GraphicFile& g = read.file;
    const pdb::PdbHeader& h = g.header;
    GraphicDump dump;
    std::string& out = dump.text;
    out += shownName + ": database \"" + utf8(pdb::databaseName(h)) + "\", type " + fixed(h.type) +
           ", creator " + fixed(h.creator) + ", attributes " + std::to_string(h.attributes) +
           ", version " + std::to_string(h.version) + "\n";
    out += "dates " + palmDate(h.creationDate) + " " + palmDate(h.modificationDate) + " " +
           palmDate(h.lastBackupDate) + ", modification " + std::to_string(h.modificationNumber) +
           ", app info " + std::to_string(h.appInfoOffset) + ", sort info " +
           std::to_string(h.sortInfoOffset) + ", seed " + std::to_string(h.uniqueIdSeed) +
           ", next list " + std::to_string(g.listHeader.NextRecList) + "\n";
    out += "records " + std::to_string(g.listHeader.iRecNum) + " (";
    char entry[48];
    for (std::size_t k = 0; k < g.recList.size(); ++k) {
        const pdb::RecList& r = g.recList[k];
        std::snprintf(entry, sizeof entry, "%s%u %02X %u", k ? ", " : "", unsigned(r.iRecPos),
                      unsigned(r.attributes), unsigned(r.uniqueId));
        out += entry;
    }
    out += "): stream " + std::to_string(g.stream.size()) + " bytes, " +
           std::to_string(g.elements.size()) + " elements in " +
           std::to_string(g.stream.size() - g.trailingZeroBytes) + ", zero fill " +
           std::to_string(g.trailingZeroBytes) + "\n";

    std::size_t areas = 0;
    for (const pdb::GraphicElement& e : g.elements) {
        out += "@" + std::to_string(e.offset) + " " + kindName(e.header.kind) + " class " +
               std::to_string(e.header.elementClass) + " style " + std::to_string(e.header.style) +
               " serial " + std::to_string(e.header.serial) +
               (e.spare ? " spare " + std::to_string(e.spare) : "") + " length " +
               std::to_string(e.header.bodyLength) + (e.fillBytes ? "+fill" : "") + ": " +
               bodyText(e) + "\n";
        if (e.header.kind != pdb::kKindArea || !attributes)
            continue;
        ++areas;
        const std::size_t position = static_cast<std::size_t>(e.header.serial);
        if (position >= 1 && position <= attributes->size())
            out += "  attributes " + std::to_string(position) + ": " +
                   utf8(formatAttrCsvLine((*attributes)[position - 1])) + "\n";
        else
            out += "  attributes: no record at position " + std::to_string(e.header.serial) + "\n";
    }
    if (attributes && attributes->size() != areas)
        out += "attributes: " + std::to_string(attributes->size()) + " records for " +
               std::to_string(areas) + " areas: the counts disagree\n";
    if (!read.ok)
        dump.problem = read.error;
    return dump;
}

}  // namespace converter
