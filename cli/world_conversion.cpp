#include "cli/world_conversion.h"

#include <algorithm>

namespace {

// One file pixel (R, G, B, A at sample index i) as a straight 16-bit world
// pixel (A, R, G, B).
PF_Pixel16 world16PixelAt(const FileImage &image, std::size_t i, bool premultiplied) {
    std::uint16_t c[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        const bool divide = premultiplied && k < 3;
        switch (image.depth) {
            // Only Premiere Pro puts an 8-bit file into a 16-bit world.
            case SampleDepth::Eight:
                c[k] = world16From8BitFile(divide ? straight8(image.u8[i + k], image.u8[i + 3])
                                                  : image.u8[i + k]);
                break;
            case SampleDepth::Sixteen:
                c[k] = world16From16BitFile(divide ? straight16(image.u16[i + k], image.u16[i + 3])
                                                   : image.u16[i + k]);
                break;
            case SampleDepth::Half:
            case SampleDepth::Float:
                c[k] = world16FromFloatFile(
                    divide ? straightFloat(image.f32[i + k], image.f32[i + 3]) : image.f32[i + k]);
                break;
        }
    }
    return PF_Pixel16{c[3], c[0], c[1], c[2]};
}

PF_Pixel world8PixelAt(const FileImage &image, std::size_t i, bool premultiplied) {
    const std::uint8_t *rgba = &image.u8[i];
    if (!premultiplied) return PF_Pixel{rgba[3], rgba[0], rgba[1], rgba[2]};
    return PF_Pixel{rgba[3], straight8(rgba[0], rgba[3]), straight8(rgba[1], rgba[3]),
                    straight8(rgba[2], rgba[3])};
}

// The common case, straight 8-bit samples into an 8-bit world: a row of
// R, G, B, A reordered to A, R, G, B, in a loop the compiler can vectorise.
void straight8Row(const std::uint8_t *rgba, PF_Pixel *out, A_long width) {
    for (A_long x = 0; x < width; ++x, rgba += 4)
        out[x] = PF_Pixel{rgba[3], rgba[0], rgba[1], rgba[2]};
}

// Straight 16-bit samples into a 16-bit world, the same way.
void straight16Row(const std::uint16_t *rgba, PF_Pixel16 *out, A_long width) {
    for (A_long x = 0; x < width; ++x, rgba += 4)
        out[x] = PF_Pixel16{world16From16BitFile(rgba[3]), world16From16BitFile(rgba[0]),
                            world16From16BitFile(rgba[1]), world16From16BitFile(rgba[2])};
}

}  // namespace

std::uint16_t world16FromFloatFile(float v) {
    // NaN fails both tests and counts as 0.
    const float clamped = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
    return static_cast<std::uint16_t>(clamped * 32768.0f + 0.5f);
}

std::uint8_t straight8(std::uint8_t colour, std::uint8_t alpha) {
    if (alpha == 0) return colour;
    return static_cast<std::uint8_t>(std::min(255u, (colour * 255u + alpha / 2u) / alpha));
}

std::uint16_t straight16(std::uint16_t colour, std::uint16_t alpha) {
    if (alpha == 0) return colour;
    return static_cast<std::uint16_t>(
        std::min<std::uint32_t>(65535u, (std::uint32_t(colour) * 65535u + alpha / 2u) / alpha));
}

float straightFloat(float colour, float alpha) { return alpha != 0.0f ? colour / alpha : colour; }

PixelDepth worldDepthFor(SampleDepth fileDepth, HostApp app) {
    if (app == HostApp::Premiere) return PixelDepth::Sixteen;
    return fileDepth == SampleDepth::Eight ? PixelDepth::Eight : PixelDepth::Sixteen;
}

OwnedWorld convert_FrameToWorld(const ImageFrame &frame, HostApp app, A_long rowPaddingBytes) {
    const PixelDepth depth = worldDepthFor(frame.pixels.depth, app);
    const PixelWindow &display = frame.display;
    const PixelWindow &canvas = frame.canvas;
    const bool premultiplied = frame.alpha == AlphaConvention::Premultiplied;
    OwnedWorld world(display.width, display.height, depth, rowPaddingBytes);
    for (A_long y = 0; y < display.height; ++y) {
        const std::size_t first = (std::size_t(y + display.y - canvas.y) * canvas.width +
                                   std::size_t(display.x - canvas.x)) *
                                  4;
        if (depth == PixelDepth::Eight && !premultiplied) {
            straight8Row(&frame.pixels.u8[first], world.pixel8(0, y), display.width);
            continue;
        }
        if (frame.pixels.depth == SampleDepth::Sixteen && !premultiplied) {
            straight16Row(&frame.pixels.u16[first], world.pixel16(0, y), display.width);
            continue;
        }
        for (A_long x = 0; x < display.width; ++x) {
            const std::size_t i = first + std::size_t(x) * 4;
            if (depth == PixelDepth::Eight) {
                *world.pixel8(x, y) = world8PixelAt(frame.pixels, i, premultiplied);
            } else {
                *world.pixel16(x, y) = world16PixelAt(frame.pixels, i, premultiplied);
            }
        }
    }
    return world;
}
