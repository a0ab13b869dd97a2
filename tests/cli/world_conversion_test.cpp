#include "cli/world_conversion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include "cli/output_frame.h"

TEST(FileToWorldSamples, SixteenBitFilesScaleTo32768WithTheRoundingOffset) {
    // (v * 32768 + 32767) / 65535, worked by hand.
    EXPECT_EQ(world16From16BitFile(0), 0);
    EXPECT_EQ(world16From16BitFile(1), 1);  // 65535 / 65535
    EXPECT_EQ(world16From16BitFile(2), 1);  // 98303 / 65535
    EXPECT_EQ(world16From16BitFile(3), 2);  // 131071 / 65535
    EXPECT_EQ(world16From16BitFile(32768), 16384);
    EXPECT_EQ(world16From16BitFile(65534), 32767);
    EXPECT_EQ(world16From16BitFile(65535), 32768);
    for (std::uint32_t v = 0; v <= 65535; ++v)
        ASSERT_EQ(world16From16BitFile(std::uint16_t(v)), (v * 32768u + 32767u) / 65535u) << v;
}

TEST(FileToWorldSamples, FloatFilesClampScaleAndTruncateAfterAddingAHalf) {
    EXPECT_EQ(world16FromFloatFile(1.0f), 32768);
    EXPECT_EQ(world16FromFloatFile(0.5f), 16384);
    EXPECT_EQ(world16FromFloatFile(1.5f), 32768);
    EXPECT_EQ(world16FromFloatFile(-0.25f), 0);
    EXPECT_EQ(world16FromFloatFile(1.0f / 65536.0f), 1);   // 0.5 + 0.5
    EXPECT_EQ(world16FromFloatFile(0.99f / 65536.0f), 0);  // just under a half step
    EXPECT_EQ(world16FromFloatFile(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(world16FromFloatFile(std::numeric_limits<float>::infinity()), 32768);
}

TEST(WorldToFileSamples, EachDepthHasItsOwnRule) {
    EXPECT_EQ(file16FromWorld16(0), 0);
    EXPECT_EQ(file16FromWorld16(1), 2);  // (65535 + 16384) / 32768
    EXPECT_EQ(file16FromWorld16(16384), 32768);
    EXPECT_EQ(file16FromWorld16(32768), 65535);
    EXPECT_EQ(file16FromWorld16(40000), 65535);  // above full scale
    EXPECT_EQ(file8FromWorld16(32768), 255);
    EXPECT_EQ(file8FromWorld16(32640), 255);
    EXPECT_EQ(file8FromWorld16(32639), 254);
    EXPECT_EQ(file8FromWorld16(128), 1);
    EXPECT_EQ(file8FromWorld16(127), 0);
    EXPECT_EQ(fileFloatFromWorld16(16384), 0.5f);
    EXPECT_EQ(fileFloatFromWorld16(32768), 1.0f);
    EXPECT_EQ(fileFloatFromWorld16(50000), 1.0f);
    EXPECT_EQ(fileFloatFromWorld16(1), 1.0f / 32768.0f);
}

TEST(ConversionRoundTrips, EveryWorldValueSurvivesEachFileDepth) {
    for (std::uint32_t w = 0; w <= 32768; ++w) {
        const auto v = static_cast<std::uint16_t>(w);
        ASSERT_EQ(world16From16BitFile(file16FromWorld16(v)), v) << w;
        ASSERT_EQ(world16FromFloatFile(fileFloatFromWorld16(v)), v) << w;
    }
    // Premiere Pro's 16-bit worlds hold every 8-bit value exactly.
    for (std::uint32_t v = 0; v <= 255; ++v) {
        ASSERT_EQ(file8FromWorld16(world16From8BitFile(static_cast<std::uint8_t>(v))), v);
    }
}

TEST(ConversionRoundTrips, SixteenBitFileValuesComeBackWithinOne) {
    // 65536 file values share 32769 world values: a round trip may move a
    // value by one, never more.
    for (std::uint32_t v = 0; v <= 65535; ++v) {
        const int back = file16FromWorld16(world16From16BitFile(static_cast<std::uint16_t>(v)));
        ASSERT_LE(std::abs(back - int(v)), 1) << v;
    }
}

namespace {

FileImage sixPixelImage(SampleDepth depth) {
    FileImage image = make_FileImage(3, 2, depth);
    for (std::size_t i = 0; i < image.sampleCount(); ++i) {
        if (depth == SampleDepth::Eight) image.u8[i] = static_cast<std::uint8_t>(10 * i + 3);
        if (depth == SampleDepth::Sixteen) image.u16[i] = static_cast<std::uint16_t>(2700 * i + 1);
        if (depth == SampleDepth::Float) image.f32[i] = 0.04f * float(i) - 0.1f;
    }
    return image;
}

}  // namespace

TEST(FileToWorld, AfterEffectsKeepsEightBitBytesInAlphaFirstOrder) {
    const FileImage image = sixPixelImage(SampleDepth::Eight);
    const OwnedWorld world = convert_FrameToWorld(make_ImageFrame(image), HostApp::AfterEffects, 8);
    EXPECT_FALSE(world.deep());
    EXPECT_EQ(world.rowbytes(), 3 * 4 + 8);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            const std::uint8_t *rgba = &image.u8[(y * 3 + x) * 4];
            const PF_Pixel p = *world.pixel8(x, y);
            EXPECT_EQ(p.alpha, rgba[3]);
            EXPECT_EQ(p.red, rgba[0]);
            EXPECT_EQ(p.green, rgba[1]);
            EXPECT_EQ(p.blue, rgba[2]);
        }
    }
}

TEST(FileToWorld, PremiereMakesEveryWorldSixteenBit) {
    const FileImage image = sixPixelImage(SampleDepth::Eight);
    const OwnedWorld world = convert_FrameToWorld(make_ImageFrame(image), HostApp::Premiere, 16);
    ASSERT_TRUE(world.deep());
    const PF_Pixel16 p = *world.pixel16(2, 1);  // samples 20..23
    EXPECT_EQ(p.red, 203 * 128);
    EXPECT_EQ(p.green, 213 * 128);
    EXPECT_EQ(p.blue, 223 * 128);
    EXPECT_EQ(p.alpha, 233 * 128);
}

TEST(FileToWorld, SixteenBitAndFloatFilesGoThroughTheirRules) {
    const FileImage sixteen = sixPixelImage(SampleDepth::Sixteen);
    const OwnedWorld deep =
        convert_FrameToWorld(make_ImageFrame(sixteen), HostApp::AfterEffects, 8);
    ASSERT_TRUE(deep.deep());
    const PF_Pixel16 p = *deep.pixel16(1, 1);  // samples 16..19: 43201, 45901, 48601, 51301
    EXPECT_EQ(p.red, (43201u * 32768u + 32767u) / 65535u);
    EXPECT_EQ(p.alpha, (51301u * 32768u + 32767u) / 65535u);
    FileImage floats = sixPixelImage(SampleDepth::Float);
    floats.f32[20] = 0.25f;
    floats.f32[21] = 0.75f / 32768.0f;
    floats.f32[23] = 1.25f;
    const OwnedWorld fromFloat =
        convert_FrameToWorld(make_ImageFrame(floats), HostApp::AfterEffects);
    EXPECT_EQ(fromFloat.pixel16(0, 0)->red, 0);  // -0.1 clamps to 0
    EXPECT_EQ(fromFloat.pixel16(2, 1)->red, 8192);
    EXPECT_EQ(fromFloat.pixel16(2, 1)->green, 1);      // 0.75 + 0.5 truncates to 1
    EXPECT_EQ(fromFloat.pixel16(2, 1)->alpha, 32768);  // clamped
}

// Straight 16-bit input: every output pixel is the rendered one, converted.
FileImage renderedAs(const OwnedWorld &world, SampleDepth depth) {
    const ImageFrame input = make_ImageFrame(make_FileImage(2, 2, SampleDepth::Sixteen));
    const OwnedWorld inputWorld = convert_FrameToWorld(input, HostApp::AfterEffects);
    return compose_OutputFrame(input, inputWorld.layer(), world.layer(),
                               choose_OutputFormat("o.tif", depth), depth)
        .pixels;
}

TEST(WorldToFile, ReadsPaddedRowsIntoEachFileDepth) {
    OwnedWorld world(2, 2, PixelDepth::Sixteen, 16, 0xEE);
    world.fill(PF_Pixel16{32768, 0, 16384, 32639});
    *world.pixel16(1, 1) = PF_Pixel16{1, 2, 3, 40000};
    const FileImage eight = renderedAs(world, SampleDepth::Eight);
    EXPECT_EQ(eight.u8[0], 0);
    EXPECT_EQ(eight.u8[1], 128);
    EXPECT_EQ(eight.u8[2], 254);
    EXPECT_EQ(eight.u8[3], 255);
    const FileImage sixteen = renderedAs(world, SampleDepth::Sixteen);
    EXPECT_EQ(sixteen.u16[12], 4);      // red 2: (131070 + 16384) / 32768
    EXPECT_EQ(sixteen.u16[14], 65535);  // blue above full scale
    EXPECT_EQ(sixteen.u16[15], 2);      // alpha 1
    const FileImage floats = renderedAs(world, SampleDepth::Float);
    EXPECT_EQ(floats.f32[1], 0.5f);
    EXPECT_EQ(floats.f32[14], 1.0f);
}
