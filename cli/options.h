// The command line: `holvane render INPUT OUTPUT [options]`, `holvane info`,
// `holvane --version`, `holvane --help`. The effect's controls are known by
// what the loaded module declares: the command line names them, and their
// values are checked against the declarations once the module is loaded.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/clip_discovery.h"
#include "cli/frame_chunks.h"
#include "cli/image_file.h"
#include "host/host_types.h"
#include "host/param_array.h"

enum class Command { Render, Info, Version, Help };

// A control option as given ("--hole-size", "80"); its value is checked
// against the control the module declares for it.
struct ControlSetting {
    std::string option;
    std::string text;
};

struct RenderOptions {
    std::string input;
    std::string output;
    std::optional<FrameRange> frames;
    std::optional<FrameChunk> chunk;  // --chunk K/N: one part of `frames`
    bool skipExisting = false;
    std::vector<ControlSetting> controls;  // in the order given
    A_long downsample = 1;
    HostApp host = HostApp::AfterEffects;
    A_u_long fps = 24;
    int jobs = 1;
    bool quiet = false;
    bool stats = false;
    std::string contactSheet;
    std::optional<SampleDepth> depth;  // --depth; none: the input's
    AlphaReading alpha = AlphaReading::Auto;
    // zlib's level for PNG output: 1 writes about twice as fast as the
    // library's default 6, for files about a third larger.
    int pngCompression = 1;
    // --codec of a movie output ("prores4444", ...); empty: its container's
    // default.
    std::string codec;
};

struct CommandLine {
    Command command = Command::Help;
    RenderOptions render;
    std::string modulePath;  // --module; empty: the environment or the built-in default
};

// args excludes the program name. Throws a usage CliError naming the option
// or argument at fault.
CommandLine parse_CommandLine(const std::vector<std::string> &args);

// The value of a whole-number option within low..high; throws a usage
// CliError naming the option otherwise.
long long parse_WholeNumberOption(const std::string &option, const std::string &text, long long low,
                                  long long high);

// The renderer's own option name of the control the effect declares under
// this id ("--hole-size"), or "".
const char *optionNameOf(A_long controlId);

// The values the settings give the declared controls (a later setting of a
// control wins), every other control at its declared default. Throws a
// usage CliError naming the option when the module declares no control for
// it or the value does not fit the control as declared: a slider's valid
// range, a popup's choices, a colour's R,G,B.
ParamValues resolve_ControlValues(const std::vector<ControlSetting> &settings,
                                  const std::vector<CollectedParam> &declared);
