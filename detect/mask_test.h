// Whether the input layer carries a matte at all.
#pragma once

#include "render/worlds/pixels.h"

// Never reads outside the layer, whatever its size.
bool Is_ThereAMaskAtAll(const InputLayer16 &input);
