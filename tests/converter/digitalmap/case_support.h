#pragma once
// Runs the Digital Map conversion on a sheet folder assembled for one test case: the base
// sheet of tests/data/nsdi_base with the files of tests/data/<case> laid over it (and the
// files its remove.txt lists taken away), under a folder named 53394525.
#include <string>
#include <vector>

#include "converter/digitalmap/digital_map.h"
#include "pdbformat/graphic_stream.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace casesupport {

struct CaseRun {
    bool done = false;
    std::vector<std::string> messages;  // "[info|error] TITLE: TEXT", as the console prints them
    digitalmap::SheetPaths paths;
    std::string sheetDir;
    std::string outDir;
};

class SheetCase {
  public:
    // Assembles the sheet; an empty case name gives the base sheet alone.
    explicit SheetCase(const std::string& caseName);
    const std::string& sheetDir() const { return sheetDir_; }
    std::string sheetFile(const std::string& relative) const { return sheetDir_ + "/" + relative; }
    const std::string& outDir() const { return outDir_; }
    CaseRun run();

  private:
    testsupport::TempDir dir_;
    std::string sheetDir_;
    std::string outDir_;
};

std::string formatCall(const platform::PromptCall& call);

// The graphic database as walked by the reader (the test fails when it does not walk).
pdb::GraphicFile walkGraphic(const std::string& path);
std::vector<const pdb::GraphicElement*> elementsOfKind(const pdb::GraphicFile& file,
                                                       std::uint8_t kind,
                                                       std::uint8_t elementClass = 0);

// Splits one CSV line into fields (double quotes group a field holding commas).
std::vector<std::string> splitCsvLine(const std::string& line);
std::vector<std::string> csvLines(const std::string& text);  // lines without their CR LF

// Every database the run wrote loads in the independent reader: the graphic database with
// its iRecNum records of 1024 bytes, the attribute database with one 128-byte record per
// line of the CSV beside it.
void expectDatabasesLoad(const std::string& outDir, const std::string& base);

// The messages of a run that reaches its end without trouble.
std::vector<std::string> normalMessages();

}  // namespace casesupport
