#include "cli/clip_discovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_error.h"
#include "cli/frame_chunks.h"
#include "cli_test_support.h"

namespace {

std::set<long> framesFrom(long first, long last) {
    std::set<long> frames;
    for (long f = first; f <= last; ++f) frames.insert(f);
    return frames;
}

std::string messageOf(const SequencePattern &p, const std::set<long> &existing,
                      const std::optional<FrameRange> &requested) {
    try {
        choose_Clip(p, existing, requested);
    } catch (const CliError &error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(FrameRangeOption, ParsesRangesAndSingleFrames) {
    const FrameRange range = parse_FrameRange("1001-1010");
    EXPECT_EQ(range.first, 1001);
    EXPECT_EQ(range.last, 1010);
    EXPECT_EQ(range.count(), 10);
    const FrameRange single = parse_FrameRange("7");
    EXPECT_EQ(single.first, 7);
    EXPECT_EQ(single.last, 7);
    for (const char *bad : {"", "7-3", "a-b", "3-", "-3", "1-2-3", "1.5"}) {
        EXPECT_THROW(parse_FrameRange(bad), CliError) << bad;
    }
}

TEST(ClipDiscovery, TheClipIsTheContiguousRunAroundTheRequest) {
    const SequencePattern p = parse_SequencePattern("f.%04d.png");
    std::set<long> existing = framesFrom(1, 5);
    for (long f : framesFrom(7, 12)) existing.insert(f);
    const Clip early = choose_Clip(p, existing, FrameRange{2, 3});
    EXPECT_EQ(early.frames.first, 1);
    EXPECT_EQ(early.frames.last, 5);
    EXPECT_EQ(early.rendered.first, 2);
    EXPECT_EQ(early.rendered.last, 3);
    const Clip late = choose_Clip(p, existing, FrameRange{9, 9});
    EXPECT_EQ(late.frames.first, 7);
    EXPECT_EQ(late.frames.last, 12);
}

TEST(ClipDiscovery, WithoutARequestEveryFrameIsRendered) {
    const Clip clip =
        choose_Clip(parse_SequencePattern("f.%04d.png"), framesFrom(1001, 1024), std::nullopt);
    EXPECT_EQ(clip.rendered.first, 1001);
    EXPECT_EQ(clip.rendered.last, 1024);
    EXPECT_EQ(clip.frames.first, 1001);
    EXPECT_EQ(clip.frames.last, 1024);
}

TEST(ClipDiscovery, AGapOrMissingFrameNamesTheFile) {
    const SequencePattern p = parse_SequencePattern("dir/f.%04d.png");
    std::set<long> gapped = framesFrom(1, 5);
    for (long f : framesFrom(7, 9)) gapped.insert(f);
    const std::string gap = messageOf(p, gapped, FrameRange{4, 8});
    EXPECT_NE(gap.find("dir/f.0006.png"), std::string::npos) << gap;
    EXPECT_NE(gap.find("gap"), std::string::npos) << gap;
    // The whole clip is asked for when no range is given, gap included.
    EXPECT_NE(messageOf(p, gapped, std::nullopt).find("dir/f.0006.png"), std::string::npos);
    const std::string beyond = messageOf(p, framesFrom(1, 5), FrameRange{5, 6});
    EXPECT_NE(beyond.find("dir/f.0006.png: no such file"), std::string::npos) << beyond;
    EXPECT_NE(messageOf(p, {}, std::nullopt).find("no frames found"), std::string::npos);
}

TEST(ClipDiscovery, ASingleFileIsAOneFrameClip) {
    const SequencePattern p = parse_SequencePattern("plate.png");
    const Clip clip = choose_Clip(p, {SINGLE_FILE_FRAME}, std::nullopt);
    EXPECT_EQ(clip.frames.count(), 1);
    EXPECT_EQ(clip.rendered.first, SINGLE_FILE_FRAME);
    EXPECT_THROW(choose_Clip(p, {SINGLE_FILE_FRAME}, FrameRange{2, 2}), CliError);
    EXPECT_NE(messageOf(p, {}, std::nullopt).find("plate.png: no such file"), std::string::npos);
}

TEST(ClipDiscovery, ListsOnlyFilesThePatternNames) {
    ScratchFolder folder;
    for (const char *name : {"f.0001.png", "f.0002.png", "f.0003.png", "f.0005.png", "f.01.png",
                             "g.0004.png", "f.0004.png.tmp"}) {
        std::ofstream(folder.file(name)) << "x";
    }
    std::filesystem::create_directory(folder.file("f.0009.png"));  // a folder, not a frame
    const std::set<long> frames =
        list_ExistingFrames(parse_SequencePattern(folder.file("f.%04d.png")));
    EXPECT_EQ(frames, (std::set<long>{1, 2, 3, 5}));
    EXPECT_THROW(list_ExistingFrames(parse_SequencePattern(folder.file("none/f.%04d.png"))),
                 CliError);
}

TEST(FrameChunks, PartsCoverTheRangeOnceInNearlyEqualRuns) {
    for (long frames = 1; frames <= 30; ++frames) {
        const FrameRange range{1001, 1000 + frames};
        for (long parts = 1; parts <= frames; ++parts) {
            long next = range.first;
            for (long k = 1; k <= parts; ++k) {
                const FrameRange part = chunk_FrameRange(range, FrameChunk{k, parts});
                ASSERT_EQ(part.first, next) << k << "/" << parts << " of " << frames;
                const long size = part.count();
                ASSERT_TRUE(size == frames / parts || size == frames / parts + 1);
                next = part.last + 1;
            }
            ASSERT_EQ(next, range.last + 1) << parts << " parts of " << frames;
        }
    }
    // Twelve-digit frame numbers and many parts: no overflow.
    const FrameRange huge{0, 999999999999};
    EXPECT_EQ(chunk_FrameRange(huge, FrameChunk{999999999, 999999999}).last, 999999999999);
    // More parts than frames: the last part is empty and refused.
    EXPECT_EQ(chunk_FrameRange(FrameRange{1, 5}, FrameChunk{5, 6}).first, 5);
    try {
        chunk_FrameRange(FrameRange{1, 5}, FrameChunk{6, 6});
        ADD_FAILURE() << "an empty part was accepted";
    } catch (const CliError &error) {
        EXPECT_EQ(error.exitCode, EXIT_USAGE_ERROR);
        EXPECT_STREQ(error.what(),
                     "--chunk: part 6 of 6 has no frames; the range has only 5 frames");
    }
}
