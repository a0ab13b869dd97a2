#include "cli/options.h"

#include <gtest/gtest.h>

#include "cli/cli_error.h"

namespace {

CommandLine parse(std::vector<std::string> args) { return parse_CommandLine(args); }

std::vector<std::string> render(std::vector<std::string> extra) {
    std::vector<std::string> args{"render", "in.%04d.png", "out.%04d.png"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::string usageMessage(std::vector<std::string> args) {
    try {
        parse_CommandLine(args);
    } catch (const CliError &error) {
        EXPECT_EQ(error.exitCode, EXIT_USAGE_ERROR);
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(CommandLineOptions, EveryControlStartsAtTheEffectsDefault) {
    const RenderOptions r = parse(render({})).render;
    for (const ParamSpec &control : PARAM_SPECS) {
        if (control.type == PF_Param_COLOR) {
            EXPECT_EQ(r.effect.colour[control.index].red, control.colourDefault.red);
            EXPECT_EQ(r.effect.colour[control.index].blue, control.colourDefault.blue);
        } else {
            EXPECT_EQ(r.effect.number[control.index], control.dephault) << control.name;
        }
    }
    EXPECT_EQ(r.host, HostApp::AfterEffects);
    EXPECT_EQ(r.fps, 24u);
    EXPECT_EQ(r.downsample, 1);
    EXPECT_GE(r.jobs, 1);
}

TEST(CommandLineOptions, SetsControlsInBothSpellings) {
    const RenderOptions r =
        parse(render({"--hole-size", "4000", "--shrink-grow=-50", "--process", "info",
                      "--fill-with", "10", "--set-color", "0,128,255", "--decontam-color=1,2,3",
                      "--feather", "0", "--below-alpha", "100", "--close-edge-gaps", "30"}))
            .render;
    EXPECT_EQ(r.effect.number[PARAM_HOLE_SIZE], 4000);
    EXPECT_EQ(r.effect.number[PARAM_SHRINK_GROW], -50);
    EXPECT_EQ(r.effect.number[PARAM_PROCESS], 4);
    EXPECT_EQ(r.effect.number[PARAM_FILL_WITH], 10);
    EXPECT_EQ(r.effect.number[PARAM_FEATHER_IN], 0);
    EXPECT_EQ(r.effect.number[PARAM_BELOW_ALPHA], 100);
    EXPECT_EQ(r.effect.number[PARAM_CLOSE_EDGE_GAPS], 30);
    const PF_Pixel set = r.effect.colour[PARAM_SET_COLOR];
    EXPECT_EQ(set.alpha, 255);
    EXPECT_EQ(set.red, 0);
    EXPECT_EQ(set.green, 128);
    EXPECT_EQ(set.blue, 255);
    EXPECT_EQ(r.effect.colour[PARAM_DECONTAM_COLOR].green, 2);
    EXPECT_EQ(parse(render({"--process", "changes"})).render.effect.number[PARAM_PROCESS], 2);
    EXPECT_EQ(parse(render({"--process", "3"})).render.effect.number[PARAM_PROCESS], 3);
}

TEST(CommandLineOptions, ValuesOutsideAControlsValidRangeAreRefused) {
    // The valid range, not the narrower slider range, is what counts.
    EXPECT_EQ(
        parse(render({"--close-edge-gaps", "30"})).render.effect.number[PARAM_CLOSE_EDGE_GAPS], 30);
    const std::string hole = usageMessage(render({"--hole-size", "4001"}));
    EXPECT_NE(hole.find("--hole-size"), std::string::npos) << hole;
    EXPECT_NE(hole.find("0..4000"), std::string::npos) << hole;
    EXPECT_NE(usageMessage(render({"--shrink-grow", "-51"})).find("--shrink-grow"),
              std::string::npos);
    EXPECT_NE(usageMessage(render({"--close-edge-gaps", "31"})).find("0..30"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--process", "5"})).find("--process"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--fill-with", "0"})).find("--fill-with"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--set-color", "256,0,0"})).find("--set-color"),
              std::string::npos);
    EXPECT_NE(usageMessage(render({"--set-color", "1,2"})).find("--set-color"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--feather", "two"})).find("not a whole number"),
              std::string::npos);
    EXPECT_NE(usageMessage(render({"--downsample", "9"})).find("--downsample"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--jobs", "0"})).find("--jobs"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--fps", "0"})).find("--fps"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--host", "other"})).find("--host"), std::string::npos);
}

TEST(CommandLineOptions, RenderAndHostOptions) {
    const CommandLine line = parse(render(
        {"--frames", "3-9", "--downsample", "2", "--host", "premiere", "--fps", "30", "--jobs", "3",
         "--quiet", "--stats", "--contact-sheet", "s.png", "--module", "/x/Holvane.so"}));
    EXPECT_EQ(line.command, Command::Render);
    EXPECT_EQ(line.render.input, "in.%04d.png");
    EXPECT_EQ(line.render.output, "out.%04d.png");
    ASSERT_TRUE(line.render.frames.has_value());
    EXPECT_EQ(line.render.frames->first, 3);
    EXPECT_EQ(line.render.frames->last, 9);
    EXPECT_EQ(line.render.downsample, 2);
    EXPECT_EQ(line.render.host, HostApp::Premiere);
    EXPECT_EQ(line.render.fps, 30u);
    EXPECT_EQ(line.render.jobs, 3);
    EXPECT_TRUE(line.render.quiet);
    EXPECT_TRUE(line.render.stats);
    EXPECT_EQ(line.render.contactSheet, "s.png");
    EXPECT_EQ(line.modulePath, "/x/Holvane.so");
}

TEST(CommandLineOptions, CommandsAndMistakes) {
    EXPECT_EQ(parse({"--version"}).command, Command::Version);
    EXPECT_EQ(parse({"--help"}).command, Command::Help);
    EXPECT_EQ(parse({"render", "--help"}).command, Command::Help);
    EXPECT_EQ(parse({"info"}).command, Command::Info);
    EXPECT_EQ(parse({"info", "--module", "m.so"}).modulePath, "m.so");
    EXPECT_NE(usageMessage({}).find("no command"), std::string::npos);
    EXPECT_NE(usageMessage({"paint"}).find("'paint'"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--sharpen", "3"})).find("'--sharpen'"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--hole-size"})).find("--hole-size needs a value"),
              std::string::npos);
    EXPECT_NE(usageMessage({"render", "in.png"}).find("INPUT and OUTPUT"), std::string::npos);
    EXPECT_NE(usageMessage({"render", "a.png", "b.png", "c.png"}).find("'c.png'"),
              std::string::npos);
    EXPECT_NE(usageMessage(render({"--quiet=yes"})).find("--quiet"), std::string::npos);
}
