// `holvane info`: the effect as a host shows it: name, category, version,
// the property list and the nine controls with their ranges and defaults.
#pragma once

#include <iosfwd>
#include <string>

// Prints what the effect's own tables declare, then loads the module and
// shows its about text and the version and flags it sets at global setup.
// Returns the exit code: non-zero when the module cannot be loaded or
// disagrees with its property list.
int run_InfoCommand(const std::string &modulePathOption, std::ostream &out, std::ostream &err);

// The controls part alone (also used by --help).
void print_Controls(std::ostream &out);
