#include <gtest/gtest.h>

#include "detect/mask_test.h"
#include "support/test_world.h"

namespace {

TestWorld16 uniform(A_long width, A_long height, A_u_short alpha) {
    return makeWorld16(width, height, PF_Pixel16{alpha, 0, 0, 0});
}

bool hasMatte(const TestWorld16 &w) { return Is_ThereAMaskAtAll(InputLayer16{&w.def, false}); }

}  // namespace

TEST(MaskPresence, OnlyPartlyTransparentOrDifferingSamplesShowAMatte) {
    for (A_u_short alpha : {0, 1, 32768}) EXPECT_FALSE(hasMatte(uniform(256, 256, alpha)));
    for (A_u_short alpha : {2, 32767}) EXPECT_TRUE(hasMatte(uniform(256, 256, alpha)));
    // Width 256: the first step is 32 and its first sample (31, 31). Samples
    // sit at odd columns left of the centre, their mirrors from column 128
    // on, so (30, 30) is never looked at.
    TestWorld16 layer = uniform(256, 256, 0);
    setPixel16Alpha(layer.def, 30, 30, 32767);
    EXPECT_FALSE(hasMatte(layer));
    setPixel16Alpha(layer.def, 31, 31, 32767);
    EXPECT_TRUE(hasMatte(layer));
    // Clear on the left, opaque on the right: mirrored samples differ.
    TestWorld16 halves = uniform(256, 256, 0);
    for (A_long y = 0; y < 256; ++y)
        for (A_long x = 128; x < 256; ++x) setPixel16Alpha(halves.def, x, y, 32768);
    EXPECT_TRUE(hasMatte(halves));
    EXPECT_FALSE(hasMatte(uniform(15, 300, 16384)));  // too narrow for any sample
    EXPECT_TRUE(hasMatte(uniform(16, 300, 16384)));
}

TEST(MaskPresence, EightBitLayersReadOnTheSixteenBitScale) {
    TestWorld8 opaque = makeWorld8(64, 64, PF_Pixel{255, 0, 0, 0});
    EXPECT_TRUE(Is_ThereAMaskAtAll(InputLayer16{&opaque.def, true}));  // 255 reads 32640
    TestWorld8 clear = makeWorld8(64, 64, PF_Pixel{0, 9, 9, 9});
    EXPECT_FALSE(Is_ThereAMaskAtAll(InputLayer16{&clear.def, true}));
}

// Short layers put sample rows below the image. The memory around each
// layer holds a partly transparent alpha, so any read outside answers true.
TEST(MaskPresence, NeverReadsOutsideShortOrOddSizedLayers) {
    const A_long sizes[][2] = {{16, 1}, {17, 3}, {64, 7}, {130, 5}, {1000, 2}, {513, 63}, {40, 9}};
    for (const auto &size : sizes) {
        TestWorld16 layer =
            makeWorld16(size[0], size[1], {}, PF_Pixel16{16384, 0, 0, 0}, {5, 70, false});
        EXPECT_FALSE(hasMatte(layer)) << size[0] << "x" << size[1];
        TestWorld8 layer8 = makeWorld8(size[0], size[1], {}, PF_Pixel{128, 0, 0, 0}, {5, 70, true});
        EXPECT_FALSE(Is_ThereAMaskAtAll(InputLayer16{&layer8.def, true}))
            << size[0] << "x" << size[1];
    }
}
