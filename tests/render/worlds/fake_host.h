// A stand-in for the host's callbacks and suites. New worlds have padded rows
// and a guard row, all painted with a pattern (a host leaves new pixels as
// they are); disposal notes any write outside the world. Frames are handed
// out by time, and the pixel format suite is served by name and version.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "api/effect_api.h"

struct FakeHost {
    static constexpr A_long PAD = 3;
    static constexpr A_u_short PATTERN = 0x5A5A;

    PF_Err newWorldError = PF_Err_NONE;
    A_long newWorldCalls = 0;
    std::deque<PF_Err> disposeResults;  // one per call, then 0
    A_long disposeCalls = 0;
    bool outsideWritten = false;
    std::map<void *, std::vector<PF_Pixel16>> live;

    std::function<PF_Err(A_long time, PF_LayerDef &layer)> frameAt;
    std::vector<A_long> checkoutTimes;
    A_long checkins = 0;

    bool suiteAvailable = true;
    PrPixelFormat pixelFormat = PrPixelFormat_ARGB_4444_16u;
    A_long acquires = 0, releases = 0;

    PF_InData in{};
    PF_UtilCallbacks utils{};
    SPBasicSuite basic{};
    PF_PixelFormatSuite1 formatSuite{};

    explicit FakeHost(A_long applId = PF_ApplId_AFTER_EFFECTS) {
        current() = this;
        in.appl_id = applId;
        in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
        in.utils = &utils;
        in.pica_basicP = &basic;
        in.time_step = 100;
        utils.new_world = &newWorld;
        utils.dispose_world = &disposeWorld;
        utils.ansi.sprintf = &std::sprintf;
        in.inter.checkout_param = &checkout;
        in.inter.checkin_param = [](PF_ProgPtr ref, PF_ParamDef *) -> PF_Err {
            from(ref).checkins++;
            return PF_Err_NONE;
        };
        basic.AcquireSuite = &acquireSuite;
        basic.ReleaseSuite = [](const char *, int32_t) -> SPErr {
            current()->releases++;
            return kSPNoError;
        };
        formatSuite.GetPixelFormat = [](PF_EffectWorld *, PrPixelFormat *format) -> PF_Err {
            *format = current()->pixelFormat;
            return PF_Err_NONE;
        };
    }
    ~FakeHost() { current() = nullptr; }
    FakeHost(const FakeHost &) = delete;

    // The suite calls carry no effect_ref.
    static FakeHost *&current() {
        static FakeHost *host = nullptr;
        return host;
    }
    static FakeHost &from(PF_ProgPtr ref) { return *reinterpret_cast<FakeHost *>(ref); }

    static PF_Err newWorld(PF_ProgPtr ref, A_long width, A_long height, PF_NewWorldFlags flags,
                           PF_EffectWorld *world) {
        FakeHost &host = from(ref);
        host.newWorldCalls++;
        if (host.newWorldError != PF_Err_NONE) return host.newWorldError;
        if (flags != PF_NewWorldFlag_DEEP_PIXELS) return PF_Err_BAD_CALLBACK_PARAM;
        std::vector<PF_Pixel16> buffer((height + 1) * (width + PAD),
                                       PF_Pixel16{PATTERN, PATTERN, PATTERN, PATTERN});
        *world = PF_EffectWorld{};
        world->data = reinterpret_cast<PF_PixelPtr>(buffer.data());
        world->rowbytes = (width + PAD) * static_cast<A_long>(sizeof(PF_Pixel16));
        world->width = width;
        world->height = height;
        world->world_flags = PF_WorldFlag_DEEP | PF_WorldFlag_WRITEABLE;
        host.live[world->data] = std::move(buffer);
        return PF_Err_NONE;
    }

    static PF_Err disposeWorld(PF_ProgPtr ref, PF_EffectWorld *world) {
        FakeHost &host = from(ref);
        host.disposeCalls++;
        const std::vector<PF_Pixel16> &b = host.live.at(world->data);
        const PF_Pixel16 pattern{PATTERN, PATTERN, PATTERN, PATTERN};
        for (size_t i = 0; i < b.size(); ++i) {
            const A_long row = static_cast<A_long>(i) / (world->width + PAD);
            const A_long col = static_cast<A_long>(i) % (world->width + PAD);
            if ((row >= world->height || col >= world->width) &&
                std::memcmp(&b[i], &pattern, sizeof pattern) != 0)
                host.outsideWritten = true;
        }
        host.live.erase(world->data);
        world->data = nullptr;
        if (host.disposeResults.empty()) return PF_Err_NONE;
        const PF_Err err = host.disposeResults.front();
        host.disposeResults.pop_front();
        return err;
    }

    static PF_Err checkout(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long, A_u_long,
                           PF_ParamDef *param) {
        FakeHost &host = from(ref);
        host.checkoutTimes.push_back(time);
        if (index != 0 || !host.frameAt) return PF_Err_BAD_CALLBACK_PARAM;
        return host.frameAt(time, param->u.ld);
    }

    static SPErr acquireSuite(const char *name, int32_t version, const void **suite) {
        FakeHost &host = *current();
        if (!host.suiteAvailable || std::strcmp(name, kPFPixelFormatSuite) != 0 || version != 1)
            return kSPSuiteNotFoundError;
        host.acquires++;
        *suite = &host.formatSuite;
        return kSPNoError;
    }
};
