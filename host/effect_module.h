// A loaded effect module, reached only through its exported entry point.
// Loaded once and shared read-only by any number of hosts on any threads.
#pragma once

#include <string>

#include "api/effect_api.h"

inline constexpr const char kEffectEntryPointName[] = "EntryPointFunc";

class EffectModule {
  public:
    EffectModule() = default;
    ~EffectModule();
    EffectModule(const EffectModule &) = delete;
    EffectModule &operator=(const EffectModule &) = delete;

    // Opens the module and looks up its entry point. On failure returns false
    // and leaves the reason in error(); the module stays closed.
    bool open(const std::string &path);
    void close();

    bool isOpen() const { return entry_ != nullptr; }
    PF_FilterProc entry() const { return entry_; }
    const std::string &error() const { return error_; }

  private:
    void *library_ = nullptr;
    PF_FilterProc entry_ = nullptr;
    std::string error_;
};
