#include "render/worlds/world_ops.h"

#include <algorithm>

#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

struct Extent {
    A_long width;
    A_long height;
};

bool hasPixels(const PF_LayerDef &world) {
    return world.data != nullptr && world.width > 0 && world.height > 0;
}

// The part two worlds share. Under Premiere Pro one of them may be twice the
// frame's width, so neither may be walked past its own size.
Extent sharedExtent(const PF_LayerDef &a, const PF_LayerDef &b) {
    if (!hasPixels(a) || !hasPixels(b)) return Extent{0, 0};
    return Extent{std::min(a.width, b.width), std::min(a.height, b.height)};
}

Extent clippedExtent(const PF_LayerDef &world, A_long width, A_long height) {
    if (!hasPixels(world) || width <= 0 || height <= 0) return Extent{0, 0};
    return Extent{std::min(width, world.width), std::min(height, world.height)};
}

// Each pass writes every row from the same row alone, so bands of rows are
// worked on at once.
template <typename RowPass>
void forEachRow(RowThreads threads, A_long height, const RowPass &pass) {
    forEachRowBand(threads, height, [&](A_long firstRow, A_long endRow) {
        for (A_long y = firstRow; y < endRow; ++y) pass(y);
    });
}

}  // namespace

void copyWorldToWorld(const PF_LayerDef &source, const PF_LayerDef &destination,
                      RowThreads threads) {
    const Extent e = sharedExtent(source, destination);
    forEachRow(threads, e.height, [&](A_long y) {
        const PF_Pixel16 *from = getPixel16(source, 0, y);
        PF_Pixel16 *to = getPixel16(destination, 0, y);
        for (A_long x = 0; x < e.width; ++x) to[x] = from[x];
    });
}

void copy8To16BitWorld(const PF_LayerDef &source8, const PF_LayerDef &destination16,
                       RowThreads threads) {
    const Extent e = sharedExtent(source8, destination16);
    forEachRow(threads, e.height, [&](A_long y) {
        const PF_Pixel *from = getPixel8(source8, 0, y);
        PF_Pixel16 *to = getPixel16(destination16, 0, y);
        for (A_long x = 0; x < e.width; ++x) to[x] = convertPix8To16(from[x]);
    });
}

void clearWorldToTransparentBlack(const PF_LayerDef &world, A_long width, A_long height,
                                  RowThreads threads) {
    const Extent e = clippedExtent(world, width, height);
    const PF_Pixel16 transparentBlack{0, 0, 0, 0};
    forEachRow(threads, e.height, [&](A_long y) {
        PF_Pixel16 *row = getPixel16(world, 0, y);
        for (A_long x = 0; x < e.width; ++x) row[x] = transparentBlack;
    });
}

void setWorldToAlpha32760(const PF_LayerDef &world, A_long width, A_long height,
                          RowThreads threads) {
    const Extent e = clippedExtent(world, width, height);
    forEachRow(threads, e.height, [&](A_long y) {
        PF_Pixel16 *row = getPixel16(world, 0, y);
        for (A_long x = 0; x < e.width; ++x) row[x].alpha = 32760;
    });
}
