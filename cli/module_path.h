// Where the effect module is: --module, else $HOLVANE_MODULE, else beside
// the holvane executable, else where this build put it.
#pragma once

#include <string>

// The running holvane executable's absolute path; empty when unknown.
std::string holvane_ExecutablePath();

// Throws CliError when no module is found.
std::string resolve_ModulePath(const std::string &option);
