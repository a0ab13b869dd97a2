#include "render/worlds/world_ops.h"

#include <gtest/gtest.h>

#include "reference/render/worlds/world_ops.h"
#include "support/test_world.h"

namespace {

const PF_Pixel16 GUARD16{1111, 2222, 3333, 4444};

// A distinct pixel for every position, so a misplaced copy shows.
PF_Pixel16 positionPixel(A_long x, A_long y) {
    return PF_Pixel16{static_cast<A_u_short>(100 + y), static_cast<A_u_short>(x),
                      static_cast<A_u_short>(y), static_cast<A_u_short>(x * 7 + y)};
}

TestWorld16 positions(A_long width, A_long height, WorldLayout layout) {
    TestWorld16 w = makeWorld16(width, height, {}, GUARD16, layout);
    for (A_long y = 0; y < height; ++y)
        for (A_long x = 0; x < width; ++x) *getPixel16(w.def, x, y) = positionPixel(x, y);
    return w;
}

}  // namespace

TEST(WorldOps, CopiesCoverOnlyTheSharedPartOfTwoWorlds) {
    TestWorld16 source = positions(5, 4, {2, 1, false});
    // Twice as wide, as under Premiere Pro: the extra columns stay as they were.
    const PF_Pixel16 seven{7, 7, 7, 7};
    TestWorld16 wide = makeWorld16(10, 4, seven, GUARD16, {1, 1, false});
    copyWorldToWorld(source.def, wide.def);
    EXPECT_TRUE(samePixel(*getPixel16(wide.def, 4, 3), positionPixel(4, 3)));
    EXPECT_TRUE(columnsEqual(wide.def, 5, 10, 4, seven));
    // Smaller than the source: nothing past its own rows and columns.
    TestWorld16 small = makeWorld16(3, 2, {}, GUARD16, {1, 1, false});
    copyWorldToWorld(source.def, small.def);
    EXPECT_TRUE(samePixel(*getPixel16(small.def, 2, 1), positionPixel(2, 1)));
    EXPECT_TRUE(small.guardsIntact() && wide.guardsIntact());

    TestWorld8 eight = makeWorld8(3, 2, PF_Pixel{255, 1, 128, 0}, {}, {1, 1, false});
    copy8To16BitWorld(eight.def, small.def);
    EXPECT_TRUE(samePixel(*getPixel16(small.def, 2, 1), PF_Pixel16{32640, 128, 16384, 0}));
    *getPixel16(small.def, 1, 1) = PF_Pixel16{32768, 32639, 127, 128};
    reference::copy16To8BitWorld(small.def, eight.def);
    const PF_Pixel p = *getPixel8(eight.def, 1, 1);
    EXPECT_EQ(p.alpha, 255);
    EXPECT_EQ(p.red, 254);
    EXPECT_EQ(p.green, 0);
    EXPECT_EQ(p.blue, 1);
    EXPECT_TRUE(small.guardsIntact());
}

TEST(WorldOps, FillsStayWithinTheGivenExtentAndTheWorld) {
    const PF_Pixel16 start{500, 600, 700, 800};
    TestWorld16 world = makeWorld16(5, 4, start, GUARD16, {2, 1, false});
    clearWorldToTransparentBlack(world.def, 3, 2);
    for (A_long y = 0; y < 4; ++y)
        for (A_long x = 0; x < 5; ++x)
            ASSERT_TRUE(
                samePixel(*getPixel16(world.def, x, y), x < 3 && y < 2 ? PF_Pixel16{} : start));
    setWorldToAlpha32760(world.def, 50, 40);  // clipped to the world
    EXPECT_TRUE(samePixel(*getPixel16(world.def, 4, 3), PF_Pixel16{32760, 600, 700, 800}));
    EXPECT_TRUE(samePixel(*getPixel16(world.def, 0, 0), PF_Pixel16{32760, 0, 0, 0}));
    EXPECT_TRUE(world.guardsIntact());
}

TEST(WorldOps, BottomUpWorldsWithNegativeRowbytes) {
    TestWorld16 source = positions(4, 3, {1, 1, false});
    TestWorld16 flipped = makeWorld16(4, 3, {}, GUARD16, {1, 1, true});
    copyWorldToWorld(source.def, flipped.def);
    // Row 0 of the bottom-up world is the last image row in memory.
    EXPECT_TRUE(samePixel(flipped.memory[(1 + 2) * flipped.stride + 3], positionPixel(3, 0)));
    EXPECT_TRUE(samePixel(flipped.memory[(1 + 0) * flipped.stride + 1], positionPixel(1, 2)));
    TestWorld16 back = makeWorld16(4, 3);
    copyWorldToWorld(flipped.def, back.def);
    for (A_long y = 0; y < 3; ++y)
        for (A_long x = 0; x < 4; ++x)
            ASSERT_TRUE(samePixel(*getPixel16(back.def, x, y), positionPixel(x, y)));
    setWorldToAlpha32760(flipped.def, 4, 1);
    EXPECT_EQ(flipped.memory[(1 + 2) * flipped.stride].alpha, 32760);
    EXPECT_EQ(flipped.memory[(1 + 1) * flipped.stride].alpha, positionPixel(0, 1).alpha);
    clearWorldToTransparentBlack(flipped.def, 4, 3);
    EXPECT_TRUE(columnsEqual(flipped.def, 0, 4, 3, PF_Pixel16{}));
    EXPECT_TRUE(flipped.guardsIntact());
}
