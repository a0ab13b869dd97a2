#include "reference/render/recode_fill_area.h"

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

namespace reference {

void clear_RejectedRegionsInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            PF_Pixel16 &p = *getPixel16(redMask, x, y);
            if (p.red == POCKET_RED && p.green == 0 && p.blue == REJECTED_BLUE)
                p = PF_Pixel16{0, 0, 0, 0};
        }
    }
}

void normalise_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            PF_Pixel16 &p = *getPixel16(redMask, x, y);
            if (p.red == POCKET_RED && p.green == GAP_MARK_GREEN && p.blue == REJECTED_BLUE)
                p = GREEN_FILL_PIXEL;
            else if (p.red > 0 || p.green > 0 || p.blue > 0)
                p = FILL_PIXEL;
            else
                p = PF_Pixel16{0, 0, 0, 0};
        }
    }
}

}  // namespace reference
