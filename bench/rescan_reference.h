#pragma once
// A literal rescanning implementation of the Digital Map conversion, for comparison only:
// the building arc table is searched from its start for every arc reference, tyome.atr is
// read from disk and parsed in full for every town polygon, and tatemono.atr for every
// building. It writes the same three files as digitalmap::CreateFromDigitalMap for a sheet
// that converts without errors (it stops at the first problem instead of reporting it), so
// the benchmark can time both on the same sheets.
#include <string>

#include "platform/local_date.h"

namespace rescan {

bool convertByRescanning(const std::string& sheetDir, const std::string& outDir,
                         const platform::LocalDate& today);

}  // namespace rescan
