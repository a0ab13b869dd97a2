// holvane: the offline renderer. Everything but the arguments lives in
// holvane_cli_lib, where the tests reach it.
#include <iostream>
#include <string>
#include <vector>

#include "cli/holvane_cli.h"
#include "cli/standard_streams.h"
#include "cli/temporary_files.h"

int main(int argc, char **argv) {
    // Before anything opens a file: a closed standard descriptor would be
    // handed out to it.
    const StandardStreams streams = prepare_StandardStreams();
    install_InterruptCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    return run_HolvaneCommandLine(args, std::cout, std::cerr, streams);
}
