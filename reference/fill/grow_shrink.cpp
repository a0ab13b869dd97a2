// The straightforward form of GrowShrink: grows or shrinks the fill area (blue)
// of the red mask by whole pixels. The red mask's alpha is the mark plane:
// each pass marks every region pixel from the state the previous pass left,
// then applies the marks.
#include "reference/fill/grow_shrink.h"

#include <algorithm>

#include "detect/red_mask.h"
#include "fill/fill_region.h"
#include "render/worlds/pixels.h"

namespace reference {
namespace {

// Neighbour reads clamp to the world, so beyond a border the border pixel
// stands in for its missing neighbour.
struct ClampedMask {
    const PF_LayerDef &world;
    A_long width;
    A_long lastRow;

    bool counts(A_long x, A_long y) const {
        const PF_Pixel16 *p = getPixel16(world, std::clamp(x, A_long{0}, width - 1),
                                         std::clamp(y, A_long{0}, lastRow));
        return p->blue != 0 && p->red == 0;
    }

    int countFourNeighbours(A_long x, A_long y) const {
        return counts(x, y - 1) + counts(x - 1, y) + counts(x + 1, y) + counts(x, y + 1);
    }

    int countEightNeighbours(A_long x, A_long y) const {
        return countFourNeighbours(x, y) + counts(x - 1, y - 1) + counts(x + 1, y - 1) +
               counts(x - 1, y + 1) + counts(x + 1, y + 1);
    }
};

void resetMarks(const PF_LayerDef &redMask, A_long width, A_long lastRow) {
    for (A_long y = 0; y <= lastRow; ++y)
        for (A_long x = 0; x < width; ++x) setPixel16Alpha(redMask, x, y, MARK_CLEAR);
}

// Even passes add every pixel touching the fill along an edge; odd passes
// only those with two such neighbours, filling corners and steps.
void growPass(const ClampedMask &mask, const FillBounds &bounds, const FillLimitsArray &limits,
              A_long pass) {
    const int threshold = pass % 2 == 0 ? 1 : 2;
    forEachRegionPixel(limits, bounds, [&](A_long x, A_long y) {
        const bool selected = mask.countFourNeighbours(x, y) >= threshold;
        setPixel16Alpha(mask.world, x, y, selected ? MARK_SET : MARK_CLEAR);
    });
    forEachRegionPixel(limits, bounds, [&](A_long x, A_long y) {
        PF_Pixel16 *p = getPixel16(mask.world, x, y);
        if (p->alpha != MARK_SET) return;
        p->blue = FILL_BLUE;
        p->red = 0;
    });
}

// A pixel survives when all its neighbours of the pass's kind count (eight on
// even passes, four on odd ones); its own state is not consulted.
void shrinkPass(const ClampedMask &mask, const FillBounds &bounds, const FillLimitsArray &limits,
                A_long pass) {
    const bool eightNeighbours = pass % 2 == 0;
    forEachRegionPixel(limits, bounds, [&](A_long x, A_long y) {
        const bool survives = eightNeighbours ? mask.countEightNeighbours(x, y) >= 8
                                              : mask.countFourNeighbours(x, y) >= 4;
        setPixel16Alpha(mask.world, x, y, survives ? MARK_SET : MARK_CLEAR);
    });
    forEachRegionPixel(limits, bounds, [&](A_long x, A_long y) {
        PF_Pixel16 *p = getPixel16(mask.world, x, y);
        if (p->alpha == MARK_CLEAR) p->blue = 0;
    });
}

}  // namespace

// width is the frame's width, which may be less than the world's recorded
// width: nothing at or beyond it is read or written.
void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long /*height*/,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits) {
    if (growAmount == 0 || width <= 0 || lastRow < 0) return;
    resetMarks(redMask, width, lastRow);
    const ClampedMask mask{redMask, width, lastRow};
    const FillBounds bounds{0, width - 1, 0, lastRow};
    if (growAmount > 0) {
        for (A_long pass = 0; pass < growAmount; ++pass) growPass(mask, bounds, limits, pass);
    } else {
        for (A_long pass = 0; pass < -growAmount; ++pass) shrinkPass(mask, bounds, limits, pass);
    }
}

}  // namespace reference
