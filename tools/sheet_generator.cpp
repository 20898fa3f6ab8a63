#include "sheet_generator.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/cp932.h"

namespace sheetgen {

namespace {

// Sheet extent in metres: 2000 m east by 1500 m north.
constexpr double kMinNorth = -36000.0, kMinEast = -9000.0;
constexpr double kWidth = 2000.0, kHeight = 1500.0;

struct Pt {
    double north, east;
};

std::string num(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return buf;
}

std::string sjis(const char* utf8) {
    return platform::toCp932(utf8);
}

class RecordFile {
  public:
    void line(const std::string& text) {
        body_ += text;
        body_ += "\r\n";
        ++records_;
    }
    void arc(long long code, long long id, const std::vector<Pt>& pts) {
        line("L," + std::to_string(code) + "," + std::to_string(id) + "," +
             std::to_string(pts.size()));
        for (const Pt& p : pts) line(num(p.north) + "," + num(p.east));
    }
    void polygon(long long id, const std::vector<long long>& refs, Pt anchor) {
        line("P," + std::to_string(id) + "," + std::to_string(refs.size()) + "," +
             num(anchor.north) + "," + num(anchor.east));
        for (long long r : refs) line(std::to_string(r));
    }
    // Writes the extent header (its record count includes itself) and the records.
    void save(const std::string& path, const char* layer, long long arcCount) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << "H,53394525," << sjis(layer) << "," << (records_ + 1) << "," << arcCount << ",9,"
            << sjis("平面直角座標系") << "," << num(kMinNorth) << "," << num(kMinEast) << ","
            << num(kMinNorth + kHeight) << "," << num(kMinEast + kWidth) << "\r\n"
            << body_;
    }
    std::size_t records() const { return records_; }

  private:
    std::string body_;
    std::size_t records_ = 0;
};

const char* const kTownNames[] = {"本町一丁目", "本町二丁目", "緑町一丁目", "緑町二丁目",
                                  "栄町三丁目", "栄町四丁目", "旭町五丁目", "旭町六丁目"};
const char* const kBuildingNames[] = {"市役所",     "中央郵便局", "第一小学校", "駅前ビル",
                                      "緑町公民館", "栄町会館",   "旭病院",     "本町ストア"};

}  // namespace

SheetOptions optionsForBuildings(std::size_t buildings) {
    SheetOptions o;
    o.buildingsPerRow = 8;
    int blocks = static_cast<int>(std::ceil(static_cast<double>(buildings) / 16.0));
    o.blocksEast = static_cast<int>(std::ceil(std::sqrt(blocks * 4.0 / 3.0)));
    o.blocksNorth = (blocks + o.blocksEast - 1) / o.blocksEast;
    o.townsEast = std::max(1, o.blocksEast / 4);
    o.townsNorth = std::max(1, o.blocksNorth / 4);
    return o;
}

SheetCounts writeSheet(const std::string& dir, const SheetOptions& o) {
    namespace fs = std::filesystem;
    for (const char* sub : {"TATEMONO", "GYOUSEI", "GAIKU", "KASEN", "OTHERS"})
        fs::create_directories(fs::path(dir) / sub);
    SheetCounts counts;
    RecordFile tatemonoArc, tatemonoPgn, gaiku, kasen, others, tyome;
    std::string tatemonoAtr = "ATR," + sjis("建物属性") + "\r\n";
    std::string tyomeAtr = "ATR," + sjis("町丁目属性") + "\r\n";

    // Blocks fill the sheet with 20 m streets between them, leaving a 30 m margin.
    const double margin = 30, street = 20;
    const double blockEast = (kWidth - 2 * margin) / o.blocksEast - street;
    const double blockNorth = (kHeight - 2 * margin) / o.blocksNorth - street;
    long long arcId = 0, buildingId = 0, lineId = 0;
    for (int bn = 0; bn < o.blocksNorth; ++bn) {
        for (int be = 0; be < o.blocksEast; ++be) {
            const double e0 = margin + be * (blockEast + street);
            const double n0 = margin + bn * (blockNorth + street);
            gaiku.arc(5101, ++lineId,
                      {{n0, e0},
                       {n0, e0 + blockEast},
                       {n0 + blockNorth, e0 + blockEast},
                       {n0 + blockNorth, e0},
                       {n0, e0}});
            ++counts.blocks;
            // Two rows of terraced buildings, each row along one long side of the block.
            const double depth = blockNorth * 0.4;
            const double width = (blockEast - 4) / o.buildingsPerRow;
            for (int row = 0; row < 2; ++row) {
                const double s = row == 0 ? n0 + 2 : n0 + blockNorth - 2 - depth;
                const double t = s + depth;
                long long previousWall = 0;
                for (int i = 0; i < o.buildingsPerRow; ++i) {
                    const double w = e0 + 2 + i * width, x = w + width;
                    long long bottom = ++arcId, right = ++arcId, top = ++arcId;
                    tatemonoArc.arc(1101, bottom, {{s, w}, {s, x}});
                    tatemonoArc.arc(1102, right, {{s, x}, {t, x}});  // party wall
                    tatemonoArc.arc(1101, top, {{t, x}, {t, w}});
                    std::vector<long long> refs{bottom, right, top};
                    if (previousWall == 0) {
                        long long left = ++arcId;
                        tatemonoArc.arc(1102, left, {{t, w}, {s, w}});
                        refs.push_back(left);
                    } else {
                        refs.push_back(-previousWall);  // the neighbour's wall, run backwards
                    }
                    previousWall = right;
                    long long id = ++buildingId;
                    tatemonoPgn.polygon(id, refs, {(s + t) / 2, (w + x) / 2});
                    ++counts.buildings;
                    if (o.namedBuildings && id % 7 != 0) {
                        std::string name;
                        if (id % 5 == 0)
                            name = sjis(kBuildingNames[(id / 5) % 8]);
                        else
                            name = sjis("住宅") + std::to_string(id);
                        if (id == 12)
                            name = std::string(1, '"').append(sjis("山田,鈴木商店")).append(1, '"');
                        tatemonoAtr += "ATR," + std::to_string(id) + ",4,01," + name + ",02," +
                                       sjis("木造") + "\r\n";
                        ++counts.namedBuildings;
                    }
                }
            }
        }
    }
    if (o.duplicates) {
        // Another arc with ID 1: building 1 then takes both, in stored order.
        tatemonoArc.arc(1101, 1, {{margin + 1, margin + 1}, {margin + 1, margin + 3}});
        ++arcId;
        for (long long id = 3; id <= buildingId; id += 3)
            if (id % 7 != 0)
                tatemonoAtr += "ATR," + std::to_string(id) + ",2,01," + sjis("再登録") +
                               std::to_string(id) + "\r\n";
    }
    counts.buildingArcs = static_cast<std::size_t>(arcId);

    // Town polygons: a grid of rectangles, each an arc ring of its own.
    long long townArc = 0;
    for (int tn = 0; tn < o.townsNorth; ++tn) {
        for (int te = 0; te < o.townsEast; ++te) {
            long long id = 1000 + tn * o.townsEast + te + 1;
            double n0 = kHeight * tn / o.townsNorth, n1 = kHeight * (tn + 1) / o.townsNorth;
            double e0 = kWidth * te / o.townsEast, e1 = kWidth * (te + 1) / o.townsEast;
            tyome.polygon(id, {++townArc, ++townArc, ++townArc, ++townArc},
                          {(n0 + n1) / 2, (e0 + e1) / 2});
            std::size_t k = counts.towns % 8;
            tyomeAtr += "ATR," + std::to_string(id) + ",13101," + std::to_string(k + 1) + ",0," +
                        sjis(kTownNames[k]) + "\r\n";
            ++counts.towns;
        }
    }

    if (o.duplicates && counts.towns > 0)
        tyomeAtr += "ATR,1001,13101,9,0," + sjis("重複町") + "\r\n";

    // A river meandering across the sheet from west to east, as two banks.
    for (int bank = 0; bank < 2; ++bank) {
        std::vector<Pt> pts;
        for (int i = 0; i <= 40; ++i) {
            double e = kWidth * i / 40;
            double n = kHeight * 0.5 + 60 * std::sin(i / 4.0) + bank * 25;
            pts.push_back({n, e});
        }
        kasen.arc(5301, bank + 1, pts);
        ++counts.riverArcs;
    }
    // A railway from the south-west to the north-east corner, in three arcs.
    for (int part = 0; part < 3; ++part) {
        std::vector<Pt> pts;
        for (int i = 0; i <= 10; ++i) {
            double f = (part * 10 + i) / 30.0;
            pts.push_back({5 + (kHeight - 10) * f, 5 + (kWidth - 10) * f});
        }
        others.arc(5501, part + 1, pts);
        ++counts.railwayArcs;
    }

    const fs::path d(dir);
    tatemonoArc.save((d / "TATEMONO/tatemono.arc").string(), "建物", arcId);
    tatemonoPgn.save((d / "TATEMONO/tatemono.pgn").string(), "建物", arcId);
    std::ofstream((d / "TATEMONO/tatemono.atr").string(), std::ios::binary) << tatemonoAtr;
    tyome.save((d / "GYOUSEI/tyome.pgn").string(), "町丁目", townArc);
    std::ofstream((d / "GYOUSEI/tyome.atr").string(), std::ios::binary) << tyomeAtr;
    gaiku.save((d / "GAIKU/gaiku.arc").string(), "街区", lineId);
    kasen.save((d / "KASEN/kasen.arc").string(), "河川", 2);
    others.save((d / "OTHERS/others.arc").string(), "鉄道", 3);
    return counts;
}

}  // namespace sheetgen
