// lorvex-cli: the editor's database commands without a window. Commands live in
// lorvex_*.cpp files of this folder and register themselves.
#include "cli/cli_common.h"

int main(int argc, char** argv) {
    return cli::dispatch("lorvex-cli", argc, argv);
}
