// The straightforward form of EdgeGaps: every offset tried at every pixel.
// The render uses the bitwise form in detect/edge_gaps.cpp; the tests and
// the benchmarks compare the two.
#include "reference/detect/edge_gaps.h"

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace reference {
namespace {

bool isRedZero(const PF_LayerDef &redMask, A_long x, A_long y) {
    return getPixel16Red(redMask, x, y) == POCKET_RED;
}

// A side is open when the pixel at the full offset and those at the half and
// third offsets (divisions truncating toward zero) are all outside the band.
bool sideIsOpen(const PF_LayerDef &redMask, A_long x, A_long y, A_long dx, A_long dy) {
    return isRedZero(redMask, x + dx, y + dy) && isRedZero(redMask, x + dx / 2, y + dy / 2) &&
           isRedZero(redMask, x + dx / 3, y + dy / 3);
}

// True when some offset within the gap distance finds hole band on both
// sides of the pixel.
bool liesInGap(const PF_LayerDef &redMask, A_long x, A_long y, A_long width, A_long height,
               A_long gap) {
    for (A_long dy = 0; dy <= gap; ++dy) {
        if (y + dy > height - 1 || y - dy < 0) continue;
        for (A_long dx = -gap; dx <= gap; ++dx) {
            if (x + dx < 0 || x + dx > width - 1 || x - dx < 0 || x - dx > width - 1) continue;
            if (!sideIsOpen(redMask, x, y, dx, dy) && !sideIsOpen(redMask, x, y, -dx, -dy))
                return true;
        }
    }
    return false;
}

void markGapPixels(const PF_LayerDef &redMask, A_long width, A_long height, A_long gap,
                   const FillLimitsArray &limits) {
    // Only red is read and only green written, so the visiting order does
    // not matter here.
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            if (isRedZero(redMask, x, y) && liesInGap(redMask, x, y, width, height, gap))
                setPixel16Green(redMask, x, y, GAP_MARK_GREEN);
        }
    }
}

// Over the whole image, not only the region: every pixel at least BRIDGE_BORDER
// from each edge gets alpha 19000, and its gap marks become hole band.
void convertGapMarksToBand(const PF_LayerDef &redMask, A_long width, A_long height) {
    for (A_long y = BRIDGE_BORDER; y < height - BRIDGE_BORDER; ++y) {
        for (A_long x = BRIDGE_BORDER; x < width - BRIDGE_BORDER; ++x) {
            PF_Pixel16 *pixel = getPixel16(redMask, x, y);
            pixel->alpha = INNER_AREA_ALPHA;
            if (pixel->red == 0 && pixel->green == GAP_MARK_GREEN) *pixel = BRIDGED;
        }
    }
}

}  // namespace

void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits) {
    if (gapDistance < 1) return;  // the stage does not run at 0
    markGapPixels(redMask, width, height, gapDistance, limits);
    convertGapMarksToBand(redMask, width, height);
}

}  // namespace reference
