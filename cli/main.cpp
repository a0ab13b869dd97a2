// holvane: the offline renderer. Everything but the arguments lives in
// holvane_cli_lib, where the tests reach it.
#include <iostream>
#include <string>
#include <vector>

#include "cli/holvane_cli.h"

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return run_HolvaneCommandLine(args, std::cout, std::cerr);
}
