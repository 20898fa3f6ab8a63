#include "converter/ogr/mapping.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/files.h"

namespace ogr {
namespace {

using Json = nlohmann::json;
using MappingResult = platform::Result<Mapping>;

constexpr std::array<const char*, 14> kColumnNames = {
    "StatusCode", "SymbolCode", "UserData", "Text2", "Value1", "Value2", "Flag1",
    "Flag2",      "Flag3",      "Flag4",    "Flag5", "Flag6",  "Value3", "Text3"};

// The built-in mappings, in the file format users write.
constexpr const char* kBasemap = R"({"layers": [
  {"layer": "BldA", "element": "area", "name": "name", "attributes": {"Text2": "type"}},
  {"layer": "BldL", "element": "area", "name": "name", "attributes": {"Text2": "type"}},
  {"layer": "WL", "element": "line", "class": 4},
  {"layer": "RailCL", "element": "line", "class": 3},
  {"layer": "RdEdg", "element": "line", "class": 2},
  {"layer": "AdmPt", "element": "label", "name": "name"},
  {"layer": "CommPt", "element": "label", "name": "name"}
]})";
constexpr const char* kGeneric = R"({"layers": [
  {"layer": "*", "geometry": "polygon", "element": "area", "name": ["name", "NAME", "Name", "名称"]},
  {"layer": "*", "geometry": "line", "element": "line", "class": 2},
  {"layer": "*", "geometry": "point", "element": "label", "name": ["name", "NAME", "Name", "名称"]}
]})";

// Every other layer of the base map's templates: known, but left out by the built-in mapping.
constexpr std::array<const char*, 27> kBasemapLayers = {
    "AdmArea", "AdmBdry", "AdmPt",  "BldA",      "BldL",      "Cntr",       "CommBdry",
    "CommPt",  "Cstline", "ElevPt", "GCP",       "LeveeEdge", "RailCL",     "RdASL",
    "RdArea",  "RdCompt", "RdEdg",  "RdMgtBdry", "RdSgmtA",   "RvrMgtBdry", "SBAPt",
    "SBArea",  "SBBdry",  "WA",     "WL",        "WStrA",     "WStrL"};

std::string at(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

struct Reader {
    std::string source;
    std::string error;

    bool fail(const std::string& path, const std::string& what) {
        error = "マッピング「" + source + "」の " + path + "：" + what;
        return false;
    }

    bool names(const Json& value, const std::string& path, std::vector<std::string>& out) {
        if (value.is_string()) {
            out = {value.get<std::string>()};
            return true;
        }
        if (value.is_array() && !value.empty()) {
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (!value[i].is_string())
                    return fail(path + "[" + std::to_string(i) + "]",
                                "フィールド名の文字列ではありません。");
                out.push_back(value[i].get<std::string>());
            }
            return true;
        }
        return fail(path, "フィールド名か、その配列でなければなりません。");
    }

    bool integer(const Json& value, const std::string& path, int low, int high, int& out) {
        if (!value.is_number_integer() || value.get<long long>() < low ||
            value.get<long long>() > high)
            return fail(path, "値 " + value.dump() + " は " + std::to_string(low) + "〜" +
                                  std::to_string(high) + " の整数でなければなりません。");
        out = value.get<int>();
        return true;
    }

    bool choice(const Json& value, const std::string& path, const std::vector<std::string>& words,
                std::size_t& out) {
        if (value.is_string()) {
            auto it = std::find(words.begin(), words.end(), value.get<std::string>());
            if (it != words.end()) {
                out = static_cast<std::size_t>(it - words.begin());
                return true;
            }
        }
        std::string list;
        for (const std::string& w : words) list += (list.empty() ? "" : "、") + ("\"" + w + "\"");
        return fail(path, "値 " + value.dump() + " は " + list + " のどれかでなければなりません。");
    }

    bool rule(const Json& value, const std::string& path, Rule& r) {
        if (!value.is_object())
            return fail(path, "オブジェクトでなければなりません。");
        static const std::vector<std::string> keys = {"layer", "geometry", "element",   "class",
                                                      "style", "name",     "attributes"};
        for (const auto& [key, item] : value.items())
            if (std::find(keys.begin(), keys.end(), key) == keys.end())
                return fail(at(path, key), "知らない項目です。");
        if (!value.contains("element"))
            return fail(
                at(path, "element"),
                "ありません（\"area\"、\"line\"、\"label\"、\"skip\" のどれかを書いて下さい）。");
        std::size_t k = 0;
        if (!choice(value["element"], at(path, "element"), {"area", "line", "label", "skip"}, k))
            return false;
        r.element = static_cast<Element>(k);
        if (value.contains("layer")) {
            if (!value["layer"].is_string() || value["layer"].get<std::string>().empty())
                return fail(at(path, "layer"), "レイヤー名（または \"*\"）でなければなりません。");
            r.layer = value["layer"].get<std::string>();
        }
        if (value.contains("geometry")) {
            if (!choice(value["geometry"], at(path, "geometry"), {"polygon", "line", "point"}, k))
                return false;
            r.geometry = static_cast<GeometryClass>(k + 1);
        }
        auto only = [&](const char* key, Element element, const char* what) {
            return !value.contains(key) || r.element == element ||
                   fail(at(path, key), std::string(what) + "にだけ書けます。");
        };
        if (!only("class", Element::Line, "\"line\" の規則") ||
            !only("style", Element::Line, "\"line\" の規則") ||
            !only("attributes", Element::Area, "\"area\" の規則"))
            return false;
        if (value.contains("class") &&
            !integer(value["class"], at(path, "class"), 2, 4, r.lineClass))
            return false;
        r.style = defaultStyle(r.lineClass);
        if (value.contains("style") && !integer(value["style"], at(path, "style"), 0, 255, r.style))
            return false;
        if (value.contains("name") && !names(value["name"], at(path, "name"), r.name))
            return false;
        if (value.contains("attributes")) {
            const Json& attrs = value["attributes"];
            const std::string attrPath = at(path, "attributes");
            if (!attrs.is_object())
                return fail(attrPath, "列名からフィールド名へのオブジェクトでなければなりません。");
            for (const auto& item : attrs.items()) {
                const std::string& key = item.key();
                const Json& field = item.value();
                auto it = std::find_if(kColumnNames.begin(), kColumnNames.end(),
                                       [&](const char* c) { return key == c; });
                if (it == kColumnNames.end())
                    return fail(at(attrPath, key),
                                "属性レコードの列ではありません（StatusCode、SymbolCode、UserData、"
                                "Text2、Text3、Value1〜Value3、Flag1〜Flag6）。");
                if (!field.is_string())
                    return fail(at(attrPath, key), "フィールド名の文字列でなければなりません。");
                r.attributes.emplace_back(static_cast<Column>(it - kColumnNames.begin()),
                                          field.get<std::string>());
            }
        }
        return true;
    }
};

Mapping builtIn(const char* json, const char* word) {
    auto mapping = parseMapping(json, word);
    return mapping ? *mapping : Mapping{};
}

}  // namespace

const char* columnName(Column column) {
    return kColumnNames[static_cast<std::size_t>(column)];
}

int defaultStyle(int lineClass) {
    return lineClass == 4 ? 112 : lineClass == 3 ? 80 : 0;
}

bool Mapping::names(std::string_view layer) const {
    return std::any_of(rules.begin(), rules.end(),
                       [&](const Rule& r) { return r.layer == "*" || r.layer == layer; });
}

const Rule* Mapping::find(std::string_view layer, GeometryClass geometry) const {
    for (const Rule& r : rules)
        if ((r.layer == "*" || r.layer == layer) &&
            (r.geometry == GeometryClass::Any || r.geometry == geometry))
            return &r;
    return nullptr;
}

platform::Result<Mapping> parseMapping(std::string_view json, const std::string& source) {
    Json root;
    try {
        root = Json::parse(json.begin(), json.end());
    } catch (const Json::exception& e) {
        std::string what = e.what();
        std::size_t cut = what.find("] ");
        return MappingResult::failure("マッピング「" + source + "」を JSON として読めません: " +
                                      (cut == std::string::npos ? what : what.substr(cut + 2)));
    }
    Reader reader{source, {}};
    if (!root.is_object() || !root.contains("layers") || !root["layers"].is_array()) {
        reader.fail("layers", "規則の配列がありません。");
        return MappingResult::failure(reader.error);
    }
    for (const auto& [key, item] : root.items())
        if (key != "layers") {
            reader.fail(key, "知らない項目です。");
            return MappingResult::failure(reader.error);
        }
    Mapping mapping;
    mapping.source = source;
    const Json& layers = root["layers"];
    for (std::size_t i = 0; i < layers.size(); ++i) {
        Rule rule;
        if (!reader.rule(layers[i], "layers[" + std::to_string(i) + "]", rule))
            return MappingResult::failure(reader.error);
        mapping.rules.push_back(std::move(rule));
    }
    return mapping;
}

platform::Result<Mapping> loadMapping(const std::string& pathOrWord) {
    if (pathOrWord == "basemap")
        return basemapMapping();
    if (pathOrWord == "generic")
        return genericMapping();
    platform::Result<platform::FileContents> file = platform::readFile(pathOrWord);
    if (!file)
        return MappingResult::failure("マッピング「" + pathOrWord + "」を読めません（" +
                                      file.error() + "）。");
    return parseMapping(file->bytes, pathOrWord);
}

Mapping basemapMapping() {
    return builtIn(kBasemap, "basemap");
}

Mapping genericMapping() {
    return builtIn(kGeneric, "generic");
}

bool isBasemapLayer(std::string_view layer) {
    return std::any_of(kBasemapLayers.begin(), kBasemapLayers.end(),
                       [&](const char* name) { return layer == name; });
}

}  // namespace ogr
