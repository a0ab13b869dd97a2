// Running the two builds side by side: the Linux driver natively on the
// Linux module, the Windows driver under Wine on Holvane.aex from the cross
// build (make windows). The tests only run programs; a missing cross build
// fails them with a note on how to make it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ProgramRun {
    int exitCode = -1;
    std::string out;  // Windows programs' line ends normalised to "\n"
    std::string err;
};

// Paths of the artefacts under test, and of the source tree.
std::string linuxModulePath();
std::string sourceDir();
std::string windowsModulePath();
std::string windowsDriverPath();
std::string windowsBuildDir();
std::string linuxPiplDir();

// Success when the cross build's module and driver exist.
::testing::AssertionResult windowsBuildPresent();

// An empty directory for one test's files.
std::string freshWorkDir(const std::string &name);

// The path a Windows program under Wine uses for a file on this machine
// (Wine maps drive Z: to the root).
std::string windowsPath(const std::string &unixPath);

ProgramRun runLinuxDriver(const std::vector<std::string> &args);
// Runs the Windows driver under Wine in the cross build's private prefix.
ProgramRun runWindowsDriver(const std::vector<std::string> &args);
// `objdump -p` of a Windows binary.
ProgramRun dumpPeHeaders(const std::string &path);

std::vector<unsigned char> readFileBytes(const std::string &path);
std::string readFileText(const std::string &path);
