#pragma once
// pdb2ogr: a graphic database (and, when given, its attribute database) back out as vector
// features in plane rectangular coordinates, so the handheld's map can be laid over the
// source data in a GIS. Each element becomes one feature with the fields kind, class,
// style, serial and text (a label's name); the frame header becomes the frame's rectangle.
// An area whose serial number is the ID of an attribute record also carries that record's
// fields. Points go back through the inverse of the transform, from the frame header's
// origin and extent (millimetres, as ogr2pdb and the Digital Map 2500 conversion write
// them); the output is a GeoPackage or GeoJSON file by its name, written whole or not at
// all.
#include <string>

#include "converter/core/conversion.h"
#include "converter/georef/georef.h"
#include "platform/prompter.h"

namespace ogr {

inline constexpr const char* kPdb2OgrTitle = "pdb2ogr";

struct Pdb2OgrResult {
    converter::Outcome outcome = converter::Outcome::Failed;
    long long frames = 0, areas = 0, lines = 0, labels = 0, withRecord = 0;
};

// attrPath may be empty.
Pdb2OgrResult pdb2ogr(const std::string& graphicPath, const std::string& attrPath,
                      const std::string& outPath, int zone, georef::Datum datum,
                      platform::Prompter& prompter);

}  // namespace ogr
