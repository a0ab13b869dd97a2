// Scalar types, pixels and small records of the host's effect API.
// Fixed-width throughout: every record has the same layout on 64-bit Windows
// (LLP64) and 64-bit macOS/Linux (LP64).
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 8)

using A_long = int32_t;
using A_u_long = uint32_t;
using A_short = int16_t;
using A_u_short = uint16_t;
using A_char = char;
using A_u_char = uint8_t;
using A_Boolean = uint8_t;
using A_FpLong = double;
using A_FpShort = float;
using A_Err = A_long;
using A_u_longlong = uint64_t;
using A_HandleSize = uint64_t;

using PF_Err = A_long;
using PF_Cmd = A_long;
using PF_ParamIndex = A_long;
using PF_ParamValue = A_long;
using PF_ParamType = A_long;
using PF_ParamFlags = A_long;
using PF_ParamUIFlags = A_long;
using PF_ChangeFlags = A_long;
using PF_OutFlags = A_long;
using PF_OutFlags2 = A_long;
using PF_InFlags = A_long;
using PF_WorldFlags = A_long;
using PF_NewWorldFlags = A_long;
using PF_Quality = A_long;
using PF_Field = A_long;
using PF_DepCheckType = A_long;
using PF_Stage = A_long;
using PF_PixelFormat = A_long;
using PrPixelFormat = A_long;
using PF_Fixed = A_long;
using PF_UFixed = A_u_long;
using PF_FpLong = double;
using PF_FpShort = float;

// A handle points at the pointer to the block; the block's bytes are at *handle.
using PF_Handle = void **;

// The host's opaque per-instance reference, passed back on every callback.
struct PF_ProgressInfo;
using PF_ProgPtr = PF_ProgressInfo *;

using SPErr = int32_t;
#if defined(_WIN32)
using SPBoolean = int32_t;
#else
using SPBoolean = uint8_t;
#endif

struct PF_Pixel {
    A_u_char alpha;
    A_u_char red;
    A_u_char green;
    A_u_char blue;
};
using PF_Pixel8 = PF_Pixel;

struct PF_Pixel16 {
    A_u_short alpha;
    A_u_short red;
    A_u_short green;
    A_u_short blue;
};

struct PF_PixelFloat {
    PF_FpShort alpha;
    PF_FpShort red;
    PF_FpShort green;
    PF_FpShort blue;
};
using PF_Pixel32 = PF_PixelFloat;

using PF_PixelPtr = PF_Pixel *;

struct PF_Rect {
    A_long left;
    A_long top;
    A_long right;
    A_long bottom;
};

struct PF_Point {
    A_long h;
    A_long v;
};

struct PF_RationalScale {
    A_long num;
    A_u_long den;
};

struct PF_SpecVersion {
    A_short major;
    A_short minor;
};

#pragma pack(pop)
