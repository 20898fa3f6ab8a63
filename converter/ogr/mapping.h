#pragma once
// What each layer of a vector dataset becomes in the graphic and attribute databases: the
// mapping, read from a small JSON file (docs/ogr-mapping.md) or one of the two built in.
//
//   {"layers": [
//     {"layer": "BldA", "element": "area", "name": "name", "attributes": {"Text2": "type"}},
//     {"layer": "WL", "element": "line", "class": 4},
//     {"layer": "*", "geometry": "point", "element": "label", "name": ["name", "NAME"]}]}
//
// A feature takes the first rule whose layer ("*": any) and geometry ("polygon", "line",
// "point"; absent: any) match it. A layer that no rule names is left out; a feature of a
// named layer whose geometry no rule of that layer takes is a mapping that does not cover
// the data, and the run stops before anything is written.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace ogr {

enum class Element { Area, Line, Label, Skip };
enum class GeometryClass { Any, Polygon, Line, Point };

// The attribute record's columns a field may fill (Text1 is the rule's "name").
enum class Column {
    StatusCode,
    SymbolCode,
    UserData,
    Text2,
    Value1,
    Value2,
    Flag1,
    Flag2,
    Flag3,
    Flag4,
    Flag5,
    Flag6,
    Value3,
    Text3
};
const char* columnName(Column column);

struct Rule {
    std::string layer = "*";
    GeometryClass geometry = GeometryClass::Any;
    Element element = Element::Skip;
    int lineClass = 2;  // line: 2 block, 3 railway, 4 river
    int style = 0;      // line: the style code (the class's own when not given)
    // area: the field whose text is the record's name (Text1); label: the label's text.
    // The first of these the layer has.
    std::vector<std::string> name;
    std::vector<std::pair<Column, std::string>> attributes;  // area only
};

struct Mapping {
    std::string source;  // how the user named it: a file path, "basemap" or "generic"
    std::vector<Rule> rules;

    // True when some rule names the layer (or is "*").
    bool names(std::string_view layer) const;
    // The rule a feature of the layer with this geometry takes, if any.
    const Rule* find(std::string_view layer, GeometryClass geometry) const;
};

// The class's style code as the sheet conversion writes it: 2 → 0, 3 → 80, 4 → 112.
int defaultStyle(int lineClass);

// Reads a mapping; the failure names the JSON path of the bad value ("layers[1].class").
platform::Result<Mapping> parseMapping(std::string_view json, const std::string& source);
// Reads a mapping file, or a built-in one by its word ("basemap", "generic").
platform::Result<Mapping> loadMapping(const std::string& pathOrWord);

// The built-in mappings: the national base map's GML (buildings to areas with their
// names, water lines to rivers, railway centre lines to railways, road edges to block
// lines, named points to labels) and any other data (polygons to building areas, lines to
// block lines, points with a name field to labels).
Mapping basemapMapping();
Mapping genericMapping();
// The base map's layer names the built-in mapping knows.
bool isBasemapLayer(std::string_view layer);

}  // namespace ogr
