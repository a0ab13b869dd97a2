#include "cli/module_path.h"

#include <cstdlib>
#include <filesystem>

#include "cli/cli_error.h"

namespace fs = std::filesystem;

namespace {

#if defined(_WIN32)
constexpr const char MODULE_FILE_NAME[] = "Holvane.aex";
#else
constexpr const char MODULE_FILE_NAME[] = "Holvane.so";
#endif

std::string besideExecutable() {
    const std::string self = holvane_ExecutablePath();
    if (self.empty()) return std::string();
    return (fs::path(self).parent_path() / MODULE_FILE_NAME).string();
}

bool isFile(const std::string &path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

}  // namespace

std::string holvane_ExecutablePath() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

std::string resolve_ModulePath(const std::string &option) {
    if (!option.empty()) return option;
    const char *environment = std::getenv("HOLVANE_MODULE");
    if (environment != nullptr && *environment != '\0') return environment;
    const std::string beside = besideExecutable();
    if (isFile(beside)) return beside;
#ifdef HOLVANE_BUILT_MODULE
    if (isFile(HOLVANE_BUILT_MODULE)) return HOLVANE_BUILT_MODULE;
#endif
    throw CliError(std::string(MODULE_FILE_NAME) +
                   ": effect module not found; give --module PATH or set HOLVANE_MODULE");
}
