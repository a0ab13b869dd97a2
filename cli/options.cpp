#include "cli/options.h"

#include <algorithm>

#include "cli/cli_error.h"
#include "cli/movie_codecs.h"
#include "cli/usable_cores.h"

namespace {

struct ControlOption {
    const char *name;
    A_long controlId;
};

// The option spelling of each control, by the id the effect declares it
// under (ids are what hosts store values by). The control's kind, range,
// choices and default are the module's.
constexpr ControlOption CONTROL_OPTIONS[] = {
    {"--process", 1},     {"--close-edge-gaps", 2}, {"--hole-size", 3},
    {"--below-alpha", 4}, {"--fill-with", 5},       {"--set-color", 6},
    {"--feather", 7},     {"--shrink-grow", 8},     {"--decontam-color", 9},
};

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

std::string trimmed(const std::string &text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The last word of each choice name ("info" for "4 Show info "), when those
// words tell every choice apart; otherwise none.
std::vector<std::string> choiceKeywords(const std::string &choices, A_long count) {
    std::vector<std::string> words;
    for (std::size_t start = 0, bar; (bar = choices.find('|', start)) != std::string::npos;
         start = bar + 1) {
        const std::string name = trimmed(choices.substr(start, bar - start));
        const std::string word = name.substr(name.rfind(' ') + 1);
        for (const std::string &earlier : words) {
            if (earlier == word) return {};
        }
        if (word.empty()) return {};
        words.push_back(word);
    }
    if (A_long(words.size()) != count) return {};
    return words;
}

// A choice's number, or its keyword when the choices have them.
A_long parsePopup(const std::string &option, const std::string &text, const PF_PopupDef &popup,
                  const std::string &choices) {
    const std::vector<std::string> keywords = choiceKeywords(choices, popup.num_choices);
    if (keywords.empty()) {
        return static_cast<A_long>(wholeNumberIn(option, text, 1, popup.num_choices));
    }
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        if (text == keywords[k]) return static_cast<A_long>(k + 1);
    }
    long long value = 0;
    if (!parseWholeNumber(text, value) || value < 1 || value > popup.num_choices) {
        std::string accepted = "1.." + std::to_string(popup.num_choices);
        for (std::size_t k = 0; k < keywords.size(); ++k) {
            accepted += (k + 1 == keywords.size() ? " or " : ", ") + keywords[k];
        }
        throw usageError(option + ": '" + text + "' is not " + accepted);
    }
    return static_cast<A_long>(value);
}

void setControl(ParamValues &values, const CollectedParam &control, const ControlSetting &setting) {
    const PF_ParamDef &def = control.def;
    const A_long id = def.uu.id;
    switch (def.param_type) {
        case PF_Param_COLOR:
            values.colour[id] = parseColour(setting.option, setting.text);
            break;
        case PF_Param_POPUP:
            values.number[id] = parsePopup(setting.option, setting.text, def.u.pd, control.choices);
            break;
        case PF_Param_SLIDER:
            // The host's controls refuse what lies outside the valid range.
            values.number[id] = static_cast<A_long>(wholeNumberIn(
                setting.option, setting.text, def.u.sd.valid_min, def.u.sd.valid_max));
            break;
        default:
            throw usageError(setting.option + ": the effect module's control of id " +
                             std::to_string(id) + " is of a kind the renderer cannot set");
    }
}

const ControlOption *findControlOption(const std::string &name) {
    for (const ControlOption &option : CONTROL_OPTIONS) {
        if (name == option.name) return &option;
    }
    return nullptr;
}

int defaultJobs() { return std::min(usable_Cores(), MAX_JOBS); }

}  // namespace

long long parse_WholeNumberOption(const std::string &option, const std::string &text, long long low,
                                  long long high) {
    return wholeNumberIn(option, text, low, high);
}

const char *optionNameOf(A_long controlId) {
    for (const ControlOption &option : CONTROL_OPTIONS) {
        if (option.controlId == controlId) return option.name;
    }
    return "";
}

ParamValues resolve_ControlValues(const std::vector<ControlSetting> &settings,
                                  const std::vector<CollectedParam> &declared) {
    ParamValues values = declaredDefaults(declared);
    for (const ControlSetting &setting : settings) {
        const ControlOption *option = findControlOption(setting.option);
        if (option == nullptr) throw usageError("unknown option '" + setting.option + "'");
        const CollectedParam *control = nullptr;
        for (const CollectedParam &candidate : declared) {
            if (candidate.def.uu.id == option->controlId) {
                control = &candidate;
                break;
            }
        }
        if (control == nullptr) {
            throw usageError(setting.option + ": the effect module declares no control of id " +
                             std::to_string(option->controlId));
        }
        setControl(values, *control, setting);
    }
    return values;
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

SampleDepth parseDepth(const std::string &text) {
    if (text == "8") return SampleDepth::Eight;
    if (text == "16") return SampleDepth::Sixteen;
    if (text == "half") return SampleDepth::Half;
    if (text == "float") return SampleDepth::Float;
    throw usageError("--depth: '" + text + "' is not 8, 16, half or float");
}

AlphaReading parseAlpha(const std::string &text) {
    if (text == "auto") return AlphaReading::Auto;
    if (text == "straight") return AlphaReading::Straight;
    if (text == "premultiplied") return AlphaReading::Premultiplied;
    throw usageError("--alpha: '" + text + "' is not auto, straight or premultiplied");
}

std::string parseCodec(const std::string &text) {
    if (find_MovieCodec(text) == nullptr)
        throw usageError("--codec: '" + text + "' is not " + movieCodecOptions());
    return text;
}

HostApp parseHost(const std::string &text) {
    if (text == "ae") return HostApp::AfterEffects;
    if (text == "premiere") return HostApp::Premiere;
    throw usageError("--host: '" + text + "' is not ae or premiere");
}

// Returns false when the name is not a render option.
bool applyRenderOption(RenderOptions &r, CommandLine &line, const std::string &name,
                       ArgumentCursor &cursor, std::optional<std::string> &inlineValue) {
    if (findControlOption(name) != nullptr) {
        r.controls.push_back(ControlSetting{name, cursor.valueFor(name, inlineValue)});
    } else if (name == "--frames") {
        r.frames = parse_FrameRange(cursor.valueFor(name, inlineValue));
    } else if (name == "--chunk") {
        r.chunk = parse_FrameChunk(cursor.valueFor(name, inlineValue));
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
    } else if (name == "--depth") {
        r.depth = parseDepth(cursor.valueFor(name, inlineValue));
    } else if (name == "--png-compression") {
        r.pngCompression =
            static_cast<int>(wholeNumberIn(name, cursor.valueFor(name, inlineValue), 0, 9));
    } else if (name == "--codec") {
        r.codec = parseCodec(cursor.valueFor(name, inlineValue));
    } else if (name == "--alpha") {
        r.alpha = parseAlpha(cursor.valueFor(name, inlineValue));
    } else if (name == "--contact-sheet") {
        r.contactSheet = cursor.valueFor(name, inlineValue);
        if (r.contactSheet.empty()) throw usageError("--contact-sheet needs a file name");
    } else if (name == "--module") {
        line.modulePath = cursor.valueFor(name, inlineValue);
    } else if (isFlagNamed(name, inlineValue, "--quiet") || name == "-q") {
        r.quiet = true;
    } else if (isFlagNamed(name, inlineValue, "--stats")) {
        r.stats = true;
    } else if (isFlagNamed(name, inlineValue, "--skip-existing")) {
        r.skipExisting = true;
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
