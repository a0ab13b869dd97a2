// Frames the analysis cannot take (fewer than 200 or more than 4320 rows)
// leave the effect unchanged rather than black.
#pragma once

#include "render/worlds/pixels.h"

// Copies the input layer into the host's output over the part they share;
// output pixels beyond the input become transparent black.
void copy_InputThroughToOutput(const InputLayer16 &input, const PF_LayerDef &output,
                               bool outputIs8Bit);
