// The span-at-a-time pocket flood against the seed-stack flood it stands
// for: from the same seeds on copies of the same mask, both must paint the
// same pixels and measure the same area and extent, under random limits, with
// earlier floods' paint in the way, lone pixels and limit columns as seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "analysis_state.h"
#include "detect/pocket_runs.h"
#include "detect/seed_stack.h"
#include "random_masks.h"
#include "reference/detect/seed_stack.h"

namespace {

constexpr FillTag UNTOUCHED_TAG{0, 99999, -1, 99999, -1, false, 0, 0, 0};

// A mask of random runs of the matching red, 32768 and a third code.
OwnedWorld randomRuns(TestRng &rng, A_long width, A_long height, A_u_short matchRed,
                      double matching, A_long longestRun) {
    OwnedWorld mask(width, height, PixelDepth::Sixteen, 24);
    for (A_long y = 0; y < height; ++y) {
        A_long x = 0;
        while (x < width) {
            const A_long run = 1 + rng.below(longestRun);
            const A_u_short red = rng.chance(matching) ? matchRed
                                  : rng.chance(0.8)    ? A_u_short{32768}
                                                       : A_u_short{5000};
            const A_u_short alpha = static_cast<A_u_short>(rng.below(40000));
            for (A_long i = 0; i < run && x < width; ++i, ++x) {
                mask.pixel16(x, y)->red = red;
                mask.pixel16(x, y)->alpha = alpha;
                mask.pixel16(x, y)->green = static_cast<A_u_short>(x * 7 + y);
            }
        }
    }
    return mask;
}

struct FloodCounts {
    A_long floods = 0;
    A_long painted = 0;    // floods that painted something
    A_long multiSpan = 0;  // floods that painted more than one row
};

// Floods from each seed in turn, with its own tag value, in both forms (the
// fast one on the codes: matching red a pocket code, any other red the band);
// after every flood the pixels painted so far and the measurements must agree.
// The fast form paints nothing itself: its painted pixels are the spans of
// the runs that have a tag.
void expectSameFloods(OwnedWorld &mask, const FillLimitsArray &limits, A_u_short matchRed,
                      const std::vector<std::pair<A_long, A_long>> &seeds, FloodCounts &counts,
                      int threads = 1) {
    const A_long width = mask.layer().width, height = mask.layer().height;
    const AnalysisMask codes = ownAnalysisMask(width, height);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x)
            codes.row(y)[x] = mask.pixel16(x, y)->red == matchRed ? 0 : CODE_BAND;
    PocketRuns pockets = find_PocketRuns(codes, height, limits, threads);
    auto stack = std::make_unique<SeedStack>();
    std::vector<std::size_t> pending;
    A_u_short tagValue = 32;
    A_long flood = 0;  // the fast form's tag: the plain form's values wrap round
    for (const auto &[x, y] : seeds) {
        ++flood;
        if (tagValue == matchRed) tagValue += 32;
        FillTag plainTag = UNTOUCHED_TAG, fastTag = UNTOUCHED_TAG;
        reference::addSeedToStack(*stack, false, x, y, height - 1, 0, true);
        reference::floodFillHolesInRedMaskTillSeedStackTillComplete(
            *stack, mask.layer(), height, matchRed, plainTag, tagValue, limits);
        // The run holding the seed, if a flood seeded there paints.
        const auto seedRun = std::find_if(
            pockets.runs.begin(), pockets.runs.end(),
            [&](const PocketRun &r) { return r.y == y && r.first <= x && x <= r.last; });
        if (seedRun != pockets.runs.end() && seedRun->tag == 0)
            floodPocketRuns(pockets, static_cast<std::size_t>(seedRun - pockets.runs.begin()),
                            flood, fastTag, pending);
        const AnalysisMask painted = ownAnalysisMask(width, height);
        A_long paintedArea = 0;
        for (const PocketRun &r : pockets.runs) {
            if (r.tag == 0) continue;
            for (A_long xx = r.left; xx <= r.right; ++xx) painted.row(r.y)[xx] = 1;
            if (r.tag == flood) paintedArea += r.right - r.left;
        }
        A_long differences = 0;
        for (A_long yy = 0; yy < height; ++yy)
            for (A_long xx = 0; xx < width; ++xx) {
                const bool plainPainted =
                    codes.row(yy)[xx] == 0 && mask.pixel16(xx, yy)->red != matchRed;
                differences += plainPainted != (painted.row(yy)[xx] != 0);
            }
        ASSERT_EQ(differences, 0) << "seed " << x << "," << y;
        ASSERT_TRUE(plainTag.area == fastTag.area && plainTag.minX == fastTag.minX &&
                    plainTag.maxX == fastTag.maxX && plainTag.minY == fastTag.minY &&
                    plainTag.maxY == fastTag.maxY && paintedArea == fastTag.area)
            << "seed " << x << "," << y << ": area " << plainTag.area << " / " << fastTag.area;
        ++counts.floods;
        if (plainTag.area > 0) ++counts.painted;
        if (plainTag.maxY > plainTag.minY) ++counts.multiSpan;
        tagValue = static_cast<A_u_short>(tagValue + 32);
    }
}

TEST(PocketFloodEquivalence, PaintsAndMeasuresAsTheSeedStackFlood) {
    TestRng rng{2024};
    FloodCounts counts;
    for (int round = 0; round < 60; ++round) {
        const A_long width = 8 + rng.below(150);
        const A_long height = 4 + rng.below(100);
        const A_u_short matchRed = round % 3 == 0 ? A_u_short{32} : A_u_short{0};
        OwnedWorld mask =
            randomRuns(rng, width, height, matchRed, 0.3 + rng.below(60) / 100.0, 1 + rng.below(6));
        auto limits =
            round % 4 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        std::vector<std::pair<A_long, A_long>> seeds;
        for (int k = 0; k < 25; ++k) {
            const A_long y = rng.below(height);
            // Most seeds on a matching pixel, some on a limit column of
            // their row, some anywhere.
            A_long x = rng.below(width);
            for (A_long tries = 0; tries < width && rng.chance(0.9); ++tries)
                if (mask.pixel16(x, y)->red == matchRed)
                    break;
                else
                    x = (x + 1) % width;
            if (rng.chance(0.2)) x = rng.chance(0.5) ? limits->left[y] : limits->right[y];
            seeds.emplace_back(std::clamp<A_long>(x, 0, width - 1), y);
        }
        expectSameFloods(mask, *limits, matchRed, seeds, counts);
    }
    // The rounds must have flooded real pockets, not only refused seeds.
    EXPECT_GT(counts.painted, counts.floods / 5);
    EXPECT_GT(counts.multiSpan, counts.floods / 10);
}

// Every matching pixel as a seed, in row order, as the pocket scan seeds
// them: most seeds land on paint of an earlier flood.
TEST(PocketFloodEquivalence, SeedsInScanOrderFindTheSamePockets) {
    TestRng rng{99};
    FloodCounts counts;
    for (int round = 0; round < 6; ++round) {
        const A_long width = 40 + rng.below(100), height = 30 + rng.below(60);
        OwnedWorld mask = randomRuns(rng, width, height, 0, 0.55, 4);
        auto limits =
            round % 2 == 0 ? wholeLimits(width, height) : randomLimits(rng, width, height);
        std::vector<std::pair<A_long, A_long>> seeds;
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x)
                if (mask.pixel16(x, y)->red == 0) seeds.emplace_back(x, y);
        expectSameFloods(mask, *limits, 0, seeds, counts, 1 + round % 3 * 3);
    }
    EXPECT_GT(counts.multiSpan, 20);
}

// A serpentine pocket: two-pixel corridors joined at alternate ends, one
// flood through hundreds of spans, each found from the one before.
TEST(PocketFloodEquivalence, FollowsASerpentinePocketToItsEnd) {
    const A_long width = 120, height = 301;
    OwnedWorld mask(width, height, PixelDepth::Sixteen, 24);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) {
            const bool corridor = y % 3 != 2 && x >= 1 && x <= width - 2;
            const bool joint = y % 3 == 2 && ((y / 3) % 2 == 0 ? x >= width - 4 && x <= width - 3
                                                               : x >= 2 && x <= 3);
            mask.pixel16(x, y)->red = corridor || joint ? 0 : 32768;
        }
    auto limits = wholeLimits(width, height);
    FloodCounts counts;
    expectSameFloods(mask, *limits, 0, {{60, 150}}, counts);
    EXPECT_EQ(counts.multiSpan, 1);
    EXPECT_EQ(mask.pixel16(1, 0)->red, 32) << "the flood should reach the first corridor";
    EXPECT_EQ(mask.pixel16(118, 300)->red, 32) << "the flood should reach the last corridor";
}

}  // namespace
