#include "frame/suites.h"

namespace {

constexpr char MISSING_SUITE_MESSAGE[] = "Not able to acquire AEFX Suite.";

// A suite counts as acquired only when the host reports success and hands
// over a table. A success without a table is still balanced with a release,
// since the host has counted it.
const void *acquireFrom(const SPBasicSuite *basic, const char *name, int32_t version) {
    if (!basic || !basic->AcquireSuite) return nullptr;
    const void *suite = nullptr;
    if (basic->AcquireSuite(name, version, &suite) != kSPNoError) return nullptr;
    if (!suite && basic->ReleaseSuite) basic->ReleaseSuite(name, version);
    return suite;
}

void releaseTo(const SPBasicSuite *basic, const char *name, int32_t version) {
    if (basic && basic->ReleaseSuite) basic->ReleaseSuite(name, version);
}

}  // namespace

void MissingSuiteError() { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; }

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite *basic)
    : basic_(basic),
      slots_{{kPFANSISuite, kPFANSISuiteVersion1, nullptr},
             {kPFHandleSuite, kPFHandleSuiteVersion1, nullptr},
             {kPFColorParamSuite, kPFColorParamSuiteVersion1, nullptr}} {
    if (!basic_) MissingSuiteError();
}

AEGP_SuiteHandler::~AEGP_SuiteHandler() {
    for (const Slot &slot : slots_) {
        if (slot.suite) releaseTo(basic_, slot.name, slot.version);
    }
}

const void *AEGP_SuiteHandler::acquire(SlotIndex index) {
    Slot &slot = slots_[index];
    if (!slot.suite) {
        slot.suite = acquireFrom(basic_, slot.name, slot.version);
        if (!slot.suite) MissingSuiteError();
    }
    return slot.suite;
}

const PF_ANSICallbacksSuite1 *AEGP_SuiteHandler::ANSICallbacksSuite1() {
    return static_cast<const PF_ANSICallbacksSuite1 *>(acquire(ANSI_SLOT));
}

const PF_HandleSuite1 *AEGP_SuiteHandler::HandleSuite1() {
    return static_cast<const PF_HandleSuite1 *>(acquire(HANDLE_SLOT));
}

const PF_ColorParamSuite1 *AEGP_SuiteHandler::ColorParamSuite1() {
    return static_cast<const PF_ColorParamSuite1 *>(acquire(COLOR_PARAM_SLOT));
}

const void *acquireSuiteOrNull(const PF_InData *in_data, const char *name, int32_t version) {
    return in_data ? acquireFrom(in_data->pica_basicP, name, version) : nullptr;
}

void reportMissingScopedSuite(const PF_InData *in_data, PF_OutData *out_data) {
    if (out_data) {
        out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
        if (in_data && in_data->utils && in_data->utils->ansi.sprintf) {
            in_data->utils->ansi.sprintf(out_data->return_msg, "%s", MISSING_SUITE_MESSAGE);
        }
    }
    throw PF_Err{A_Err_MISSING_SUITE};
}

void releaseSuite(const PF_InData *in_data, const char *name, int32_t version) {
    if (in_data) releaseTo(in_data->pica_basicP, name, version);
}
