#include <gtest/gtest.h>

#include "render/worlds/pixels.h"

TEST(PixelConversions, EightToSixteenAndBackReturnsEveryValue) {
    for (int v = 0; v <= 255; ++v) {
        const auto c = static_cast<A_u_char>(v);
        const PF_Pixel16 wide = convertPix8To16(PF_Pixel{c, c, c, c});
        ASSERT_EQ(wide.alpha, v * 128);
        ASSERT_EQ(convertPix16To8WithMaxCheck(wide).blue, v);
    }
}

TEST(PixelConversions, SixteenToEightClampsAtFullAndTruncates) {
    const std::pair<A_u_short, int> cases[] = {{32768, 255}, {32640, 255}, {32639, 254},
                                               {128, 1},     {127, 0},     {0, 0}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(convertPix16To8WithMaxCheck(PF_Pixel16{in, in, in, in}).red, out) << in;
}

TEST(PixelConversions, OpaqueEightBitColoursAndFloatColours) {
    const PF_Pixel16 opaque = convert8PixelTo16NoMaxCheck(PF_Pixel{255, 255, 255, 255});
    EXPECT_EQ(opaque.alpha, 32768);
    EXPECT_EQ(opaque.red, 32640);
    EXPECT_EQ(opaque.blue, 32640);
    EXPECT_EQ(convert8PixelTo16NoMaxCheck(PF_Pixel{254, 1, 2, 3}).alpha, 32512);
    const std::pair<float, int> cases[] = {
        {1.0f, 32768}, {0.5f, 16384}, {1.5f, 32768}, {-0.25f, 0}, {1.0f / 65536.0f, 1}};
    for (const auto &[in, out] : cases)
        EXPECT_EQ(convertPix32To16(PF_PixelFloat{in, in, in, in}).green, out) << in;
}
