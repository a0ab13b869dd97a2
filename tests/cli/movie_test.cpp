// Movies in and out of holvane render, checked against the same frames
// rendered as a PNG sequence. The movies are made from the bundled clip by
// the ffmpeg program; without it the tests skip.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/movie_input.h"
#include "cli_test_support.h"

namespace {

constexpr long CLIP_FRAMES = 5;

std::string exampleClip() { return sourceFolder() + "/examples/ocean_parrotfish/frame.%04d.png"; }

bool haveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

// Runs ffmpeg quietly with the arguments (paths without quotes in them).
void ffmpeg(const std::string &arguments) {
    const std::string command = "ffmpeg -nostdin -v error -y " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string framePath(const std::string &pattern, long frame) {
    char name[512];
    std::snprintf(name, sizeof name, pattern.c_str(), int(frame));
    return name;
}

// The example clip rendered as PNG frames, as every movie render should
// come out.
const std::string &referenceRender() {
    static ScratchFolder folder;
    static const std::string pattern = folder.file("ref.%04d.png");
    static const bool rendered =
        runHolvane({"render", exampleClip(), pattern, "--jobs", "1", "-q"}).exitCode == 0;
    EXPECT_TRUE(rendered);
    return pattern;
}

// A movie frame read back by the renderer's own reader, as decodeImage
// gives an image file's: samples widened to 16 bits (8-bit ones times 257).
DecodedImage movieFrame(MovieInput &movie, long frame) {
    const ImageFrame read = movie.read(frame);
    DecodedImage image;
    image.width = read.pixels.width;
    image.height = read.pixels.height;
    image.channels = 4;
    image.type = read.pixels.depth == SampleDepth::Eight ? "uint8" : "uint16";
    for (std::size_t i = 0; i < read.pixels.sampleCount(); ++i) {
        image.u16.push_back(read.pixels.depth == SampleDepth::Eight ? read.pixels.u8[i] * 257
                                                                    : read.pixels.u16[i]);
    }
    return image;
}

// The largest difference of alpha samples between two images (16-bit).
int largestAlphaDifference(const DecodedImage &a, const DecodedImage &b) {
    int largest = 0;
    for (std::size_t i = 3; i < a.u16.size() && i < b.u16.size(); i += 4)
        largest = std::max(largest, std::abs(int(a.u16[i]) - int(b.u16[i])));
    return largest;
}

bool isOneLine(const std::string &text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

}  // namespace

// qtrle, PNG-in-MOV and FFV1 keep every sample, so a movie of the clip
// renders exactly as its PNG frames do: the first and last frames included,
// whose missing neighbours are clamped to the clip's ends.
TEST(MovieRender, LosslessMoviesRenderExactlyAsTheirImageSequence) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg program to make movies with";
    ScratchFolder folder;
    const std::string clip = "-framerate 24 -i " + exampleClip();
    const char *const movies[][2] = {
        {"qtrle.mov", "-c:v qtrle -pix_fmt argb"},
        {"png.mov", "-c:v png -pix_fmt rgba"},
        {"ffv1.mkv", "-c:v ffv1 -pix_fmt bgra"},
    };
    for (const auto &movie : movies) {
        ffmpeg(clip + " " + movie[1] + " " + folder.file(movie[0]));
        const std::string out = folder.file(std::string(movie[0]) + ".%04d.png");
        const ProcessResult run = runHolvane({"render", folder.file(movie[0]), out, "-q"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        for (long frame = 1; frame <= CLIP_FRAMES; ++frame) {
            EXPECT_EQ(describePixelDifferences(decodeImage(framePath(out, frame)),
                                               decodeImage(framePath(referenceRender(), frame))),
                      "")
                << movie[0] << " frame " << frame;
        }
    }
    // And the other way: the PNG sequence into an FFV1 movie.
    const ProcessResult run = runHolvane({"render", exampleClip(), folder.file("out.mkv"), "-q"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    MovieInput written(folder.file("out.mkv"));
    ASSERT_EQ(written.info().frameCount, CLIP_FRAMES);
    for (long frame = 1; frame <= CLIP_FRAMES; ++frame) {
        EXPECT_EQ(describePixelDifferences(movieFrame(written, frame),
                                           decodeImage(framePath(referenceRender(), frame))),
                  "")
            << "out.mkv frame " << frame;
    }
}

// ProRes 4444 from a camera-like source: 29.97 fps, a timecode and sound.
// The output keeps them all, and its alpha is the render's (as a 16-bit
// PNG sequence has it) within two steps of ProRes's 10 bits (the way to 10
// bits truncates); a part of the clip moves the timecode to its first frame.
TEST(MovieRender, ProResKeepsRateTimecodeAndSound) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg program to make movies with";
    ScratchFolder folder;
    const std::string source = folder.file("camera.mov");
    ffmpeg("-framerate 30000/1001 -i " + exampleClip() +
           " -f lavfi -i sine=duration=0.2 -c:v prores_ks -profile:v 4 -pix_fmt yuva444p10le"
           " -c:a pcm_s16le -timecode 01:00:00:00 -shortest " +
           source);
    const std::string frames = folder.file("ref.%04d.png");
    ASSERT_EQ(runHolvane({"render", source, frames, "-q"}).exitCode, 0);
    ASSERT_EQ(runHolvane({"render", source, folder.file("all.mov"), "-q"}).exitCode, 0);
    ASSERT_EQ(
        runHolvane({"render", source, folder.file("part.mov"), "--frames", "3-5", "-q"}).exitCode,
        0);

    MovieInput all(folder.file("all.mov"));
    EXPECT_EQ(all.info().frameCount, CLIP_FRAMES);
    EXPECT_EQ(all.info().frameRate.num, 30000);
    EXPECT_EQ(all.info().frameRate.den, 1001);
    EXPECT_EQ(all.info().timecode, "01:00:00:00");
    InputContext container = open_MovieContainer(folder.file("all.mov"));
    EXPECT_GE(av_find_best_stream(container.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0), 0);
    for (long frame = 1; frame <= CLIP_FRAMES; ++frame) {
        EXPECT_LE(
            largestAlphaDifference(movieFrame(all, frame), decodeImage(framePath(frames, frame))),
            2 * 65535 / 1023)
            << "frame " << frame;
    }
    MovieInput part(folder.file("part.mov"));
    EXPECT_EQ(part.info().frameCount, 3);
    EXPECT_EQ(part.info().timecode, "01:00:00:02");
}

// VP9 is lossy, but the alpha it carries beside the picture must survive.
TEST(MovieRender, WebmKeepsAnApproximateAlpha) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg program to make movies with";
    ScratchFolder folder;
    const ProcessResult run = runHolvane({"render", exampleClip(), folder.file("out.webm")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("VP9 is lossy"), std::string::npos) << run.err;
    MovieInput written(folder.file("out.webm"));
    ASSERT_TRUE(written.info().hasAlpha);
    const DecodedImage got = movieFrame(written, 3);
    const DecodedImage expected = decodeImage(framePath(referenceRender(), 3));
    double total = 0;
    for (std::size_t i = 3; i < got.u16.size(); i += 4)
        total += std::abs(int(got.u16[i]) - int(expected.u16[i]));
    EXPECT_LT(total / (got.u16.size() / 4), 0.02 * 65535);
}

// Damaged and impostor movies, outputs that cannot be written and an effect
// that fails in the middle of a movie: one line each, and nothing left in
// the output folder (no movie, no temporary file).
TEST(MovieRender, BadMoviesFailInOneLineAndLeaveNothing) {
    if (!haveFfmpeg()) GTEST_SKIP() << "no ffmpeg program to make movies with";
    ScratchFolder folder;
    const std::string good = folder.file("good.mov");
    ffmpeg("-framerate 24 -i " + exampleClip() + " -c:v qtrle " + good);
    std::filesystem::resize_file(good, std::filesystem::file_size(good) / 2);  // index lost
    ffmpeg("-f lavfi -i sine=duration=0.2 " + folder.file("sound.mov"));
    std::ofstream(folder.file("garbage.mov")) << std::string(4096, '\x5a');
    ffmpeg("-framerate 24 -i " + exampleClip() + " -c:v qtrle " + folder.file("ok.mov"));
    const std::vector<std::vector<std::string>> runs = {
        {"render", good, folder.file("out/o.%04d.png")},
        {"render", folder.file("sound.mov"), folder.file("out/o.%04d.png")},
        {"render", folder.file("garbage.mov"), folder.file("out/o.mkv")},
        {"render", folder.file("ok.mov"), folder.file("out/o.mkv"), "--codec", "qtrle"},
        {"render", folder.file("ok.mov"), folder.file("out/o.mov"), "--skip-existing"},
        {"render", folder.file("ok.mov"), folder.file("out/o.mov"), "--codec", "qtrle", "--depth",
         "16"},
    };
    for (const std::vector<std::string> &args : runs) {
        const ProcessResult run = runHolvane(args);
        EXPECT_NE(run.exitCode, 0) << args[1];
        EXPECT_TRUE(isOneLine(run.err)) << run.err;
        EXPECT_EQ(folder.entries("out"), std::vector<std::string>()) << args[1];
    }
}
