#include "render/recode_fill_area.h"

#include "detect/classify_holes.h"
#include "render/worlds/pixels.h"

namespace {

constexpr PF_Pixel16 TRANSPARENT_BLACK{0, 0, 0, 0};
constexpr PF_Pixel16 OPAQUE_BLUE{32768, 0, 0, 32768};
constexpr PF_Pixel16 GREEN_FILL_TAG{32768, 0, 20000, 32768};

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
        if (p.red == 0 && p.green == 0 && p.blue == 32768) p = TRANSPARENT_BLACK;
    });
}

void recode_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits,
                              const FillTagList *verdicts) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            PF_Pixel16 &p = row[x];
            if (verdicts != nullptr) paintVerdictOf(p, *verdicts);
            if (p.red == 0 && p.green == 20000 && p.blue == 32768)
                p = GREEN_FILL_TAG;
            else if (p.red == 0 && p.green == 0 && p.blue == 32768)  // stage 4's rejected region
                p = TRANSPARENT_BLACK;
            else
                p = (p.red | p.green | p.blue) != 0 ? OPAQUE_BLUE : TRANSPARENT_BLACK;
        }
    }
}
