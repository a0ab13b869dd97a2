#include "cli/effect_errors.h"

#include "cli/cli_error.h"

namespace {

struct NamedError {
    PF_Err code;
    const char *name;
};

constexpr NamedError NAMED_ERRORS[] = {
    {PF_Err_NONE, "PF_Err_NONE"},
    {PF_Err_OUT_OF_MEMORY, "PF_Err_OUT_OF_MEMORY"},
    {A_Err_GENERIC, "A_Err_GENERIC"},
    {A_Err_STRUCT, "A_Err_STRUCT"},
    {A_Err_PARAMETER, "A_Err_PARAMETER"},
    {A_Err_WRONG_THREAD, "A_Err_WRONG_THREAD"},
    {A_Err_CONST_PROJECT_MODIFICATION, "A_Err_CONST_PROJECT_MODIFICATION"},
    {A_Err_MISSING_SUITE, "A_Err_MISSING_SUITE"},
    {PF_Err_INTERNAL_STRUCT_DAMAGED, "PF_Err_INTERNAL_STRUCT_DAMAGED"},
    {PF_Err_INVALID_INDEX, "PF_Err_INVALID_INDEX"},
    {PF_Err_UNRECOGNIZED_PARAM_TYPE, "PF_Err_UNRECOGNIZED_PARAM_TYPE"},
    {PF_Err_INVALID_CALLBACK, "PF_Err_INVALID_CALLBACK"},
    {PF_Err_BAD_CALLBACK_PARAM, "PF_Err_BAD_CALLBACK_PARAM"},
    {PF_Interrupt_CANCEL, "PF_Interrupt_CANCEL"},
    {PF_Err_CANNOT_PARSE_KEYFRAME_TEXT, "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT"},
};

}  // namespace

std::string effectErrorName(PF_Err err) {
    for (const NamedError &named : NAMED_ERRORS) {
        if (named.code == err) return named.name;
    }
    return "error " + std::to_string(err);
}

void requireEffectSuccess(const CommandReport &report, const char *what) {
    if (report.err != PF_Err_NONE) {
        throw CliError(std::string("effect: ") + what + " failed with " +
                       effectErrorName(report.err));
    }
}
