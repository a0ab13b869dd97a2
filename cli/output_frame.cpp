#include "cli/output_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "cli/world_conversion.h"

namespace {

const char *worldPixelAt(const PF_LayerDef &world, A_long x, A_long y) {
    const std::size_t size =
        (world.world_flags & PF_WorldFlag_DEEP) != 0 ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
    return reinterpret_cast<const char *>(world.data) + std::ptrdiff_t(y) * world.rowbytes +
           std::size_t(x) * size;
}

bool samePixel(const PF_LayerDef &a, const PF_LayerDef &b, A_long x, A_long y) {
    const std::size_t size =
        (a.world_flags & PF_WorldFlag_DEEP) != 0 ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
    return std::memcmp(worldPixelAt(a, x, y), worldPixelAt(b, x, y), size) == 0;
}

float unitSample(const FileImage &image, std::size_t i) {
    switch (image.depth) {
        case SampleDepth::Eight:
            return image.u8[i] / 255.0f;
        case SampleDepth::Sixteen:
            return image.u16[i] / 65535.0f;
        default:
            return image.f32[i];
    }
}

// Integers are rounded from the nearest fraction of full scale; NaN is 0.
void storeUnitSample(FileImage &image, std::size_t i, float v) {
    const float clamped = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
    switch (image.depth) {
        case SampleDepth::Eight:
            image.u8[i] = static_cast<std::uint8_t>(clamped * 255.0f + 0.5f);
            break;
        case SampleDepth::Sixteen:
            image.u16[i] = static_cast<std::uint16_t>(clamped * 65535.0f + 0.5f);
            break;
        default:
            image.f32[i] = v;
    }
}

// An input pixel as the output holds it: the very samples when depth and
// convention agree, otherwise converted through fractions of full scale.
void copyOriginal(const ImageFrame &input, std::size_t from, ImageFrame &output, std::size_t to) {
    const FileImage &source = input.pixels;
    FileImage &target = output.pixels;
    if (source.depth == target.depth && input.alpha == output.alpha) {
        for (int k = 0; k < 4; ++k) {
            if (source.depth == SampleDepth::Eight) target.u8[to + k] = source.u8[from + k];
            if (source.depth == SampleDepth::Sixteen) target.u16[to + k] = source.u16[from + k];
            if (isFloatDepth(source.depth)) target.f32[to + k] = source.f32[from + k];
        }
        return;
    }
    float rgba[4];
    for (int k = 0; k < 4; ++k) rgba[k] = unitSample(source, from + k);
    for (int k = 0; k < 3 && input.alpha != output.alpha; ++k) {
        rgba[k] = output.alpha == AlphaConvention::Straight ? straightFloat(rgba[k], rgba[3])
                                                            : rgba[k] * rgba[3];
    }
    for (int k = 0; k < 4; ++k) storeUnitSample(target, to + k, rgba[k]);
}

void premultiplyAt(FileImage &image, std::size_t i) {
    for (int k = 0; k < 3; ++k) {
        if (image.depth == SampleDepth::Eight)
            image.u8[i + k] = premultiplied8(image.u8[i + k], image.u8[i + 3]);
        if (image.depth == SampleDepth::Sixteen)
            image.u16[i + k] = premultiplied16(image.u16[i + k], image.u16[i + 3]);
        if (isFloatDepth(image.depth)) image.f32[i + k] *= image.f32[i + 3];
    }
}

// A rendered world pixel (straight, 8 or 16-bit) in the output's depth and
// convention.
void storeRendered(const PF_LayerDef &world, A_long x, A_long y, ImageFrame &output,
                   std::size_t to) {
    FileImage &image = output.pixels;
    if ((world.world_flags & PF_WorldFlag_DEEP) == 0) {
        const PF_Pixel p = *reinterpret_cast<const PF_Pixel *>(worldPixelAt(world, x, y));
        const std::uint8_t rgba[4] = {p.red, p.green, p.blue, p.alpha};
        for (int k = 0; k < 4; ++k) {
            if (image.depth == SampleDepth::Eight) image.u8[to + k] = rgba[k];
            if (image.depth == SampleDepth::Sixteen) image.u16[to + k] = rgba[k] * 257u;
            if (isFloatDepth(image.depth)) image.f32[to + k] = rgba[k] / 255.0f;
        }
    } else {
        const PF_Pixel16 p = *reinterpret_cast<const PF_Pixel16 *>(worldPixelAt(world, x, y));
        const std::uint16_t rgba[4] = {p.red, p.green, p.blue, p.alpha};
        for (int k = 0; k < 4; ++k) {
            if (image.depth == SampleDepth::Eight) image.u8[to + k] = file8FromWorld16(rgba[k]);
            if (image.depth == SampleDepth::Sixteen) image.u16[to + k] = file16FromWorld16(rgba[k]);
            if (isFloatDepth(image.depth)) image.f32[to + k] = fileFloatFromWorld16(rgba[k]);
        }
    }
    if (output.alpha == AlphaConvention::Premultiplied) premultiplyAt(image, to);
}

bool isVisible(const FileImage &image, std::size_t i) {
    for (int k = 0; k < 4; ++k) {
        const bool zero = image.depth == SampleDepth::Eight     ? image.u8[i + k] == 0
                          : image.depth == SampleDepth::Sixteen ? image.u16[i + k] == 0
                                                                : image.f32[i + k] == 0.0f;
        if (!zero) return true;
    }
    return false;
}

// The data window: the input's own, widened to every pixel of the display
// window that is not transparent.
PixelWindow dataWindowOf(const ImageFrame &output, const PixelWindow &inputData) {
    const PixelWindow &display = output.display;
    const PixelWindow &canvas = output.canvas;
    int left = display.x + display.width, top = display.y + display.height, right = -1, bottom = -1;
    for (int y = display.y; y < display.y + display.height; ++y) {
        for (int x = display.x; x < display.x + display.width; ++x) {
            const std::size_t at =
                (std::size_t(y - canvas.y) * canvas.width + std::size_t(x - canvas.x)) * 4;
            if (!isVisible(output.pixels, at)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return inputData;
    return unionOf(inputData, PixelWindow{left, top, right - left + 1, bottom - top + 1});
}

std::size_t sampleIndex(const PixelWindow &canvas, int x, int y) {
    return (std::size_t(y - canvas.y) * canvas.width + std::size_t(x - canvas.x)) * 4;
}

bool inside(const PixelWindow &window, int x, int y) {
    return x >= window.x && x < window.x + window.width && y >= window.y &&
           y < window.y + window.height;
}

// The common case, rendered straight pixels written at the world's own
// depth, one row at a time: the same samples as storeRendered gives, without
// deciding the depths again for every sample. False when it does not apply.
bool storeRenderedRows(const PF_LayerDef &rendered, ImageFrame &output) {
    const bool deep = (rendered.world_flags & PF_WorldFlag_DEEP) != 0;
    const SampleDepth depth = output.pixels.depth;
    if (output.alpha != AlphaConvention::Straight || output.canvas != output.display ||
        depth != (deep ? SampleDepth::Sixteen : SampleDepth::Eight)) {
        return false;
    }
    const std::size_t width = std::size_t(output.canvas.width);
    for (A_long y = 0; y < output.canvas.height; ++y) {
        const std::size_t row = std::size_t(y) * width * 4;
        if (deep) {
            const auto *from =
                reinterpret_cast<const std::uint16_t *>(worldPixelAt(rendered, 0, y));
            std::uint16_t *to = &output.pixels.u16[row];
            for (std::size_t x = 0; x < width; ++x) {
                // alpha, red, green, blue in the world; red, green, blue, alpha in the file
                to[4 * x + 0] = file16FromWorld16(from[4 * x + 1]);
                to[4 * x + 1] = file16FromWorld16(from[4 * x + 2]);
                to[4 * x + 2] = file16FromWorld16(from[4 * x + 3]);
                to[4 * x + 3] = file16FromWorld16(from[4 * x + 0]);
            }
        } else {
            const char *from = worldPixelAt(rendered, 0, y);
            std::uint8_t *to = &output.pixels.u8[row];
            // The bytes alpha, red, green, blue rotated to red, green, blue,
            // alpha in a little-endian word: shifts, which compilers vectorise.
            for (std::size_t x = 0; x < width; ++x) {
                std::uint32_t pixel;
                std::memcpy(&pixel, from + 4 * x, sizeof pixel);
                pixel = (pixel >> 8) | (pixel << 24);
                std::memcpy(to + 4 * x, &pixel, sizeof pixel);
            }
        }
    }
    return true;
}

void composeEachPixel(const ImageFrame &input, const PF_LayerDef &inputWorld,
                      const PF_LayerDef &rendered, bool keepsOriginals, ImageFrame &output) {
    const PixelWindow &display = input.display;
    for (int y = output.canvas.y; y < output.canvas.y + output.canvas.height; ++y) {
        for (int x = output.canvas.x; x < output.canvas.x + output.canvas.width; ++x) {
            const std::size_t from = sampleIndex(input.canvas, x, y);
            const std::size_t to = sampleIndex(output.canvas, x, y);
            // Outside the display window the effect saw nothing.
            if (!inside(display, x, y)) {
                copyOriginal(input, from, output, to);
                continue;
            }
            const A_long wx = x - display.x, wy = y - display.y;
            if (keepsOriginals && samePixel(inputWorld, rendered, wx, wy)) {
                copyOriginal(input, from, output, to);
            } else {
                storeRendered(rendered, wx, wy, output, to);
            }
        }
    }
}

}  // namespace

ImageFrame compose_OutputFrame(const ImageFrame &input, const PF_LayerDef &inputWorld,
                               const PF_LayerDef &rendered, const OutputFormat &format,
                               SampleDepth depth) {
    ImageFrame output;
    output.alpha = outputAlphaOf(format, input.alpha);
    output.display = input.display;
    output.canvas = format.keepsWindows ? input.canvas : input.display;
    output.pixels = make_FileImage(output.canvas.width, output.canvas.height, depth);
    output.metadata = input.metadata;
    if (format.keepsWindows && format.keepsExtraChannels) output.extras = input.extras;
    const bool keepsOriginals =
        isFloatDepth(input.pixels.depth) || input.alpha == AlphaConvention::Premultiplied;
    if (keepsOriginals || !storeRenderedRows(rendered, output)) {
        composeEachPixel(input, inputWorld, rendered, keepsOriginals, output);
    }
    output.data = format.keepsWindows ? dataWindowOf(output, input.data) : input.display;
    return output;
}

void write_ImageFileAtomically(const std::string &path, const FileImage &image) {
    const OutputFormat format = choose_OutputFormat(path, image.depth);
    ImageFrame frame = make_ImageFrame(image);
    if (outputAlphaOf(format, frame.alpha) == AlphaConvention::Premultiplied) {
        for (std::size_t i = 0; i < frame.pixels.sampleCount(); i += 4)
            premultiplyAt(frame.pixels, i);
        frame.alpha = AlphaConvention::Premultiplied;
    }
    write_FrameAtomically(path, frame, format);
}
