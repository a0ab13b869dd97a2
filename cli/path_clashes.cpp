#include "cli/path_clashes.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "cli/cli_error.h"
#include "cli/clip_discovery.h"

namespace fs = std::filesystem;

namespace {

// One file however it is named: its folder resolved (".", "..", links),
// and the file's device and inode when it exists.
struct FileIdentity {
    std::string spelling;
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

// Resolving each folder once keeps a run of many frames quick.
class IdentityReader {
  public:
    FileIdentity of(const std::string &path) {
        const fs::path given(path);
        FileIdentity identity;
        identity.spelling = (folder(given.parent_path().string()) / given.filename()).string();
        struct stat status {};
        if (::stat(path.c_str(), &status) == 0) {
            identity.exists = true;
            identity.device = status.st_dev;
            identity.inode = status.st_ino;
        }
        return identity;
    }

  private:
    fs::path folder(const std::string &name) {
        const auto found = folders_.find(name);
        if (found != folders_.end()) return found->second;
        std::error_code ec;
        const fs::path absolute = fs::absolute(name.empty() ? "." : name, ec);
        fs::path resolved = fs::weakly_canonical(absolute, ec);
        if (ec) resolved = absolute.lexically_normal();
        return folders_[name] = resolved;
    }

    std::map<std::string, fs::path> folders_;
};

// The sequence a single file's name is one frame of: its last run of digits
// as the frame number. None when the name holds no digits.
bool sequenceAround(const SequencePattern &single, SequencePattern &sequence) {
    const std::string &text = single.text;
    const auto nameStart = text.find_last_of('/') == std::string::npos ? std::string::size_type(0)
                                                                       : text.find_last_of('/') + 1;
    const auto end = text.find_last_of("0123456789");
    if (end == std::string::npos || end < nameStart) return false;
    auto start = end;
    while (start > nameStart && text[start - 1] >= '0' && text[start - 1] <= '9') --start;
    const std::string::size_type digits = end + 1 - start;
    sequence.isSequence = true;
    sequence.prefix = text.substr(0, start);
    sequence.suffix = text.substr(end + 1);
    sequence.digits = static_cast<int>(digits);
    sequence.text = sequence.prefix + std::string(digits, '#') + sequence.suffix;
    return true;
}

void addFramesOf(const SequencePattern &pattern, std::vector<std::string> &files) {
    for (long frame : list_ExistingFrames(pattern))
        files.push_back(format_FramePath(pattern, frame));
}

// Files by name and, where they exist, by inode.
template <typename Value>
class FileIndex {
  public:
    void add(const FileIdentity &identity, const Value &value) {
        bySpelling_.emplace(identity.spelling, value);
        if (identity.exists) byInode_.emplace(inodeOf(identity), value);
    }
    const Value *find(const FileIdentity &identity) const {
        const auto named = bySpelling_.find(identity.spelling);
        if (named != bySpelling_.end()) return &named->second;
        if (!identity.exists) return nullptr;
        const auto same = byInode_.find(inodeOf(identity));
        return same == byInode_.end() ? nullptr : &same->second;
    }

  private:
    static std::pair<dev_t, ino_t> inodeOf(const FileIdentity &identity) {
        return {identity.device, identity.inode};
    }
    std::map<std::string, Value> bySpelling_;
    std::map<std::pair<dev_t, ino_t>, Value> byInode_;
};

}  // namespace

std::vector<std::string> list_ProtectedInputs(const SequencePattern &input) {
    std::vector<std::string> files;
    addFramesOf(input, files);
    SequencePattern sequence;
    if (!input.isSequence && sequenceAround(input, sequence)) addFramesOf(sequence, files);
    return files;
}

void refuse_PathClashes(const std::vector<std::string> &inputs,
                        const std::vector<PlannedOutput> &outputs) {
    IdentityReader reader;
    FileIndex<std::string> inputFiles;
    for (const std::string &input : inputs) inputFiles.add(reader.of(input), input);
    FileIndex<std::size_t> outputFiles;
    for (std::size_t k = 0; k < outputs.size(); ++k) {
        const PlannedOutput &output = outputs[k];
        const FileIdentity identity = reader.of(output.path);
        if (const std::string *input = inputFiles.find(identity)) {
            throw usageError(output.what + ": " + output.path + " would overwrite " + *input +
                             ", a file of the input; refusing to overwrite the source plate");
        }
        if (const std::size_t *earlier = outputFiles.find(identity)) {
            const PlannedOutput &other = outputs[*earlier];
            throw usageError(output.what + ": " + output.path + " is also the output of " +
                             other.what + " (" + other.path + ")");
        }
        outputFiles.add(identity, k);
    }
}
