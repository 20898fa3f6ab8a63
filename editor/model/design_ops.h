#pragma once
// The operations that move screen designs between the working design and a database
// file: SelectDesign, StoreDesign and RemoveDesign. Messages go through the Prompter
// under the application's title.
#include <string>

#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"
#include "platform/files.h"
#include "platform/prompter.h"

namespace editor {

// Loads the file and copies one of its designs into the working design: design record 0
// for a database name other than "Master", else the first design carrying the code (none:
// the working design stays as it was). Returns false when the file was refused.
bool SelectDesign(pdb::PdbImage& image, DispRec& working, const std::string& path,
                  const std::string& databaseName, const std::string& code,
                  platform::Prompter& prompter);

enum class StoreResult { Staged, Refused, WriteFailed };

// Puts the working design into the image just loaded from the file and adds the file to
// outputs (the caller puts the set in place).
// The stored copy carries the fixed buttons at their fixed places (search button label
// Y 35, update and close buttons 288 on every page). Under "Master" the working design
// takes the given code. Refuses, with a message and nothing written, a design without
// code under an attribute database name, and a database name of another kind than the
// file holds.
StoreResult StoreDesign(pdb::PdbImage& image, DispRec& working, const std::string& path,
                        const std::string& databaseName, const std::string& code,
                        platform::Prompter& prompter, platform::OutputSet& outputs);

// Loads the master database, removes the first design carrying the code (the designs
// after it move up) and writes the file. Returns false when refused or not written.
bool RemoveDesign(pdb::PdbImage& image, const std::string& path, const std::string& code,
                  platform::Prompter& prompter);

// The copy of the working design that a save stores.
DispRec designForStorage(const DispRec& working);

constexpr std::uint16_t kStoredSearchButtonY = 35;
constexpr std::uint16_t kStoredPageButtonY = 288;

}  // namespace editor
