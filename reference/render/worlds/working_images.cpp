#include "reference/render/worlds/working_images.h"

#include "render/worlds/working_images.h"
#include "render/worlds/world_ops.h"

namespace reference {

PF_Err populate_OrConvertWrldPreserveOriginalFrameWithMask(
    PF_LayerDef &world, const PF_LayerDef &source, const PF_InData *in_data, DisposalList &list,
    A_long width, A_long sizeFactor, A_long height, bool convertFrom8Bit, bool setAlpha) {
    const PF_Err err = create_ListedWorld16(world, in_data, list, width, sizeFactor, height);
    if (err != PF_Err_NONE) return err;
    fill_WorkingInputWorld(world, source, convertFrom8Bit, setAlpha, width, height, nullptr);
    return PF_Err_NONE;
}

PF_Err create_AnalysisWorld(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height) {
    const PF_Err err = create_ListedWorld16(world, in_data, list, width, sizeFactor, height);
    if (err == PF_Err_NONE) clearWorldToTransparentBlack(world, world.width, world.height);
    return err;
}

}  // namespace reference
