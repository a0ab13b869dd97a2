#include "render/pass_through.h"

#include <algorithm>

void copy_InputThroughToOutput(const InputLayer16 &input, const PF_LayerDef &output,
                               bool outputIs8Bit) {
    const A_long inWidth = input.layer->data ? input.layer->width : 0;
    const A_long inHeight = input.layer->data ? input.layer->height : 0;
    for (A_long y = 0; y < output.height; ++y) {
        for (A_long x = 0; x < output.width; ++x) {
            const bool inside = x < inWidth && y < inHeight;
            if (outputIs8Bit) {
                PF_Pixel p{0, 0, 0, 0};
                if (inside) {
                    p = input.eightBit ? *getPixel8(*input.layer, x, y)
                                       : convertPix16To8WithMaxCheck(readInputPixel16(input, x, y));
                }
                *getPixel8(output, x, y) = p;
            } else {
                *getPixel16(output, x, y) =
                    inside ? readInputPixel16(input, x, y) : PF_Pixel16{0, 0, 0, 0};
            }
        }
    }
}
