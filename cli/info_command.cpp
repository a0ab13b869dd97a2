#include "cli/info_command.h"

#include <cstdio>
#include <cstring>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_error.h"
#include "cli/declared_controls.h"
#include "cli/effect_errors.h"
#include "cli/module_path.h"
#include "cli/movie_codecs.h"
#include "cli/options.h"
#include "frame/effect_info.h"
#include "host/effect_host.h"
#include "host/effect_module.h"
#include "resources/pipl.h"

namespace {

struct NamedFlag {
    A_long bit;
    const char *name;
};

constexpr NamedFlag OUT_FLAG_NAMES[] = {
    {PF_OutFlag_WIDE_TIME_INPUT, "WIDE_TIME_INPUT"},
    {PF_OutFlag_NON_PARAM_VARY, "NON_PARAM_VARY"},
    {PF_OutFlag_I_EXPAND_BUFFER, "I_EXPAND_BUFFER"},
    {PF_OutFlag_PIX_INDEPENDENT, "PIX_INDEPENDENT"},
    {PF_OutFlag_CUSTOM_UI, "CUSTOM_UI"},
    {PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES, "I_HAVE_EXTERNAL_DEPENDENCIES"},
    {PF_OutFlag_DEEP_COLOR_AWARE, "DEEP_COLOR_AWARE"},
};

constexpr NamedFlag OUT_FLAG2_NAMES[] = {
    {PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS, "SUPPORTS_QUERY_DYNAMIC_FLAGS"},
    {PF_OutFlag2_I_AM_THREADSAFE, "I_AM_THREADSAFE"},
    {PF_OutFlag2_REVEALS_ZERO_ALPHA, "REVEALS_ZERO_ALPHA"},
    {PF_OutFlag2_SUPPORTS_SMART_RENDER, "SUPPORTS_SMART_RENDER"},
    {PF_OutFlag2_FLOAT_COLOR_AWARE, "FLOAT_COLOR_AWARE"},
    {PF_OutFlag2_SUPPORTS_THREADED_RENDERING, "SUPPORTS_THREADED_RENDERING"},
};

constexpr const char *STAGE_NAMES[] = {"develop", "alpha", "beta", "release"};

template <std::size_t N>
std::string flagNames(A_long flags, const NamedFlag (&names)[N]) {
    std::string text;
    A_long known = 0;
    for (const NamedFlag &flag : names) {
        known |= flag.bit;
        if ((flags & flag.bit) == 0) continue;
        text += (text.empty() ? "" : ", ") + std::string(flag.name);
    }
    if ((flags & ~known) != 0) text += (text.empty() ? "" : ", ") + std::string("others");
    return text.empty() ? "none" : text;
}

std::string hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string fourChars(std::uint32_t code) {
    std::string text(4, ' ');
    for (int k = 0; k < 4; ++k) text[k] = static_cast<char>((code >> (24 - 8 * k)) & 0xFF);
    return text;
}

std::string piplValue(const PiplProperty &p) {
    switch (p.data) {
        case PiplData::FOUR_CHAR_CODE:
            return fourChars(p.number);
        case PiplData::PASCAL_STRING:
        case PiplData::ENTRY_POINT:
            return "\"" + std::string(p.text) + "\"";
        case PiplData::TWO_SHORTS:
            return std::to_string(p.number >> 16) + "." + std::to_string(p.number & 0xFFFF);
        case PiplData::SHORT:
            return std::to_string(p.number);
        case PiplData::LONG:
            return std::to_string(p.number) + " (" + hex(p.number, 8) + ")";
    }
    return std::string();
}

void printEffect(std::ostream &out) {
    out << "Effect      " << EFFECT_NAME << "\n"
        << "Category    " << EFFECT_CATEGORY << "\n"
        << "Match name  " << EFFECT_MATCH_NAME << "\n"
        << "Version     " << EFFECT_MAJOR_VERSION << "." << EFFECT_MINOR_VERSION << "."
        << EFFECT_FIX_VERSION << " (" << STAGE_NAMES[EFFECT_STAGE & 3] << ", build " << EFFECT_BUILD
        << "; packed " << EFFECT_VERSION << ")\n"
        << "Flags       " << flagNames(EFFECT_OUT_FLAGS, OUT_FLAG_NAMES) << "\n"
        << "Flags 2     " << flagNames(EFFECT_OUT_FLAGS2, OUT_FLAG2_NAMES) << "\n\n";
    out << "Property list (PiPL, Windows records):\n";
    for (const PiplProperty &p : piplProperties(PiplPlatform::WINDOWS)) {
        out << "  " << fourChars(p.key) << "  " << piplValue(p) << "\n";
    }
    out << "\n";
}

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

void printChoices(std::ostream &out, const std::string &choices) {
    int number = 1;
    for (std::size_t start = 0, bar; (bar = choices.find('|', start)) != std::string::npos;
         start = bar + 1) {
        out << "        " << (number < 10 ? " " : "") << number << " "
            << quoted(choices.substr(start, bar - start)) << "\n";
        ++number;
    }
}

std::string colourText(const PF_Pixel &p) {
    return std::to_string(p.red) + "," + std::to_string(p.green) + "," + std::to_string(p.blue);
}

// One control as the module declared it; `index` is its place in the
// render's parameter array.
void printControl(std::ostream &out, int index, const CollectedParam &control) {
    const PF_ParamDef &def = control.def;
    const std::string name(def.name, strnlen(def.name, sizeof def.name));
    char head[96];
    std::snprintf(head, sizeof head, "  %d  %-34s %-18s", index, quoted(name).c_str(),
                  optionNameOf(def.uu.id));
    out << head;
    if (def.param_type == PF_Param_POPUP) {
        out << "popup, " << def.u.pd.num_choices << " choices, default " << def.u.pd.dephault
            << "\n";
        printChoices(out, control.choices);
    } else if (def.param_type == PF_Param_SLIDER) {
        const PF_SliderDef &slider = def.u.sd;
        out << "slider, valid " << slider.valid_min << ".." << slider.valid_max << ", slider "
            << slider.slider_min << ".." << slider.slider_max << ", default " << slider.dephault
            << "\n";
    } else if (def.param_type == PF_Param_COLOR) {
        out << "colour R,G,B 0..255, default " << colourText(def.u.cd.dephault) << "\n";
    } else {
        out << "parameter type " << def.param_type << "\n";
    }
}

// What the module itself says: its controls, the about text and the version
// and flags of its global setup.
int printModule(const std::string &modulePathOption, std::ostream &out, std::ostream &err) {
    const std::string path = resolve_ModulePath(modulePathOption);
    EffectModule module;
    open_EffectModule(path, module);
    EffectHost host(module.entry());
    const CommandReport about = host.about();
    const std::string aboutText = host.outData().return_msg;
    const CommandReport setup = host.globalSetup();
    const PF_OutData declared = host.outData();
    const ParamsSetupReply params =
        setup.err == PF_Err_NONE ? host.paramsSetup() : ParamsSetupReply{};
    if (setup.err == PF_Err_NONE && params.report.err == PF_Err_NONE) {
        print_Controls(out, params.params);
        out << "\n";
    }
    out << "Module      " << path << "\n"
        << "About       " << (about.err ? effectErrorName(about.err) : aboutText) << "\n";
    if (setup.err != PF_Err_NONE) {
        err << "holvane: " << path << ": global setup failed with " << effectErrorName(setup.err)
            << "\n";
        return EXIT_RUN_ERROR;
    }
    if (params.report.err != PF_Err_NONE) {
        err << "holvane: " << path << ": parameter setup failed with "
            << effectErrorName(params.report.err) << "\n";
        return EXIT_RUN_ERROR;
    }
    if (declared.my_version != EFFECT_VERSION || declared.out_flags != EFFECT_OUT_FLAGS ||
        declared.out_flags2 != EFFECT_OUT_FLAGS2) {
        err << "holvane: " << path << ": global setup declares version " << declared.my_version
            << ", flags " << hex(declared.out_flags, 8) << " and " << hex(declared.out_flags2, 8)
            << ", which differ from its property list\n";
        return EXIT_RUN_ERROR;
    }
    return 0;
}

// What movies the renderer writes, and whether this machine's FFmpeg has
// the encoder each needs.
void printMovieCodecs(std::ostream &out) {
    out << "\nMovie codecs (--codec, containers, FFmpeg encoder, what is kept):\n";
    for (const MovieCodec *codec = movieCodecsBegin(); codec != movieCodecsEnd(); ++codec) {
        const bool present = avcodec_find_encoder_by_name(codec->encoder) != nullptr;
        out << "  " << std::left << std::setw(14) << codec->option << std::setw(12)
            << movieContainersOf(*codec) << std::setw(11) << codec->encoder
            << (present ? "" : "(missing) ") << codec->keeps << "\n";
    }
}

}  // namespace

void print_Controls(std::ostream &out, const std::vector<CollectedParam> &declared) {
    out << "Controls (index, name as the host shows it, option, range and default):\n";
    for (std::size_t i = 0; i < declared.size(); ++i)
        printControl(out, static_cast<int>(i + 1), declared[i]);
}

void print_ModuleControls(const std::string &modulePathOption, std::ostream &out) {
    std::vector<CollectedParam> declared;
    try {
        EffectModule module;
        open_EffectModule(resolve_ModulePath(modulePathOption), module);
        declared = read_DeclaredControls(module.entry());
    } catch (const CliError &error) {
        out << "Controls: none listed (" << error.what() << ")\n";
        return;
    }
    print_Controls(out, declared);
}

int run_InfoCommand(const std::string &modulePathOption, std::ostream &out, std::ostream &err) {
    // Held back until the module is loaded: a file that is no effect
    // module gets its error line and nothing else.
    std::ostringstream text;
    printEffect(text);
    const int status = printModule(modulePathOption, text, err);
    if (status == 0) printMovieCodecs(text);
    out << text.str();
    return status;
}
