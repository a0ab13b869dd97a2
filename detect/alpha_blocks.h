// Blocks of eight pixels whose alpha is all one value. Keyed footage is
// mostly clear or opaque, so the scans of the alpha (the limits, the band
// codes) decide such a block with a few word operations instead of eight
// pixel tests.
#pragma once

#include <cstdint>
#include <cstring>

#include "render/worlds/pixels.h"

constexpr A_long ALPHA_BLOCK = 8;

// The alpha bits of one 64-bit word of pixels, in memory order.
template <typename Pixel>
inline std::uint64_t alphaLanes() {
    constexpr auto full = static_cast<decltype(Pixel{}.alpha)>(~0u);
    Pixel lanes[8 / sizeof(Pixel)] = {};
    for (Pixel &p : lanes) p.alpha = full;
    std::uint64_t word;
    std::memcpy(&word, lanes, sizeof word);
    return word;
}

// Whether the eight pixels from p on all have p's alpha.
template <typename Pixel>
inline bool eightAlphasAlike(const Pixel *p) {
    constexpr std::size_t WORDS = ALPHA_BLOCK * sizeof(Pixel) / 8;
    constexpr auto full = static_cast<decltype(Pixel{}.alpha)>(~0u);
    const std::uint64_t lanes = alphaLanes<Pixel>();
    const std::uint64_t pattern = lanes / full * p->alpha;
    const auto *bytes = reinterpret_cast<const unsigned char *>(p);
    std::uint64_t differ = 0;
    for (std::size_t i = 0; i < WORDS; ++i) {
        std::uint64_t word;
        std::memcpy(&word, bytes + 8 * i, sizeof word);
        differ |= word ^ pattern;
    }
    return (differ & lanes) == 0;
}
