// The renderer knows the effect's controls only by what the loaded module
// declares: a module with other controls is listed, checked and fed as it
// declared them (tests/cli/other_controls_effect).
#include <gtest/gtest.h>

#include "cli_test_support.h"

namespace {

// A one-frame clip of 4 x 2 opaque pixels, rendered through the other module.
ProcessResult renderWithOtherControls(const ScratchFolder &folder,
                                      std::vector<std::string> options) {
    const FileImage image = make8BitImage(4, 2, [](int x, int, std::uint8_t *rgba) {
        rgba[2] = std::uint8_t(10 * x);
        rgba[3] = 255;
    });
    write_ImageFileAtomically(folder.file("in.png"), image);
    std::vector<std::string> args{
        "render",   folder.file("in.png"),        folder.file("out.png"), "--quiet",
        "--module", HOLVANE_OTHER_CONTROLS_EFFECT};
    args.insert(args.end(), options.begin(), options.end());
    return runHolvane(args);
}

// Red and green of the output's first pixel, as the module wrote them.
std::pair<int, int> redAndGreen(const ScratchFolder &folder) {
    const DecodedImage out = decodeImage(folder.file("out.png"));
    return {out.u16.at(0) / 257, out.u16.at(1) / 257};
}

}  // namespace

TEST(DeclaredControls, InfoListsTheControlsTheLoadedModuleDeclares) {
    const ProcessResult info = runHolvane({"info", "--module", HOLVANE_OTHER_CONTROLS_EFFECT});
    for (const char *line :
         {"\n  1  \"Holes\"                            --hole-size       slider, valid 5..50, "
          "slider 5..50, default 7\n",
          "\n  2  \"Process\"                          --process         popup, 2 choices, "
          "default 1\n         1 \"Quick look \"\n         2 \"Full result \"\n"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;
    }
    EXPECT_EQ(info.out.find("--fill-with"), std::string::npos) << info.out;
    const ProcessResult help =
        runHolvane({"render", "--module", HOLVANE_OTHER_CONTROLS_EFFECT, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("\"Holes\""), std::string::npos) << help.out;
}

TEST(DeclaredControls, TheModuleReceivesTheValuesOfTheControlsItDeclared) {
    ScratchFolder defaults;
    const ProcessResult plain = renderWithOtherControls(defaults, {});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(redAndGreen(defaults), std::make_pair(7, 1));
    ScratchFolder set;
    const ProcessResult run =
        renderWithOtherControls(set, {"--hole-size", "40", "--process", "result"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(redAndGreen(set), std::make_pair(40, 2));
}

TEST(DeclaredControls, OptionsAreCheckedAgainstTheModulesDeclarations) {
    ScratchFolder folder;
    const ProcessResult range = renderWithOtherControls(folder, {"--hole-size", "60"});
    EXPECT_EQ(range.exitCode, 2);
    EXPECT_EQ(range.err, "holvane: --hole-size: 60 is outside the valid range 5..50\n");
    const ProcessResult choice = renderWithOtherControls(folder, {"--process", "info"});
    EXPECT_EQ(choice.err, "holvane: --process: 'info' is not 1..2, look or result\n");
    const ProcessResult undeclared = renderWithOtherControls(folder, {"--feather", "3"});
    EXPECT_EQ(undeclared.exitCode, 2);
    EXPECT_EQ(undeclared.err,
              "holvane: --feather: the effect module declares no control of id 7\n");
    EXPECT_FALSE(fileExists(folder.file("out.png")));
}
