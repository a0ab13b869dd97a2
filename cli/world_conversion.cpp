#include "cli/world_conversion.h"

#include <stdexcept>

namespace {

const PF_Pixel *pixel8At(const PF_LayerDef &world, A_long x, A_long y) {
    return reinterpret_cast<const PF_Pixel *>(reinterpret_cast<const char *>(world.data) +
                                              std::ptrdiff_t(y) * world.rowbytes) +
           x;
}

const PF_Pixel16 *pixel16At(const PF_LayerDef &world, A_long x, A_long y) {
    return reinterpret_cast<const PF_Pixel16 *>(reinterpret_cast<const char *>(world.data) +
                                                std::ptrdiff_t(y) * world.rowbytes) +
           x;
}

// One file pixel (R, G, B, A at index i) as a 16-bit world pixel (A, R, G, B).
PF_Pixel16 world16PixelAt(const FileImage &image, std::size_t i) {
    std::uint16_t c[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        switch (image.depth) {
            // Only Premiere Pro puts an 8-bit file into a 16-bit world.
            case SampleDepth::Eight:
                c[k] = world16From8BitFile(image.u8[i + k]);
                break;
            case SampleDepth::Sixteen:
                c[k] = world16From16BitFile(image.u16[i + k]);
                break;
            case SampleDepth::Float:
                c[k] = world16FromFloatFile(image.f32[i + k]);
                break;
        }
    }
    return PF_Pixel16{c[3], c[0], c[1], c[2]};
}

}  // namespace

std::uint16_t world16FromFloatFile(float v) {
    // NaN fails both tests and counts as 0.
    const float clamped = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
    return static_cast<std::uint16_t>(clamped * 32768.0f + 0.5f);
}

PixelDepth worldDepthFor(SampleDepth fileDepth, HostApp app) {
    if (app == HostApp::Premiere) return PixelDepth::Sixteen;
    return fileDepth == SampleDepth::Eight ? PixelDepth::Eight : PixelDepth::Sixteen;
}

OwnedWorld convert_FileToWorld(const FileImage &image, HostApp app, A_long rowPaddingBytes) {
    const PixelDepth depth = worldDepthFor(image.depth, app);
    OwnedWorld world(image.width, image.height, depth, rowPaddingBytes);
    for (A_long y = 0; y < image.height; ++y) {
        for (A_long x = 0; x < image.width; ++x) {
            const std::size_t i = (std::size_t(y) * std::size_t(image.width) + std::size_t(x)) * 4;
            if (depth == PixelDepth::Eight) {
                // The file's bytes exactly.
                *world.pixel8(x, y) =
                    PF_Pixel{image.u8[i + 3], image.u8[i], image.u8[i + 1], image.u8[i + 2]};
            } else {
                *world.pixel16(x, y) = world16PixelAt(image, i);
            }
        }
    }
    return world;
}

FileImage convert_WorldToFile(const PF_LayerDef &world, SampleDepth fileDepth) {
    const bool deep = (world.world_flags & PF_WorldFlag_DEEP) != 0;
    if (!deep && fileDepth != SampleDepth::Eight) {
        throw std::logic_error("an 8-bit world only becomes an 8-bit file");
    }
    FileImage image = make_FileImage(world.width, world.height, fileDepth);
    for (A_long y = 0; y < world.height; ++y) {
        for (A_long x = 0; x < world.width; ++x) {
            const std::size_t i = (std::size_t(y) * std::size_t(world.width) + std::size_t(x)) * 4;
            if (!deep) {
                const PF_Pixel p = *pixel8At(world, x, y);
                const std::uint8_t rgba[4] = {p.red, p.green, p.blue, p.alpha};
                std::copy(rgba, rgba + 4, image.u8.begin() + i);
                continue;
            }
            const PF_Pixel16 p = *pixel16At(world, x, y);
            const std::uint16_t rgba[4] = {p.red, p.green, p.blue, p.alpha};
            for (int k = 0; k < 4; ++k) {
                switch (fileDepth) {
                    case SampleDepth::Eight:
                        image.u8[i + k] = file8FromWorld16(rgba[k]);
                        break;
                    case SampleDepth::Sixteen:
                        image.u16[i + k] = file16FromWorld16(rgba[k]);
                        break;
                    case SampleDepth::Float:
                        image.f32[i + k] = fileFloatFromWorld16(rgba[k]);
                        break;
                }
            }
        }
    }
    return image;
}
