// The fuzz corpus kept in the repository, replayed as ordinary tests: every
// input the fuzzer once found interesting (and every one that once broke the
// effect) still passes all of the fuzz case's checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/entry_point.h"
#include "render_fuzz_case.h"

namespace {

std::vector<std::filesystem::path> corpusFiles() {
    std::vector<std::filesystem::path> files;
    const std::filesystem::path folder = HOLVANE_FUZZ_CORPUS;
    if (!std::filesystem::is_directory(folder)) return files;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path &path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

TEST(FuzzCorpusReplay, EveryKeptInputPassesTheChecks) {
    const std::vector<std::filesystem::path> files = corpusFiles();
    ASSERT_GE(files.size(), 10u) << "the corpus in tests/fuzz/corpus is missing";
    for (const auto &path : files) {
        const std::vector<std::uint8_t> bytes = readBytes(path);
        EXPECT_EQ(runFuzzInput(EntryPointFunc, bytes.data(), bytes.size()), "") << path.filename();
    }
}

}  // namespace
