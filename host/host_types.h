// The plain settings, fault plan and reports of our own host.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "api/effect_api.h"

// The application the host plays; the effect tells them apart by appl_id.
enum class HostApp { AfterEffects, Premiere };

A_long applicationId(HostApp app);

// Maps a time asked for by checkout_param (in the caller's time_scale units)
// to the input layer at that time. Returning null delivers a layer without
// pixels (width 0), as a host does past the end of a clip. The world must
// outlive the command.
using FrameSource = std::function<const PF_LayerDef *(A_long time)>;

// Bytes added to every row of a world the host creates, so code that assumes
// rowbytes == width * pixel size reads the wrong pixels. A whole number of
// pixels for both depths.
inline constexpr A_long kDefaultRowPaddingBytes = 24;
// The byte that fills a world created without PF_NewWorldFlag_CLEAR_PIXELS.
// As 16-bit channels it reads 0xCDCD, above the 32768 full scale.
inline constexpr std::uint8_t kUnclearedWorldByte = 0xCD;

struct HostSettings {
    HostApp app = HostApp::AfterEffects;
    A_long currentTime = 0;
    A_long timeStep = 1;
    A_u_long timeScale = 24;
    A_long totalTime = 0;
    PF_RationalScale downsampleX{1, 1};
    PF_RationalScale downsampleY{1, 1};
    // in_data width and height for commands other than render (a render
    // takes them from its input layer).
    A_long width = 0;
    A_long height = 0;
    // Test aid, on by default: a world the effect did not ask to clear is
    // painted with a mark that shows a render relying on zeros. A production
    // host (the renderer, the benchmarks) spends no time on it.
    bool markUnclearedWorlds = true;
    // Production behaviour, off by default so each test starts from fresh
    // memory: a disposed world's memory is kept and handed out again for the
    // next world of the same size and depth, as a real host's memory pool
    // does. It holds whatever it last held, or zeros when the effect asks for
    // a cleared world.
    bool recycleWorlds = false;
    A_long rowPaddingBytes = kDefaultRowPaddingBytes;
    // Where checkout_param finds the input layer; when empty, every time
    // gives the render's own input layer.
    FrameSource frameSource;
};

// Refuse the nth call (1-based, counted from when the plan was set) of one
// kind; 0 never refuses. Only that one call fails.
struct FaultAt {
    int nth = 0;
    PF_Err error = PF_Err_OUT_OF_MEMORY;
};

struct FaultPlan {
    FaultAt newWorld;
    FaultAt addParam;
    FaultAt checkout;
    // host_new_handle has no error code: the refused call returns null.
    int newHandleNth = 0;
    // Suite names refused at every version.
    std::set<std::string> refusedSuites;
};

// One parameter as the effect defined it, copied during add_param. The copy's
// choice-string pointer is cleared: the effect frees the string after the
// call, so the text lives on in choices.
struct CollectedParam {
    PF_ParamIndex indexAsked = 0;
    PF_ParamDef def{};
    std::string choices;
};

// One checkout_param call as the effect made it.
struct CheckoutRecord {
    PF_ParamIndex index = 0;
    A_long time = 0;
    A_long timeStep = 0;
    A_u_long timeScale = 0;
};

// What a command did and left behind, taken when it returns. The host then reclaims
// all of it, so the next command starts clean.
struct CommandReport {
    PF_Cmd cmd = 0;
    PF_Err err = PF_Err_NONE;
    int worldsLeft = 0;
    int checkoutsLeft = 0;
    int handlesLeft = 0;                    // not counting the dependency text handed over
    std::map<std::string, int> suitesLeft;  // "name vN" -> acquires minus releases
    // Misuse seen during the command.
    int unknownWorldDisposals = 0;  // a world this host did not create, or twice
    int unmatchedReleases = 0;      // ReleaseSuite without a matching AcquireSuite
    int unknownCheckins = 0;        // a layer checked in twice or never checked out
    int unknownHandleDisposals = 0;
    int badEffectRefs = 0;          // a callback got an effect_ref that is not this host
    int truncatedTexts = 0;         // sprintf output cut at the 256-byte message size
    bool exceptionEscaped = false;  // a C++ exception left the entry point
    // What the command asked of the host, in call order.
    std::vector<PF_NewWorldFlags> newWorldFlags;  // one entry per new_world call
    std::vector<CheckoutRecord> checkouts;

    bool clean() const;
    // One line per problem, for test failure messages.
    std::string describe() const;
};
