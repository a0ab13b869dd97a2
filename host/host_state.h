// The state of one host instance, which the effect's callbacks reach through
// effect_ref or, for callbacks without one, through the instance running the
// current command on this thread. Internal to the host library.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"
#include "host/owned_world.h"

// A handle's block. The handle is the address of `bytes`, so *handle is the
// first byte of the block, as the effect expects.
struct HandleBlock {
    void *bytes = nullptr;
    std::vector<std::uint8_t> storage;
    A_u_longlong size = 0;
};

struct FaultCounters {
    int newWorld = 0;
    int addParam = 0;
    int checkout = 0;
    int newHandle = 0;
};

struct HostState {
    static constexpr std::uint32_t kMagic = 0x486F7374;  // "Host"
    std::uint32_t magic = kMagic;

    HostSettings settings;
    FaultPlan faults;
    FaultCounters callsSinceFaultPlan;

    // Callback tables the records point at; per instance so nothing is shared
    // between threads.
    PF_UtilCallbacks utils{};
    SPBasicSuite basic{};
    PF_InData in{};
    PF_OutData out{};
    PF_OutData outTemplate{};

    std::map<const void *, OwnedWorld> worlds;  // by pixel address
    std::vector<OwnedWorld> recycledWorlds;     // disposed, kept for settings.recycleWorlds
    std::map<std::string, int> suiteCounts;     // "name vN" -> acquires minus releases
    std::set<std::uintptr_t> checkedOut;        // tokens of layers not yet checked in
    std::uintptr_t nextCheckoutToken = 1;
    std::map<PF_Handle, std::unique_ptr<HandleBlock>> handles;
    // Handles the effect gave to the host (the dependency text); kept until
    // the host goes away.
    std::map<PF_Handle, std::unique_ptr<HandleBlock>> ownedHandles;

    // The controls the effect declared at its last parameter setup, in the
    // order it added them; a render is built from them once that setup
    // succeeded.
    std::vector<CollectedParam> params;
    bool paramsDeclared = false;
    std::vector<PrPixelFormat> supportedFormats;
    int matchingCheckoutRequests = 0;
    const PF_LayerDef *renderInput = nullptr;

    // What the current command did and misused, filled in as it runs.
    CommandReport report;
};

// The instance behind an effect_ref, or null (and the misuse counted on the
// thread's current instance) when the reference is not a live host.
HostState *hostFromRef(PF_ProgPtr effectRef);

// The instance running a command on this thread, or null.
HostState *currentHost();

// Makes an instance current on this thread for one command.
class CurrentHostScope {
  public:
    explicit CurrentHostScope(HostState *state);
    ~CurrentHostScope();
    CurrentHostScope(const CurrentHostScope &) = delete;
    CurrentHostScope &operator=(const CurrentHostScope &) = delete;

  private:
    HostState *previous_;
};

// True when this call of a kind is the one the fault plan refuses; counts it.
bool faultFires(int nth, int &callsSoFar);

// Fills host.in for a command on a layer of the given size.
void prepareInData(HostState &host, A_long width, A_long height);

// Completes the command's report with what is still outstanding, then frees
// all of it (the dependency text handed over excepted).
void finishReport(HostState &host, PF_Cmd cmd, PF_Err err);
void reclaimLeftovers(HostState &host);

// The callback tables, filled with this host's functions. Slots the effect
// never calls stay null.
void fillInteractCallbacks(PF_InteractCallbacks &inter);
void fillWorldCallbacks(PF_UtilCallbacks &utils);
void fillHandleCallbacks(PF_UtilCallbacks &utils);
void fillAnsiCallbacks(PF_ANSICallbacks &ansi);
void fillBasicSuite(SPBasicSuite &basic);

// The suites AcquireSuite hands out.
const PF_ANSICallbacksSuite1 &ansiSuite();
const PF_HandleSuite1 &handleSuite();
const PF_ColorParamSuite1 &colorParamSuite();
const PF_UtilitySuite4 &utilitySuite();
const PF_PixelFormatSuite1 &pixelFormatSuite();
