// Classify against its straightforward form: on the states the plain
// pipeline hands it (8 and 16-bit frames, with and without gap bridging,
// hole limits from 0 to 4000, more pockets than there are tags) and on
// random masks with long chaff chains.
#include <gtest/gtest.h>

#include "analysis_state.h"
#include "detect/classify_holes.h"
#include "detect/edge_gaps.h"
#include "detect/hole_mask.h"
#include "random_masks.h"
#include "reference/detect/classify_holes.h"
#include "render/recode_fill_area.h"
#include "render/row_workers.h"
#include "support/stage_support.h"

namespace {

// The tags the last comparison used, so a case can check that it reached
// what it is meant to test.
A_long tagsUsed = 0;

// The two forms on copies of the same state (the fast one on its codes, on
// one thread and in row bands, down to bands of a row or two); red, green
// and blue of the mask and the tags they leave must agree.
void expectSameClassification(const PF_LayerDef &sourceWorld, const InputLayer16 &source,
                              OwnedWorld &mask, A_long width, A_long height, A_long maxAcross,
                              const FillLimitsArray &limits) {
    const std::vector<std::uint8_t> before = snapshot(mask);
    auto plainTags = std::make_unique<FillTagList>();
    auto stack = std::make_unique<SeedStack>();
    reference::floodFillHolesRemoveChaffLogInFillTagList(sourceWorld, mask.layer(), width, height,
                                                         *plainTags, maxAcross, *stack, limits);
    OwnedWorld plain(width, height, PixelDepth::Sixteen, mask.rowbytes() - width * 8);
    restore(plain, snapshot(mask));
    tagsUsed = plainTags->count;
    for (int threads : {1, 3, 7}) {
        restore(mask, before);
        auto fastTags = std::make_unique<FillTagList>();
        classifyOnCodes(source, mask.layer(), width, height, *fastTags, maxAcross, *stack, limits,
                        threads);
        EXPECT_TRUE(sameMaskColours(plain.layer(), mask.layer(), width, height))
            << "hole limit " << maxAcross << ", " << threads << " threads";
        ASSERT_EQ(plainTags->count, fastTags->count) << threads << " threads";
        for (A_long k = 0; k <= plainTags->count; ++k) {
            const FillTag &p = plainTags->tags[k], &f = fastTags->tags[k];
            EXPECT_TRUE(p.area == f.area && p.minX == f.minX && p.maxX == f.maxX &&
                        p.minY == f.minY && p.maxY == f.maxY && p.accepted == f.accepted)
                << "tag " << k << ", " << threads << " threads";
        }
    }
}

struct ClassifyCase {
    A_long width, height;
    PixelDepth depth;
    std::uint32_t seed;
    A_long gap;
    A_long holeSize;
    A_long holeCount;  // -1: the generator's default
};

class ClassifyEquivalence : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyEquivalence, LeavesTheSameMaskAndTags) {
    const ClassifyCase c = GetParam();
    KeyedFrameOptions frame = frameOptions(c.width, c.height, c.depth, c.seed);
    frame.holeCount = c.holeCount;
    if (c.holeCount > 0) {
        frame.smallestHoleRadius = 3;
        frame.largestHoleRadius = 4;
    }
    ParamValues values = defaultParamValues();
    values.number[PARAM_CLOSE_EDGE_GAPS] = c.gap;
    values.number[PARAM_HOLE_SIZE] = c.holeSize;
    AnalysisState state(frame, values);
    state.runReferenceUpTo(Stage::Classify);
    // The render's detection source: the input layer itself.
    expectSameClassification(state.workingInput.layer(), state.input, state.redMask, state.width(),
                             state.height(), state.settings.maxAcross, state.container->fillLimits);
    if (c.holeCount > 0) {
        EXPECT_EQ(tagsUsed, FILL_TAG_CAPACITY - 1) << "the tags should run out";
    }
}

// The render's path: HoleMask's band as codes in the mask world's memory,
// EdgeGaps and Classify on them, then the world written with ClearRejected
// and Normalise applied. Within the limits every channel must agree.
TEST_P(ClassifyEquivalence, TheWorldWrittenFromTheCodesHoldsTheSameFillArea) {
    const ClassifyCase c = GetParam();
    ParamValues values = defaultParamValues();
    values.number[PARAM_CLOSE_EDGE_GAPS] = c.gap;
    values.number[PARAM_HOLE_SIZE] = c.holeSize;
    AnalysisState state(frameOptions(c.width, c.height, c.depth, c.seed + 100), values);
    state.runReferenceUpTo(Stage::Classify);
    const FillLimitsArray &limits = state.container->fillLimits;
    state.runReference(Stage::Classify);
    state.runReference(Stage::ClearRejected);
    state.runReference(Stage::Normalise);
    OwnedWorld plain(state.width(), state.height(), PixelDepth::Sixteen,
                     state.redMask.rowbytes() - state.width() * 8);
    restore(plain, snapshot(state.redMask));

    // The world is written over its own codes in row bands: 1, 4 or 7 of them.
    const int threads = 1 + (c.seed % 3) * 3;
    auto analyseAndWrite = [&](BlueBits &written, bool onlyFillPixels) {
        auto tags = std::make_unique<FillTagList>();
        auto stack = std::make_unique<SeedStack>();
        const AnalysisMask codes =
            analysisMaskIn(state.redMask.layer(), state.width(), state.height());
        copyAlphaToBandCodes(codes, state.input, state.settings.alphaLevel, MINIMUM_ALPHA, limits);
        bridge_EdgeGapsInRedMask(codes, state.width(), state.height(), state.settings.gapDistance,
                                 limits);
        floodFillHolesRemoveChaffLogInFillTagList(state.input, codes, state.width(), state.height(),
                                                  *tags, state.settings.maxAcross, *stack, limits);
        write_RedMaskWorld(state.redMask.layer(), codes, limits, true, true, threads, &written,
                           onlyFillPixels);
    };
    BlueBits written;
    analyseAndWrite(written, false);
    EXPECT_TRUE(
        sameMaskColours(plain.layer(), state.redMask.layer(), state.width(), state.height()));
    // The planes it writes with the world are those the world's blue gives.
    BlueBits read;
    read_BlueBitsFromWorld(read, state.redMask.layer(), state.width(), state.height());
    EXPECT_EQ(written.fill, read.fill);
    EXPECT_EQ(written.full, read.full);
    EXPECT_TRUE(samePixelsWhere(plain.layer(), state.redMask.layer(), state.width(), state.height(),
                                [&](A_long x, A_long y) { return isWithinLimits(limits, x, y); }));

    // Written at the fill pixels only, over memory that holds anything: the
    // same fill pixels and planes.
    state.redMask.fillBytes(0xCD);
    BlueBits onlyFill;
    analyseAndWrite(onlyFill, true);
    EXPECT_TRUE(onlyFill.onlyFillWritten);
    EXPECT_EQ(onlyFill.fill, read.fill);
    EXPECT_EQ(onlyFill.full, read.full);
    EXPECT_TRUE(samePixelsWhere(plain.layer(), state.redMask.layer(), state.width(), state.height(),
                                [&](A_long x, A_long y) { return read.isFill(x, y); }));
}

INSTANTIATE_TEST_SUITE_P(
    GeneratedFrames, ClassifyEquivalence,
    ::testing::Values(ClassifyCase{320, 240, PixelDepth::Eight, 1, 10, 200, -1},
                      ClassifyCase{320, 240, PixelDepth::Sixteen, 2, 10, 200, -1},
                      ClassifyCase{480, 270, PixelDepth::Sixteen, 3, 0, 40, -1},
                      ClassifyCase{400, 300, PixelDepth::Eight, 4, 30, 4000, -1},
                      ClassifyCase{331, 251, PixelDepth::Sixteen, 5, 3, 1, -1},
                      ClassifyCase{320, 240, PixelDepth::Eight, 6, 2, 0, -1},
                      // More pockets than the 599 tags: the last tag is shared.
                      ClassifyCase{800, 450, PixelDepth::Sixteen, 7, 1, 200, 1500},
                      ClassifyCase{800, 450, PixelDepth::Eight, 8, 0, 30, 1500}));

// Random masks: scattered pockets and long one-pixel chains that take many
// chaff iterations, under random limits and hole limits.
TEST(ClassifyEquivalenceOnRandomMasks, LeavesTheSameMaskAndTags) {
    TestRng rng{77};
    for (int round = 0; round < 30; ++round) {
        const A_long width = 16 + rng.below(120);
        const A_long height = 16 + rng.below(90);
        OwnedWorld mask = randomBandMask(rng, width, height, 0.3 + 0.5 * (rng.below(100) / 100.0),
                                         1 + rng.below(4));
        // A 16-bit source with solid areas, edges and partial alpha.
        OwnedWorld source(width, height, PixelDepth::Sixteen);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x)
                source.pixel16(x, y)->alpha = rng.chance(0.7) ? 32768 : rng.below(32768);
        auto limits =
            round % 2 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        const A_long maxAcross = rng.below(60);
        expectSameClassification(source.layer(), InputLayer16{&source.layer(), false}, mask, width,
                                 height, maxAcross, *limits);
    }
    // Wider masks: several 64-pixel words to a row, so the chaff iterations
    // after the first decide parts of rows and the edge band's bits carry
    // across words.
    for (int round = 0; round < 8; ++round) {
        const A_long width = 150 + rng.below(500);
        const A_long height = 16 + rng.below(60);
        OwnedWorld mask = randomBandMask(rng, width, height, 0.5 + 0.3 * (rng.below(100) / 100.0),
                                         1 + rng.below(3));
        OwnedWorld source(width, height, PixelDepth::Sixteen);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x)
                source.pixel16(x, y)->alpha = rng.chance(0.8) ? 32768 : rng.below(32768);
        auto limits =
            round % 2 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        expectSameClassification(source.layer(), InputLayer16{&source.layer(), false}, mask, width,
                                 height, 1 + rng.below(80), *limits);
    }
}

}  // namespace

namespace {

// One-pixel pocket lines inside the band lose a pixel at each end per chaff
// iteration: a hole limit below half their length stops the iterations
// before they are gone, at the same place in both forms.
TEST(ClassifyEquivalenceOnChaffLines, StopsAtTheSameIteration) {
    const A_long width = 90, height = 70;
    for (A_long maxAcross : {1, 2, 7, 20, 60}) {
        OwnedWorld mask(width, height, PixelDepth::Sixteen, 16);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) mask.pixel16(x, y)->red = 32768;
        for (A_long x = 5; x < 85; ++x) mask.pixel16(x, 10)->red = 0;              // horizontal
        for (A_long y = 15; y < 65; ++y) mask.pixel16(40, y)->red = 0;             // vertical
        for (A_long x = 50; x < 80; x += 2) mask.pixel16(x, 40 + x % 4)->red = 0;  // staggered
        for (A_long y = 0; y < height; ++y) mask.pixel16(0, y)->red = 0;           // on the border
        OwnedWorld source(width, height, PixelDepth::Sixteen);
        auto limits = wholeLimits(width, height);
        expectSameClassification(source.layer(), InputLayer16{&source.layer(), false}, mask, width,
                                 height, maxAcross, *limits);
    }
}

// Lines that end at and cross the 64-pixel word boundaries of a row: each
// iteration takes their end pixels, so the changes move from word to word
// and the next iteration must read the neighbouring words of three rows.
TEST(ClassifyEquivalenceOnChaffLines, AcrossWordBoundaries) {
    const A_long width = 270, height = 44;
    for (A_long maxAcross : {3, 30, 200}) {
        OwnedWorld mask(width, height, PixelDepth::Sixteen, 8);
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x) mask.pixel16(x, y)->red = 32768;
        for (A_long x = 60; x <= 196; ++x) mask.pixel16(x, 5)->red = 0;
        for (A_long x : {63, 64, 127, 128, 191, 192})
            for (A_long y = 14; y < 30; ++y) mask.pixel16(x + (x % 2) * 2, y)->red = 0;
        for (A_long x = 100; x <= 140; ++x) mask.pixel16(x, 34)->red = 0;   // an L ...
        for (A_long y = 34; y < 43; ++y) mask.pixel16(140, y)->red = 0;     // ... to the border
        for (A_long x = 250; x < width; ++x) mask.pixel16(x, 20)->red = 0;  // to the right edge
        OwnedWorld source(width, height, PixelDepth::Sixteen);
        for (A_long y = 8; y < 40; ++y)
            for (A_long x = 50; x < 220; ++x) source.pixel16(x, y)->alpha = 32768;
        expectSameClassification(source.layer(), InputLayer16{&source.layer(), false}, mask, width,
                                 height, maxAcross, *wholeLimits(width, height));
    }
}

// One-pixel vertical lines that end on the last row of a row band and go on
// into the next band, or end on a band's first row and go back into the
// previous one, for the bands of 3 and 7 threads: one iteration takes only
// their end pixels, never the next pixel across the band's edge.
TEST(ClassifyEquivalenceOnChaffLines, AcrossRowBands) {
    const A_long width = 200, height = 120;
    OwnedWorld mask(width, height, PixelDepth::Sixteen, 8);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) mask.pixel16(x, y)->red = 32768;
    A_long x = 4;
    for (int threads : {3, 7}) {
        for (int band = 1; band < rowBandCount(threads, height); ++band, x += 5) {
            const A_long edge = rowBandStart(threads, height, band);
            for (A_long y = edge - 1; y <= edge + 3; ++y) mask.pixel16(x, y)->red = 0;
            for (A_long y = edge - 4; y <= edge; ++y) mask.pixel16(x + 2, y)->red = 0;
        }
    }
    ASSERT_LT(x, width);
    OwnedWorld source(width, height, PixelDepth::Sixteen);
    for (A_long maxAcross : {1, 2}) {
        OwnedWorld copy(width, height, PixelDepth::Sixteen, 8);
        restore(copy, snapshot(mask));
        expectSameClassification(source.layer(), InputLayer16{&source.layer(), false}, copy, width,
                                 height, maxAcross, *wholeLimits(width, height));
    }
}

}  // namespace
