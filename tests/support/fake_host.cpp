#include "support/fake_host.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

FakeHost *FakeHost::active = nullptr;

namespace {

FakeHost &host() { return *FakeHost::active; }
FakeHost &from(PF_ProgPtr ref) { return *reinterpret_cast<FakeHost *>(ref); }

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
    std::string choices;
    if (def->param_type == PF_Param_POPUP && def->u.pd.u.namesptr) choices = def->u.pd.u.namesptr;
    h.addedParams.push_back({effect_ref, index, def, *def, choices});
    return PF_Err_NONE;
}

const PF_Pixel16 PATTERN_PIXEL{FakeHost::PATTERN, FakeHost::PATTERN, FakeHost::PATTERN,
                               FakeHost::PATTERN};

PF_Err newWorld(PF_ProgPtr ref, A_long width, A_long height, PF_NewWorldFlags flags,
                PF_EffectWorld *world) {
    FakeHost &h = from(ref);
    h.newWorldCalls++;
    if (h.newWorldError != PF_Err_NONE) return h.newWorldError;
    if (flags != PF_NewWorldFlag_DEEP_PIXELS) return PF_Err_BAD_CALLBACK_PARAM;
    std::vector<PF_Pixel16> buffer((height + 1) * (width + FakeHost::PAD), PATTERN_PIXEL);
    *world = PF_EffectWorld{};
    world->data = reinterpret_cast<PF_PixelPtr>(buffer.data());
    world->rowbytes = (width + FakeHost::PAD) * static_cast<A_long>(sizeof(PF_Pixel16));
    world->width = width;
    world->height = height;
    world->world_flags = PF_WorldFlag_DEEP | PF_WorldFlag_WRITEABLE;
    h.live[world->data] = std::move(buffer);
    return PF_Err_NONE;
}

PF_Err disposeWorld(PF_ProgPtr ref, PF_EffectWorld *world) {
    FakeHost &h = from(ref);
    h.disposeCalls++;
    const std::vector<PF_Pixel16> &b = h.live.at(world->data);
    for (size_t i = 0; i < b.size(); ++i) {
        const A_long row = static_cast<A_long>(i) / (world->width + FakeHost::PAD);
        const A_long col = static_cast<A_long>(i) % (world->width + FakeHost::PAD);
        if ((row >= world->height || col >= world->width) &&
            std::memcmp(&b[i], &PATTERN_PIXEL, sizeof PATTERN_PIXEL) != 0)
            h.outsideWritten = true;
    }
    h.live.erase(world->data);
    world->data = nullptr;
    if (h.disposeResults.empty()) return PF_Err_NONE;
    const PF_Err err = h.disposeResults.front();
    h.disposeResults.pop_front();
    return err;
}

PF_Err checkoutParam(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long, A_u_long,
                     PF_ParamDef *param) {
    FakeHost &h = from(ref);
    h.checkoutTimes.push_back(time);
    if (index != 0 || !h.frameAt) return PF_Err_BAD_CALLBACK_PARAM;
    return h.frameAt(time, param->u.ld);
}

PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef *) {
    from(ref).checkins++;
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

PF_Err getPixelFormat(PF_EffectWorld *, PrPixelFormat *format) {
    *format = host().pixelFormat;
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

FakeHost::FakeHost(A_long appl_id) {
    active = this;
    utils.ansi.sprintf = utilsSprintf;
    utils.ansi.strcpy = utilsStrcpy;
    utils.new_world = newWorld;
    utils.dispose_world = disposeWorld;
    ansiSuite.sprintf = suiteSprintf;
    ansiSuite.strcpy = suiteStrcpy;
    handleSuite.host_new_handle = newHandle;
    utilitySuite.EffectWantsCheckedOutFramesToMatchRenderPixelFormat = matchRenderFormat;
    pixelFormatSuite.AddSupportedPixelFormat = addPixelFormat;
    pixelFormatSuite.ClearSupportedPixelFormats = clearPixelFormats;
    pixelFormatSuite.GetPixelFormat = getPixelFormat;
    basic.AcquireSuite = acquireSuite;
    basic.ReleaseSuite = releaseSuite;
    in_data.inter.add_param = addParam;
    in_data.inter.checkout_param = checkoutParam;
    in_data.inter.checkin_param = checkinParam;
    in_data.utils = &utils;
    in_data.pica_basicP = &basic;
    in_data.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in_data.appl_id = appl_id;
    in_data.time_step = 100;
}

FakeHost::~FakeHost() { active = nullptr; }

int FakeHost::outstandingSuites() const {
    int count = 0;
    for (const auto &entry : acquired) count += entry.second;
    for (const auto &entry : released) count -= entry.second;
    return count;
}
