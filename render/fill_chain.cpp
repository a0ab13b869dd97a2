#include "render/fill_chain.h"

#include <algorithm>

#include "render/render_settings.h"

void run_FillChain(A_long fillChain, const FillChainWorlds &w, A_long blurSize,
                   A_u_short quarterLevel, const PF_Pixel16 &setColour,
                   const FillLimitsArray &limits, const PF_ANSICallbacks &maths, RowThreads threads,
                   const PatchRowDone &afterEachRow) {
    InputLayer16 frames[FRAME_ARRAY_SLOTS];
    InputLayer16 current = w.currentFrameView;
    if (w.frameViews != nullptr) {
        std::copy_n(w.frameViews, FRAME_ARRAY_SLOTS, frames);
    } else {
        for (A_long slot = 0; slot < FRAME_ARRAY_SLOTS; ++slot)
            frames[slot] = InputLayer16{w.frameArray[slot], false};
        current = InputLayer16{w.currentFrame, false};
    }
    const PatchChainInputs inputs{current,      frames,    w.input, MINIMUM_ALPHA, blurSize,
                                  quarterLevel, setColour, &maths,  w.fillPixels};
    patch_FillPixelsThroughChain(fillChainOf(fillChain).sources, inputs, *w.patch, *w.redMask,
                                 limits, threads, afterEachRow);
}
