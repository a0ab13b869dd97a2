// Our host knows the effect only through the module's entry point and what
// the effect declares: none of its sources includes the effect's own headers,
// only the host's and the effect API's (api/).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The quoted includes of one source file.
std::vector<std::string> quotedIncludes(const std::filesystem::path &file) {
    std::ifstream in(file);
    std::vector<std::string> includes;
    for (std::string line; std::getline(in, line);) {
        const auto hash = line.find_first_not_of(" \t");
        if (hash == std::string::npos || line.compare(hash, 8, "#include") != 0) continue;
        const auto open = line.find('"');
        if (open == std::string::npos) continue;
        includes.push_back(line.substr(open + 1, line.find('"', open + 1) - open - 1));
    }
    return includes;
}

}  // namespace

TEST(HostSources, IncludeOnlyTheHostAndTheEffectApi) {
    const std::filesystem::path hostDir = std::filesystem::path(HOLVANE_TEST_SOURCE_DIR) / "host";
    int files = 0;
    for (const auto &entry : std::filesystem::directory_iterator(hostDir)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".h" && extension != ".cpp") continue;
        ++files;
        for (const std::string &include : quotedIncludes(entry.path())) {
            const bool allowed = include.rfind("host/", 0) == 0 || include.rfind("api/", 0) == 0;
            EXPECT_TRUE(allowed) << entry.path().filename().string() << " includes " << include;
        }
    }
    EXPECT_GT(files, 10);
}
