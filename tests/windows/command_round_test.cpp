// The command round (global setup, parameter setup, about, the dependency
// queries and the small commands, as After Effects and as Premiere Pro)
// answered by Holvane.aex under Wine exactly as by the Linux module: every
// returned value and every byte of the records the effect filled in.
#include <gtest/gtest.h>

#include <sstream>

#include "windows_checks.h"

namespace {

// The first line where the two texts part, for the failure message.
std::string firstDifference(const std::string &a, const std::string &b) {
    std::istringstream left(a), right(b);
    std::string l, r;
    for (int line = 1;; ++line) {
        const bool moreLeft = bool(std::getline(left, l));
        const bool moreRight = bool(std::getline(right, r));
        if (!moreLeft && !moreRight) return "no difference";
        if (!moreLeft || !moreRight || l != r)
            return "line " + std::to_string(line) + ":\n  linux:   " + (moreLeft ? l : "<end>") +
                   "\n  windows: " + (moreRight ? r : "<end>");
    }
}

TEST(CommandRound, WindowsModuleAnswersAsTheLinuxModule) {
    ASSERT_TRUE(windowsBuildPresent());
    const std::string dir = freshWorkDir("command_round");
    const ProgramRun linuxRun = runLinuxDriver({"round", linuxModulePath(), dir + "/linux.txt"});
    const ProgramRun windowsRun = runWindowsDriver(
        {"round", windowsPath(windowsModulePath()), windowsPath(dir + "/windows.txt")});
    EXPECT_EQ(linuxRun.exitCode, 0) << linuxRun.err;
    EXPECT_EQ(windowsRun.exitCode, 0) << windowsRun.err;

    const std::string linuxText = readFileText(dir + "/linux.txt");
    const std::string windowsText = readFileText(dir + "/windows.txt");
    EXPECT_EQ(linuxText, windowsText) << firstDifference(linuxText, windowsText);

    // Both hosts were played and every command ran: an empty or cut-short
    // round on both sides would otherwise compare equal.
    for (const char *section :
         {"[host after-effects]", "[host premiere]", "global-setup: err=0 clean=yes",
          "params-setup: err=0 clean=yes", "about: err=0 clean=yes",
          "dependencies-all: err=0 clean=yes", "dependencies-missing: err=0 clean=yes",
          "dependencies-none: err=0 clean=yes", "query-dynamic-flags: err=0 clean=yes"}) {
        EXPECT_NE(linuxText.find(section), std::string::npos) << section;
    }
    // The texts the host shows: a blank before the version in After Effects,
    // a comma in Premiere Pro.
    EXPECT_NE(linuxText.find("return_msg=\"Holvane v1.4\""), std::string::npos);
    EXPECT_NE(linuxText.find("return_msg=\"Holvane, v1.4\""), std::string::npos);
    EXPECT_NE(linuxText.find("text=\"All Dependencies requested.\""), std::string::npos);
}

}  // namespace
