#include "detect/mask_test.h"

#include <algorithm>

namespace {

bool isPartlyTransparent(A_u_short alpha) { return alpha >= 2 && alpha <= 32767; }

bool insideLayer(const PF_LayerDef &layer, A_long x, A_long y) {
    return x >= 0 && x < layer.width && y >= 0 && y < layer.height;
}

// One sample and its three mirrors in the other quadrants. The step comes
// from the width alone, so on short layers a sample row can fall below the
// image: such a sample is skipped with its mirrors rather than read.
bool sampleShowsMatte(const InputLayer16 &input, A_long x, A_long y, A_long step) {
    const PF_LayerDef &layer = *input.layer;
    const A_long sx = x + step - 1;
    const A_long sy = y + step - 1;
    const A_long mx = layer.width - 1 - sx;
    const A_long my = layer.height - 1 - sy;
    if (!insideLayer(layer, sx, sy) || !insideLayer(layer, mx, my)) return false;

    const A_u_short a = readInputAlpha16(input, sx, sy);
    if (isPartlyTransparent(a)) return true;
    const A_u_short mirrors[3] = {readInputAlpha16(input, mx, sy), readInputAlpha16(input, sx, my),
                                  readInputAlpha16(input, mx, my)};
    for (A_u_short m : mirrors)
        if (m != a || isPartlyTransparent(m)) return true;
    return false;
}

}  // namespace

// Coarse-to-fine mirrored sampling: false only when every sample holds one
// and the same alpha, and that alpha is 0, 1 or 32768.
bool Is_ThereAMaskAtAll(const InputLayer16 &input) {
    if (input.layer == nullptr || input.layer->data == nullptr) return false;
    const A_long width = input.layer->width;
    const A_long height = input.layer->height;
    for (A_long step = std::min<A_long>(64, width / 8); step >= 2; step /= 2) {
        for (A_long y = 0; y < height / 2; y += step) {
            for (A_long x = 0; x < width / 2; x += step) {
                if (sampleShowsMatte(input, x, y, step)) return true;
            }
        }
    }
    return false;
}
