#include "cli/options.h"

#include <thread>

#include "cli/cli_error.h"

namespace {

struct ControlOption {
    const char *name;
    ParamIndex index;
};

// The option spelling of each control; ranges and defaults stay in the
// effect's table.
constexpr ControlOption CONTROL_OPTIONS[] = {
    {"--process", PARAM_PROCESS},
    {"--close-edge-gaps", PARAM_CLOSE_EDGE_GAPS},
    {"--hole-size", PARAM_HOLE_SIZE},
    {"--below-alpha", PARAM_BELOW_ALPHA},
    {"--fill-with", PARAM_FILL_WITH},
    {"--set-color", PARAM_SET_COLOR},
    {"--feather", PARAM_FEATHER_IN},
    {"--shrink-grow", PARAM_SHRINK_GROW},
    {"--decontam-color", PARAM_DECONTAM_COLOR},
};

constexpr const char *PROCESS_NAMES[] = {"result", "changes", "alpha", "info"};

constexpr A_long MAX_DOWNSAMPLE = 8;
constexpr A_long MAX_FPS = 1000;
constexpr int MAX_JOBS = 256;

// Decimal digits with an optional sign; at most 9 digits, so no overflow.
bool parseWholeNumber(const std::string &text, long long &value) {
    const bool hasSign = !text.empty() && (text[0] == '-' || text[0] == '+');
    std::size_t i = hasSign ? 1 : 0;
    if (i == text.size() || text.size() - i > 9) return false;
    value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    if (text[0] == '-') value = -value;
    return true;
}

long long wholeNumberIn(const std::string &option, const std::string &text, long long low,
                        long long high) {
    long long value = 0;
    if (!parseWholeNumber(text, value)) {
        throw usageError(option + ": '" + text + "' is not a whole number");
    }
    if (value < low || value > high) {
        throw usageError(option + ": " + text + " is outside the valid range " +
                         std::to_string(low) + ".." + std::to_string(high));
    }
    return value;
}

// "R,G,B", each channel 0..255; the colour stays opaque.
PF_Pixel parseColour(const std::string &option, const std::string &text) {
    A_u_char channel[3] = {0, 0, 0};
    std::size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        const std::size_t comma = text.find(',', start);
        const bool last = k == 2;
        if (last != (comma == std::string::npos)) {
            throw usageError(option + ": '" + text + "' is not R,G,B");
        }
        const std::string part = text.substr(start, last ? std::string::npos : comma - start);
        channel[k] = static_cast<A_u_char>(wholeNumberIn(option, part, 0, 255));
        start = comma + 1;
    }
    return PF_Pixel{PF_MAX_CHAN8, channel[0], channel[1], channel[2]};
}

A_long parseProcess(const std::string &text) {
    for (A_long k = 0; k < 4; ++k) {
        if (text == PROCESS_NAMES[k]) return k + 1;
    }
    const ParamSpec &control = paramSpec(PARAM_PROCESS);
    long long value = 0;
    if (!parseWholeNumber(text, value) || value < control.validMin || value > control.validMax) {
        throw usageError("--process: '" + text + "' is not 1..4, result, changes, alpha or info");
    }
    return static_cast<A_long>(value);
}

void setControl(ParamValues &values, ParamIndex index, const std::string &option,
                const std::string &text) {
    const ParamSpec &control = paramSpec(index);
    if (control.type == PF_Param_COLOR) {
        values.colour[index] = parseColour(option, text);
    } else if (index == PARAM_PROCESS) {
        values.number[index] = parseProcess(text);
    } else {
        // The host's controls refuse what lies outside the valid range.
        values.number[index] =
            static_cast<A_long>(wholeNumberIn(option, text, control.validMin, control.validMax));
    }
}

const ControlOption *findControlOption(const std::string &name) {
    for (const ControlOption &option : CONTROL_OPTIONS) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

int defaultJobs() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

}  // namespace

const char *optionNameOf(ParamIndex index) {
    for (const ControlOption &option : CONTROL_OPTIONS) {
        if (option.index == index) return option.name;
    }
    return "";
}

namespace {

// Walks the arguments; "--name=value" and "--name value" both give a value.
struct ArgumentCursor {
    const std::vector<std::string> &args;
    std::size_t next;

    bool done() const { return next >= args.size(); }

    // Splits the current argument into its name and an inline value.
    std::string take(std::optional<std::string> &inlineValue) {
        const std::string &arg = args[next++];
        const auto equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            return arg.substr(0, equals);
        }
        inlineValue.reset();
        return arg;
    }

    std::string valueFor(const std::string &name, std::optional<std::string> &inlineValue) {
        if (inlineValue) return *inlineValue;
        if (done()) throw usageError(name + " needs a value");
        return args[next++];
    }
};

bool isFlagNamed(const std::string &name, std::optional<std::string> &inlineValue,
                 const char *flag) {
    if (name != flag) return false;
    if (inlineValue) throw usageError(name + " takes no value");
    return true;
}

HostApp parseHost(const std::string &text) {
    if (text == "ae") return HostApp::AfterEffects;
    if (text == "premiere") return HostApp::Premiere;
    throw usageError("--host: '" + text + "' is not ae or premiere");
}

// Returns false when the name is not a render option.
bool applyRenderOption(RenderOptions &r, CommandLine &line, const std::string &name,
                       ArgumentCursor &cursor, std::optional<std::string> &inlineValue) {
    if (const ControlOption *control = findControlOption(name)) {
        setControl(r.effect, control->index, name, cursor.valueFor(name, inlineValue));
    } else if (name == "--frames") {
        r.frames = parse_FrameRange(cursor.valueFor(name, inlineValue));
    } else if (name == "--downsample") {
        r.downsample = static_cast<A_long>(
            wholeNumberIn(name, cursor.valueFor(name, inlineValue), 1, MAX_DOWNSAMPLE));
    } else if (name == "--host") {
        r.host = parseHost(cursor.valueFor(name, inlineValue));
    } else if (name == "--fps") {
        r.fps = static_cast<A_u_long>(
            wholeNumberIn(name, cursor.valueFor(name, inlineValue), 1, MAX_FPS));
    } else if (name == "--jobs") {
        r.jobs =
            static_cast<int>(wholeNumberIn(name, cursor.valueFor(name, inlineValue), 1, MAX_JOBS));
    } else if (name == "--contact-sheet") {
        r.contactSheet = cursor.valueFor(name, inlineValue);
        if (r.contactSheet.empty()) throw usageError("--contact-sheet needs a file name");
    } else if (name == "--module") {
        line.modulePath = cursor.valueFor(name, inlineValue);
    } else if (isFlagNamed(name, inlineValue, "--quiet") || name == "-q") {
        r.quiet = true;
    } else if (isFlagNamed(name, inlineValue, "--stats")) {
        r.stats = true;
    } else {
        return false;
    }
    return true;
}

void parseRender(ArgumentCursor &cursor, CommandLine &line) {
    RenderOptions &r = line.render;
    r.jobs = defaultJobs();
    std::vector<std::string> files;
    while (!cursor.done()) {
        std::optional<std::string> inlineValue;
        const std::string name = cursor.take(inlineValue);
        if (name == "--help" || name == "-h") {
            line.command = Command::Help;
            return;
        }
        if (name.size() > 1 && name[0] == '-') {
            if (!applyRenderOption(r, line, name, cursor, inlineValue)) {
                throw usageError("unknown option '" + name + "'; see holvane --help");
            }
            continue;
        }
        if (inlineValue)
            files.push_back(name + "=" + *inlineValue);
        else
            files.push_back(name);
    }
    if (files.size() < 2) throw usageError("render needs INPUT and OUTPUT; see holvane --help");
    if (files.size() > 2) throw usageError("unexpected argument '" + files[2] + "'");
    r.input = files[0];
    r.output = files[1];
}

void parseInfo(ArgumentCursor &cursor, CommandLine &line) {
    while (!cursor.done()) {
        std::optional<std::string> inlineValue;
        const std::string name = cursor.take(inlineValue);
        if (name == "--module") {
            line.modulePath = cursor.valueFor(name, inlineValue);
        } else {
            throw usageError("info: unexpected argument '" + name + "'");
        }
    }
}

}  // namespace

CommandLine parse_CommandLine(const std::vector<std::string> &args) {
    CommandLine line;
    if (args.empty()) throw usageError("no command given; see holvane --help");
    ArgumentCursor cursor{args, 1};
    const std::string &command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        line.command = Command::Help;
    } else if (command == "--version") {
        line.command = Command::Version;
    } else if (command == "info") {
        line.command = Command::Info;
        parseInfo(cursor, line);
    } else if (command == "render") {
        line.command = Command::Render;
        parseRender(cursor, line);
    } else {
        throw usageError("unknown command '" + command + "'; see holvane --help");
    }
    return line;
}
