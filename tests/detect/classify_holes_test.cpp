#include "detect/classify_holes.h"

#include <gtest/gtest.h>

#include "detect/edge_gaps.h"
#include "render/worlds/world_ops.h"
#include "support/stage_support.h"
#include "support/test_world.h"

namespace {

const PF_Pixel16 ACCEPTED{32768, 32768, 0, 20000};
const PF_Pixel16 REJECTED{32768, 0, 0, 32768};
const PF_Pixel16 CHAFF{0, 32768, 0, 37268};

// A red mask that is all hole band, a clear source and the scratch
// structures of one classification.
struct Analysis {
    A_long width, height;
    TestWorld16 source, mask;
    std::unique_ptr<FillLimitsArray> limits;
    std::unique_ptr<FillTagList> tags = clearedTags();
    std::unique_ptr<SeedStack> stack = emptySeedStack();

    Analysis(A_long w, A_long h)
        : width(w),
          height(h),
          source(makeWorld16(w, h)),
          mask(makeWorld16(w, h, BAND_PIXEL)),
          limits(wholeImageLimits(w, h)) {}

    void pocket(A_long x0, A_long y0, A_long x1, A_long y1) {
        setRedRect(mask.def, x0, y0, x1, y1, 0);
    }
    void classify(A_long maxAcross) {
        classifyOnCodes(InputLayer16{&source.def, false}, mask.def, width, height, *tags, maxAcross,
                        *stack, *limits);
    }
    const PF_Pixel16 &at(A_long x, A_long y) const { return *getPixel16(mask.def, x, y); }
    bool rectIs(A_long x0, A_long y0, A_long x1, A_long y1, const PF_Pixel16 &p) const {
        for (A_long y = y0; y <= y1; ++y)
            for (A_long x = x0; x <= x1; ++x)
                if (!samePixel(at(x, y), p)) return false;
        return true;
    }
};

}  // namespace

TEST(Classification, APocketIsAcceptedWhileItsBoxIsUnderTheLimit) {
    const std::pair<A_long, bool> cases[] = {{200, true}, {150, true}, {149, false}};
    for (const auto &[maxAcross, accepted] : cases) {
        Analysis a(160, 160);
        a.pocket(5, 5, 154, 154);
        a.classify(maxAcross);
        EXPECT_TRUE(a.rectIs(5, 5, 154, 154, accepted ? ACCEPTED : REJECTED)) << maxAcross;
        EXPECT_TRUE(a.rectIs(0, 0, 159, 4, BAND_PIXEL));
        EXPECT_EQ(a.tags->tags[1].area, 150 * 149);
        EXPECT_EQ(a.tags->tags[1].maxX - a.tags->tags[1].minX, 149);
        EXPECT_EQ(a.tags->count, 2);
    }
}

TEST(Classification, ChaffGoesWhenThreeNeighboursAreBandCountingClampedOnes) {
    Analysis a(10, 5);
    a.pocket(5, 2, 5, 2);  // alone inside the band
    a.pocket(5, 0, 5, 0);  // on row 0: its clamped upper neighbour is itself
    a.pocket(2, 0, 3, 0);  // on row 0 with two band neighbours each
    a.pocket(0, 1, 0, 2);  // in the limit column: stays, and no span holds it
    a.classify(10);
    EXPECT_TRUE(samePixel(a.at(5, 2), CHAFF));
    EXPECT_TRUE(samePixel(a.at(5, 0), CHAFF));
    EXPECT_TRUE(a.rectIs(2, 0, 3, 0, ACCEPTED));
    EXPECT_TRUE(a.rectIs(0, 1, 0, 2, PF_Pixel16{0, 0, 0, 0}));
    EXPECT_EQ(a.tags->count, 2);  // roots that paint nothing use up no tag
}

TEST(Classification, AOnePixelLineLosesAPixelAtEachEndPerIteration) {
    Analysis capped(30, 20);
    capped.pocket(10, 10, 16, 10);
    capped.classify(2);  // two iterations, then 12..14 is two columns across
    EXPECT_TRUE(capped.rectIs(10, 10, 11, 10, CHAFF));
    EXPECT_TRUE(capped.rectIs(15, 10, 16, 10, CHAFF));
    EXPECT_TRUE(capped.rectIs(12, 10, 14, 10, REJECTED));

    Analysis free(30, 20);
    free.pocket(10, 10, 16, 10);
    free.classify(10);
    EXPECT_TRUE(free.rectIs(10, 10, 16, 10, CHAFF));
    EXPECT_EQ(free.tags->count, 1);  // nothing left to tag
}

// Row 2, columns 2..4 opaque: (2, 2) spreads first and turns (3, 2) into
// 32766 before it is visited, so (3, 2) spreads nothing; (4, 2) is outside
// that square and spreads its own. With hole size 0 nothing else changes.
TEST(Classification, EdgeBandFollowsTheRowMajorVisitingOrder) {
    Analysis a(7, 5);
    setAlphaRect(a.source.def, 2, 2, 4, 2, 32768);
    a.pocket(1, 3, 5, 3);
    a.classify(0);
    EXPECT_EQ(a.tags->count, 1);
    for (A_long y = 0; y < 5; ++y)
        for (A_long x = 0; x < 7; ++x) {
            A_u_short green = 0;
            if (y >= 1 && y <= 3 && x >= 1 && x <= 5) green = 32766;
            if (y == 2 && (x == 2 || x == 4)) green = 32768;
            const A_u_short red = y == 3 && x >= 1 && x <= 5 ? 0 : BAND;
            ASSERT_TRUE(samePixel(a.at(x, y), PF_Pixel16{0, red, green, 0})) << x << "," << y;
        }
}

TEST(Classification, EightBitInputHasNoEdgeBand) {
    TestWorld8 eight = makeWorld8(7, 5);
    for (A_long x = 2; x <= 4; ++x) *getPixel8(eight.def, x, 2) = PF_Pixel{255, 255, 255, 255};
    Analysis a(7, 5);
    copy8To16BitWorld(eight.def, a.source.def);  // full alpha reads 32640
    a.classify(0);
    for (A_long y = 0; y < 5; ++y)
        for (A_long x = 0; x < 7; ++x) ASSERT_EQ(a.at(x, y).green, 0);
}

// 30 x 21 pockets of 2 x 2: the first 598 get tags of their own; the rest
// share tag 599 and its verdict on their combined box, 88 columns across.
TEST(Classification, PocketsFromTheLastTagOnShareOneVerdict) {
    const A_long across = 30, down = 21;
    Analysis a(1 + 3 * across, 1 + 3 * down);
    for (A_long row = 0; row < down; ++row)
        for (A_long col = 0; col < across; ++col)
            a.pocket(1 + 3 * col, 1 + 3 * row, 2 + 3 * col, 2 + 3 * row);
    a.classify(10);
    EXPECT_EQ(a.tags->count, FILL_TAG_CAPACITY - 1);
    const FillTag &shared = a.tags->tags[FILL_TAG_CAPACITY - 1];
    EXPECT_EQ(shared.area, 2 * (across * down - 598));
    EXPECT_EQ(shared.maxX - shared.minX, 88);
    for (A_long p = 0; p < across * down; ++p) {
        const A_long x = 1 + 3 * (p % across), y = 1 + 3 * (p / across);
        ASSERT_TRUE(a.rectIs(x, y, x + 1, y + 1, p < 598 ? ACCEPTED : REJECTED)) << p;
    }
}

// A 20 x 20 pocket inside a two-pixel ring whose right wall has a one-pixel
// opening: left open it joins the clear background, bridged it stands alone.
TEST(Classification, ABridgedChannelLetsAPocketBeJudgedByItsOwnSize) {
    for (const bool bridge : {false, true}) {
        Analysis a(100, 60);
        a.pocket(0, 0, 99, 59);
        setRedRect(a.mask.def, 28, 18, 51, 41, BAND);
        a.pocket(30, 20, 49, 39);
        a.pocket(50, 30, 51, 30);
        if (bridge) bridgeEdgeGapsOnCodes(a.mask.def, 100, 60, 1, *a.limits);
        a.classify(30);
        EXPECT_EQ(a.at(40, 30).blue, bridge ? 20000 : 32768);
        EXPECT_EQ(a.at(40, 30).red, bridge ? 32768 : 0);
        EXPECT_EQ(a.at(5, 5).blue, 32768);  // the background stays rejected
        EXPECT_EQ(a.at(50, 30).red, bridge ? 32768 : 0);
    }
}
