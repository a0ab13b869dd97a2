// The exact conversions between file samples and the host's worlds. A 16-bit
// world runs 0..32768, not 0..65535; every rule below is integer or single
// precision arithmetic, so a render is reproducible to the bit.
#pragma once

#include <cstdint>

#include "cli/image_file.h"
#include "host/host_types.h"
#include "host/owned_world.h"

// File sample -> 16-bit world channel.
inline std::uint16_t world16From8BitFile(std::uint8_t v) {
    return static_cast<std::uint16_t>(v * 128u);
}
// (v * 32768 + 32767) / 65535, which for every 16-bit v is (v + 1) / 2: the
// shift needs no division, so whole rows convert in vector code.
inline std::uint16_t world16From16BitFile(std::uint16_t v) {
    return static_cast<std::uint16_t>((v + 1u) >> 1);
}
std::uint16_t world16FromFloatFile(float v);

// 16-bit world channel -> file sample.
inline std::uint16_t file16FromWorld16(std::uint16_t w) {
    const std::uint32_t clamped = w < 32768u ? w : 32768u;
    return static_cast<std::uint16_t>((clamped * 65535u + 16384u) / 32768u);
}
inline std::uint8_t file8FromWorld16(std::uint16_t w) {
    return static_cast<std::uint8_t>((w < 32640u ? w : 32640u) >> 7);
}
inline float fileFloatFromWorld16(std::uint16_t w) {
    return static_cast<float>(w < 32768u ? w : 32768u) / 32768.0f;
}

// A premultiplied sample made straight, in the file's own scale; a colour
// over a zero alpha is kept as it is, and a colour above its alpha is held
// to full scale.
std::uint8_t straight8(std::uint8_t colour, std::uint8_t alpha);
std::uint16_t straight16(std::uint16_t colour, std::uint16_t alpha);
float straightFloat(float colour, float alpha);

// A straight sample multiplied by its alpha, rounded to the nearest step.
inline std::uint8_t premultiplied8(std::uint8_t colour, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((colour * alpha + 127u) / 255u);
}
inline std::uint16_t premultiplied16(std::uint16_t colour, std::uint16_t alpha) {
    return static_cast<std::uint16_t>((std::uint32_t(colour) * alpha + 32767u) / 65535u);
}

// After Effects renders an 8-bit file in an 8-bit world and everything else
// in 16 bits; Premiere Pro is offered 16-bit ARGB only, so every world there
// is 16-bit.
PixelDepth worldDepthFor(SampleDepth fileDepth, HostApp app);

// The input layer for one frame: its display window with straight alpha (a
// premultiplied frame is divided by its alpha first). rowPaddingBytes
// widens every row, as a host's worlds often are.
OwnedWorld convert_FrameToWorld(const ImageFrame &frame, HostApp app, A_long rowPaddingBytes = 0);
