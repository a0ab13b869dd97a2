// The ANSI maths and string callbacks, offered both in the utility callbacks
// and as the "PF ANSI Suite".
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/host_state.h"

namespace {

// The effect formats only into out_data->return_msg; the bound keeps a long
// text inside it.
constexpr std::size_t kMessageBytes = PF_MAX_EFFECT_MSG_LEN + 1;

int formatCallback(A_char *dst, const A_char *fmt, ...) {
    if (dst == nullptr || fmt == nullptr) return -1;
    va_list args;
    va_start(args, fmt);
    const int wanted = std::vsnprintf(dst, kMessageBytes, fmt, args);
    va_end(args);
    if (wanted >= int(kMessageBytes)) {
        if (HostState *host = currentHost()) ++host->report.truncatedTexts;
        return int(kMessageBytes) - 1;
    }
    return wanted;
}

A_char *copyCallback(A_char *dst, const A_char *src) { return std::strcpy(dst, src); }

A_FpLong atanF(A_FpLong x) { return std::atan(x); }
A_FpLong atan2F(A_FpLong y, A_FpLong x) { return std::atan2(y, x); }
A_FpLong ceilF(A_FpLong x) { return std::ceil(x); }
A_FpLong cosF(A_FpLong x) { return std::cos(x); }
A_FpLong expF(A_FpLong x) { return std::exp(x); }
A_FpLong fabsF(A_FpLong x) { return std::fabs(x); }
A_FpLong floorF(A_FpLong x) { return std::floor(x); }
A_FpLong fmodF(A_FpLong x, A_FpLong y) { return std::fmod(x, y); }
A_FpLong hypotF(A_FpLong x, A_FpLong y) { return std::hypot(x, y); }
A_FpLong logF(A_FpLong x) { return std::log(x); }
A_FpLong log10F(A_FpLong x) { return std::log10(x); }
A_FpLong powF(A_FpLong x, A_FpLong y) { return std::pow(x, y); }
A_FpLong sinF(A_FpLong x) { return std::sin(x); }
A_FpLong sqrtF(A_FpLong x) { return std::sqrt(x); }
A_FpLong tanF(A_FpLong x) { return std::tan(x); }
A_FpLong asinF(A_FpLong x) { return std::asin(x); }
A_FpLong acosF(A_FpLong x) { return std::acos(x); }

const PF_ANSICallbacksSuite1 kAnsiSuite = {
    atanF,  atan2F, ceilF, cosF,  expF, fabsF,          floorF,       fmodF, hypotF, logF,
    log10F, powF,   sinF,  sqrtF, tanF, formatCallback, copyCallback, asinF, acosF};

}  // namespace

const PF_ANSICallbacksSuite1 &ansiSuite() { return kAnsiSuite; }

void fillAnsiCallbacks(PF_ANSICallbacks &ansi) {
    const PF_ANSICallbacksSuite1 &suite = kAnsiSuite;
    ansi.atan = suite.atan;
    ansi.atan2 = suite.atan2;
    ansi.ceil = suite.ceil;
    ansi.cos = suite.cos;
    ansi.exp = suite.exp;
    ansi.fabs = suite.fabs;
    ansi.floor = suite.floor;
    ansi.fmod = suite.fmod;
    ansi.hypot = suite.hypot;
    ansi.log = suite.log;
    ansi.log10 = suite.log10;
    ansi.pow = suite.pow;
    ansi.sin = suite.sin;
    ansi.sqrt = suite.sqrt;
    ansi.tan = suite.tan;
    ansi.sprintf = suite.sprintf;
    ansi.strcpy = suite.strcpy;
    ansi.asin = suite.asin;
    ansi.acos = suite.acos;
}
