// The temporary files a run writes its outputs to before renaming them into
// place. They are known to the SIGINT/SIGTERM handlers, which remove them
// before the run exits, so an interrupted render leaves nothing half made.
#pragma once

#include <string>

// A short hidden name in the folder of `path`: any valid output name gives a
// valid temporary name, whatever its length.
std::string temporaryNameBeside(const std::string &path);

// A temporary file name registered for removal on an interrupt. The file is
// removed when the object goes out of scope unless it was renamed into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(std::string path);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    const std::string &path() const { return path_; }
    // Renames the file over `target`; returns the problem, or an empty text.
    std::string renameTo(const std::string &target);

  private:
    std::string path_;
    int slot_;
    bool renamed_ = false;
};

// SIGINT and SIGTERM remove every registered temporary file and end the
// process with status 128 + the signal (130, 143).
void install_InterruptCleanup();
