#include "render/recode_fill_area.h"

#include "detect/classify_holes.h"
#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace {

constexpr PF_Pixel16 TRANSPARENT_BLACK{0, 0, 0, 0};

// A region Classify rejected that carries no green mark.
inline bool isRejectedUnmarked(const PF_Pixel16 &p) {
    return p.red == POCKET_RED && p.green == 0 && p.blue == REJECTED_BLUE;
}

// A rejected region with the gap mark: it keeps the mark as the green fill tag.
inline bool isRejectedGapMarked(const PF_Pixel16 &p) {
    return p.red == POCKET_RED && p.green == GAP_MARK_GREEN && p.blue == REJECTED_BLUE;
}

template <typename Visit>
void forEachPixelWithinLimits(const PF_LayerDef &redMask, const FillLimitsArray &limits,
                              Visit visit) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x)
            visit(*getPixel16(redMask, x, y));
    }
}

}  // namespace

void clear_RejectedRegionsInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    forEachPixelWithinLimits(redMask, limits, [](PF_Pixel16 &p) {
        if (isRejectedUnmarked(p)) p = TRANSPARENT_BLACK;
    });
}

void recode_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits,
                              const FillTagList *verdicts) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            PF_Pixel16 &p = row[x];
            if (verdicts != nullptr) paintVerdictOf(p, *verdicts);
            if (isRejectedGapMarked(p))
                p = GREEN_FILL_PIXEL;
            else if (isRejectedUnmarked(p))  // ClearRejected's
                p = TRANSPARENT_BLACK;
            else
                p = (p.red | p.green | p.blue) != 0 ? FILL_PIXEL : TRANSPARENT_BLACK;
        }
    }
}
