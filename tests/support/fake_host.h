// A minimal stand-in for the host, for the tests that call the effect's
// frame and world code directly: the input and output records, the callbacks
// and the five suites (each at one version only), every call counted.
// New worlds have padded rows and a guard row, all painted with a pattern (a
// host leaves new pixels as they are); disposal notes any write outside the
// world. Frames are checked out by time through frameAt. Suite calls carry
// no effect_ref, so they reach the most recently built FakeHost.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "api/effect_api.h"

struct FakeHost {
    static constexpr A_long PAD = 3;
    static constexpr A_u_short PATTERN = 0x5A5A;

    explicit FakeHost(A_long appl_id = PF_ApplId_AFTER_EFFECTS);
    ~FakeHost();
    FakeHost(const FakeHost &) = delete;
    FakeHost &operator=(const FakeHost &) = delete;

    PF_InData in_data{};
    PF_OutData out_data{};
    PF_UtilCallbacks utils{};
    SPBasicSuite basic{};
    PF_ANSICallbacksSuite1 ansiSuite{};
    PF_HandleSuite1 handleSuite{};
    PF_ColorParamSuite1 colorParamSuite{};
    PF_UtilitySuite4 utilitySuite{};
    PF_PixelFormatSuite1 pixelFormatSuite{};

    // Suites by name: those refused, and acquires and releases of the rest.
    std::vector<std::string> refusedSuites;
    std::map<std::string, int> acquired, released;
    int outstandingSuites() const;

    // Text callbacks, counted by where they were reached from.
    int utilsSprintfCalls = 0, suiteSprintfCalls = 0, utilsStrcpyCalls = 0, suiteStrcpyCalls = 0;

    // add_param keeps a copy of each record (with its choice string as seen
    // during the call).
    struct AddedParam {
        PF_ProgPtr effect_ref;
        PF_ParamIndex index;
        const PF_ParamDef *address;
        PF_ParamDef def;
        std::string choices;
    };
    std::vector<AddedParam> addedParams;

    // new_world refuses with newWorldError when set; dispose_world returns
    // disposeResults one per call, then 0. live holds the worlds not yet
    // disposed, by pixel address.
    PF_Err newWorldError = PF_Err_NONE;
    A_long newWorldCalls = 0;
    std::deque<PF_Err> disposeResults;
    A_long disposeCalls = 0;
    bool outsideWritten = false;
    std::map<void *, std::vector<PF_Pixel16>> live;

    // checkout_param of the input layer at a time; without frameAt it fails.
    std::function<PF_Err(A_long time, PF_LayerDef &layer)> frameAt;
    std::vector<A_long> checkoutTimes;
    A_long checkins = 0;

    struct HandleBlock {
        void *block;
        std::vector<char> bytes;
    };
    std::deque<HandleBlock> handles;
    bool refuseHandles = false;

    std::vector<PF_ProgPtr> matchRenderFormatCalls;
    // What the supported-format calls leave; what GetPixelFormat reports.
    std::vector<PrPixelFormat> pixelFormats{PrPixelFormat_ARGB_4444_8u, PrPixelFormat_BGRA_4444_8u};
    PrPixelFormat pixelFormat = PrPixelFormat_ARGB_4444_16u;

    static FakeHost *active;
};
