// The straightforward form of Classify: whole passes for the edge band and
// the final paint, and a pass over the region for every chaff iteration.
#include "reference/detect/classify_holes.h"

#include <algorithm>

#include "detect/red_mask.h"
#include "reference/detect/seed_stack.h"
#include "render/worlds/pixels.h"

namespace reference {
namespace {

constexpr A_long LAST_TAG = FILL_TAG_CAPACITY - 1;

// Pass one: opaque pixels with a 4-neighbour of another alpha.
void markSolidEdges(const PF_LayerDef &source, const PF_LayerDef &redMask, A_long width,
                    A_long height) {
    for (A_long y = 1; y <= height - 2; ++y) {
        for (A_long x = 1; x <= width - 2; ++x) {
            if (getPixel16Alpha(source, x, y) != FULL_SCALE) continue;
            if (getPixel16Alpha(source, x - 1, y) != FULL_SCALE ||
                getPixel16Alpha(source, x + 1, y) != FULL_SCALE ||
                getPixel16Alpha(source, x, y - 1) != FULL_SCALE ||
                getPixel16Alpha(source, x, y + 1) != FULL_SCALE)
                setPixel16Green(redMask, x, y, EDGE_GREEN);
        }
    }
}

// Pass two: each edge pixel still marked when visited spreads 32766 over the
// rest of its 3 x 3 square. The result depends on this row-major order: a
// square can overwrite an edge pixel before (or after) it spreads.
void spreadEdgeBand(const PF_LayerDef &redMask, A_long width, A_long height) {
    for (A_long y = 1; y <= height - 2; ++y) {
        for (A_long x = 1; x <= width - 2; ++x) {
            if (getPixel16Green(redMask, x, y) != EDGE_GREEN) continue;
            for (A_long yy = std::max<A_long>(0, y - 1); yy <= std::min(height - 1, y + 1); ++yy)
                for (A_long xx = std::max<A_long>(0, x - 1); xx <= std::min(width - 1, x + 1); ++xx)
                    if (xx != x || yy != y) setPixel16Green(redMask, xx, yy, EDGE_BAND_GREEN);
        }
    }
}

// Neighbours clamp at the image border to the pixel itself, which is not band.
A_long countNonBandNeighbours(const PF_LayerDef &redMask, A_long x, A_long y, A_long width,
                              A_long height) {
    const A_long nx[4] = {std::max<A_long>(0, x - 1), std::min(width - 1, x + 1), x, x};
    const A_long ny[4] = {y, y, std::max<A_long>(0, y - 1), std::min(height - 1, y + 1)};
    A_long count = 0;
    for (int i = 0; i < 4; ++i)
        if (getPixel16Red(redMask, nx[i], ny[i]) != BAND_RED) ++count;
    return count;
}

// One iteration: mark every pocket pixel with three or four band
// neighbours, then absorb the marks, so it reads only the previous state.
bool absorbChaffOnce(const PF_LayerDef &redMask, A_long width, A_long height,
                     const FillLimitsArray &limits) {
    bool changed = false;
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y)
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x)
            if (getPixel16Red(redMask, x, y) == POCKET_RED &&
                countNonBandNeighbours(redMask, x, y, width, height) < 2) {
                setPixel16Alpha(redMask, x, y, CHAFF_MARK_ALPHA);
                changed = true;
            }
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y)
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x)
            if (getPixel16Alpha(redMask, x, y) == CHAFF_MARK_ALPHA)
                setPixel16(redMask, x, y, &ABSORBED_CHAFF);
    return changed;
}

void removeChaff(const PF_LayerDef &redMask, A_long width, A_long height, A_long maxAcross,
                 const FillLimitsArray &limits) {
    bool changed = true;
    for (A_long k = 0; k < maxAcross && changed; ++k)
        changed = absorbChaffOnce(redMask, width, height, limits);
}

void judgePocket(FillTag &tag, A_long maxAcross) {
    tag.accepted = tag.maxX - tag.minX < maxAcross && tag.maxY - tag.minY < maxAcross;
    tag.redOut = tag.accepted ? BAND_RED : 0;
    tag.blueOut = tag.accepted ? ACCEPTED_BLUE : REJECTED_BLUE;
}

// Floods every pocket the row-major scan meets with a tag of its own. From
// tag 599 on, pockets share the last tag: its measurements accumulate and the
// last verdict holds for all of them.
void tagPockets(const PF_LayerDef &redMask, A_long height, FillTagList &list, A_long maxAcross,
                SeedStack &stack, const FillLimitsArray &limits) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            if (getPixel16Red(redMask, x, y) != POCKET_RED) continue;
            const A_long k = list.count;
            FillTag &tag = list.tags[k];
            tag.tagValue = static_cast<A_u_short>(k * TAG_STEP);
            addSeedToStack(stack, false, x, y, height - 1, 0, true);
            floodFillHolesInRedMaskTillSeedStackTillComplete(stack, redMask, height, POCKET_RED,
                                                             tag, tag.tagValue, limits);
            // Nothing painted: the tag number stays free for the next pocket.
            if (tag.area == 0) continue;
            judgePocket(tag, maxAcross);
            list.count = std::min(LAST_TAG, list.count + 1);
        }
    }
}

// Over the whole image: every tagged pixel takes its tag's verdict.
void paintVerdicts(const PF_LayerDef &redMask, A_long width, A_long height,
                   const FillTagList &list) {
    for (A_long y = 0; y < height; ++y) {
        for (A_long x = 0; x < width; ++x) {
            PF_Pixel16 *pixel = getPixel16(redMask, x, y);
            if (pixel->red < TAG_STEP || pixel->red > LAST_TAG_RED) continue;
            const FillTag &tag = list.tags[pixel->red / TAG_STEP];
            pixel->red = tag.redOut;
            pixel->blue = tag.blueOut;
        }
    }
}

}  // namespace

void floodFillHolesRemoveChaffLogInFillTagList(const PF_LayerDef &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits) {
    clearFillTagList(list);
    list.count = 1;
    clearSeedStack(stack);
    markSolidEdges(source, redMask, width, height);
    spreadEdgeBand(redMask, width, height);
    if (maxAcross <= 0) return;
    removeChaff(redMask, width, height, maxAcross, limits);
    tagPockets(redMask, height, list, maxAcross, stack, limits);
    paintVerdicts(redMask, width, height, list);
}

}  // namespace reference
