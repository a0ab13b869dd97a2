// A stand-in effect module for the renderer's tests: it passes 8-bit frames
// through, and while rendering time 1 (the clip's second frame) it removes the
// folder named by HOLVANE_VANISHING_FOLDER, as a user or a cleanup job might
// remove the output folder while a render is running.
#include <cstdlib>
#include <filesystem>

#include "api/effect_api.h"

extern "C" __attribute__((visibility("default"))) PF_Err EntryPointFunc(
    PF_Cmd cmd, PF_InData *in_data, PF_OutData *, PF_ParamDef *params[], PF_LayerDef *output,
    void *) {
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    if (in_data->current_time == 1) {
        if (const char *folder = std::getenv("HOLVANE_VANISHING_FOLDER")) {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
        }
    }
    const PF_LayerDef &input = params[0]->u.ld;
    for (A_long y = 0; y < output->height; ++y) {
        const char *from = reinterpret_cast<const char *>(input.data) + y * input.rowbytes;
        char *to = reinterpret_cast<char *>(output->data) + y * output->rowbytes;
        for (A_long x = 0; x < output->width * A_long(sizeof(PF_Pixel)); ++x) to[x] = from[x];
    }
    return PF_Err_NONE;
}
