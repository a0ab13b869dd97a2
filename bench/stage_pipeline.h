// The render's stages run one by one on a generated clip, outside the module,
// so that each can be timed on its own. The sequence and the arguments are
// those of the render driver; worlds are plain 16-bit images of the frame's
// size.
#pragma once

#include <memory>
#include <vector>

#include "bench_clip.h"
#include "detect/analysis_mask.h"
#include "fill/blue_bits.h"
#include "render/fill_chain.h"
#include "render/render_settings.h"
#include "render/stages.h"
#include "render/worlds/memory_container.h"
#include "render/worlds/pixels.h"
#include "render/worlds/working_images.h"

class StagePipeline {
  public:
    explicit StagePipeline(const BenchCase &benchCase);
    ~StagePipeline();

    // Runs the stages before `stage` that have not run yet; a pipeline only
    // moves forward, so asking for an earlier stage starts it again.
    void advanceTo(Stage stage);
    // Runs one stage on the current state; `reference`: in its
    // straightforward form (reference/), where it has one. WorkingImages in
    // its fast form copies only what FillChain reads; Compose into an 8-bit
    // output converts (the plain form afterwards, the fast one as it writes).
    void run(Stage stage, bool reference = false);
    // Whether the render runs this stage with these settings on its own (the
    // fast form runs Normalise within ClearRejected's pass).
    bool runs(Stage stage, bool reference = false) const;

    // Keep and put back the state a stage changes, so it can run repeatedly.
    void save();
    void restore();

    A_long width() const { return width_; }
    A_long height() const { return height_; }

  private:
    void reset();
    FillChainWorlds chainWorlds(const PF_LayerDef &mask, bool reference);
    // HoleMask to ClearRejected work on the analysis mask, held in the red
    // mask world until ClearRejected writes the world.
    AnalysisMask codes();
    bool holdsCodes() const;

    BenchCase case_;
    const std::vector<OwnedWorld> &clip_;
    A_long width_;
    A_long height_;
    InputLayer16 input_;
    RenderSettings settings_{};
    PF_UtilCallbacks utils_{};
    PF_InData inData_{};
    HolvaneMemoryContainerPtr container_;
    OwnedWorld workingInput_;
    std::vector<OwnedWorld> frames_;
    PF_LayerDef *frameArray_[FRAME_ARRAY_SLOTS]{};
    bool packed_[FRAME_ARRAY_SLOTS]{};  // the fast captures' 8-bit frames
    InputLayer16 views_[FRAME_ARRAY_SLOTS]{};
    const PF_LayerDef *currentFrame_ = nullptr;
    OwnedWorld redMask_;
    BlueBits blue_;  // the planes of redMask_'s blue, as the render keeps them
    // The straightforward EdgeGaps, Classify and ClearRejected run on the
    // codes as a world of their own.
    OwnedWorld referenceMask_;
    OwnedWorld patch_;
    OwnedWorld output16_;
    OwnedWorld output8_;
    int next_ = 0;  // the first stage not yet run

    struct Saved;
    std::unique_ptr<Saved> saved_;
};
