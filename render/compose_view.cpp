#include "render/compose_view.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "detect/row_bits.h"
#include "render/render_settings.h"
#include "render/row_workers.h"

namespace {

constexpr float FULL = FULL_SCALE;

// A pixel's alpha, red, green and blue (in the worlds' order) as one vector:
// each lane's operations are the plain single precision or integer ones of
// the per-channel code they stand for.
typedef float Float4 __attribute__((vector_size(16)));
typedef std::int32_t Int4 __attribute__((vector_size(16)));
// The same 16 bytes seen as narrower or wider lanes, for widening and
// narrowing with interleaves and shifts that plain SSE2 has.
typedef std::uint8_t Byte16 __attribute__((vector_size(16)));
typedef std::uint16_t Short8 __attribute__((vector_size(16)));
typedef std::uint64_t Long2 __attribute__((vector_size(16)));

// Lanes widened by interleaving them with zeros (little-endian lanes).
inline Int4 lanesOf(const PF_Pixel16 &p) {
    std::uint64_t bits;
    std::memcpy(&bits, &p, sizeof bits);
    const Short8 v = reinterpret_cast<Short8>(Long2{bits, 0});
    return reinterpret_cast<Int4>(__builtin_shufflevector(v, Short8{}, 0, 8, 1, 9, 2, 10, 3, 11));
}

// On the 16-bit scale, as convertPix8To16 reads it.
inline Int4 lanesOf(const PF_Pixel &p) {
    std::uint32_t bits;
    std::memcpy(&bits, &p, sizeof bits);
    const Byte16 v = reinterpret_cast<Byte16>(Int4{static_cast<std::int32_t>(bits), 0, 0, 0});
    const Short8 shorts = reinterpret_cast<Short8>(__builtin_shufflevector(
        v, Byte16{}, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    return reinterpret_cast<Int4>(
               __builtin_shufflevector(shorts, Short8{}, 0, 8, 1, 9, 2, 10, 3, 11))
           << 7;
}

inline Float4 toFloat(const Int4 &v) { return __builtin_convertvector(v, Float4); }

// Truncated toward zero, as static_cast<A_long> truncates.
inline Int4 truncated(const Float4 &v) { return __builtin_convertvector(v, Int4); }

inline Int4 withAlpha(Int4 v, A_long alpha) {
    v[0] = alpha;
    return v;
}

A_long saturatingAlpha(A_long inAlpha, A_long fillAmount) {
    return std::min<A_long>(FULL_SCALE, inAlpha + fillAmount);
}

inline Float4 broadcast(float v) { return Float4{} + v; }

// avg2Pixel16Weighted on red, green and blue (alpha is the caller's).
inline Int4 weightedMean(const Float4 &p, const Float4 &q, float wp, float wq) {
    const Float4 sum = broadcast(wp + wq);
    return truncated((p * wp + q * wq) / sum + 0.5f);
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

// The decontamination of one render: the plain form's
// decontaminatedPatchColour (reference/render/compose_view.cpp) on red,
// green and blue, as whole numbers in floats; alpha is the caller's.
struct Decontamination {
    Float4 offset;  // d - 16384 per channel, 0 for alpha
    bool neutral;   // every offset 0: the grey 16384

    explicit Decontamination(const PF_Pixel16 &d)
        : offset(withAlphaZero(toFloat(lanesOf(d)) - 16384.0f)),
          neutral(d.red == 16384 && d.green == 16384 && d.blue == 16384) {}

    // From half the fill amount on the strength is exactly 1, and with
    // offsets of 0 the strength drops out: patch - offset is then an exact
    // difference of whole numbers, which the truncation keeps.
    Float4 of(const PF_Pixel16 &patch, A_u_short amount) const {
        const Float4 p = toFloat(lanesOf(patch));
        if (amount >= 16384 || neutral) return clamped(p - offset);
        const float strength = std::min(1.0f, 0.5f + static_cast<float>(amount) * (1.0f / FULL));
        return toFloat(truncated(clamped(p - strength * offset)));
    }

    static Float4 clamped(Float4 v) {
        v = v < 0.0f ? Float4{} : v;
        return v > FULL ? broadcast(FULL) : v;
    }
    static Float4 withAlphaZero(Float4 v) {
        v[0] = 0.0f;
        return v;
    }
};

// The rows of the worlds the view reads, and of the fill plane.
struct Rows {
    const PF_Pixel16 *mask;
    const PF_Pixel16 *patch;
    const void *input;
    bool inputEightBit;
    const BitWord *fill;  // null: no fill pixel in the row
    A_long fillWords;

    BitWord fillWord(A_long w) const { return fill != nullptr && w < fillWords ? fill[w] : 0; }

    Int4 in(A_long x) const {
        return inputEightBit ? lanesOf(static_cast<const PF_Pixel *>(input)[x])
                             : lanesOf(static_cast<const PF_Pixel16 *>(input)[x]);
    }
};

// The composite of a pixel whose fill amount b is above 0. With b full
// scale and in.alpha 0 the weights are 0 and 32768, a power of two:
// (0 + P * 32768) / 32768 is P exactly, and + 0.5 truncates back to it, so
// that case needs no branch of its own.
inline Int4 compositeFill(const Int4 &in, const PF_Pixel16 &mask, const Float4 &colour,
                          A_u_short b) {
    const A_long alpha = in[0];
    if (b == FULL_SCALE || alpha >= BACKGROUND_ALPHA) {
        return withAlpha(weightedMean(toFloat(in), colour, static_cast<float>(alpha), b),
                         saturatingAlpha(alpha, b));
    }
    // Feathered fill that spilled onto the transparent background is dropped there.
    if (mask.red > 0) return withAlpha(truncated(colour), saturatingAlpha(alpha, b));
    return in;
}

Int4 compositePixel(const Rows &r, const Decontamination &d, A_long x) {
    const Int4 in = r.in(x);
    const A_u_short b = taperedAmount(r.mask[x]);
    if (b == 0) return in;
    return compositeFill(in, r.mask[x], d.of(r.patch[x], b), b);
}

Int4 onlyChangesPixel(const Rows &r, const Decontamination &d, A_long x) {
    const PF_Pixel16 &mask = r.mask[x];
    const A_u_short b = taperedAmount(mask);
    if (b == 0) return Int4{};
    const Int4 colour = truncated(d.of(r.patch[x], b));
    if (b == FULL_SCALE) return withAlpha(colour, FULL_SCALE);
    if (r.in(x)[0] < BACKGROUND_ALPHA && mask.red == 0) return Int4{};
    return withAlpha(colour, b);
}

// The mask codes as colours; absorbed chaff carries blue above full scale.
Int4 infoPixel(const PF_Pixel16 &m) {
    const Int4 v = lanesOf(m);
    return withAlpha(v > FULL_SCALE ? Int4{} + FULL_SCALE : v, FULL_SCALE);
}

// Lanes of laneBits bits or fewer joined into the low bits of one word:
// each 64-bit half's pair first, then the two halves' pairs.
template <int laneBits>
inline std::uint64_t joinedLanes(const Int4 &p) {
    Long2 pairs = reinterpret_cast<Long2>(p);
    pairs |= pairs >> (32 - laneBits);
    const Int4 t = reinterpret_cast<Int4>(pairs);
    Long2 halves = reinterpret_cast<Long2>(__builtin_shufflevector(t, t, 0, 2, 0, 2));
    halves |= halves >> (32 - 2 * laneBits);
    return halves[0];
}

// Output rows of either depth: 16-bit pixels as they are (every lane stored
// is within 0..65535), 8-bit ones converted as convertPix16To8WithMaxCheck
// converts them: min(v, 32640) >> 7 is min(v >> 7, 255).
inline void store(PF_Pixel16 *row, A_long x, const Int4 &p) {
    const std::uint64_t pixel = joinedLanes<16>(p);
    std::memcpy(row + x, &pixel, sizeof pixel);
}
inline void store(PF_Pixel *row, A_long x, const Int4 &p) {
    const Int4 shifted = p >> 7;
    const auto pixel =
        static_cast<std::uint32_t>(joinedLanes<8>(shifted > 255 ? Int4{} + 255 : shifted));
    std::memcpy(row + x, &pixel, sizeof pixel);
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
// fill pixels (blue above 0) are then written over it, 64 pixels at a time
// while they are in the cache. The mask is tested 64 pixels at a time too,
// so the loop visits the fill pixels alone.
template <typename Out>
void resultSpan(Out *out, const Rows &r, const Decontamination &d, A_long first, A_long last) {
    for (A_long w = first / BITS_PER_WORD; w <= last / BITS_PER_WORD; ++w) {
        const A_long start = std::max(first, w * BITS_PER_WORD);
        copyInputSpan(out, r, start, std::min(last, w * BITS_PER_WORD + BITS_PER_WORD - 1));
        forEachBit(r.fillWord(w) & columnBits(w, start, last), w, [&](A_long x) {
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
    store(&value, 0, lanesOf(p));
    // Transparent black, the common case, as one wide clear.
    const bool zero = p.alpha == 0 && p.red == 0 && p.green == 0 && p.blue == 0;
    if (zero)
        std::memset(static_cast<void *>(out + first), 0, std::size_t(end - first) * sizeof(Out));
    else
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
        const BlueBits &planes = *s.fillPixels;
        const Rows r{getPixel16(*s.redMask, 0, y),
                     patchRow,
                     s.input.eightBit ? static_cast<const void *>(getPixel8(*s.input.layer, 0, y))
                                      : static_cast<const void *>(getPixel16(*s.input.layer, 0, y)),
                     s.input.eightBit,
                     y < planes.rows ? planes.fillRow(y) : nullptr,
                     planes.words};
        switch (viewMode) {
            case VIEW_SHOW_ONLY_CHANGES:
                for (A_long x = left; x <= right; ++x) store(out, x, onlyChangesPixel(r, d, x));
                break;
            case VIEW_SHOW_ALPHA:
                for (A_long x = left; x <= right; ++x) {
                    const A_long a = compositePixel(r, d, x)[0];
                    store(out, x, Int4{FULL_SCALE, a, a, a});
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

namespace {

// Each output row is written from the same row of the sources alone, so
// bands of rows are composed at once.
void composeView(const PF_LayerDef &output, bool eightBit, const ComposeSources &given,
                 A_long viewMode, A_long width, A_long height, RowThreads threads) {
    ComposeSources s = given;
    BlueBits read;
    s.fillPixels = &givenOrRead(given.fillPixels, read, *s.redMask, width, height, threads);
    forEachRowBand(threads, height, [&](A_long firstRow, A_long endRow) {
        compose_OutputRows(output, eightBit, s, viewMode, width, firstRow, endRow);
    });
}

}  // namespace

void compose_OutputView(const PF_LayerDef &output, const ComposeSources &s, A_long viewMode,
                        A_long width, A_long height, RowThreads threads) {
    composeView(output, false, s, viewMode, width, height, threads);
}

void compose_OutputViewInto8Bit(const PF_LayerDef &output8, const ComposeSources &s,
                                A_long viewMode, A_long width, A_long height, RowThreads threads) {
    composeView(output8, true, s, viewMode, width, height, threads);
}
