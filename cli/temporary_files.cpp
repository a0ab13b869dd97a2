#include "cli/temporary_files.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "cli/cli_error.h"

namespace fs = std::filesystem;

namespace {

// Enough for every render thread and the contact sheet at once.
constexpr int MAX_TEMPORARY_FILES = 320;

// The registry the signal handlers read. It is the one piece of process-wide
// state of the renderer: a handler can reach nothing else. A slot is taken,
// its path written, then published; the handler reads published slots only,
// with nothing but lock-free loads and unlink().
struct TemporarySlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> published{false};
    char path[PATH_MAX];
};
TemporarySlot registry[MAX_TEMPORARY_FILES];

int registerPath(const std::string &path) {
    if (path.size() >= PATH_MAX) throw CliError(path + ": the path is too long");
    for (int i = 0; i < MAX_TEMPORARY_FILES; ++i) {
        bool expected = false;
        if (!registry[i].taken.compare_exchange_strong(expected, true)) continue;
        std::memcpy(registry[i].path, path.c_str(), path.size() + 1);
        registry[i].published = true;
        return i;
    }
    throw CliError(path + ": too many files being written at once");
}

void releasePath(int slot) {
    registry[slot].published = false;
    registry[slot].taken = false;
}

extern "C" void removeTemporariesAndExit(int signalNumber) {
    for (TemporarySlot &slot : registry) {
        if (slot.published) ::unlink(slot.path);
    }
    ::_exit(128 + signalNumber);
}

}  // namespace

std::string temporaryNameBeside(const std::string &path) {
    static std::atomic<unsigned> counter{0};
    const std::string name =
        ".holvane-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    return (fs::path(path).parent_path() / name).string();
}

TemporaryFile::TemporaryFile(std::string path)
    : path_(std::move(path)), slot_(registerPath(path_)) {}

TemporaryFile::~TemporaryFile() {
    if (!renamed_) {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    releasePath(slot_);
}

std::string TemporaryFile::renameTo(const std::string &target) {
    std::error_code ec;
    fs::rename(path_, target, ec);
    if (ec) return ec.message();
    renamed_ = true;
    return std::string();
}

void install_InterruptCleanup() {
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndExit;
    sigemptyset(&action.sa_mask);
    // One handler at a time: the second signal waits for the first to finish.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
