// The whole `holvane` program behind main(): parses the command line, runs
// the command and turns every failure into one line on stderr and an exit
// code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/standard_streams.h"

int run_HolvaneCommandLine(const std::vector<std::string> &args, std::ostream &out,
                           std::ostream &err, const StandardStreams &streams = StandardStreams());

// The text of --help, listing the controls of the module the option (or the
// default) names.
std::string holvaneHelpText(const std::string &modulePathOption = std::string());
