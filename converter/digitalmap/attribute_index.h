#pragma once
// Names of a sheet's features by polygon ID, read once from the attribute files.
//
// Both attribute files have one line that is skipped, then records read field by field to
// the end of the file. The lookups give exactly the answers of a scan of the whole file
// per feature:
//   - tyome.atr (keyword, polygon ID, three unused texts, name): the name of the FIRST
//     record with the ID;
//   - tatemono.atr (keyword, polygon ID, value count q, then q ÷ 2 pairs of code and value,
//     rounded halves to even): the value of the first pair of the LAST record with the ID
//     (a scan reads to the end, so a later record wins); empty when that record has no pair.
// An ID without a record has the empty name.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/result.h"

namespace digitalmap {

class NameIndex {
  public:
    // Empty when the ID has no record.
    const std::string& nameOf(long long id) const;
    std::size_t size() const { return names_.size(); }
    std::unordered_map<long long, std::string>& names() { return names_; }

  private:
    std::unordered_map<long long, std::string> names_;
};

// Reads the file's bytes (data) into an index; label names the file in messages. Fails,
// with a UTF-8 message naming file, line and field, when a record is malformed or ends
// early.
platform::Result<NameIndex> LoadTownNames(std::string_view data, const std::string& label);
platform::Result<NameIndex> LoadBuildingNames(std::string_view data, const std::string& label);

// Why an attribute file is not Shift-JIS text, naming the file (label) and the line: the
// first control character, the first line of a file saved in UTF-8, or the first bytes that
// are no Shift-JIS character. Nothing when it is Shift-JIS text. The loaders above check
// this first.
std::optional<std::string> AttributeFileEncodingProblem(std::string_view data,
                                                        const std::string& label);

// Number of (code, value) pairs that a value count q announces: q ÷ 2 rounded, halves to
// even (4 → 2, 3 → 2, 1 → 0).
long long pairCount(long long q);

}  // namespace digitalmap
