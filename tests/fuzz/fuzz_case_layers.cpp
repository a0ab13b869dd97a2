// Paints the layers of a fuzz case: a synthetic matte with a subject, a band
// and holes (so the render has real work), then the fuzzer's raw bytes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "render_fuzz_case.h"

namespace {

// xorshift32: the same recipe always paints the same layer.
struct PixelNoise {
    std::uint32_t state;
    explicit PixelNoise(std::uint32_t seed) : state(seed | 1u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    A_u_short channel(bool wild) { return A_u_short(wild ? next() & 0xFFFF : next() % 32769); }
};

bool inBand(A_long x, A_long y, const PictureRecipe &p) {
    return x < p.subjectLeft + p.bandWidth || x >= p.subjectRight - p.bandWidth ||
           y < p.subjectTop + p.bandWidth || y >= p.subjectBottom - p.bandWidth;
}

std::vector<A_u_short> paintAlpha(A_long width, A_long height, const PictureRecipe &p,
                                  PixelNoise &noise) {
    std::vector<A_u_short> alpha(std::size_t(width) * height, p.backgroundAlpha);
    for (A_long y = p.subjectTop; y < std::min(p.subjectBottom, height); ++y)
        for (A_long x = p.subjectLeft; x < std::min(p.subjectRight, width); ++x)
            alpha[std::size_t(y) * width + x] = inBand(x, y, p) ? p.bandAlpha : p.subjectAlpha;
    for (int hole = 0; hole < p.holeCount; ++hole) {
        const A_long left = A_long(noise.next() % std::uint32_t(width));
        const A_long top = A_long(noise.next() % std::uint32_t(height));
        const A_long right = std::min<A_long>(width, left + 1 + noise.next() % p.holeSize);
        const A_long bottom = std::min<A_long>(height, top + 1 + noise.next() % p.holeSize);
        for (A_long y = top; y < bottom; ++y)
            for (A_long x = left; x < right; ++x) alpha[std::size_t(y) * width + x] = p.holeAlpha;
    }
    if (p.noisePerMille > 0) {
        for (A_u_short &a : alpha)
            if (int(noise.next() % 1000) < p.noisePerMille) a = noise.channel(p.wildChannels);
    }
    return alpha;
}

A_u_char to8Bit(A_u_short v) { return A_u_char(std::min<unsigned>(255, v >> 7)); }

void paintPixels(OwnedWorld &world, const std::vector<A_u_short> &alpha, const PictureRecipe &p,
                 PixelNoise &noise) {
    for (A_long y = 0; y < world.height(); ++y) {
        for (A_long x = 0; x < world.width(); ++x) {
            const PF_Pixel16 v{alpha[std::size_t(y) * world.width() + x],
                               noise.channel(p.wildChannels), noise.channel(p.wildChannels),
                               noise.channel(p.wildChannels)};
            if (world.deep())
                *world.pixel16(x, y) = v;
            else
                *world.pixel8(x, y) =
                    PF_Pixel{to8Bit(v.alpha), to8Bit(v.red), to8Bit(v.green), to8Bit(v.blue)};
        }
    }
}

// The raw bytes go over the pixels row after row, never into the padding.
void paintRawBytes(OwnedWorld &world, const std::uint8_t *raw, std::size_t count) {
    const std::size_t rowBytes =
        std::size_t(world.width()) *
        bytesPerPixel(world.deep() ? PixelDepth::Sixteen : PixelDepth::Eight);
    for (A_long y = 0; y < world.height() && count > 0; ++y) {
        const std::size_t n = std::min(rowBytes, count);
        std::memcpy(world.row(y), raw, n);
        raw += n;
        count -= n;
    }
}

}  // namespace

OwnedWorld layerWithoutPixels(const LayerShape &shape) {
    OwnedWorld empty;
    empty.layer().width = shape.width;
    empty.layer().height = shape.height;
    if (shape.depth == PixelDepth::Sixteen) empty.layer().world_flags |= PF_WorldFlag_DEEP;
    return empty;
}

OwnedWorld paintLayer(const LayerShape &shape, const PictureRecipe &recipe, const std::uint8_t *raw,
                      std::size_t rawCount) {
    if (shape.withoutPixels) return layerWithoutPixels(shape);
    OwnedWorld world(shape.width, shape.height, shape.depth,
                     shape.paddingPixels * bytesPerPixel(shape.depth));
    PixelNoise noise(recipe.seed);
    const std::vector<A_u_short> alpha = paintAlpha(shape.width, shape.height, recipe, noise);
    paintPixels(world, alpha, recipe, noise);
    paintRawBytes(world, raw, rawCount);
    return world;
}
