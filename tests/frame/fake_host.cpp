#include "fake_host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

FakeHost *FakeHost::active = nullptr;

namespace {

int effectRefTag;

FakeHost &host() { return *FakeHost::active; }

// The frame only formats into return_msg (256 bytes).
int countedSprintf(int &calls, A_char *dst, const A_char *fmt, va_list args) {
    ++calls;
    return std::vsnprintf(dst, PF_MAX_EFFECT_MSG_LEN + 1, fmt, args);
}

int utilsSprintf(A_char *dst, const A_char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = countedSprintf(host().utilsSprintfCalls, dst, fmt, args);
    va_end(args);
    return n;
}

int suiteSprintf(A_char *dst, const A_char *fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const int n = countedSprintf(host().suiteSprintfCalls, dst, fmt, args);
    va_end(args);
    return n;
}

A_char *utilsStrcpy(A_char *dst, const A_char *src) {
    ++host().utilsStrcpyCalls;
    return std::strcpy(dst, src);
}

A_char *suiteStrcpy(A_char *dst, const A_char *src) {
    ++host().suiteStrcpyCalls;
    return std::strcpy(dst, src);
}

PF_Err addParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDef *def) {
    FakeHost &h = host();
    if (++h.addParamCalls == h.refuseAddParamAt) return h.refuseAddParamWith;
    std::string choices;
    if (def->param_type == PF_Param_POPUP && def->u.pd.u.namesptr) choices = def->u.pd.u.namesptr;
    h.addedParams.push_back({effect_ref, index, def, *def, choices});
    return PF_Err_NONE;
}

PF_Handle newHandle(A_HandleSize size) {
    FakeHost &h = host();
    if (h.refuseHandles) return nullptr;
    FakeHost::HandleBlock &entry = h.handles.emplace_back();
    entry.bytes.assign(size, '\x7f');
    entry.block = entry.bytes.data();
    return &entry.block;
}

PF_Err matchRenderFormat(PF_ProgPtr effect_ref) {
    host().matchRenderFormatCalls.push_back(effect_ref);
    return PF_Err_NONE;
}

PF_Err clearPixelFormats(PF_ProgPtr) {
    host().pixelFormats.clear();
    return PF_Err_NONE;
}

PF_Err addPixelFormat(PF_ProgPtr, PrPixelFormat format) {
    host().pixelFormats.push_back(format);
    return PF_Err_NONE;
}

const void *suiteTable(FakeHost &h, const std::string &name, int32_t version) {
    if (std::count(h.refusedSuites.begin(), h.refusedSuites.end(), name)) return nullptr;
    if (name == "PF ANSI Suite" && version == 1) return &h.ansiSuite;
    if (name == "PF Handle Suite" && version == 2) return &h.handleSuite;
    if (name == "PF ColorParamSuite" && version == 1) return &h.colorParamSuite;
    if (name == "PF Utility Suite" && version == 4) return &h.utilitySuite;
    if (name == "PF Pixel Format Suite" && version == 1) return &h.pixelFormatSuite;
    return nullptr;
}

SPErr acquireSuite(const char *name, int32_t version, const void **suite) {
    *suite = suiteTable(host(), name, version);
    if (!*suite) return kSPSuiteNotFoundError;
    ++host().acquired[name];
    return kSPNoError;
}

SPErr releaseSuite(const char *name, int32_t) {
    ++host().released[name];
    return kSPNoError;
}

}  // namespace

PF_ProgPtr fakeEffectRef() { return reinterpret_cast<PF_ProgPtr>(&effectRefTag); }

FakeHost::FakeHost(A_long appl_id) {
    active = this;
    utils.ansi.sprintf = utilsSprintf;
    utils.ansi.strcpy = utilsStrcpy;
    ansiSuite.sprintf = suiteSprintf;
    ansiSuite.strcpy = suiteStrcpy;
    handleSuite.host_new_handle = newHandle;
    utilitySuite.EffectWantsCheckedOutFramesToMatchRenderPixelFormat = matchRenderFormat;
    pixelFormatSuite.AddSupportedPixelFormat = addPixelFormat;
    pixelFormatSuite.ClearSupportedPixelFormats = clearPixelFormats;
    basic.AcquireSuite = acquireSuite;
    basic.ReleaseSuite = releaseSuite;
    in_data.inter.add_param = addParam;
    in_data.utils = &utils;
    in_data.pica_basicP = &basic;
    in_data.effect_ref = fakeEffectRef();
    in_data.appl_id = appl_id;
}

int FakeHost::outstandingSuites() const {
    int count = 0;
    for (const auto &entry : acquired) count += entry.second;
    for (const auto &entry : released) count -= entry.second;
    return count;
}
