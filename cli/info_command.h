// `holvane info`: the effect as a host shows it: name, category, version,
// the property list and the controls the module declares, with their ranges
// and defaults.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "host/host_types.h"

// Prints the effect's name, version and property list, then loads the
// module and shows the controls it declares at parameter setup, its about
// text and the version and flags it sets at global setup. Returns the exit
// code: non-zero when the module cannot be loaded, fails a setup command or
// disagrees with its property list.
int run_InfoCommand(const std::string &modulePathOption, std::ostream &out, std::ostream &err);

// The controls part alone: the declared controls in order, each with its
// renderer option.
void print_Controls(std::ostream &out, const std::vector<CollectedParam> &declared);

// The controls of the module the option (or the default) names, for --help;
// a line saying why when it cannot be loaded or set up.
void print_ModuleControls(const std::string &modulePathOption, std::ostream &out);
