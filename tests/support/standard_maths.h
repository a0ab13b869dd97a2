// The host's maths callbacks as the standard library gives them, for tests
// and benchmarks that call the stages without a host.
#pragma once

#include <cmath>

#include "api/effect_api.h"

inline PF_ANSICallbacks standardMaths() {
    PF_ANSICallbacks maths{};
    maths.exp = [](A_FpLong v) { return std::exp(v); };
    maths.pow = [](A_FpLong x, A_FpLong y) { return std::pow(x, y); };
    maths.sqrt = [](A_FpLong v) { return std::sqrt(v); };
    return maths;
}
