// The stages of one render, in the order they run: the one list the render,
// its plain form (reference/render/render.cpp), the benchmarks and the tests
// all name them by. What each does and which folder holds it: README.md,
// "How a frame is repaired".
//
// EdgeGaps to FillChain carry the numbers the stage limit is compared with
// (RenderSettings::stageLimit, stageRuns): a stage runs when the limit is at
// least its number. The working images, the hole mask and the composition
// run on every render.
#pragma once

enum class Stage {
    WorkingImages = 0,  // 16-bit copies of the input and its neighbours; the output world
    HoleMask = 1,       // the processing region and the initial hole band
    EdgeGaps = 2,       // close narrow gaps in the band's edge
    Classify = 3,       // edge band, chaff, pocket flooding and the verdicts
    ClearRejected = 4,  // rejected regions without a green mark are cleared
    Normalise = 5,      // every remaining code becomes a pixel to fill
    GrowShrink = 6,     // the fill area grown or shrunk by whole pixels
    EdgeMultiplier = 7,
    Feather = 8,
    FillChain = 9,  // the fill pixels coloured from the chosen chain of sources
    Compose = 10,   // the chosen view into the output
};

struct StageEntry {
    Stage stage;
    const char *name;
};

// In the order the stages run; entry i is the stage numbered i.
constexpr StageEntry STAGES[] = {
    {Stage::WorkingImages, "working_images"},
    {Stage::HoleMask, "hole_mask"},
    {Stage::EdgeGaps, "edge_gaps"},
    {Stage::Classify, "classify"},
    {Stage::ClearRejected, "clear_rejected"},
    {Stage::Normalise, "normalise"},
    {Stage::GrowShrink, "grow_shrink"},
    {Stage::EdgeMultiplier, "edge_multiplier"},
    {Stage::Feather, "feather"},
    {Stage::FillChain, "fill_chain"},
    {Stage::Compose, "compose"},
};

constexpr int STAGE_COUNT = sizeof(STAGES) / sizeof(STAGES[0]);

constexpr bool stagesInOrder() {
    for (int i = 0; i < STAGE_COUNT; ++i)
        if (static_cast<int>(STAGES[i].stage) != i) return false;
    return true;
}
static_assert(stagesInOrder(), "STAGES lists every stage once, by number");

constexpr int stageNumber(Stage stage) { return static_cast<int>(stage); }
constexpr const char *stageName(Stage stage) { return STAGES[stageNumber(stage)].name; }
