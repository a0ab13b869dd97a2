// Where the effect module is: --module, else $HOLVANE_MODULE, else beside
// the holvane executable, else where this build put it.
#pragma once

#include <string>

// The running holvane executable's absolute path; empty when unknown.
std::string holvane_ExecutablePath();

// Throws CliError when no module is found.
std::string resolve_ModulePath(const std::string &option);

class EffectModule;

// Opens the module at `path`. Throws CliError naming the file and why: it
// is missing or a folder, is no library this system loads, or exports no
// effect entry point (a library that is not an effect module).
void open_EffectModule(const std::string &path, EffectModule &module);
