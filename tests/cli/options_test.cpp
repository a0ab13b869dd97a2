#include "cli/options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

#include "cli/cli_error.h"
#include "cli/declared_controls.h"
#include "host/effect_module.h"

namespace {

CommandLine parse(std::vector<std::string> args) { return parse_CommandLine(args); }

std::vector<std::string> render(std::vector<std::string> extra) {
    std::vector<std::string> args{"render", "in.%04d.png", "out.%04d.png"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// What the built module declares (HOLVANE_MODULE, set for the tests).
const std::vector<CollectedParam> &moduleControls() {
    static const std::vector<CollectedParam> declared = [] {
        static EffectModule module;
        const char *path = std::getenv("HOLVANE_MODULE");
        if (path == nullptr || !module.open(path)) return std::vector<CollectedParam>{};
        return read_DeclaredControls(module.entry());
    }();
    return declared;
}

// The values the command line's control options give the built module.
ParamValues effectValues(std::vector<std::string> extra) {
    return resolve_ControlValues(parse(render(extra)).render.controls, moduleControls());
}

std::string messageOf(const std::function<void()> &fn) {
    try {
        fn();
    } catch (const CliError &error) {
        EXPECT_EQ(error.exitCode, EXIT_USAGE_ERROR);
        return error.what();
    }
    return "no error";
}

std::string usageMessage(std::vector<std::string> args) {
    return messageOf([&] { parse_CommandLine(args); });
}

// The message for control options that parse but do not fit the module.
std::string controlMessage(std::vector<std::string> extra,
                           const std::vector<CollectedParam> &declared = moduleControls()) {
    const std::vector<ControlSetting> settings = parse(render(extra)).render.controls;
    return messageOf([&] { resolve_ControlValues(settings, declared); });
}

CollectedParam declared(PF_ParamType type, A_long id, const char *name) {
    CollectedParam control;
    control.def.param_type = type;
    control.def.uu.id = id;
    std::strncpy(control.def.name, name, sizeof control.def.name - 1);
    return control;
}

// A module unlike Holvane: a narrower hole size, a two-way Process popup
// and no fill chain.
std::vector<CollectedParam> otherModuleControls() {
    CollectedParam holes = declared(PF_Param_SLIDER, 3, "Holes");
    holes.def.u.sd.valid_min = 5;
    holes.def.u.sd.valid_max = 50;
    holes.def.u.sd.dephault = 7;
    CollectedParam process = declared(PF_Param_POPUP, 1, "Process");
    process.def.u.pd.num_choices = 2;
    process.def.u.pd.dephault = 1;
    process.choices = "Quick look |Full result |";
    return {process, holes};
}

}  // namespace

TEST(CommandLineOptions, EveryControlStartsAtTheModulesDefault) {
    ASSERT_EQ(moduleControls().size(), 9u) << "set HOLVANE_MODULE to the built Holvane module";
    const ParamValues v = effectValues({});
    for (const CollectedParam &control : moduleControls()) {
        const PF_ParamDef &def = control.def;
        SCOPED_TRACE(def.name);
        if (def.param_type == PF_Param_COLOR) {
            EXPECT_EQ(v.colour.at(def.uu.id).red, def.u.cd.dephault.red);
            EXPECT_EQ(v.colour.at(def.uu.id).blue, def.u.cd.dephault.blue);
        } else if (def.param_type == PF_Param_POPUP) {
            EXPECT_EQ(v.number.at(def.uu.id), def.u.pd.dephault);
        } else {
            EXPECT_EQ(v.number.at(def.uu.id), def.u.sd.dephault);
        }
    }
    const RenderOptions r = parse(render({})).render;
    EXPECT_TRUE(r.controls.empty());
    EXPECT_EQ(r.host, HostApp::AfterEffects);
    EXPECT_EQ(r.fps, 24u);
    EXPECT_EQ(r.downsample, 1);
    EXPECT_GE(r.jobs, 1);
}

TEST(CommandLineOptions, SetsControlsInBothSpellings) {
    const std::vector<std::string> options{
        "--hole-size", "4000", "--shrink-grow=-50", "--process", "info",
        "--fill-with", "10",   "--set-color",       "0,128,255", "--decontam-color=1,2,3",
        "--feather",   "0",    "--below-alpha",     "100",       "--close-edge-gaps",
        "30"};
    const std::vector<ControlSetting> settings = parse(render(options)).render.controls;
    ASSERT_EQ(settings.size(), 9u);
    EXPECT_EQ(settings[1].option, "--shrink-grow");
    EXPECT_EQ(settings[1].text, "-50");
    const ParamValues v = effectValues(options);
    EXPECT_EQ(v.number.at(3), 4000);
    EXPECT_EQ(v.number.at(8), -50);
    EXPECT_EQ(v.number.at(1), 4);
    EXPECT_EQ(v.number.at(5), 10);
    EXPECT_EQ(v.number.at(7), 0);
    EXPECT_EQ(v.number.at(4), 100);
    EXPECT_EQ(v.number.at(2), 30);
    const PF_Pixel set = v.colour.at(6);
    EXPECT_EQ(set.alpha, 255);
    EXPECT_EQ(set.red, 0);
    EXPECT_EQ(set.green, 128);
    EXPECT_EQ(set.blue, 255);
    EXPECT_EQ(v.colour.at(9).green, 2);
    EXPECT_EQ(effectValues({"--process", "changes"}).number.at(1), 2);
    EXPECT_EQ(effectValues({"--process", "3"}).number.at(1), 3);
    // The later setting of a control wins.
    EXPECT_EQ(effectValues({"--feather", "4", "--feather", "9"}).number.at(7), 9);
}

TEST(CommandLineOptions, ValuesOutsideAControlsValidRangeAreRefused) {
    // The valid range, not the narrower slider range, is what counts.
    EXPECT_EQ(effectValues({"--close-edge-gaps", "30"}).number.at(2), 30);
    const std::string hole = controlMessage({"--hole-size", "4001"});
    EXPECT_EQ(hole, "--hole-size: 4001 is outside the valid range 0..4000");
    EXPECT_NE(controlMessage({"--shrink-grow", "-51"}).find("--shrink-grow"), std::string::npos);
    EXPECT_NE(controlMessage({"--close-edge-gaps", "31"}).find("0..30"), std::string::npos);
    EXPECT_EQ(controlMessage({"--process", "5"}),
              "--process: '5' is not 1..4, result, changes, alpha or info");
    EXPECT_EQ(controlMessage({"--fill-with", "0"}),
              "--fill-with: 0 is outside the valid range 1..10");
    EXPECT_NE(controlMessage({"--set-color", "256,0,0"}).find("--set-color"), std::string::npos);
    EXPECT_NE(controlMessage({"--set-color", "1,2"}).find("--set-color"), std::string::npos);
    EXPECT_NE(controlMessage({"--feather", "two"}).find("not a whole number"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--downsample", "9"})).find("--downsample"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--jobs", "0"})).find("--jobs"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--fps", "0"})).find("--fps"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--png-compression", "10"})).find("0..9"), std::string::npos);
    EXPECT_NE(usageMessage(render({"--host", "other"})).find("--host"), std::string::npos);
}

// Ranges, choices and defaults are the loaded module's, whatever it is.
TEST(CommandLineOptions, ControlsAreCheckedAgainstWhatTheModuleDeclares) {
    const std::vector<CollectedParam> other = otherModuleControls();
    const ParamValues defaults = resolve_ControlValues({}, other);
    EXPECT_EQ(defaults.number.at(3), 7);
    EXPECT_EQ(defaults.number.at(1), 1);
    EXPECT_EQ(defaults.number.size() + defaults.colour.size(), 2u);
    const ParamValues set = resolve_ControlValues(
        parse(render({"--hole-size", "50", "--process", "result"})).render.controls, other);
    EXPECT_EQ(set.number.at(3), 50);
    EXPECT_EQ(set.number.at(1), 2);
    EXPECT_EQ(controlMessage({"--hole-size", "4"}, other),
              "--hole-size: 4 is outside the valid range 5..50");
    EXPECT_EQ(controlMessage({"--process", "info"}, other),
              "--process: 'info' is not 1..2, look or result");
    EXPECT_EQ(controlMessage({"--fill-with", "3"}, other),
              "--fill-with: the effect module declares no control of id 5");
}

TEST(CommandLineOptions, RenderAndHostOptions) {
    const CommandLine line =
        parse(render({"--frames", "3-9", "--downsample", "2", "--host", "premiere", "--fps", "30",
                      "--jobs", "3", "--quiet", "--stats", "--contact-sheet", "s.png", "--module",
                      "/x/Holvane.so", "--png-compression", "9"}));
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
    EXPECT_EQ(line.render.pngCompression, 9);
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
