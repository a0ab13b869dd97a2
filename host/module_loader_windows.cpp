#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "host/module_loader.h"

namespace {

// The system's text for an error code, without the trailing line break.
std::string systemMessage(DWORD code) {
    char *buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer != nullptr ? std::string(buffer, length)
                                                        : "error " + std::to_string(code);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

void *openModuleLibrary(const std::string &path, std::string &error) {
    // No "cannot find a DLL" dialog: a host that fails to load one effect
    // carries on with the others.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(path.c_str());
    const DWORD code = library == nullptr ? GetLastError() : 0;
    SetErrorMode(previousMode);
    if (library == nullptr) error = "cannot open " + path + ": " + systemMessage(code);
    return reinterpret_cast<void *>(library);
}

void *findModuleSymbol(void *library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeModuleLibrary(void *library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}
