// The conformance check: every case of the shared reference renders
// (../shared/golden/manifest.txt) rendered by holvane and compared pixel by
// pixel with the reference frames. Skipped where the shared folder is absent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli_test_support.h"

namespace {

struct GoldenCase {
    std::string name;
    std::string input;  // relative to the golden folder
    std::string frames;
    std::vector<std::string> options;
};

// Test names and failure messages show the case by its name.
void PrintTo(const GoldenCase &c, std::ostream *out) { *out << c.name; }

std::string goldenFolder() {
    const std::string shared = sharedFolder();
    return shared.empty() ? std::string() : shared + "/golden";
}

std::vector<std::string> splitWords(const std::string &text) {
    std::istringstream words(text);
    std::vector<std::string> result;
    for (std::string word; words >> word;) result.push_back(word);
    return result;
}

// One case per line: name, input, frames, options, separated by tabs;
// "#" starts a comment line.
std::vector<GoldenCase> readManifest() {
    std::vector<GoldenCase> cases;
    std::ifstream manifest(goldenFolder() + "/manifest.txt");
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream columns(line);
        for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
        if (fields.size() < 3) continue;
        cases.push_back({fields[0], fields[1], fields[2],
                         fields.size() > 3 ? splitWords(fields[3]) : std::vector<std::string>{}});
    }
    return cases;
}

std::vector<std::string> referenceFrames(const std::string &caseFolder) {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(caseFolder)) {
        if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GoldenRender : public testing::TestWithParam<GoldenCase> {};

}  // namespace

TEST(GoldenReferences, ArePresentOrTheCasesAreSkipped) {
    if (goldenFolder().empty()) GTEST_SKIP() << "no ../shared/golden beside the repository";
    EXPECT_EQ(readManifest().size(), 13u);
}

// With one render thread, two, and more than the machine has: the frames
// must not depend on how the rows are shared out.
TEST_P(GoldenRender, ReproducesEveryReferenceFrame) {
    const GoldenCase &c = GetParam();
    const std::string golden = goldenFolder();
    const std::vector<std::string> references = referenceFrames(golden + "/" + c.name);
    ASSERT_FALSE(references.empty());
    for (const std::string threads : {"1", "2", "7"}) {
        SCOPED_TRACE(threads + " render threads");
        ScratchFolder folder;
        std::vector<std::string> args{"render",
                                      golden + "/" + c.input,
                                      folder.file(c.name + "/o.%04d.png"),
                                      "--frames",
                                      c.frames,
                                      "--quiet"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ::setenv("HOLVANE_RENDER_THREADS", threads.c_str(), 1);
        const ProcessResult run = runHolvane(args);
        ::unsetenv("HOLVANE_RENDER_THREADS");
        ASSERT_EQ(run.exitCode, 0) << run.err;

        EXPECT_EQ(folder.entries(c.name), references);
        for (const std::string &frame : references) {
            const std::string ours = folder.file(c.name + "/" + frame);
            ASSERT_TRUE(fileExists(ours)) << frame;
            EXPECT_EQ(describePixelDifferences(decodeImage(ours),
                                               decodeImage(golden + "/" + c.name + "/" + frame)),
                      "")
                << c.name << "/" << frame;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, GoldenRender, testing::ValuesIn(readManifest()),
                         [](const testing::TestParamInfo<GoldenCase> &info) {
                             return info.param.name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GoldenRender);
