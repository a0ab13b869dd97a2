#include "tests/windows/driver/command_round.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "host/effect_host.h"

namespace {

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", unsigned(value));
    return text;
}

// Printable ASCII as it is, everything else as \xNN, so a stray byte in a
// text shows up instead of ending the line.
std::string quoted(const char *text, std::size_t length) {
    std::string out = "\"";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        }
    }
    return out + "\"";
}

std::string quotedField(const char *field, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && field[length] != '\0') ++length;
    return quoted(field, length);
}

// The record's every byte, padding included: a field the effect leaves
// uninitialised, or one that sits at another offset, changes the dump.
void printBytes(std::ostream &out, const void *record, std::size_t size) {
    const auto *bytes = static_cast<const unsigned char *>(record);
    for (std::size_t row = 0; row < size; row += 32) {
        char offset[16];
        std::snprintf(offset, sizeof offset, "    %04x:", unsigned(row));
        out << offset;
        for (std::size_t i = row; i < size && i < row + 32; ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, " %02x", bytes[i]);
            out << byte;
        }
        out << "\n";
    }
}

bool printReport(std::ostream &out, const char *what, const CommandReport &report) {
    out << what << ": err=" << report.err << " clean=" << (report.clean() ? "yes" : "no") << "\n";
    if (!report.clean()) out << report.describe();
    return report.err == PF_Err_NONE && report.clean();
}

void printOutData(std::ostream &out, const PF_OutData &data) {
    out << "  my_version=" << data.my_version << " out_flags=" << hex32(data.out_flags)
        << " out_flags2=" << hex32(data.out_flags2) << " num_params=" << data.num_params << "\n"
        << "  return_msg=" << quotedField(data.return_msg, sizeof data.return_msg) << "\n"
        << "  out_data bytes:\n";
    printBytes(out, &data, sizeof data);
}

// The fields the host reads for each control's type. The effect reuses one
// record for every control, so bytes outside them hold what earlier controls
// left, addresses included, and are not the effect's answer.
void printControlFields(std::ostream &out, const PF_ParamDef &def, const std::string &choices) {
    const PF_ParamDefUnion &u = def.u;
    switch (def.param_type) {
        case PF_Param_SLIDER:
            out << "    slider value=" << u.sd.value << " valid=" << u.sd.valid_min << ".."
                << u.sd.valid_max << " slider=" << u.sd.slider_min << ".." << u.sd.slider_max
                << " default=" << u.sd.dephault
                << " value_str=" << quotedField(u.sd.value_str, sizeof u.sd.value_str)
                << " value_desc=" << quotedField(u.sd.value_desc, sizeof u.sd.value_desc) << "\n";
            break;
        case PF_Param_POPUP:
            out << "    popup value=" << u.pd.value << " num_choices=" << u.pd.num_choices
                << " default=" << u.pd.dephault
                << " choices=" << quoted(choices.data(), choices.size()) << "\n";
            break;
        case PF_Param_COLOR:
            out << "    colour value=" << int(u.cd.value.alpha) << "," << int(u.cd.value.red) << ","
                << int(u.cd.value.green) << "," << int(u.cd.value.blue)
                << " default=" << int(u.cd.dephault.alpha) << "," << int(u.cd.dephault.red) << ","
                << int(u.cd.dephault.green) << "," << int(u.cd.dephault.blue) << "\n";
            break;
        default:
            out << "    (a type this round does not describe)\n";
    }
}

void printParams(std::ostream &out, const std::vector<CollectedParam> &params) {
    for (const CollectedParam &param : params) {
        const PF_ParamDef &def = param.def;
        out << "  param id=" << def.uu.id << " asked_index=" << param.indexAsked
            << " type=" << def.param_type << " name=" << quotedField(def.name, sizeof def.name)
            << " flags=" << hex32(A_u_long(def.flags))
            << " ui_flags=" << hex32(A_u_long(def.ui_flags)) << " ui_size=" << def.ui_width << "x"
            << def.ui_height << "\n";
        printControlFields(out, def, param.choices);
    }
}

bool printDependencies(std::ostream &out, EffectHost &host, PF_DepCheckType type,
                       const char *what) {
    const DependencyReply reply = host.dependencies(type);
    const bool ok = printReport(out, what, reply.report);
    out << "  handle=" << (reply.handle != nullptr ? "yes" : "no");
    if (reply.handle != nullptr)
        out << " size=" << reply.handleSize
            << " text=" << quoted(reply.text.data(), reply.text.size());
    out << "\n";
    return ok;
}

}  // namespace

bool printCommandRound(std::ostream &out, PF_FilterProc entry, HostApp app) {
    HostSettings settings;
    settings.app = app;
    EffectHost host(entry, settings);
    out << "[host " << (app == HostApp::Premiere ? "premiere" : "after-effects") << "]\n";
    bool ok = printReport(out, "global-setup", host.globalSetup());
    printOutData(out, host.outData());
    out << "  pixel-formats:";
    for (PrPixelFormat format : host.supportedPixelFormats()) out << " " << hex32(A_u_long(format));
    out << "\n  matching-checkout-requests=" << host.matchingCheckoutRequests() << "\n";

    const ParamsSetupReply params = host.paramsSetup();
    ok = printReport(out, "params-setup", params.report) && ok;
    printOutData(out, host.outData());
    printParams(out, params.params);

    ok = printReport(out, "about", host.about()) && ok;
    printOutData(out, host.outData());

    ok = printDependencies(out, host, PF_DepCheckType_ALL_DEPENDENCIES, "dependencies-all") && ok;
    ok = printDependencies(out, host, PF_DepCheckType_MISSING_DEPENDENCIES,
                           "dependencies-missing") &&
         ok;
    ok = printDependencies(out, host, PF_DepCheckType_NONE, "dependencies-none") && ok;

    ok = printReport(out, "frame-setup", host.command(PF_Cmd_FRAME_SETUP)) && ok;
    printOutData(out, host.outData());
    ok = printReport(out, "query-dynamic-flags", host.command(PF_Cmd_QUERY_DYNAMIC_FLAGS)) && ok;
    printOutData(out, host.outData());
    ok = printReport(out, "sequence-setup (no handler)", host.command(PF_Cmd_SEQUENCE_SETUP)) && ok;
    printOutData(out, host.outData());
    return ok;
}
