#include "reference/render/recode_fill_area.h"

#include "render/worlds/pixels.h"

namespace reference {

void normalise_FillAreaInRedMask(const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    const PF_Pixel16 transparentBlack{0, 0, 0, 0};
    const PF_Pixel16 opaqueBlue{32768, 0, 0, 32768};
    const PF_Pixel16 greenFillTag{32768, 0, 20000, 32768};
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        for (A_long x = limits.left[y]; x <= limits.right[y]; ++x) {
            PF_Pixel16 &p = *getPixel16(redMask, x, y);
            if (p.red == 0 && p.green == 20000 && p.blue == 32768)
                p = greenFillTag;
            else if (p.red > 0 || p.green > 0 || p.blue > 0)
                p = opaqueBlue;
            else
                p = transparentBlack;
        }
    }
}

}  // namespace reference
