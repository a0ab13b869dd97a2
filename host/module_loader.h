// Opening a plug-in module and finding a symbol in it. The only file that
// knows the operating system's loader; a LoadLibrary variant sits beside the
// dlopen one when the host is built for Windows.
#pragma once

#include <string>

// Opens the module at path. Returns null and fills error when it cannot.
void *openModuleLibrary(const std::string &path, std::string &error);

// The address of an exported symbol, or null.
void *findModuleSymbol(void *library, const char *name);

void closeModuleLibrary(void *library);
