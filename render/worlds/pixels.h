// Pixel access, conversions and averages on the host's worlds.
// No accessor checks bounds: callers keep 0 <= x < width and 0 <= y < height.
#pragma once

#include "api/effect_api.h"

// Full scale of a 16-bit channel on the host's scale: 32768, not 65535.
constexpr A_u_short FULL_SCALE = PF_MAX_CHAN16;

// Row addresses are computed in ptrdiff_t: y * rowbytes overflows 32 bits on
// wide, tall worlds, and rowbytes may be negative (bottom-up worlds).
inline PF_Pixel16 *getPixel16(const PF_LayerDef &world, A_long x, A_long y) {
    auto *row = reinterpret_cast<char *>(world.data) +
                static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(world.rowbytes);
    return reinterpret_cast<PF_Pixel16 *>(row) + x;
}

inline PF_Pixel *getPixel8(const PF_LayerDef &world, A_long x, A_long y) {
    auto *row = reinterpret_cast<char *>(world.data) +
                static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(world.rowbytes);
    return reinterpret_cast<PF_Pixel *>(row) + x;
}

inline A_u_short getPixel16Alpha(const PF_LayerDef &w, A_long x, A_long y) {
    return getPixel16(w, x, y)->alpha;
}
inline A_u_short getPixel16Red(const PF_LayerDef &w, A_long x, A_long y) {
    return getPixel16(w, x, y)->red;
}
inline A_u_short getPixel16Green(const PF_LayerDef &w, A_long x, A_long y) {
    return getPixel16(w, x, y)->green;
}
inline A_u_short getPixel16Blue(const PF_LayerDef &w, A_long x, A_long y) {
    return getPixel16(w, x, y)->blue;
}

inline void setPixel16(const PF_LayerDef &w, A_long x, A_long y, const PF_Pixel16 *p) {
    *getPixel16(w, x, y) = *p;
}
inline void setPixel16Alpha(const PF_LayerDef &w, A_long x, A_long y, A_u_short v) {
    getPixel16(w, x, y)->alpha = v;
}
inline void setPixel16Red(const PF_LayerDef &w, A_long x, A_long y, A_u_short v) {
    getPixel16(w, x, y)->red = v;
}
inline void setPixel16Green(const PF_LayerDef &w, A_long x, A_long y, A_u_short v) {
    getPixel16(w, x, y)->green = v;
}
inline void setPixel16Blue(const PF_LayerDef &w, A_long x, A_long y, A_u_short v) {
    getPixel16(w, x, y)->blue = v;
}

inline void setPixel8(const PF_LayerDef &w, A_long x, A_long y, const PF_Pixel *p) {
    *getPixel8(w, x, y) = *p;
}

// 8-bit value v becomes v * 128: 255 reads 32640, for alpha as well.
inline PF_Pixel16 convertPix8To16(const PF_Pixel &p) {
    return PF_Pixel16{static_cast<A_u_short>(p.alpha << 7), static_cast<A_u_short>(p.red << 7),
                      static_cast<A_u_short>(p.green << 7), static_cast<A_u_short>(p.blue << 7)};
}

// As convertPix8To16, but an opaque alpha becomes full scale 32768.
inline PF_Pixel16 convert8PixelTo16NoMaxCheck(PF_Pixel p) {
    PF_Pixel16 q = convertPix8To16(p);
    if (q.alpha == 32640) q.alpha = FULL_SCALE;
    return q;
}

inline A_u_char convertChannel16To8(A_u_short v) {
    return static_cast<A_u_char>((v > 32640 ? 32640 : v) >> 7);
}

inline PF_Pixel convertPix16To8WithMaxCheck(const PF_Pixel16 &p) {
    return PF_Pixel{convertChannel16To8(p.alpha), convertChannel16To8(p.red),
                    convertChannel16To8(p.green), convertChannel16To8(p.blue)};
}

inline A_u_short convertChannel32To16(float v) {
    constexpr float FULL = FULL_SCALE;
    float t = v * FULL + 0.5f;
    if (!(t > 0.0f)) return 0;  // also catches NaN
    if (t >= FULL) return FULL_SCALE;
    return static_cast<A_u_short>(static_cast<A_long>(t));
}

inline PF_Pixel16 convertPix32To16(const PF_PixelFloat &p) {
    return PF_Pixel16{convertChannel32To16(p.alpha), convertChannel32To16(p.red),
                      convertChannel32To16(p.green), convertChannel32To16(p.blue)};
}

// Weighted mean of red, green and blue in single precision; alpha is left 0
// for the caller to set.
inline PF_Pixel16 avg2Pixel16Weighted(const PF_Pixel16 &p, const PF_Pixel16 &q, float wp,
                                      float wq) {
    const float sum = wp + wq;
    auto mix = [&](A_u_short a, A_u_short b) {
        return static_cast<A_u_short>(static_cast<A_long>((a * wp + b * wq) / sum + 0.5f));
    };
    return PF_Pixel16{0, mix(p.red, q.red), mix(p.green, q.green), mix(p.blue, q.blue)};
}

inline PF_Pixel16 avg2Pixel16(const PF_Pixel16 &p, const PF_Pixel16 &q) {
    auto mean = [](A_u_short a, A_u_short b) {
        return static_cast<A_u_short>(static_cast<A_long>((a + b) * 0.5f + 0.5f));
    };
    return PF_Pixel16{0, mean(p.red, q.red), mean(p.green, q.green), mean(p.blue, q.blue)};
}

// The input layer as every stage reads it: on the 16-bit scale whatever its
// depth. eightBit says how its pixels are stored.
struct InputLayer16 {
    const PF_LayerDef *layer = nullptr;
    bool eightBit = false;
};

inline PF_Pixel16 readInputPixel16(const InputLayer16 &in, A_long x, A_long y) {
    return in.eightBit ? convertPix8To16(*getPixel8(*in.layer, x, y))
                       : *getPixel16(*in.layer, x, y);
}

inline A_u_short readInputAlpha16(const InputLayer16 &in, A_long x, A_long y) {
    return in.eightBit ? static_cast<A_u_short>(getPixel8(*in.layer, x, y)->alpha << 7)
                       : getPixel16(*in.layer, x, y)->alpha;
}
