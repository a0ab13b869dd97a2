// The built Holvane.aex as a file: a 64-bit DLL whose only export is the
// entry point and whose imports are system libraries alone, so it loads on a
// Windows machine with nothing installed beside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <sstream>

#include "windows_checks.h"

namespace {

std::vector<std::string> exportedNames(const std::string &dump) {
    std::vector<std::string> names;
    std::istringstream lines(dump);
    std::string line;
    bool inTable = false;
    const std::regex entry(R"(^\s*\[\s*\d+\]\s+(\S+)\s*$)");
    while (std::getline(lines, line)) {
        if (line.find("[Ordinal/Name Pointer] Table") != std::string::npos) {
            inTable = true;
            continue;
        }
        std::smatch match;
        if (inTable && std::regex_match(line, match, entry))
            names.push_back(match[1]);
        else if (inTable)
            inTable = false;
    }
    return names;
}

std::vector<std::string> importedLibraries(const std::string &dump) {
    std::vector<std::string> names;
    const std::regex entry(R"(DLL Name:\s*(\S+))");
    for (auto m = std::sregex_iterator(dump.begin(), dump.end(), entry);
         m != std::sregex_iterator(); ++m)
        names.push_back((*m)[1]);
    return names;
}

// Libraries every Windows installation has. The compiler's own runtime
// (libstdc++, libgcc, libwinpthread) is not among them: it must be linked in.
bool isSystemLibrary(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    static const std::vector<std::string> system{"kernel32.dll", "msvcrt.dll", "ucrtbase.dll",
                                                 "ntdll.dll",    "user32.dll", "advapi32.dll"};
    return std::find(system.begin(), system.end(), name) != system.end() ||
           name.rfind("api-ms-win-", 0) == 0;
}

class WindowsModuleFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(windowsBuildPresent());
        const ProgramRun dump = dumpPeHeaders(windowsModulePath());
        ASSERT_EQ(dump.exitCode, 0) << dump.err;
        dump_ = dump.out;
    }
    std::string dump_;
};

TEST_F(WindowsModuleFile, IsA64BitDll) {
    EXPECT_NE(dump_.find("file format pei-x86-64"), std::string::npos);
    EXPECT_TRUE(std::regex_search(dump_, std::regex(R"(Magic\s+020b\s+\(PE32\+\))")));
    std::smatch characteristics;
    ASSERT_TRUE(std::regex_search(dump_, characteristics,
                                  std::regex(R"(Characteristics 0x([0-9a-fA-F]+))")));
    constexpr unsigned long IMAGE_FILE_DLL = 0x2000;
    EXPECT_NE(std::stoul(characteristics[1], nullptr, 16) & IMAGE_FILE_DLL, 0u);
}

TEST_F(WindowsModuleFile, ExportsTheEntryPointAlone) {
    EXPECT_EQ(exportedNames(dump_), std::vector<std::string>{"EntryPointFunc"});
}

TEST_F(WindowsModuleFile, ImportsOnlySystemLibraries) {
    const std::vector<std::string> imports = importedLibraries(dump_);
    EXPECT_FALSE(imports.empty()) << "no import table found in the dump";
    for (const std::string &name : imports) EXPECT_TRUE(isSystemLibrary(name)) << name;
}

TEST(WindowsDriverFile, ImportsOnlySystemLibraries) {
    ASSERT_TRUE(windowsBuildPresent());
    const ProgramRun dump = dumpPeHeaders(windowsDriverPath());
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    for (const std::string &name : importedLibraries(dump.out))
        EXPECT_TRUE(isSystemLibrary(name)) << name;
}

}  // namespace
