// The command line: `holvane render INPUT OUTPUT [options]`, `holvane info`,
// `holvane --version`, `holvane --help`. Ranges and defaults of the effect's
// controls come from the effect's own control table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/clip_discovery.h"
#include "frame/params/params.h"
#include "host/host_types.h"
#include "host/param_array.h"

enum class Command { Render, Info, Version, Help };

struct RenderOptions {
    std::string input;
    std::string output;
    std::optional<FrameRange> frames;
    ParamValues effect = defaultParamValues();
    A_long downsample = 1;
    HostApp host = HostApp::AfterEffects;
    A_u_long fps = 24;
    int jobs = 1;
    bool quiet = false;
    bool stats = false;
    std::string contactSheet;
};

struct CommandLine {
    Command command = Command::Help;
    RenderOptions render;
    std::string modulePath;  // --module; empty: the environment or the built-in default
};

// args excludes the program name. Throws a usage CliError naming the option
// or argument at fault.
CommandLine parse_CommandLine(const std::vector<std::string> &args);

// The renderer's own option name of a control ("--hole-size").
const char *optionNameOf(ParamIndex index);
