#include "detect/fill_limits.h"

#include <algorithm>
#include <iterator>

#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// A row counts in the widening passes once its right limit is past column 0.
bool rowCounts(const FillLimitsArray &limits, A_long y) { return limits.right[y] > 0; }

// Joins row y with the counting rows from y towards y + direction * margin.
void unionWithNearbyRows(FillLimitsArray &limits, A_long y, A_long margin, A_long direction,
                         A_long height) {
    A_long left = limits.left[y];
    A_long right = limits.right[y];
    const A_long end =
        direction > 0 ? std::min(height - 1, y + margin) : std::max<A_long>(0, y - margin);
    for (A_long yy = y;; yy += direction) {
        if (rowCounts(limits, yy)) {
            left = std::min(left, limits.left[yy]);
            right = std::max(right, limits.right[yy]);
        }
        if (yy == end) break;
    }
    limits.left[y] = left;
    limits.right[y] = right;
}

// Whether any of the eight pixels from p has an alpha that reaches the level.
template <typename Pixel>
bool anyOfEightQualifies(const Pixel *p, A_u_short level) {
    return laneMaskBits(eightAlphas(p) >= level) != 0;
}

// The first and the last column of a row whose alpha reaches the level, or
// -1: each is found scanning from its own end, so a row costs its clear
// margins, not its width; eight pixels are passed at once.
template <typename Pixel>
void qualifyingEnds(const Pixel *row, A_long width, A_u_short level, int shift, A_long &first,
                    A_long &last) {
    auto qualifies = [&](A_long x) {
        return static_cast<A_u_short>(row[x].alpha << shift) >= level;
    };
    first = last = -1;
    for (A_long x = 0; x < width && first < 0; x += PIXEL_LANES) {
        if (x + PIXEL_LANES <= width && !anyOfEightQualifies(row + x, level)) continue;
        for (A_long i = x; i < std::min(width, x + PIXEL_LANES); ++i)
            if (qualifies(i)) {
                first = i;
                break;
            }
    }
    if (first < 0) return;
    for (A_long x = width - 1; x >= first && last < 0; x -= PIXEL_LANES) {
        if (x - PIXEL_LANES + 1 > first && !anyOfEightQualifies(row + x - PIXEL_LANES + 1, level))
            continue;
        for (A_long i = x; i >= std::max(first, x - PIXEL_LANES + 1); --i)
            if (qualifies(i)) {
                last = i;
                break;
            }
    }
}

}  // namespace

void populateAndInitialise_FillLimitsFromIncomingAlpha(const InputLayer16 &source,
                                                       FillLimitsArray &limits,
                                                       A_u_short alphaLevel, RowThreads threads) {
    const PF_LayerDef &world = *source.layer;
    const A_long width = world.width;
    const A_long height = world.height;
    if (height > FILL_LIMITS_MAX_ROWS) return;  // the driver copies such layers through
    std::fill(std::begin(limits.left), std::end(limits.left), 0);
    std::fill(std::begin(limits.right), std::end(limits.right), 0);
    limits.firstRow = 0;
    limits.lastRow = height - 1;
    if (world.data == nullptr) return;

    const A_u_short level = std::min<A_u_short>(10, alphaLevel);
    forEachRowBand(threads, height, [&](A_long firstRow, A_long endRow) {
        for (A_long y = firstRow; y < endRow; ++y) {
            A_long first, last;
            if (source.eightBit)
                qualifyingEnds(getPixel8(world, 0, y), width, level, 7, first, last);
            else
                qualifyingEnds(getPixel16(world, 0, y), width, level, 0, first, last);
            limits.left[y] = std::max<A_long>(0, first);
            // A row whose only visible pixel is column 0 counts as empty.
            if (last > 0) limits.right[y] = last;
        }
    });
    A_long firstCounting = 0;
    while (firstCounting < height && limits.right[firstCounting] == 0) ++firstCounting;
    if (firstCounting == height) return;
    A_long lastCounting = height - 1;
    while (limits.right[lastCounting] == 0) --lastCounting;
    limits.firstRow = firstCounting;
    limits.lastRow = lastCounting;
}

void growShrink_FillLimitsArrayIfRequiredByGrowShrink(A_long width, A_long height, A_long margin,
                                                      FillLimitsArray &limits) {
    if (margin <= 0 || height > FILL_LIMITS_MAX_ROWS) return;
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        limits.left[y] = std::max<A_long>(0, limits.left[y] - margin);
        limits.right[y] = std::min(width - 1, limits.right[y] + margin);
    }
    limits.firstRow = std::max<A_long>(0, limits.firstRow - margin);
    limits.lastRow = std::min(height - 1, limits.lastRow + margin);

    // Downward then upward, each in place: the downward pass reads the rows
    // below as widened above, the upward pass reads the downward results.
    // Rows added above the band start at column 0 and carry that 0 into the
    // band's first rows; it only enlarges the region.
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y)
        unionWithNearbyRows(limits, y, margin, +1, height);
    for (A_long y = limits.lastRow; y >= limits.firstRow; --y)
        unionWithNearbyRows(limits, y, margin, -1, height);
}
