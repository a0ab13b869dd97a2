#include <cstring>

#include "frame/handlers.h"
#include "frame/suites.h"

namespace {

constexpr char ALL_DEPENDENCIES_TEXT[] = "All Dependencies requested.";

// The effect depends on nothing outside itself, so nothing is ever missing:
// that request gets no text at all.
const char *dependencyText(PF_DepCheckType check_type) {
    switch (check_type) {
        case PF_DepCheckType_ALL_DEPENDENCIES:
            return ALL_DEPENDENCIES_TEXT;
        case PF_DepCheckType_MISSING_DEPENDENCIES:
            return nullptr;
        default:
            return "";
    }
}

// A host handle holding text and its terminator, or null when the host
// cannot give one. Both suites are acquired first: a missing suite must not
// strand a handle that nobody owns.
PF_Handle copyIntoHostHandle(AEGP_SuiteHandler &suites, const char *text) {
    const PF_ANSICallbacksSuite1 *ansi = suites.ANSICallbacksSuite1();
    const PF_HandleSuite1 *handles = suites.HandleSuite1();
    PF_Handle handle = handles->host_new_handle(std::strlen(text) + 1);
    if (handle) ansi->strcpy(static_cast<char *>(*handle), text);
    return handle;
}

}  // namespace

PF_Err DescribeDependencies(PF_InData *in_data, PF_OutData * /*out_data*/,
                            PF_ParamDef * /*params*/[], void *extra) {
    auto *request = static_cast<PF_ExtDependenciesExtra *>(extra);
    if (!request) return PF_Err_BAD_CALLBACK_PARAM;
    request->dependencies_strH = nullptr;

    const char *text = dependencyText(request->check_type);
    if (!text) return PF_Err_NONE;

    AEGP_SuiteHandler suites(in_data->pica_basicP);
    PF_Handle handle = copyIntoHostHandle(suites, text);
    if (!handle) return PF_Err_OUT_OF_MEMORY;
    // The host owns the handle from here on.
    request->dependencies_strH = handle;
    return PF_Err_NONE;
}
