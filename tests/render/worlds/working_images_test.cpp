#include "render/worlds/working_images.h"

#include <gtest/gtest.h>

#include <map>

#include "reference/render/worlds/working_images.h"
#include "support/fake_host.h"
#include "support/test_world.h"

TEST(BitDepthAndSizing, AfterEffectsReadsTheDeepFlagPremiereThePixelFormat) {
    FakeHost effects;
    PF_LayerDef output{};
    bool eightBit = false;
    A_long sizeFactor = 5;
    EXPECT_EQ(populate_BitDepthAndSizing(&effects.in_data, nullptr, &output, eightBit, sizeFactor),
              0);
    EXPECT_TRUE(eightBit && sizeFactor == 1);
    output.world_flags = PF_WorldFlag_DEEP;
    populate_BitDepthAndSizing(&effects.in_data, nullptr, &output, eightBit, sizeFactor);
    EXPECT_FALSE(eightBit);

    FakeHost premiere(PF_ApplId_PREMIERE);  // the deep flag is ignored here
    const std::pair<PrPixelFormat, bool> known[] = {{PrPixelFormat_ARGB_4444_16u, false},
                                                    {PrPixelFormat_ARGB_4444_8u, true}};
    for (const auto &[format, expectEightBit] : known) {
        premiere.pixelFormat = format;
        eightBit = !expectEightBit;
        sizeFactor = 1;
        EXPECT_EQ(
            populate_BitDepthAndSizing(&premiere.in_data, nullptr, &output, eightBit, sizeFactor),
            0);
        EXPECT_EQ(eightBit, expectEightBit);
        EXPECT_EQ(sizeFactor, 2);
    }
    premiere.pixelFormat = PrPixelFormat_BGRA_4444_8u;  // unknown: both left alone
    eightBit = false;
    sizeFactor = 1;
    populate_BitDepthAndSizing(&premiere.in_data, nullptr, &output, eightBit, sizeFactor);
    EXPECT_TRUE(!eightBit && sizeFactor == 1);
    EXPECT_EQ(premiere.acquired["PF Pixel Format Suite"], 3);
    EXPECT_EQ(premiere.released["PF Pixel Format Suite"], 3);
}

TEST(BitDepthAndSizing, AMissingSuiteEndsWithItsErrorAndMessage) {
    FakeHost host(PF_ApplId_PREMIERE);
    host.refusedSuites = {"PF Pixel Format Suite"};
    PF_OutData out{};
    PF_LayerDef output{};
    bool eightBit = false;
    A_long sizeFactor = 1;
    try {
        populate_BitDepthAndSizing(&host.in_data, &out, &output, eightBit, sizeFactor);
        ADD_FAILURE() << "a missing suite must end the call";
    } catch (PF_Err err) {
        EXPECT_EQ(err, A_Err_MISSING_SUITE);
    }
    EXPECT_STREQ(out.return_msg, "Not able to acquire AEFX Suite.");
    EXPECT_TRUE(out.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_TRUE(host.released.empty());  // nothing acquired, nothing released
}

TEST(WorkingImages, ConvertCopyAndForceAlphaIntoListedWorlds) {
    FakeHost host;
    DisposalList list{};
    TestWorld8 layer = makeWorld8(4, 3, PF_Pixel{255, 10, 20, 30});
    PF_LayerDef converted{}, forced{}, analysis{};
    ASSERT_EQ(reference::populate_OrConvertWrldPreserveOriginalFrameWithMask(
                  converted, layer.def, &host.in_data, list, 4, 1, 3, true, false),
              PF_Err_NONE);
    EXPECT_TRUE(columnsEqual(converted, 0, 4, 3, PF_Pixel16{32640, 1280, 2560, 3840}));
    TestWorld16 deep = makeWorld16(4, 3, PF_Pixel16{32768, 1, 2, 3});
    reference::populate_OrConvertWrldPreserveOriginalFrameWithMask(forced, deep.def, &host.in_data,
                                                                   list, 4, 1, 3, false, true);
    EXPECT_TRUE(columnsEqual(forced, 0, 4, 3, PF_Pixel16{32760, 1, 2, 3}));
    // The host leaves a pattern in new worlds; analysis worlds start at zero.
    ASSERT_EQ(reference::create_AnalysisWorld(analysis, &host.in_data, list, 5, 2, 3), PF_Err_NONE);
    EXPECT_EQ(analysis.width, 10);
    EXPECT_TRUE(columnsEqual(analysis, 0, 10, 3, PF_Pixel16{}));
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list.worlds[1], &converted);
    EXPECT_EQ(list.worlds[3], &analysis);
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
    EXPECT_FALSE(host.outsideWritten);
}

TEST(WorkingImages, DoubleWidthWorldIsClearedBeyondTheLayer) {
    FakeHost host(PF_ApplId_PREMIERE);
    DisposalList list{};
    TestWorld16 layer = makeWorld16(4, 3, PF_Pixel16{32768, 9, 9, 9});
    PF_LayerDef world{};
    reference::populate_OrConvertWrldPreserveOriginalFrameWithMask(world, layer.def, &host.in_data,
                                                                   list, 4, 2, 3, false, false);
    EXPECT_EQ(world.width, 8);
    EXPECT_TRUE(columnsEqual(world, 0, 4, 3, PF_Pixel16{32768, 9, 9, 9}));
    EXPECT_TRUE(columnsEqual(world, 4, 8, 3, PF_Pixel16{}));
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
    EXPECT_FALSE(host.outsideWritten);
}

TEST(WorkingImages, FailedCreationOrAFullListLeavesNothingBehind) {
    FakeHost host;
    DisposalList list{};
    TestWorld16 layer = makeWorld16(4, 3);
    PF_LayerDef world{};
    host.newWorldError = PF_Err_OUT_OF_MEMORY;
    EXPECT_EQ(reference::populate_OrConvertWrldPreserveOriginalFrameWithMask(
                  world, layer.def, &host.in_data, list, 4, 1, 3, false, false),
              PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(list.count, 0);
    host.newWorldError = PF_Err_NONE;
    list.count = DISPOSAL_LIST_CAPACITY;
    EXPECT_EQ(reference::create_AnalysisWorld(world, &host.in_data, list, 4, 1, 3),
              PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(host.live.empty());  // the refused world was given back
}

TEST(WorkingImages, OutputGoesToATemporaryOnlyForEightBit) {
    FakeHost host;
    DisposalList list{};
    PF_LayerDef hostOutput{}, temporary{};
    PF_LayerDef *target = nullptr;
    setup_OutputPointer(target, temporary, &hostOutput, &host.in_data, list, 6, 1, 4, false);
    EXPECT_EQ(target, &hostOutput);
    EXPECT_EQ(host.newWorldCalls, 0);
    EXPECT_EQ(
        setup_OutputPointer(target, temporary, &hostOutput, &host.in_data, list, 6, 2, 4, true),
        PF_Err_NONE);
    EXPECT_EQ(target, &temporary);
    EXPECT_EQ(temporary.width, 12);
    EXPECT_EQ(list.worlds[1], &temporary);
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
}

namespace {

// Frames by time, 3 x 2, each carrying its time in red.
struct FrameSource {
    std::map<A_long, TestWorld16> frames;
    std::map<A_long, TestWorld8> frames8;
    A_long failAt = -1;

    PF_Err operator()(A_long time, PF_LayerDef &layer) {
        if (time == failAt) return PF_Err_INTERNAL_STRUCT_DAMAGED;
        if (frames8.count(time)) {
            layer = frames8.at(time).def;
        } else {
            if (!frames.count(time))
                frames.emplace(time, makeWorld16(3, 2, PF_Pixel16{32768, A_u_short(time), 0, 0}));
            layer = frames.at(time).def;
        }
        return PF_Err_NONE;
    }
};

struct FrameArray : ::testing::Test {
    PF_LayerDef storage[FRAME_ARRAY_SLOTS]{};
    PF_LayerDef *frames[FRAME_ARRAY_SLOTS]{};
    PF_LayerDef fallback{};
    DisposalList list{};
    FrameSource source;

    PF_Err fetch(FakeHost &host, A_long sizeFactor, bool eightBit, A_long around) {
        host.frameAt = std::ref(source);
        return populate_FrameArrayFramesNoMatterWhat(storage, frames, fallback, &host.in_data, list,
                                                     3, sizeFactor, 2, eightBit, around, around);
    }
};

}  // namespace

TEST_F(FrameArray, FetchesSevenFramesClampedAtTimeZero) {
    FakeHost host;
    host.in_data.current_time = 100;
    ASSERT_EQ(fetch(host, 1, false, 3), PF_Err_NONE);
    EXPECT_EQ(host.checkoutTimes, (std::vector<A_long>{0, 0, 0, 100, 200, 300, 400}));
    EXPECT_EQ(host.checkins, 7);
    for (A_long offset = -3; offset <= 3; ++offset) {
        const A_long slot = offset + FRAME_ARRAY_CENTRE;
        ASSERT_EQ(frames[slot], &storage[slot]);
        EXPECT_EQ(getPixel16Red(*frames[slot], 2, 1), std::max<A_long>(0, 100 + offset * 100));
    }
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
    EXPECT_EQ(host.disposeCalls, 7);
    EXPECT_FALSE(host.outsideWritten);
}

TEST_F(FrameArray, DepthComesFromTheLayerOrFromTheEightBitFlag) {
    source.frames8.emplace(0, makeWorld8(3, 2, PF_Pixel{255, 2, 0, 0}));
    FakeHost effects;  // the layer says 8-bit: converted
    fetch(effects, 1, false, 0);
    EXPECT_TRUE(samePixel(*getPixel16(*frames[10], 1, 1), PF_Pixel16{32640, 256, 0, 0}));
    Dispose_OfAllWorldsOnDisposalList(&effects.in_data, list);

    FakeHost premiere(PF_ApplId_PREMIERE);  // the flag says 8-bit
    fetch(premiere, 2, true, 0);
    EXPECT_TRUE(samePixel(*getPixel16(*frames[10], 2, 1), PF_Pixel16{32640, 256, 0, 0}));
    EXPECT_TRUE(columnsEqual(*frames[10], 3, 6, 2, PF_Pixel16{}));
    Dispose_OfAllWorldsOnDisposalList(&premiere.in_data, list);
    EXPECT_FALSE(premiere.outsideWritten);
}

TEST_F(FrameArray, AFrameWithoutPixelsShowsTheFallback) {
    source.frames.emplace(100, makeWorld16(0, 0));
    FakeHost host;
    host.in_data.current_time = 100;
    ASSERT_EQ(fetch(host, 1, false, 1), PF_Err_NONE);
    EXPECT_EQ(frames[9], &storage[9]);
    EXPECT_EQ(frames[10], &fallback);
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
}

TEST_F(FrameArray, AFailedCheckoutIsCheckedInAndStopsTheFetch) {
    FakeHost host;
    host.in_data.current_time = 1000;
    source.failAt = 1000;  // offset 0
    EXPECT_EQ(fetch(host, 1, false, 3), PF_Err_INTERNAL_STRUCT_DAMAGED);
    EXPECT_EQ(host.checkoutTimes, (std::vector<A_long>{700, 800, 900, 1000}));
    EXPECT_EQ(host.checkins, 4);
    EXPECT_EQ(frames[FRAME_ARRAY_CENTRE], nullptr);
    Dispose_OfAllWorldsOnDisposalList(&host.in_data, list);
    EXPECT_TRUE(host.live.empty());
}
