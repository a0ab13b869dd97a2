// The renderer's side of the host: which frame a check-out at another time
// delivers, how an effect's failure is reported, and the shared window the
// frames come from. A probe effect stands in for the module, so each
// check-out is seen exactly.
#include "cli/frame_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <thread>

#include "cli/cli_error.h"
#include "cli/frame_window.h"
#include "cli/ordered_handoff.h"
#include "cli_test_support.h"

namespace {

constexpr A_long PROBE_REACH = 3;

constexpr A_long PROBE_MODE_ID = 1;

// Declares one popup, whose second choice is the cue to fail.
PF_Err declareProbeMode(PF_InData *in_data) {
    PF_ParamDef mode{};
    mode.param_type = PF_Param_POPUP;
    mode.uu.id = PROBE_MODE_ID;
    std::strcpy(mode.name, "Mode");
    mode.u.pd.num_choices = 2;
    mode.u.pd.value = mode.u.pd.dephault = 1;
    mode.u.pd.u.namesptr = "Work|Fail|";
    return in_data->inter.add_param(in_data->effect_ref, -1, &mode);
}

// Checks out the input layer at offsets -3..+3 around the current time, as
// the effect does (but without clamping to time 0 itself), and writes the
// red of each delivered layer's first pixel into output pixel (3 + offset, 0).
PF_Err probeEffect(PF_Cmd cmd, PF_InData *in_data, PF_OutData *, PF_ParamDef *params[],
                   PF_LayerDef *output, void *) {
    if (cmd == PF_Cmd_PARAMS_SETUP) return declareProbeMode(in_data);
    if (cmd != PF_Cmd_RENDER) return PF_Err_NONE;
    if (params[1]->u.pd.value == 2) return PF_Err_OUT_OF_MEMORY;
    for (A_long k = -PROBE_REACH; k <= PROBE_REACH; ++k) {
        PF_ParamDef layer{};
        const PF_Err err = in_data->inter.checkout_param(
            in_data->effect_ref, 0, in_data->current_time + k * in_data->time_step,
            in_data->time_step, in_data->time_scale, &layer);
        if (err) return err;
        const PF_Pixel *first = layer.u.ld.data;
        output->data[PROBE_REACH + k].red = first != nullptr ? first->red : 0;
        in_data->inter.checkin_param(in_data->effect_ref, &layer);
    }
    return PF_Err_NONE;
}

// Frames first..last, 8 x 2 pixels, every red channel 10 x the frame number.
Clip writeNumberedClip(const ScratchFolder &folder, long first, long last) {
    for (long f = first; f <= last; ++f) {
        const FileImage image = make8BitImage(8, 2, [f](int, int, std::uint8_t *rgba) {
            rgba[0] = std::uint8_t(10 * f);
            rgba[3] = 255;
        });
        write_ImageFileAtomically(folder.file("n." + std::to_string(f) + ".png"), image);
    }
    return discover_Clip(parse_SequencePattern(folder.file("n.%d.png")), std::nullopt);
}

// The frame's inputs, through the window as a run gathers them.
RenderInputs gatherInputs(const Clip &clip, long frame) {
    FrameWindow window(open_SequenceSource(clip.pattern, AlphaReading::Auto), clip.frames, {frame},
                       HostApp::AfterEffects, 1);
    window.readAll();
    std::size_t index = 0;
    RenderInputs inputs;
    EXPECT_TRUE(window.claim(index) && window.gather(frame, inputs));
    return inputs;
}

std::vector<int> deliveredFrames(FrameRenderer &renderer, const Clip &clip, long frame) {
    const FrameResult result = renderer.render(frame, gatherInputs(clip, frame), ParamValues{});
    std::vector<int> frames;
    for (A_long k = 0; k <= 2 * PROBE_REACH; ++k) {
        frames.push_back(result.output.pixel8(k, 0)->red / 10);
    }
    return frames;
}

}  // namespace

TEST(NeighbouringFrames, TimeMapsToFramesClampedToTheClip) {
    const FrameRange clip{11, 15};
    EXPECT_EQ(frameAtTime(clip, 0, 1), 11);
    EXPECT_EQ(frameAtTime(clip, 3, 1), 14);
    EXPECT_EQ(frameAtTime(clip, -2, 1), 11);
    EXPECT_EQ(frameAtTime(clip, 9, 1), 15);
    EXPECT_EQ(frameAtTime(clip, 6, 2), 14);
}

TEST(NeighbouringFrames, CheckOutsAreClampedAtBothEndsOfTheClip) {
    ScratchFolder folder;
    const Clip clip = writeNumberedClip(folder, 1, 9);
    FrameRenderer renderer(probeEffect, clip, HostRequest{});
    EXPECT_EQ(deliveredFrames(renderer, clip, 1), (std::vector<int>{1, 1, 1, 1, 2, 3, 4}));
    EXPECT_EQ(deliveredFrames(renderer, clip, 2), (std::vector<int>{1, 1, 1, 2, 3, 4, 5}));
    EXPECT_EQ(deliveredFrames(renderer, clip, 5), (std::vector<int>{2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(deliveredFrames(renderer, clip, 9), (std::vector<int>{6, 7, 8, 9, 9, 9, 9}));
}

TEST(NeighbouringFrames, TimeZeroIsTheClipsFirstFrameWhateverItsNumber) {
    ScratchFolder folder;
    const Clip clip = writeNumberedClip(folder, 20, 23);
    FrameRenderer renderer(probeEffect, clip, HostRequest{HostApp::AfterEffects, 1, 30});
    EXPECT_EQ(deliveredFrames(renderer, clip, 20), (std::vector<int>{20, 20, 20, 20, 21, 22, 23}));
    EXPECT_EQ(deliveredFrames(renderer, clip, 22), (std::vector<int>{20, 20, 21, 22, 23, 23, 23}));
}

TEST(FrameRendering, AnEffectErrorNamesTheFrameAndTheCode) {
    ScratchFolder folder;
    const Clip clip = writeNumberedClip(folder, 1, 3);
    FrameRenderer renderer(probeEffect, clip, HostRequest{});
    ParamValues failing;
    failing.number[PROBE_MODE_ID] = 2;  // the probe's cue to fail
    try {
        renderer.render(3, gatherInputs(clip, 3), failing);
        FAIL() << "the failure was not reported";
    } catch (const CliError &error) {
        EXPECT_STREQ(error.what(), "frame 3: the effect failed with PF_Err_OUT_OF_MEMORY");
    }
}

namespace {

const FrameRange LONG_CLIP{1, 31};

// Blank frames; every read is logged, and the read of `failAt` fails as a
// damaged file does.
ClipSource loggingSource(std::vector<long> &reads, long failAt = 0, bool anyOrder = false) {
    static std::mutex logged;
    return ClipSource{[&reads, failAt](long frame) {
                          std::lock_guard<std::mutex> lock(logged);
                          reads.push_back(frame);
                          if (frame == failAt)
                              throw CliError("f." + std::to_string(frame) + ": cannot read");
                          return make_ImageFrame(make_FileImage(4, 2, SampleDepth::Eight));
                      },
                      anyOrder};
}

}  // namespace

// Files may also be read by the render threads that wait for them: still
// each once.
class FrameWindowReads : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Sources, FrameWindowReads, ::testing::Values(false, true));

TEST_P(FrameWindowReads, EachFrameIsReadOnceInOrderWhileThreadsRenderAcrossGaps) {
    const bool anyOrder = GetParam();
    std::vector<long> reads;
    const std::vector<long> rendered{2, 3, 4, 9, 15, 16, 30};
    FrameWindow window(loggingSource(reads, 0, anyOrder), LONG_CLIP, rendered,
                       HostApp::AfterEffects, 3);
    std::thread reader([&] { window.readAll(); });
    std::mutex mutex;
    std::multiset<long> done;
    std::vector<long> wrongInputs;
    const auto renderThread = [&] {
        std::size_t index = 0;
        while (window.claim(index)) {
            const long frame = rendered[index];
            RenderInputs inputs;
            ASSERT_TRUE(window.gather(frame, inputs));
            const FrameRange needed = neighboursOf(LONG_CLIP, frame);
            const bool whole = long(inputs.frames.size()) == needed.count() &&
                               inputs.frames.begin()->first == needed.first &&
                               inputs.world(frame) != nullptr;
            window.release(index);
            std::lock_guard<std::mutex> lock(mutex);
            done.insert(frame);
            if (!whole) wrongInputs.push_back(frame);
        }
    };
    std::thread renders[] = {std::thread(renderThread), std::thread(renderThread),
                             std::thread(renderThread)};
    for (std::thread &render : renders) render.join();
    reader.join();
    EXPECT_EQ(done, std::multiset<long>(rendered.begin(), rendered.end()));
    EXPECT_TRUE(wrongInputs.empty());
    std::vector<long> expected;
    for (long f = 1; f <= 19; ++f) expected.push_back(f);
    for (long f = 27; f <= 31; ++f) expected.push_back(f);
    if (anyOrder) std::sort(reads.begin(), reads.end());
    EXPECT_EQ(reads, expected);
}

TEST(FrameWindow, AFailedReadStopsTheRendersWaitingForIt) {
    std::vector<long> reads;
    FrameWindow window(loggingSource(reads, 5), LONG_CLIP, {2, 3, 4, 5, 6, 7, 8},
                       HostApp::AfterEffects, 1);
    std::size_t index = 0;
    ASSERT_TRUE(window.claim(index));
    std::thread reader([&] {
        try {
            window.readAll();
        } catch (const CliError &) {
            window.stop();
        }
    });
    RenderInputs inputs;
    EXPECT_FALSE(window.gather(2, inputs));  // needs frames 1 to 5
    EXPECT_FALSE(window.claim(index));
    reader.join();
    EXPECT_EQ(reads, (std::vector<long>{1, 2, 3, 4, 5}));
}

// A movie's frames finish out of order on the render threads and reach the
// writer in order; a frame far ahead waits instead of piling up.
TEST(OrderedHandoff, FramesFinishedOutOfOrderAreWrittenInOrder) {
    OrderedHandoff handoff(6, 2);
    std::vector<long> written;
    std::thread writer([&] {
        long frame = 0;
        ImageFrame output;
        while (handoff.take(frame, output)) written.push_back(frame);
    });
    std::thread third([&] { EXPECT_TRUE(handoff.put(3, 30, ImageFrame())); });
    std::thread second([&] { EXPECT_TRUE(handoff.put(2, 20, ImageFrame())); });
    for (std::size_t index : {1, 0, 4, 5}) {
        EXPECT_TRUE(handoff.put(index, long(index) * 10, ImageFrame()));
    }
    third.join();
    second.join();
    writer.join();
    EXPECT_EQ(written, (std::vector<long>{0, 10, 20, 30, 40, 50}));

    OrderedHandoff stopped(3, 1);
    std::thread waiting([&] { EXPECT_FALSE(stopped.put(2, 20, ImageFrame())); });
    stopped.stop();
    waiting.join();
    long frame = 0;
    ImageFrame output;
    EXPECT_FALSE(stopped.take(frame, output));
}
