#include "cli/info_command.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "cli/cli_error.h"
#include "cli/effect_errors.h"
#include "cli/module_path.h"
#include "cli/options.h"
#include "frame/effect_info.h"
#include "frame/params/params.h"
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

void printChoices(std::ostream &out, const ParamSpec &control) {
    std::string choices = control.choices;
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

void printControl(std::ostream &out, const ParamSpec &control) {
    char head[96];
    std::snprintf(head, sizeof head, "  %d  %-34s %-18s", int(control.index),
                  quoted(control.name).c_str(), optionNameOf(control.index));
    out << head;
    if (control.type == PF_Param_POPUP) {
        out << "popup, " << control.numChoices << " choices, default " << control.dephault << "\n";
        printChoices(out, control);
    } else if (control.type == PF_Param_SLIDER) {
        out << "slider, valid " << control.validMin << ".." << control.validMax << ", slider "
            << control.sliderMin << ".." << control.sliderMax << ", default " << control.dephault
            << "\n";
    } else {
        out << "colour R,G,B 0..255, default " << colourText(control.colourDefault) << "\n";
    }
}

// What the module itself says: the about text and its global setup.
int printModule(const std::string &modulePathOption, std::ostream &out, std::ostream &err) {
    const std::string path = resolve_ModulePath(modulePathOption);
    EffectModule module;
    if (!module.open(path))
        throw CliError(path + ": cannot load the effect module (" + module.error() + ")");
    EffectHost host(module.entry());
    const CommandReport about = host.about();
    const std::string aboutText = host.outData().return_msg;
    const CommandReport setup = host.globalSetup();
    const PF_OutData &declared = host.outData();
    out << "Module      " << path << "\n"
        << "About       " << (about.err ? effectErrorName(about.err) : aboutText) << "\n";
    if (setup.err != PF_Err_NONE) {
        err << "holvane: " << path << ": global setup failed with " << effectErrorName(setup.err)
            << "\n";
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

}  // namespace

void print_Controls(std::ostream &out) {
    out << "Controls (index, name as the host shows it, option, range and default):\n";
    for (const ParamSpec &control : PARAM_SPECS) printControl(out, control);
}

int run_InfoCommand(const std::string &modulePathOption, std::ostream &out, std::ostream &err) {
    printEffect(out);
    print_Controls(out);
    out << "\n";
    return printModule(modulePathOption, out, err);
}
