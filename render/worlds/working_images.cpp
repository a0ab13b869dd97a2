#include "render/worlds/working_images.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "frame/suites.h"
#include "render/worlds/world_ops.h"

namespace {

// A missing suite throws A_Err_MISSING_SUITE out of the scoper, which ends
// the render call with it.
PF_Err readPremiereBitDepth(const PF_InData *in_data, PF_OutData *out_data,
                            const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor) {
    AEFX_SuiteScoper<PF_PixelFormatSuite1> suite(in_data, kPFPixelFormatSuite,
                                                 kPFPixelFormatSuiteVersion1, out_data);
    PrPixelFormat format = PrPixelFormat_ARGB_4444_16u;
    suite->GetPixelFormat(const_cast<PF_LayerDef *>(output), &format);
    if (format == PrPixelFormat_ARGB_4444_16u) {
        sizeFactor = 2;
        eightBit = false;
    } else if (format == PrPixelFormat_ARGB_4444_8u) {
        sizeFactor = 2;
        eightBit = true;
    }
    // Any other format leaves both as the render set them.
    return PF_Err_NONE;
}

bool isPremiere(const PF_InData *in_data) { return in_data->appl_id == PF_ApplId_PREMIERE; }

bool hasPixels(const PF_LayerDef &world) {
    return world.data != nullptr && world.width > 0 && world.height > 0;
}

// The time of the frame offset steps away, never before 0. Worked out wide:
// a late current time at a fine time scale, or a large step, would overflow
// 32 bits.
A_long frameTime(const PF_InData *in_data, A_long offset) {
    const std::int64_t time =
        std::int64_t(in_data->current_time) + std::int64_t(offset) * in_data->time_step;
    return A_long(std::clamp<std::int64_t>(time, 0, std::numeric_limits<A_long>::max()));
}

bool covers(const PF_LayerDef &source, const PF_LayerDef &world) {
    return source.width >= world.width && source.height >= world.height;
}

// Zeroes the record, creates a 16-bit world and lists it. When the list
// refuses it, the world is given back here so that nothing leaks.
PF_Err createListedWorld16(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                           A_long width, A_long sizeFactor, A_long height) {
    world = PF_LayerDef{};
    if (in_data->utils == nullptr || in_data->utils->new_world == nullptr)
        return PF_Err_INVALID_CALLBACK;
    PF_Err err = in_data->utils->new_world(in_data->effect_ref, width * sizeFactor, height,
                                           PF_NewWorldFlag_DEEP_PIXELS, &world);
    if (err != PF_Err_NONE) return err;
    err = ADD_WorldToDISPOSElist(&world, list);
    if (err != PF_Err_NONE) {
        in_data->utils->dispose_world(in_data->effect_ref, &world);
        world = PF_LayerDef{};
    }
    return err;
}

// Fills a freshly created world from a layer of the given depth. A layer that
// does not cover the world leaves part of it as the host made it, so the
// world is cleared first and no uninitialised pixel is ever read.
void fillWorldFromLayer(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit) {
    if (!hasPixels(layer) || !covers(layer, world))
        clearWorldToTransparentBlack(world, world.width, world.height);
    if (layerIs8Bit)
        copy8To16BitWorld(layer, world);
    else
        copyWorldToWorld(layer, world);
}

}  // namespace

PF_Err populate_BitDepthAndSizing(const PF_InData *in_data, PF_OutData *out_data,
                                  const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor) {
    if (isPremiere(in_data))
        return readPremiereBitDepth(in_data, out_data, output, eightBit, sizeFactor);
    sizeFactor = 1;
    eightBit = (output->world_flags & PF_WorldFlag_DEEP) == 0;
    return PF_Err_NONE;
}

PF_Err populate_OrConvertWrldPreserveOriginalFrameWithMask(
    PF_LayerDef &world, const PF_LayerDef &source, const PF_InData *in_data, DisposalList &list,
    A_long width, A_long sizeFactor, A_long height, bool convertFrom8Bit, bool setAlpha) {
    const PF_Err err = createListedWorld16(world, in_data, list, width, sizeFactor, height);
    if (err != PF_Err_NONE) return err;
    fillWorldFromLayer(world, source, convertFrom8Bit);
    if (setAlpha) setWorldToAlpha32760(world, width, height);
    return PF_Err_NONE;
}

PF_Err populate_FrameArrayFramesNoMatterWhat(PF_LayerDef frameStorage[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef &fallback, const PF_InData *in_data,
                                             DisposalList &list, A_long width, A_long sizeFactor,
                                             A_long height, bool eightBit, A_long framesBefore,
                                             A_long framesAfter) {
    // Offsets beyond -10..+10 have no slot.
    const A_long first = -std::min(framesBefore, FRAME_ARRAY_CENTRE);
    const A_long last = std::min(framesAfter, FRAME_ARRAY_SLOTS - 1 - FRAME_ARRAY_CENTRE);
    PF_Err err = PF_Err_NONE;
    for (A_long offset = first; offset <= last; ++offset) {
        const A_long slot = offset + FRAME_ARRAY_CENTRE;
        err |= createListedWorld16(frameStorage[slot], in_data, list, width, sizeFactor, height);

        PF_ParamDef checkedOut{};
        err |= in_data->inter.checkout_param(in_data->effect_ref, 0, frameTime(in_data, offset),
                                             in_data->time_step, in_data->time_scale, &checkedOut);
        if (err != PF_Err_NONE) {
            in_data->inter.checkin_param(in_data->effect_ref, &checkedOut);
            return err;
        }

        const PF_LayerDef &layer = checkedOut.u.ld;
        // Premiere Pro hands frames in the render's depth; After Effects in
        // the layer's own.
        const bool layerIs8Bit =
            isPremiere(in_data) ? eightBit : (layer.world_flags & PF_WorldFlag_DEEP) == 0;
        if (hasPixels(layer) && hasPixels(frameStorage[slot])) {
            fillWorldFromLayer(frameStorage[slot], layer, layerIs8Bit);
            frameArray[slot] = &frameStorage[slot];
        } else {
            // No pixels to copy: the slot shows the fallback instead of an
            // uninitialised world.
            frameArray[slot] = &fallback;
        }
        in_data->inter.checkin_param(in_data->effect_ref, &checkedOut);
    }
    return err;
}

PF_Err setup_OutputPointer(PF_LayerDef *&outputWorld, PF_LayerDef &temporary,
                           PF_LayerDef *hostOutput, const PF_InData *in_data, DisposalList &list,
                           A_long width, A_long sizeFactor, A_long height, bool eightBit) {
    if (!eightBit) {
        outputWorld = hostOutput;
        return PF_Err_NONE;
    }
    const PF_Err err = createListedWorld16(temporary, in_data, list, width, sizeFactor, height);
    outputWorld = &temporary;
    return err;
}

PF_Err create_AnalysisWorld(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height) {
    const PF_Err err = createListedWorld16(world, in_data, list, width, sizeFactor, height);
    if (err == PF_Err_NONE) clearWorldToTransparentBlack(world, world.width, world.height);
    return err;
}
