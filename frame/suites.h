// Access to the host's function suites for the length of one command.
//
// Suites come from the basic suite by name and version and must be released
// with the same name and version. Both classes release in their destructors,
// so a command that ends with a thrown error still hands back every suite.
// A suite that cannot be had ends the command with a thrown PF_Err, which
// EntryPointFunc turns into the command's result.
#pragma once

#include "api/effect_api.h"

// Throws PF_Err_BAD_CALLBACK_PARAM: the handler's answer to a missing suite.
[[noreturn]] void MissingSuiteError();

// Acquires each suite on first use and keeps it until destroyed.
class AEGP_SuiteHandler {
  public:
    // Throws PF_Err_BAD_CALLBACK_PARAM when the host gave no basic suite.
    explicit AEGP_SuiteHandler(const SPBasicSuite *basic);
    ~AEGP_SuiteHandler();
    AEGP_SuiteHandler(const AEGP_SuiteHandler &) = delete;
    AEGP_SuiteHandler &operator=(const AEGP_SuiteHandler &) = delete;

    // Each throws PF_Err_BAD_CALLBACK_PARAM when the host cannot supply it.
    const PF_ANSICallbacksSuite1 *ANSICallbacksSuite1();
    const PF_HandleSuite1 *HandleSuite1();
    const PF_ColorParamSuite1 *ColorParamSuite1();

  private:
    struct Slot {
        const char *name;
        int32_t version;
        const void *suite;
    };
    enum SlotIndex { ANSI_SLOT, HANDLE_SLOT, COLOR_PARAM_SLOT, SLOT_COUNT };

    const void *acquire(SlotIndex index);

    const SPBasicSuite *basic_;
    Slot slots_[SLOT_COUNT];
};

// Acquires a suite from in_data's basic suite; returns null when it cannot.
const void *acquireSuiteOrNull(const PF_InData *in_data, const char *name, int32_t version);

// Reports an unavailable scoped suite: with an output record, asks the host
// to show "Not able to acquire AEFX Suite."; then throws A_Err_MISSING_SUITE.
[[noreturn]] void reportMissingScopedSuite(const PF_InData *in_data, PF_OutData *out_data);

void releaseSuite(const PF_InData *in_data, const char *name, int32_t version);

// Holds one suite from construction to destruction.
template <typename SuiteType>
class AEFX_SuiteScoper {
  public:
    AEFX_SuiteScoper(const PF_InData *in_data, const char *name, int32_t version,
                     PF_OutData *out_data = nullptr)
        : in_data_(in_data), name_(name), version_(version) {
        suite_ = static_cast<const SuiteType *>(acquireSuiteOrNull(in_data, name, version));
        if (!suite_) reportMissingScopedSuite(in_data, out_data);
    }
    ~AEFX_SuiteScoper() { releaseSuite(in_data_, name_, version_); }
    AEFX_SuiteScoper(const AEFX_SuiteScoper &) = delete;
    AEFX_SuiteScoper &operator=(const AEFX_SuiteScoper &) = delete;

    const SuiteType *get() const { return suite_; }
    const SuiteType *operator->() const { return suite_; }

  private:
    const PF_InData *in_data_;
    const char *name_;
    int32_t version_;
    const SuiteType *suite_;
};
