#include "reference/render/worlds/world_ops.h"

#include <algorithm>

#include "render/worlds/pixels.h"

namespace reference {

void copy16To8BitWorld(const PF_LayerDef &source16, const PF_LayerDef &destination8) {
    if (source16.data == nullptr || destination8.data == nullptr) return;
    // Under Premiere Pro one of them may be twice the frame's width, so
    // neither may be walked past its own size.
    const A_long width = std::min(source16.width, destination8.width);
    const A_long height = std::min(source16.height, destination8.height);
    for (A_long y = 0; y < height; ++y) {
        const PF_Pixel16 *from = getPixel16(source16, 0, y);
        PF_Pixel *to = getPixel8(destination8, 0, y);
        for (A_long x = 0; x < width; ++x) to[x] = convertPix16To8WithMaxCheck(from[x]);
    }
}

}  // namespace reference
