#pragma once
// ogr2pdb: vector GIS data (GeoPackage, shapefile, GeoJSON, the national base map's GML, a
// folder of such files) into a graphic database (OUT/B_G.pdb) and an attribute database
// (OUT/B_A.pdb) laid out as the Digital Map 2500 conversion lays them out, B being the
// input's name up to its first ".".
//
// Every feature is transformed into the chosen plane rectangular system (zone, datum) and
// becomes what the mapping says: each part of a polygon one area (its holes left out and
// counted), each line one line element of class 2, 3 or 4, each point with a text one
// label. The extent is the data's own, or the one given, where features are cut at its
// edges and those wholly outside it left out. The stream holds, in the sheet conversion's
// order, the frame header, the areas, the labels, then the block, river and railway lines;
// each area has one attribute record: its serial number as ID, status 3, a 400 × 400 box
// around its anchor, the anchor, its name and the columns the mapping fills.
//
// Both databases are put in place together, only when the run reaches its end; any failure
// (a file GDAL cannot read, a layer with nothing to convert, a geometry the mapping does
// not cover, more areas than a database holds) leaves earlier files as they were. The run
// ends with its account: features read per layer, elements written per kind, what was left
// out and why.
#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "converter/core/conversion.h"
#include "converter/georef/georef.h"
#include "converter/ogr/vector_io.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace ogr {

inline constexpr const char* kOgrTitle = "ogr2pdb";

struct Ogr2PdbOptions {
    std::string input;  // a vector file or a folder of them
    std::string outDir;
    int zone = 0;  // plane rectangular system 1 to 19
    georef::Datum datum = georef::Datum::Jgd2011;
    std::string mapping;           // a JSON file, "basemap", "generic"; empty: by the data
    std::optional<Bounds> extent;  // plane metres; nothing: the data's own
    std::optional<std::array<double, 12>> frame;  // nothing: computed from the extent
    std::string encoding;                         // a shapefile's text encoding; empty: its .cpg
    platform::LocalDate today;
};

// What a run read, wrote and left out.
struct Account {
    struct Layer {
        std::string file, name;
        long long read = 0;
        bool mapped = false;
    };
    std::string mapping;
    std::vector<Layer> layers;
    long long areas = 0, labels = 0, records = 0;
    std::map<int, long long> lines;  // by class
    long long clipped = 0;
    long long holes = 0, areasWithHoles = 0;
    std::vector<std::pair<std::string, long long>> skipped;  // reason, count, in order met
    Bounds extent;
    bool extentGiven = false;
    std::string frameText;
    void skip(const std::string& reason, long long count = 1);
};
// The account as the run's last message shows it.
std::string describe(const Account& account);

struct Ogr2PdbResult {
    converter::Outcome outcome = converter::Outcome::Failed;
    Account account;
    std::string graphicPath, attrPath;
};

Ogr2PdbResult ogr2pdb(const Ogr2PdbOptions& options, platform::Prompter& prompter);

// What the settings form lists: each layer of the input and what the mapping makes of it.
struct LayerPlan {
    LayerInfo info;
    std::string becomes;  // "面（建物）", "線（河川）", "ラベル", "変換しない", …
};
struct InputPlan {
    std::string mapping;  // the mapping used: its file or built-in word
    std::vector<LayerPlan> layers;
};
platform::Result<InputPlan> planInput(const std::string& input, const std::string& encoding,
                                      const std::string& mapping);

}  // namespace ogr
