// World set-ups the render no longer makes (not part of the module): it
// creates worlds without filling them (create_ListedWorld16) and fills the
// working copy only where it is read (fill_WorkingInputWorld), both in
// render/worlds/working_images.h.
#pragma once

#include "api/effect_api.h"
#include "render/worlds/disposal_list.h"

namespace reference {

// world is zeroed, created (width * sizeFactor by height, 16-bit) and listed,
// then filled from source (converted when convertFrom8Bit). setAlpha forces
// the alpha to 32760.
PF_Err populate_OrConvertWrldPreserveOriginalFrameWithMask(
    PF_LayerDef &world, const PF_LayerDef &source, const PF_InData *in_data, DisposalList &list,
    A_long width, A_long sizeFactor, A_long height, bool convertFrom8Bit, bool setAlpha);

// Creates a zero-filled 16-bit analysis world and lists it. The host zeroes
// new pixels only on request, so the clear is explicit.
PF_Err create_AnalysisWorld(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height);

}  // namespace reference
