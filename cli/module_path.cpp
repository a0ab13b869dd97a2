#include "cli/module_path.h"

#include <cstdlib>
#include <filesystem>

#include "cli/cli_error.h"
#include "host/effect_module.h"

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

void open_EffectModule(const std::string &path, EffectModule &module) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    const std::string failure = path + ": cannot load the effect module: ";
    if (!fs::exists(status)) throw CliError(failure + "no such file");
    if (fs::is_directory(status)) throw CliError(failure + "a folder, not a module");
    if (module.open(path)) return;
    // The loader's text repeats the path; the message names it once.
    std::string reason = module.error();
    if (reason.rfind(path + ": ", 0) == 0) reason.erase(0, path.size() + 2);
    if (reason.rfind(path + " exports no ", 0) == 0) {
        throw CliError(path + ": not an effect module: it exports no " +
                       std::string(kEffectEntryPointName));
    }
    throw CliError(failure + "not a library this system can load (" + reason + ")");
}
