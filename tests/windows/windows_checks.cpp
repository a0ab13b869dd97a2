#include "windows_checks.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string quoted(const std::string &arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string joined(const std::vector<std::string> &args) {
    std::string command;
    for (const std::string &arg : args) command += (command.empty() ? "" : " ") + quoted(arg);
    return command;
}

std::string withoutCarriageReturns(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

// Runs a command line with stdout and stderr captured in files of the work
// directory (a pipe would need a reader per stream).
ProgramRun run(const std::string &environment, const std::vector<std::string> &args) {
    static int serial = 0;
    const std::string base =
        freshWorkDir("runs") + "/" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const std::string command = environment + joined(args) + " >" + quoted(base + ".out") + " 2>" +
                                quoted(base + ".err") + " </dev/null";
    const int status = std::system(command.c_str());
    ProgramRun result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFileText(base + ".out");
    result.err = readFileText(base + ".err");
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return result;
}

}  // namespace

std::string linuxModulePath() {
    const char *path = std::getenv("HOLVANE_MODULE");
    return path != nullptr ? path : "";
}

std::string sourceDir() { return HOLVANE_SOURCE_TREE; }

std::string windowsBuildDir() { return HOLVANE_WINDOWS_BUILD_DIR; }
std::string windowsModulePath() { return windowsBuildDir() + "/Holvane.aex"; }
std::string windowsDriverPath() {
    return windowsBuildDir() + "/tests/windows/driver/holvane_driver.exe";
}
std::string linuxPiplDir() { return HOLVANE_PIPL_DIR; }

::testing::AssertionResult windowsBuildPresent() {
    for (const std::string &path : {windowsModulePath(), windowsDriverPath()}) {
        if (!std::filesystem::exists(path))
            return ::testing::AssertionFailure()
                   << path << " is missing: run `make windows` (make test does) first";
    }
    return ::testing::AssertionSuccess();
}

std::string freshWorkDir(const std::string &name) {
    const std::filesystem::path dir = std::filesystem::path(HOLVANE_WINDOWS_WORK_DIR) / name;
    // "runs" holds the captured output of programs while they run, and is
    // shared by all tests; every other directory belongs to one test.
    if (name != "runs") std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::string windowsPath(const std::string &unixPath) { return "Z:" + unixPath; }

ProgramRun runLinuxDriver(const std::vector<std::string> &args) {
    std::vector<std::string> line{HOLVANE_LINUX_DRIVER};
    line.insert(line.end(), args.begin(), args.end());
    return run("", line);
}

ProgramRun runWindowsDriver(const std::vector<std::string> &args) {
    // A private prefix keeps the user's own Wine setup out of the results;
    // the overrides skip the offers to install .NET and browser components.
    const std::string environment = "WINEPREFIX=" + quoted(windowsBuildDir() + "/wine-prefix") +
                                    " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
    // A Windows program that hangs (a crash handler waiting for a debugger,
    // say) must not hold the test run up forever.
    std::vector<std::string> line{"timeout", "600", HOLVANE_WINE, windowsDriverPath()};
    line.insert(line.end(), args.begin(), args.end());
    ProgramRun result = run(environment, line);
    result.out = withoutCarriageReturns(result.out);
    return result;
}

ProgramRun dumpPeHeaders(const std::string &path) {
    return run("", {HOLVANE_MINGW_OBJDUMP, "-p", path});
}

std::vector<unsigned char> readFileBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readFileText(const std::string &path) {
    const std::vector<unsigned char> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}
