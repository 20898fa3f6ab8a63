// vornik-cli: the converter's conversions without a window. Commands live in
// vornik_*.cpp files of this folder and register themselves.
#include "cli/cli_common.h"

int main(int argc, char** argv) {
    return cli::dispatch("vornik-cli", argc, argv);
}
