// Rows of a world as bits, 64 pixels to a word (bit i of word w is column
// 64 w + i), for the stages that decide many pixels at once with bitwise
// operations.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "render/worlds/pixels.h"

using BitWord = std::uint64_t;
constexpr A_long BITS_PER_WORD = 64;

inline A_long bitWordsFor(A_long width) { return (width + BITS_PER_WORD - 1) / BITS_PER_WORD; }

// The bits of word w for the columns first..last (inclusive).
inline BitWord columnBits(A_long w, A_long first, A_long last) {
    first = std::max(first, w * BITS_PER_WORD);
    last = std::min(last, w * BITS_PER_WORD + BITS_PER_WORD - 1);
    if (first > last) return 0;
    const A_long n = last - first + 1;
    const BitWord ones = n == BITS_PER_WORD ? ~BitWord{0} : ((BitWord{1} << n) - 1);
    return ones << (first - w * BITS_PER_WORD);
}

// Eight bytes of 0 or 1 (the first in the lowest byte) as eight bits: the
// product places byte j's bit at bit 56 + j, and no two terms meet.
inline BitWord packBytesToBits(const unsigned char *bytes) {
    BitWord b;
    std::memcpy(&b, bytes, sizeof b);
    return (b * 0x0102040810204080ull) >> 56;
}

// Eight pixels' channels, a lane each. A test written for both a PF_Pixel16
// and this (comparisons joined with & and |) decides eight pixels at once:
// on lanes, each comparison gives a lane of all ones where it holds.
typedef std::uint16_t Lanes8 __attribute__((vector_size(16)));
typedef std::uint8_t Bytes8 __attribute__((vector_size(8)));  // lanes narrowed to bytes
constexpr A_long PIXEL_LANES = 8;
struct PixelLanes {
    Lanes8 alpha, red, green, blue;
};

typedef std::uint32_t Pairs4 __attribute__((vector_size(16)));

// Two pixels (alpha, red, green, blue each) as the pairs of their alpha,
// red, green and blue: the high half moved down, then interleaved.
inline Pairs4 channelPairs(const PF_Pixel16 *p) {
    Lanes8 v;
    std::memcpy(&v, p, sizeof v);
    const Pairs4 halves = reinterpret_cast<Pairs4>(v);
    const Lanes8 high =
        reinterpret_cast<Lanes8>(__builtin_shufflevector(halves, halves, 2, 3, 2, 3));
    return reinterpret_cast<Pairs4>(__builtin_shufflevector(v, high, 0, 8, 1, 9, 2, 10, 3, 11));
}

// The pixels p[0..7] as lanes: the four vectors of channel pairs transposed
// as 32-bit lanes. Every step is one plain SSE2 shuffle.
inline PixelLanes pixelLanesOf(const PF_Pixel16 *p) {
    const Pairs4 p0 = channelPairs(p), p1 = channelPairs(p + 2);
    const Pairs4 p2 = channelPairs(p + 4), p3 = channelPairs(p + 6);
    const Pairs4 ar0 = __builtin_shufflevector(p0, p1, 0, 4, 1, 5);
    const Pairs4 gb0 = __builtin_shufflevector(p0, p1, 2, 6, 3, 7);
    const Pairs4 ar1 = __builtin_shufflevector(p2, p3, 0, 4, 1, 5);
    const Pairs4 gb1 = __builtin_shufflevector(p2, p3, 2, 6, 3, 7);
    return PixelLanes{reinterpret_cast<Lanes8>(__builtin_shufflevector(ar0, ar1, 0, 1, 4, 5)),
                      reinterpret_cast<Lanes8>(__builtin_shufflevector(ar0, ar1, 2, 3, 6, 7)),
                      reinterpret_cast<Lanes8>(__builtin_shufflevector(gb0, gb1, 0, 1, 4, 5)),
                      reinterpret_cast<Lanes8>(__builtin_shufflevector(gb0, gb1, 2, 3, 6, 7))};
}

// The alphas of p[0..7] as lanes on the 16-bit scale (an 8-bit alpha times
// 128, as convertPix8To16 makes it).
inline Lanes8 eightAlphas(const PF_Pixel16 *p) { return pixelLanesOf(p).alpha; }
inline Lanes8 eightAlphas(const PF_Pixel *p) {
    Lanes8 first, second;  // alpha and red, green and blue of four pixels each
    std::memcpy(&first, p, sizeof first);
    std::memcpy(&second, p + 4, sizeof second);
    return (__builtin_shufflevector(first, second, 0, 2, 4, 6, 8, 10, 12, 14) & 0xFF) << 7;
}

// Eight lanes of all ones or zeros as eight bits, lane 0 lowest.
template <typename LaneMask>
inline BitWord laneMaskBits(const LaneMask &mask) {
    const Bytes8 bytes = __builtin_convertvector(mask, Bytes8);
    BitWord b;
    std::memcpy(&b, &bytes, sizeof b);
    return ((b & 0x0101010101010101ull) * 0x0102040810204080ull) >> 56;
}

// Whether a test can decide eight pixels at once.
template <typename Element, typename Test>
constexpr bool TESTS_PIXEL_LANES =
    std::is_same_v<Element, PF_Pixel16> &&std::is_invocable_v<const Test &, const PixelLanes &>;

// out[w] for the pixels (or codes) of one row, columns 0..width - 1: bit set
// where the test holds. Bits past the last column are 0. Whole words are
// decided eight pixels at a time where the test allows, otherwise the tests
// are gathered as bytes first, which compilers turn into vector code for the
// codes, then packed.
template <typename Element, typename Test>
inline void pixelRowBits(const Element *row, A_long width, BitWord *out, Test test) {
    const A_long words = bitWordsFor(width);
    unsigned char flags[BITS_PER_WORD];
    for (A_long w = 0; w < words; ++w) {
        const Element *p = row + w * BITS_PER_WORD;
        const A_long count = std::min(BITS_PER_WORD, width - w * BITS_PER_WORD);
        if (count < BITS_PER_WORD) {
            BitWord bits = 0;
            for (A_long i = 0; i < count; ++i)
                bits |= static_cast<BitWord>(test(p[i]) ? 1 : 0) << i;
            out[w] = bits;
            continue;
        }
        if constexpr (TESTS_PIXEL_LANES<Element, Test>) {
            BitWord bits = 0;
            for (int k = 0; k < 8; ++k)
                bits |= laneMaskBits(test(pixelLanesOf(p + 8 * k))) << (8 * k);
            out[w] = bits;
            continue;
        }
        for (A_long i = 0; i < BITS_PER_WORD; ++i) flags[i] = test(p[i]) ? 1 : 0;
        BitWord bits = 0;
        for (int k = 0; k < 8; ++k) bits |= packBytesToBits(flags + 8 * k) << (8 * k);
        out[w] = bits;
    }
}

// Two tests on the same row in one walk: outA from testA, outB from testB,
// as two calls of pixelRowBits would give them.
template <typename Element, typename TestA, typename TestB>
inline void pixelRowBitsPair(const Element *row, A_long width, BitWord *outA, BitWord *outB,
                             TestA testA, TestB testB) {
    const A_long words = bitWordsFor(width);
    unsigned char flagsA[BITS_PER_WORD], flagsB[BITS_PER_WORD];
    for (A_long w = 0; w < words; ++w) {
        const Element *p = row + w * BITS_PER_WORD;
        const A_long count = std::min(BITS_PER_WORD, width - w * BITS_PER_WORD);
        if (count < BITS_PER_WORD) {
            BitWord a = 0, b = 0;
            for (A_long i = 0; i < count; ++i) {
                a |= static_cast<BitWord>(testA(p[i])) << i;
                b |= static_cast<BitWord>(testB(p[i])) << i;
            }
            outA[w] = a, outB[w] = b;
            continue;
        }
        for (A_long i = 0; i < BITS_PER_WORD; ++i) {
            flagsA[i] = testA(p[i]) ? 1 : 0;
            flagsB[i] = testB(p[i]) ? 1 : 0;
        }
        BitWord a = 0, b = 0;
        for (int k = 0; k < 8; ++k) {
            a |= packBytesToBits(flagsA + 8 * k) << (8 * k);
            b |= packBytesToBits(flagsB + 8 * k) << (8 * k);
        }
        outA[w] = a, outB[w] = b;
    }
}

// Calls visit(x) for every set bit of word w, lowest column first.
template <typename Visit>
inline void forEachBit(BitWord bits, A_long w, Visit visit) {
    for (; bits != 0; bits &= bits - 1) visit(w * BITS_PER_WORD + __builtin_ctzll(bits));
}
