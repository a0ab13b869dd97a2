#include "render/compose_view.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "detect/row_bits.h"
#include "render/render_settings.h"
#include "render/row_workers.h"

namespace {

constexpr float FULL = FULL_SCALE;

// Red, green and blue (and a spare lane) as one: each lane's operations are
// the plain single precision ones of the per-channel code they stand for.
typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Int4 __attribute__((vector_size(16)));

inline Float4 colourOf(const PF_Pixel16 &p) {
    return Float4{static_cast<float>(p.red), static_cast<float>(p.green),
                  static_cast<float>(p.blue), 0.0f};
}

// Truncated toward zero, as static_cast<A_long> truncates.
inline PF_Pixel16 colourFrom(const Float4 &v, A_u_short alpha) {
    const Int4 i = __builtin_convertvector(v, Int4);
    return PF_Pixel16{alpha, static_cast<A_u_short>(i[0]), static_cast<A_u_short>(i[1]),
                      static_cast<A_u_short>(i[2])};
}

// avg2Pixel16Weighted, the three channels at once (alpha left 0).
inline PF_Pixel16 weightedMean(const PF_Pixel16 &p, const PF_Pixel16 &q, float wp, float wq) {
    const float sum = wp + wq;
    return colourFrom((colourOf(p) * wp + colourOf(q) * wq) / sum + 0.5f, 0);
}

A_u_short saturatingAlpha(A_u_short inAlpha, A_u_short fillAmount) {
    return static_cast<A_u_short>(std::min<A_long>(FULL_SCALE, A_long{inAlpha} + fillAmount));
}

PF_Pixel16 withAlpha(PF_Pixel16 p, A_u_short alpha) {
    p.alpha = alpha;
    return p;
}

// The fill amount after the taper (taperedFillAmount) without its single
// precision steps where they cannot change it: a multiplier of
// FULL_EDGE_MULTIPLIER or more keeps the amount, one of TAPER_FROM or less
// removes it.
inline A_u_short taperedAmount(const PF_Pixel16 &mask) {
    if (mask.green != 0 || mask.red == 0 || mask.red >= FULL_EDGE_MULTIPLIER) return mask.blue;
    if (mask.red <= TAPER_FROM) return 0;
    return taperedFillAmount(mask);
}

// The decontamination of one render. With the neutral grey (every channel
// 16384) the subtracted term is exactly 0 and the patch colour only clamps.
struct Decontamination {
    PF_Pixel16 colour;
    bool neutral;
    Float4 offset;  // d - 16384 per channel

    explicit Decontamination(const PF_Pixel16 &d)
        : colour(d),
          neutral(d.red == 16384 && d.green == 16384 && d.blue == 16384),
          offset(colourOf(d) - 16384.0f) {}

    PF_Pixel16 of(const PF_Pixel16 &patch, A_u_short amount) const {
        if (neutral) {
            auto clamp = [](A_u_short v) { return std::min(v, FULL_SCALE); };
            return PF_Pixel16{patch.alpha, clamp(patch.red), clamp(patch.green), clamp(patch.blue)};
        }
        // From half the fill amount on the strength is exactly 1, and
        // patch - (d - 16384) is an exact difference of integers.
        if (amount >= 16384) {
            auto channel = [](A_u_short p, A_u_short d) {
                return static_cast<A_u_short>(
                    std::clamp<A_long>(A_long{p} - (A_long{d} - 16384), 0, FULL_SCALE));
            };
            return PF_Pixel16{patch.alpha, channel(patch.red, colour.red),
                              channel(patch.green, colour.green), channel(patch.blue, colour.blue)};
        }
        // The plain form's decontaminatedPatchColour
        // (reference/render/compose_view.cpp), the three channels at once.
        const float strength = std::min(1.0f, 0.5f + static_cast<float>(amount) * (1.0f / FULL));
        Float4 v = colourOf(patch) - strength * offset;
        v = v < 0.0f ? Float4{} : v;
        v = v > FULL ? Float4{} + FULL : v;
        return colourFrom(v, patch.alpha);
    }
};

// The rows of the worlds the view reads.
struct Rows {
    const PF_Pixel16 *mask;
    const PF_Pixel16 *patch;
    const void *input;
    bool inputEightBit;

    PF_Pixel16 in(A_long x) const {
        return inputEightBit ? convertPix8To16(static_cast<const PF_Pixel *>(input)[x])
                             : static_cast<const PF_Pixel16 *>(input)[x];
    }
};

// The composite of a pixel whose fill amount b is above 0.
PF_Pixel16 compositeFill(const PF_Pixel16 &in, const PF_Pixel16 &mask, const PF_Pixel16 &colour,
                         A_u_short b) {
    // Weights 0 and 32768, a power of two: (0 + P * 32768) / 32768 is P
    // exactly, and + 0.5 truncates back to it.
    if (b == FULL_SCALE && in.alpha == 0) return withAlpha(colour, FULL_SCALE);
    if (b == FULL_SCALE || in.alpha >= BACKGROUND_ALPHA) {
        return withAlpha(weightedMean(in, colour, in.alpha, b), saturatingAlpha(in.alpha, b));
    }
    // Feathered fill that spilled onto the transparent background is dropped there.
    if (mask.red > 0) return withAlpha(colour, saturatingAlpha(in.alpha, b));
    return in;
}

PF_Pixel16 compositePixel(const Rows &r, const Decontamination &d, A_long x) {
    const PF_Pixel16 in = r.in(x);
    const A_u_short b = taperedAmount(r.mask[x]);
    if (b == 0) return in;
    return compositeFill(in, r.mask[x], d.of(r.patch[x], b), b);
}

PF_Pixel16 onlyChangesPixel(const Rows &r, const Decontamination &d, A_long x) {
    const PF_Pixel16 &mask = r.mask[x];
    const A_u_short b = taperedAmount(mask);
    if (b == 0) return TRANSPARENT_BLACK;
    const PF_Pixel16 colour = d.of(r.patch[x], b);
    if (b == FULL_SCALE) return withAlpha(colour, FULL_SCALE);
    if (r.in(x).alpha < BACKGROUND_ALPHA && mask.red == 0) return TRANSPARENT_BLACK;
    return withAlpha(colour, b);
}

// The mask codes as colours; absorbed chaff carries blue above full scale.
PF_Pixel16 infoPixel(const PF_Pixel16 &m) {
    auto clamp = [](A_u_short v) { return std::min(v, FULL_SCALE); };
    return PF_Pixel16{FULL_SCALE, clamp(m.red), clamp(m.green), clamp(m.blue)};
}

// Output rows of either depth: 16-bit pixels as they are, 8-bit ones
// converted as the render's final conversion converts them.
inline void store(PF_Pixel16 *row, A_long x, const PF_Pixel16 &p) { row[x] = p; }
inline void store(PF_Pixel *row, A_long x, const PF_Pixel16 &p) {
    row[x] = convertPix16To8WithMaxCheck(p);
}

template <typename Out>
Out *outputRow(const PF_LayerDef &output, A_long y) {
    if constexpr (sizeof(Out) == sizeof(PF_Pixel))
        return getPixel8(output, 0, y);
    else
        return getPixel16(output, 0, y);
}

// An input pixel passed through: an 8-bit input into an 8-bit output comes
// back as it was (v * 128, then min(., 32640) / 128), so it is copied, as is
// a 16-bit one into a 16-bit output.
template <typename Out>
void copyInputSpan(Out *out, const Rows &r, A_long first, A_long last) {
    const std::size_t count = static_cast<std::size_t>(last - first + 1);
    if constexpr (sizeof(Out) == sizeof(PF_Pixel)) {
        if (r.inputEightBit) {
            std::memcpy(out + first, static_cast<const PF_Pixel *>(r.input) + first,
                        count * sizeof(PF_Pixel));
            return;
        }
    } else {
        if (!r.inputEightBit) {
            std::memcpy(out + first, static_cast<const PF_Pixel16 *>(r.input) + first,
                        count * sizeof(PF_Pixel16));
            return;
        }
    }
    for (A_long x = first; x <= last; ++x) store(out, x, r.in(x));
}

// Show result over columns first..last: every pixel is the input's but where
// a fill amount is above 0, so the input is passed through first and the
// fill pixels (blue above 0) are then written over it. The mask is tested
// 64 pixels at a time, so the loop visits the fill pixels alone.
template <typename Out>
void resultSpan(Out *out, const Rows &r, const Decontamination &d, A_long first, A_long last) {
    copyInputSpan(out, r, first, last);
    for (A_long w = first / BITS_PER_WORD; w <= last / BITS_PER_WORD; ++w) {
        const A_long start = std::max(first, w * BITS_PER_WORD);
        const A_long count = std::min(BITS_PER_WORD, last + 1 - w * BITS_PER_WORD);
        BitWord bits = 0;
        pixelRowBits(r.mask + w * BITS_PER_WORD, count, &bits,
                     [](const PF_Pixel16 &m) { return m.blue != 0; });
        forEachBit(bits & columnBits(w, start, last), w, [&](A_long x) {
            const PF_Pixel16 &mask = r.mask[x];
            const A_u_short b = taperedAmount(mask);
            if (b != 0) store(out, x, compositeFill(r.in(x), mask, d.of(r.patch[x], b), b));
        });
    }
}

// Columns first..last - 1 all set to one pixel.
template <typename Out>
void fillSpan(Out *out, A_long first, A_long end, const PF_Pixel16 &p) {
    if (first >= end) return;
    Out value;
    store(&value, 0, p);
    std::fill(out + first, out + end, value);
}

// One row: `outside` beyond the limits, the view's pixel within them.
template <typename Out>
void composeRow(const PF_LayerDef &output, const ComposeSources &s, const Decontamination &d,
                A_long viewMode, A_long width, A_long y, const PF_Pixel16 &outside,
                const PF_Pixel16 *patchRow) {
    Out *out = outputRow<Out>(output, y);
    const FillLimitsArray &limits = *s.limits;
    const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
    const A_long left = inRows ? std::max<A_long>(0, limits.left[y]) : width;
    const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
    fillSpan(out, 0, std::min(left, width), outside);
    if (left <= right) {
        const Rows r{getPixel16(*s.redMask, 0, y), patchRow,
                     s.input.eightBit ? static_cast<const void *>(getPixel8(*s.input.layer, 0, y))
                                      : static_cast<const void *>(getPixel16(*s.input.layer, 0, y)),
                     s.input.eightBit};
        switch (viewMode) {
            case VIEW_SHOW_ONLY_CHANGES:
                for (A_long x = left; x <= right; ++x) store(out, x, onlyChangesPixel(r, d, x));
                break;
            case VIEW_SHOW_ALPHA:
                for (A_long x = left; x <= right; ++x) {
                    const A_u_short a = compositePixel(r, d, x).alpha;
                    store(out, x, PF_Pixel16{FULL_SCALE, a, a, a});
                }
                break;
            case VIEW_SHOW_INFO:
                for (A_long x = left; x <= right; ++x) store(out, x, infoPixel(r.mask[x]));
                break;
            default:
                resultSpan(out, r, d, left, right);
                break;
        }
    }
    fillSpan(out, std::max(right + 1, left), width, outside);
}

// patchRow: null, the patch world's rows.
template <typename Out>
void composeRows(const PF_LayerDef &output, const ComposeSources &s, A_long viewMode, A_long width,
                 A_long firstRow, A_long endRow, const PF_Pixel16 *patchRow) {
    const PF_Pixel16 outside = viewMode == VIEW_SHOW_ALPHA  ? OPAQUE_BLACK
                               : viewMode == VIEW_SHOW_INFO ? OPAQUE_BLUE
                                                            : TRANSPARENT_BLACK;
    const Decontamination d(s.decontamColour);
    for (A_long y = firstRow; y < endRow; ++y)
        composeRow<Out>(output, s, d, viewMode, width, y, outside,
                        patchRow != nullptr ? patchRow : getPixel16(*s.patch, 0, y));
}

}  // namespace

A_u_short taperedFillAmount(const PF_Pixel16 &mask) {
    A_u_short b = mask.blue;
    if (mask.green == 0 && mask.red > 0) {
        const A_long t = std::max<A_long>(0, A_long{mask.red} - TAPER_FROM);
        float f = (static_cast<float>(t) / static_cast<float>(TAPER_FROM)) * static_cast<float>(b);
        if (f > FULL) f = FULL;
        b = std::min<A_u_short>(b, static_cast<A_u_short>(static_cast<A_long>(f)));
    }
    return b;
}

void compose_OutputRows(const PF_LayerDef &output, bool eightBit, const ComposeSources &s,
                        A_long viewMode, A_long width, A_long firstRow, A_long endRow) {
    if (eightBit)
        composeRows<PF_Pixel>(output, s, viewMode, width, firstRow, endRow, nullptr);
    else
        composeRows<PF_Pixel16>(output, s, viewMode, width, firstRow, endRow, nullptr);
}

void compose_OutputRowWithPatchRow(const PF_LayerDef &output, bool eightBit,
                                   const ComposeSources &s, A_long viewMode, A_long width, A_long y,
                                   const PF_Pixel16 *patchRow) {
    if (eightBit)
        composeRows<PF_Pixel>(output, s, viewMode, width, y, y + 1, patchRow);
    else
        composeRows<PF_Pixel16>(output, s, viewMode, width, y, y + 1, patchRow);
}

// Each output row is written from the same row of the sources alone, so
// bands of rows are composed at once.
void compose_OutputView(const PF_LayerDef &output, const ComposeSources &s, A_long viewMode,
                        A_long width, A_long height, int threads) {
    forEachRowBand(threads, height, [&](A_long firstRow, A_long endRow) {
        compose_OutputRows(output, false, s, viewMode, width, firstRow, endRow);
    });
}

void compose_OutputViewInto8Bit(const PF_LayerDef &output8, const ComposeSources &s,
                                A_long viewMode, A_long width, A_long height, int threads) {
    forEachRowBand(threads, height, [&](A_long firstRow, A_long endRow) {
        compose_OutputRows(output8, true, s, viewMode, width, firstRow, endRow);
    });
}
