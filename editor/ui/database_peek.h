#pragma once
// A look into a database file through a temporary image of its own, as the file dialogs
// take it before anything is read or written: its database name and, for a master
// database, the identification codes of its designs. The editor's image is not touched.
#include <string>
#include <vector>

namespace lorvex {

struct DatabasePeek {
    bool exists = false;             // a file is at the path
    bool refused = false;            // it is there but cannot be taken as a database
    std::string message;             // UTF-8: why it was refused
    std::string name;                // Shift-JIS database name (empty when missing or refused)
    std::vector<std::string> codes;  // Shift-JIS codes of the design records, in record order
};

// Loads the file into a temporary image. A missing file, like a refused one, yields no
// name and no codes. Codes are listed for a database named "Master" only.
DatabasePeek peekDatabase(const std::string& path);

}  // namespace lorvex
