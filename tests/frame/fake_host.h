// A minimal stand-in for the host: the input and output records, the
// callbacks the frame uses, and a basic suite that hands out the five suites
// (each at one version only) and counts acquires and releases. Callbacks carry
// no context, so the most recently built FakeHost is the one they reach.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "api/effect_api.h"

struct FakeHost {
    explicit FakeHost(A_long appl_id = PF_ApplId_AFTER_EFFECTS);
    ~FakeHost() { active = nullptr; }

    PF_InData in_data{};
    PF_OutData out_data{};
    PF_UtilCallbacks utils{};
    SPBasicSuite basic{};
    PF_ANSICallbacksSuite1 ansiSuite{};
    PF_HandleSuite1 handleSuite{};
    PF_ColorParamSuite1 colorParamSuite{};
    PF_UtilitySuite4 utilitySuite{};
    PF_PixelFormatSuite1 pixelFormatSuite{};

    std::vector<std::string> refusedSuites;
    std::map<std::string, int> acquired, released;
    int outstandingSuites() const;

    // Text callbacks, counted by where they were reached from.
    int utilsSprintfCalls = 0, suiteSprintfCalls = 0, utilsStrcpyCalls = 0, suiteStrcpyCalls = 0;

    // add_param keeps a copy of each accepted record (with its choice string
    // as seen during the call) and refuses the Nth call (1-based) if asked.
    struct AddedParam {
        PF_ProgPtr effect_ref;
        PF_ParamIndex index;
        const PF_ParamDef *address;
        PF_ParamDef def;
        std::string choices;
    };
    std::vector<AddedParam> addedParams;
    int addParamCalls = 0, refuseAddParamAt = 0;
    PF_Err refuseAddParamWith = PF_Err_NONE;

    struct HandleBlock {
        void *block;
        std::vector<char> bytes;
    };
    std::deque<HandleBlock> handles;
    bool refuseHandles = false;

    std::vector<PF_ProgPtr> matchRenderFormatCalls;
    std::vector<PrPixelFormat> pixelFormats{PrPixelFormat_ARGB_4444_8u, PrPixelFormat_BGRA_4444_8u};

    static FakeHost *active;
};

// The effect_ref the fake host hands to the effect.
PF_ProgPtr fakeEffectRef();
