#pragma once
// The map frame of a conversion's input: the extent a Digital Map 2500 sheet folder or a DM
// file states, and the coordinate system zone a DM file names. With the georef module these
// give the frame that the settings forms' "図枠を計算", vornik-cli's --frame auto and its
// frame command compute.
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "converter/georef/georef.h"
#include "platform/prompter.h"
#include "platform/result.h"

namespace sheetframe {

enum class InputKind { DigitalMapSheet, DmFile };

struct InputExtent {
    georef::PlaneExtent extent;  // in the input's own unit
    georef::ExtentSource source = georef::ExtentSource::DmFile;
    std::string sheetName;  // a DM file's sheet name ("M " record); empty for a sheet folder
};

// A sheet folder's extent is the header of OTHERS/others.arc (the file whose extent the
// conversion writes into the frame header); a DM file's is its first "M " record. Fails
// with a message naming the file.
platform::Result<InputExtent> readExtent(InputKind kind, const std::string& path);

// The zone a DM file names: the first two characters of its file name, else of its sheet
// name, as a number 01 to 19.
struct ZoneHint {
    int zone = 0;
    std::string from;  // "ファイル名「09LD351.dm」" or "図郭名「02JF711」"
};
std::optional<ZoneHint> dmZoneHint(const std::string& path, std::string_view sheetName);

// "系番号はファイル名「09LD351.dm」から 9 としました。"
std::string zoneHintNote(const ZoneHint& hint);

// The frame one input of a batch gets when no frame values were typed: computed in the
// coordinate system when its zone is known (given, or named by a DM file), shown through
// prompter; all zero when no zone is known or the extent cannot be read (the conversion
// then says what is wrong). Fails (message shown) when the frame cannot be computed.
std::optional<std::array<double, 12>> batchInputFrame(InputKind kind, const std::string& input,
                                                      std::optional<int> zone, georef::Datum datum,
                                                      std::optional<georef::ExtentUnit> unit,
                                                      platform::Prompter& prompter);

}  // namespace sheetframe
