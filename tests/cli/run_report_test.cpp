// The pieces of a run's report: statistics, progress and the contact sheet.
#include <gtest/gtest.h>

#include "cli/contact_sheet.h"
#include "cli/progress_report.h"
#include "cli/render_stats.h"
#include "host/owned_world.h"

TEST(RenderStats, MedianOfOddAndEvenCounts) {
    EXPECT_EQ(medianOf({5.0, 1.0, 3.0}), 3.0);
    EXPECT_EQ(medianOf({4.0, 1.0, 3.0, 10.0}), 3.5);
    EXPECT_EQ(medianOf({}), 0.0);
    EXPECT_EQ(format_RenderStats({12.0, 10.5, 30.25}, 480, 270),
              "render per frame: min 10.50 ms, median 12.00 ms, max 30.25 ms (3 frames, "
              "480 x 270)");
}

TEST(ProgressBar, ShowsCountRateAndTimeLeft) {
    EXPECT_EQ(format_ProgressBar(6, 24, 3.0),
              "[######------------------] 6/24 frames  2.0 fps  0:09 left");
    EXPECT_EQ(format_ProgressBar(24, 24, 6.0), "[########################] 24/24 frames  4.0 fps");
}

TEST(ContactSheet, SamplesAtMostEightFramesIncludingBothEnds) {
    std::vector<long> frames;
    for (long f = 101; f <= 130; ++f) frames.push_back(f);
    const std::vector<long> sampled = sample_ContactFrames(frames, 8);
    ASSERT_EQ(sampled.size(), 8u);
    EXPECT_EQ(sampled.front(), 101);
    EXPECT_EQ(sampled.back(), 130);
    EXPECT_TRUE(std::is_sorted(sampled.begin(), sampled.end()));
    EXPECT_EQ(std::adjacent_find(sampled.begin(), sampled.end()), sampled.end());
    const std::vector<long> few{4, 5, 6};
    EXPECT_EQ(sample_ContactFrames(few, 8), few);
    EXPECT_EQ(contactShrinkFactor(480, 640), 1);
    EXPECT_EQ(contactShrinkFactor(641, 640), 2);
    EXPECT_EQ(contactShrinkFactor(3840, 640), 6);
}

TEST(ContactSheet, PanelsShowColourOverACheckerboard) {
    OwnedWorld world(16, 8, PixelDepth::Sixteen, 8);
    world.fill(PF_Pixel16{0, 32768, 32768, 32768});         // clear: the checkerboard shows
    *world.pixel16(0, 0) = PF_Pixel16{32768, 32768, 0, 0};  // opaque red
    *world.pixel16(1, 0) = PF_Pixel16{16384, 0, 0, 32768};  // half-transparent blue
    const FileImage panel = make_ContactPanel(world.layer(), 1);
    ASSERT_EQ(panel.width, 16);
    EXPECT_EQ(panel.u8[0], 255);
    EXPECT_EQ(panel.u8[1], 0);
    // Blue at half alpha over the light square (0.6): 0.3 red, 0.8 blue.
    EXPECT_EQ(panel.u8[4], 77);   // 0.3 * 255 + 0.5
    EXPECT_EQ(panel.u8[6], 204);  // 0.8 * 255 + 0.5
    EXPECT_EQ(panel.u8[7], 255);
    const std::size_t darkSquare = (0 * 16 + 8) * 4;  // x 8..15 of the first row
    EXPECT_EQ(panel.u8[darkSquare], 102);             // 0.4 * 255 + 0.5
    // Shrunk by two: each panel pixel is the mean of a 2 x 2 block.
    const FileImage half = make_ContactPanel(world.layer(), 2);
    ASSERT_EQ(half.width, 8);
    EXPECT_EQ(half.u8[0], 159);  // (1.0 + 0.3 + 0.6 + 0.6) / 4 = 0.625 of 255
}
