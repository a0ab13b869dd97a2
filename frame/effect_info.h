// Who the effect is to the host: version, global flags, names. GlobalSetup,
// About and the property-list generator in resources/ all read these, so the
// values the host reads from the property list and the ones the effect sets
// at global setup cannot drift apart.
#pragma once

#include "api/effect_api.h"

// The host's packed version: build in bits 0-8, stage 9-10, fix 11-14,
// minor 15-18, the low three bits of the major 19-21 and its next four bits
// 26-29 (majors of 8 and above).
constexpr A_u_long packEffectVersion(A_u_long major, A_u_long minor, A_u_long fix, A_u_long stage,
                                     A_u_long build) {
    return ((major >> 3) & 0xFu) << 26 | (major & 0x7u) << 19 | (minor & 0xFu) << 15 |
           (fix & 0xFu) << 11 | (stage & 0x3u) << 9 | (build & 0x1FFu);
}

inline constexpr A_u_long EFFECT_MAJOR_VERSION = 1;
inline constexpr A_u_long EFFECT_MINOR_VERSION = 4;
inline constexpr A_u_long EFFECT_FIX_VERSION = 0;
inline constexpr A_u_long EFFECT_STAGE = PF_Stage_RELEASE;
inline constexpr A_u_long EFFECT_BUILD = 1;

inline constexpr A_u_long EFFECT_VERSION = packEffectVersion(
    EFFECT_MAJOR_VERSION, EFFECT_MINOR_VERSION, EFFECT_FIX_VERSION, EFFECT_STAGE, EFFECT_BUILD);

// Wide time input: the colour chain reads the layer at other frames. Expand
// buffer: answered by FrameSetup, which keeps the size. External
// dependencies: answered by DescribeDependencies. Deep colour: 16-bit worlds.
inline constexpr PF_OutFlags EFFECT_OUT_FLAGS =
    PF_OutFlag_WIDE_TIME_INPUT | PF_OutFlag_I_EXPAND_BUFFER |
    PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES | PF_OutFlag_DEEP_COLOR_AWARE;

// The dynamic-flags query is answered (and changes nothing); filling holes
// raises alpha where it was 0, so fully transparent input can become visible.
inline constexpr PF_OutFlags2 EFFECT_OUT_FLAGS2 =
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS | PF_OutFlag2_REVEALS_ZERO_ALPHA;

inline constexpr const char EFFECT_NAME[] = "Holvane";
inline constexpr const char EFFECT_CATEGORY[] = "Tarnwell";
// The effect's identity in saved projects; never change it once shipped.
inline constexpr const char EFFECT_MATCH_NAME[] = "Holvane";
inline constexpr const char EFFECT_ENTRY_POINT_NAME[] = "EntryPointFunc";

// The about box shows the product and major.minor only.
inline constexpr const char EFFECT_ABOUT_PRODUCT[] = "Holvane";
inline constexpr int EFFECT_ABOUT_MAJOR = static_cast<int>(EFFECT_MAJOR_VERSION);
inline constexpr int EFFECT_ABOUT_MINOR = static_cast<int>(EFFECT_MINOR_VERSION);
