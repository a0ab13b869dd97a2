// The property list a host reads from Holvane.aex: read back under Wine
// through the Windows resource functions, it must be the generated list byte
// for byte, name the function the DLL exports, and declare the version and
// flags the module's global setup sets.
#include <gtest/gtest.h>

#include <regex>

#include "frame/effect_info.h"
#include "support/pipl_records.h"
#include "windows_checks.h"

namespace {

PiplBytes scriptData(const std::string &path) {
    PiplBytes bytes;
    std::string error;
    EXPECT_TRUE(resourceScriptData(readFileText(path), bytes, error)) << path << ": " << error;
    return bytes;
}

struct Readback {
    ProgramRun run;
    PiplBytes bytes;
};

Readback readBackFromModule(const std::string &name) {
    const std::string output = freshWorkDir(name) + "/pipl.bin";
    Readback readback;
    readback.run =
        runWindowsDriver({"pipl", windowsPath(windowsModulePath()), windowsPath(output)});
    const std::vector<unsigned char> bytes = readFileBytes(output);
    readback.bytes.assign(bytes.begin(), bytes.end());
    return readback;
}

// The value a line of the command round gives for `field=`, on the first
// line that has it.
std::string roundValue(const std::string &round, const std::string &field) {
    std::smatch match;
    const std::regex pattern(" " + field + "=(\\S+)");
    return std::regex_search(round, match, pattern) ? match[1].str() : std::string();
}

TEST(WindowsPipl, ReadBackEqualsTheGeneratedBytesInUsEnglish) {
    ASSERT_TRUE(windowsBuildPresent());
    const Readback readback = readBackFromModule("pipl_bytes");
    ASSERT_EQ(readback.run.exitCode, 0) << readback.run.err;
    // One language, 1033 (US English), as the host looks it up.
    EXPECT_NE(readback.run.out.find("languages: 1033\n"), std::string::npos) << readback.run.out;

    const PiplBytes crossBuilt = scriptData(windowsBuildDir() + "/resources/generated/Holvane.rc");
    const PiplBytes nativeBuilt = scriptData(linuxPiplDir() + "/Holvane.rc");
    ASSERT_FALSE(crossBuilt.empty());
    EXPECT_EQ(readback.bytes, crossBuilt);
    // The cross build runs its generator on the build machine: the same list
    // as the native build's.
    EXPECT_EQ(crossBuilt, nativeBuilt);
}

TEST(WindowsPipl, NamesTheExportedFunctionAndTheGlobalSetupValues) {
    ASSERT_TRUE(windowsBuildPresent());
    const Readback readback = readBackFromModule("pipl_values");
    ASSERT_EQ(readback.run.exitCode, 0) << readback.run.err;
    PiplList list;
    std::string error;
    ASSERT_TRUE(decodePipl(readback.bytes, PiplForm::Windows, list, error)) << error;
    EXPECT_EQ(list.version, 0u);
    ASSERT_EQ(list.records.size(), 12u);
    EXPECT_EQ(list.records[0], (PiplRecord{"kind", "eFKT", 0}));

    // The host looks the entry point up by the name in the code record.
    const PiplRecord *code = findPiplRecord(list, "8664");
    ASSERT_NE(code, nullptr);
    const ProgramRun dump = dumpPeHeaders(windowsModulePath());
    EXPECT_NE(dump.out.find("] " + code->text + "\n"), std::string::npos)
        << code->text << " is not in the export table";

    // What the module's own global setup answers under Wine.
    const std::string roundFile = freshWorkDir("pipl_round") + "/round.txt";
    const ProgramRun round =
        runWindowsDriver({"round", windowsPath(windowsModulePath()), windowsPath(roundFile)});
    ASSERT_EQ(round.exitCode, 0) << round.err;
    const std::string text = readFileText(roundFile);
    const PiplRecord *version = findPiplRecord(list, "eVER");
    const PiplRecord *flags = findPiplRecord(list, "eGLO");
    const PiplRecord *flags2 = findPiplRecord(list, "eGL2");
    ASSERT_TRUE(version != nullptr && flags != nullptr && flags2 != nullptr);
    EXPECT_EQ(roundValue(text, "my_version"), std::to_string(version->number));
    EXPECT_EQ(std::stoul(roundValue(text, "out_flags"), nullptr, 16), flags->number);
    EXPECT_EQ(std::stoul(roundValue(text, "out_flags2"), nullptr, 16), flags2->number);
    EXPECT_EQ(version->number, EFFECT_VERSION);
}

}  // namespace
