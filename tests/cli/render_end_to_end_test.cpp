// holvane run as a user runs it, through the built effect module.
#include <OpenImageIO/imageio.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/world_conversion.h"
#include "cli_test_support.h"

namespace {

std::string exampleFrame(int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame.%04d.png", frame);
    return sourceFolder() + "/examples/ocean_parrotfish/" + name;
}

std::string exampleClip() { return sourceFolder() + "/examples/ocean_parrotfish/frame.%04d.png"; }

long countOpaque(const DecodedImage &image) {
    long count = 0;
    for (std::size_t i = 3; i < image.u16.size(); i += 4) count += image.u16[i] == 65535 ? 1 : 0;
    return count;
}

void copyExampleFrame(int from, const std::string &to) {
    std::filesystem::copy_file(exampleFrame(from), to);
}

// A keyed plate the effect repairs (rendered with --hole-size 40), placed
// at (x0, y0) of its frame: a solid subject off the frame's centre on a
// clear ground, with a half-transparent pocket the effect fills. Straight
// colour 0.5 throughout, except in a patch of the subject, which holds
// values a float file may hold and the effect's worlds cannot: 8.0, -0.25,
// NaN.
struct Plate {
    int x0 = 0, y0 = 0;

    bool inSubject(int x, int y) const {
        return x >= x0 + 10 && x < x0 + 130 && y >= y0 + 10 && y < y0 + 140;
    }
    bool inPocket(int x, int y) const {
        return x >= x0 + 40 && x < x0 + 56 && y >= y0 + 60 && y < y0 + 76;
    }
    // Further from the pocket and from the subject's outline than the fill
    // and its feather reach.
    bool untouched(int x, int y) const {
        const bool clearGround = x < x0 + 2 || x >= x0 + 138 || y < y0 + 2 || y >= y0 + 148;
        const bool inside = x >= x0 + 18 && x < x0 + 122 && y >= y0 + 18 && y < y0 + 132;
        const bool nearPocket = x >= x0 + 28 && x < x0 + 68 && y >= y0 + 48 && y < y0 + 88;
        return clearGround || (inside && !nearPocket);
    }
    float alpha(int x, int y) const {
        return inPocket(x, y) ? 0.5f : inSubject(x, y) ? 1.0f : 0.0f;
    }
    float straight(int x, int y, int k) const {
        if (!inSubject(x, y)) return 0.0f;
        const bool extreme = x >= x0 + 90 && x < x0 + 115 && y >= y0 + 20 && y < y0 + 35;
        if (!extreme) return 0.5f;
        const float values[3] = {8.0f, -0.25f, std::nanf("")};
        return values[(x + k) % 3];
    }
};

// Writes float samples (interleaved in the header's channel order) under the header:
// its data and display windows, channel names and attributes.
void writeWithSpec(const std::string &path, const OIIO::ImageSpec &imageSpec,
                   const std::vector<float> &samples) {
    auto output = OIIO::ImageOutput::create(path);
    ASSERT_TRUE(output && output->open(path, imageSpec) &&
                output->write_image(OIIO::TypeDesc::FLOAT, samples.data()) && output->close())
        << path;
}

// R, G, B, A of a plate over the header's data window.
std::vector<float> plateSamples(const Plate &plate, const OIIO::ImageSpec &imageSpec,
                                bool premultiplied) {
    std::vector<float> samples;
    for (int y = imageSpec.y; y < imageSpec.y + imageSpec.height; ++y) {
        for (int x = imageSpec.x; x < imageSpec.x + imageSpec.width; ++x) {
            const float a = plate.alpha(x, y);
            for (int k = 0; k < 3; ++k)
                samples.push_back(plate.straight(x, y, k) * (premultiplied ? a : 1.0f));
            samples.push_back(a);
        }
    }
    return samples;
}

struct ReadBack {
    OIIO::ImageSpec imageSpec;
    std::vector<float> samples;  // over the data window

    // Channel k of the pixel at (x, y) in the file's coordinates.
    float at(int x, int y, int k) const {
        return samples[(std::size_t(y - imageSpec.y) * imageSpec.width + (x - imageSpec.x)) *
                           imageSpec.nchannels +
                       k];
    }
};

ReadBack readBack(const std::string &path) {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    ReadBack back;
    auto input = OIIO::ImageInput::create(path);
    if (!input || !input->open(path, back.imageSpec, config)) return back;
    back.samples.resize(back.imageSpec.image_pixels() * back.imageSpec.nchannels);
    input->read_image(0, 0, 0, back.imageSpec.nchannels, OIIO::TypeDesc::FLOAT,
                      back.samples.data());
    return back;
}

bool sameSample(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Counts the pixels of `plate` where `got` differs from `expected` outside
// the pocket's reach, and checks what the pocket was filled with: solid,
// in the plate's colour taken straight (0.5) or as `fill` says.
void expectPocketFilledRestUntouched(const ReadBack &got, const ReadBack &expected,
                                     const Plate &plate, float fill) {
    long changed = 0;
    double colour = 0.0;
    int pocket = 0;
    for (int y = expected.imageSpec.y; y < expected.imageSpec.y + expected.imageSpec.height; ++y) {
        for (int x = expected.imageSpec.x; x < expected.imageSpec.x + expected.imageSpec.width;
             ++x) {
            if (plate.inPocket(x, y)) {
                EXPECT_EQ(got.at(x, y, 3), 1.0f) << x << "," << y;
                colour += got.at(x, y, 0);
                ++pocket;
            } else if (plate.untouched(x, y)) {
                for (int k = 0; k < expected.imageSpec.nchannels; ++k) {
                    changed += sameSample(got.at(x, y, k), expected.at(x, y, k)) ? 0 : 1;
                }
            }
        }
    }
    EXPECT_EQ(changed, 0);
    EXPECT_NEAR(colour / pocket, fill, 0.01);
}

}  // namespace

TEST(RenderSequence, WritesEachRequestedFrameUnderItsOwnNumber) {
    ScratchFolder folder;
    const ProcessResult run =
        runHolvane({"render", exampleClip(), folder.file("out/o.####.png"), "--frames", "2-4"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(folder.entries("out"),
              (std::vector<std::string>{"o.0002.png", "o.0003.png", "o.0004.png"}));
    // Not a terminal: one line per frame.
    EXPECT_NE(run.err.find("frame 3 -> " + folder.file("out/o.0003.png")), std::string::npos)
        << run.err;
    for (int frame = 2; frame <= 4; ++frame) {
        char name[32];
        std::snprintf(name, sizeof name, "out/o.%04d.png", frame);
        const DecodedImage in = decodeImage(exampleFrame(frame));
        const DecodedImage out = decodeImage(folder.file(name));
        ASSERT_EQ(out.width, 480);
        ASSERT_EQ(out.height, 270);
        ASSERT_EQ(out.channels, 4);
        EXPECT_EQ(out.type, "uint8");
        // The keyed fish has holes; the repair makes more of it solid.
        EXPECT_GT(countOpaque(out), countOpaque(in) + 1000) << name;
    }
}

TEST(RenderSequence, NeighbourClampingMatchesAClipPaddedWithRepeats) {
    // Rendering the first frame of a clip sees frames 1,1,1,1,2,3,4 around
    // it; frame 4 of a clip that repeats frame 1 four times sees the same
    // frames, so the two results must be identical. Likewise at the end.
    ScratchFolder folder;
    const int startPadded[8] = {1, 1, 1, 1, 2, 3, 4, 5};
    const int endPadded[8] = {1, 2, 3, 4, 5, 5, 5, 5};
    const int shifted[8] = {1, 1, 5, 1, 2, 3, 4, 5};  // another frame just before frame 4
    std::filesystem::create_directories(folder.file("start"));
    std::filesystem::create_directories(folder.file("end"));
    std::filesystem::create_directories(folder.file("shifted"));
    for (int i = 0; i < 8; ++i) {
        const std::string name = "/f." + std::to_string(i + 1) + ".png";
        copyExampleFrame(startPadded[i], folder.path() + "/start" + name);
        copyExampleFrame(endPadded[i], folder.path() + "/end" + name);
        copyExampleFrame(shifted[i], folder.path() + "/shifted" + name);
    }
    // "+/-3 Frames > Set color": the colours come from the neighbours.
    const auto render = [&](const std::string &clip, const std::string &frame,
                            const std::string &out) {
        const ProcessResult run = runHolvane(
            {"render", clip, folder.file(out), "--frames", frame, "--fill-with", "8", "--quiet"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
    };
    render(exampleClip(), "1", "a.%04d.png");
    render(exampleClip(), "5", "a.%04d.png");
    render(folder.file("start/f.%d.png"), "4", "start.%d.png");
    render(folder.file("end/f.%d.png"), "5", "end.%d.png");
    render(folder.file("shifted/f.%d.png"), "4", "shifted.%d.png");
    EXPECT_EQ(describePixelDifferences(decodeImage(folder.file("start.4.png")),
                                       decodeImage(folder.file("a.0001.png"))),
              "");
    EXPECT_EQ(describePixelDifferences(decodeImage(folder.file("end.5.png")),
                                       decodeImage(folder.file("a.0005.png"))),
              "");
    // The comparison can fail: other frames before frame 4 change its result.
    EXPECT_NE(describePixelDifferences(decodeImage(folder.file("shifted.4.png")),
                                       decodeImage(folder.file("a.0001.png"))),
              "");
}

// Frames in flight (--jobs) and threads per frame share the cores; neither
// may change a byte of the output.
TEST(RenderSequence, JobsAndThreadsPerFrameWriteTheSameBytes) {
    ScratchFolder folder;
    const auto render = [&](const std::string &out, const char *jobs, const char *threads) {
        if (threads != nullptr) ::setenv("HOLVANE_RENDER_THREADS", threads, 1);
        const ProcessResult run =
            runHolvane({"render", exampleClip(), folder.file(out + "/o.%04d.png"), "--jobs", jobs,
                        "--quiet", "--contact-sheet", folder.file(out + "/sheet.png")});
        ::unsetenv("HOLVANE_RENDER_THREADS");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");  // --quiet
    };
    render("jobs1", "1", nullptr);
    render("jobs3", "3", nullptr);
    render("threads1", "1", "1");
    render("threads2", "2", "2");
    const std::vector<std::string> files = folder.entries("jobs1");
    ASSERT_EQ(files.size(), 6u);
    for (const char *other : {"jobs3", "threads1", "threads2"}) {
        EXPECT_EQ(folder.entries(other), files) << other;
        for (const std::string &name : files) {
            const std::string one = readFileBytes(folder.file("jobs1/" + name));
            EXPECT_FALSE(one.empty());
            EXPECT_TRUE(one == readFileBytes(folder.file(std::string(other) + "/" + name)))
                << other << "/" << name;
        }
    }
}

TEST(RenderSequence, ChunksAndAResumedRunWriteTheSameBytesAsOneRun) {
    ScratchFolder folder;
    const auto render = [&](const std::string &out, std::vector<std::string> extra) {
        std::vector<std::string> args{"render",   exampleClip(), folder.file(out),
                                      "--frames", "2-5",         "--fill-with",
                                      "8",        "--jobs",      "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProcessResult run = runHolvane(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run.err;
    };
    const auto sameAsOneRun = [&]() {
        for (const char *name : {"o.0002.png", "o.0003.png", "o.0004.png", "o.0005.png"}) {
            EXPECT_TRUE(readFileBytes(folder.file(std::string("one/") + name)) ==
                        readFileBytes(folder.file(std::string("parts/") + name)))
                << name;
        }
    };
    render("one/o.%04d.png", {"--quiet"});
    // Each part reads its neighbours (frames 1 and 6 included) from the clip.
    const std::string first = render("parts/o.%04d.png", {"--chunk", "1/2"});
    EXPECT_NE(first.find("frame 3 -> "), std::string::npos) << first;
    EXPECT_EQ(first.find("frame 4 -> "), std::string::npos) << first;
    render("parts/o.%04d.png", {"--chunk=2/2"});
    EXPECT_EQ(folder.entries("parts").size(), 4u);
    sameAsOneRun();

    // A run that died: one frame gone, one cut short, a temporary file left.
    std::filesystem::remove(folder.file("parts/o.0004.png"));
    const std::string whole = readFileBytes(folder.file("one/o.0002.png"));
    std::ofstream(folder.file("parts/o.0002.png"), std::ios::binary | std::ios::trunc)
        << whole.substr(0, whole.size() / 2);
    std::ofstream(folder.file("parts/.o.0004.png.holvane-1-0.tmp")) << whole.substr(0, 100);
    const std::string resumed = render("parts/o.%04d.png", {"--skip-existing"});
    EXPECT_NE(resumed.find("holvane: skipped 2 frames whose output already exists"),
              std::string::npos)
        << resumed;
    EXPECT_NE(resumed.find("frame 2 -> "), std::string::npos) << resumed;
    EXPECT_NE(resumed.find("frame 4 -> "), std::string::npos) << resumed;
    EXPECT_NE(resumed.find("2 frames in "), std::string::npos) << resumed;
    sameAsOneRun();
    const std::string nothingLeft = render("parts/o.%04d.png", {"--skip-existing"});
    EXPECT_NE(nothingLeft.find("skipped 4 frames"), std::string::npos) << nothingLeft;
    EXPECT_NE(nothingLeft.find("0 frames in "), std::string::npos) << nothingLeft;
}

TEST(RenderSequence, ContactSheetShowsInputAndResultSideBySide) {
    ScratchFolder folder;
    const ProcessResult run =
        runHolvane({"render", exampleClip(), folder.file("o.%04d.png"), "--frames", "1-2",
                    "--contact-sheet", folder.file("sheet.png"), "--stats", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("render per frame: min "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(2 frames, 480 x 270)"), std::string::npos) << run.out;
    const DecodedImage sheet = decodeImage(folder.file("sheet.png"));
    // Three 480-wide panels and two 270-high rows with 4-pixel gaps.
    ASSERT_EQ(sheet.width, 3 * 484 + 4);
    ASSERT_EQ(sheet.height, 2 * 274 + 4);
    const DecodedImage in = decodeImage(exampleFrame(2));
    const DecodedImage out = decodeImage(folder.file("o.0002.png"));
    int checked = 0;
    // Where a pixel is solid, its panel shows its colour exactly.
    for (int y = 0; y < 270 && checked < 50; y += 7) {
        for (int x = 0; x < 480 && checked < 50; x += 5) {
            const std::size_t i = (std::size_t(y) * 480 + x) * 4;
            if (in.u16[i + 3] != 65535 || out.u16[i + 3] != 65535) continue;
            const int top = 4 + 274 + y;  // second row: frame 2
            const std::size_t sc = std::size_t(sheet.channels);
            const std::size_t inAt = (std::size_t(top) * sheet.width + 4 + x) * sc;
            const std::size_t outAt = (std::size_t(top) * sheet.width + 488 + x) * sc;
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(sheet.u16[inAt + k], in.u16[i + k]) << x << "," << y;
                ASSERT_EQ(sheet.u16[outAt + k], out.u16[i + k]) << x << "," << y;
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 50);
}

TEST(RenderConversions, EachFileDepthRoundTripsThroughTheHostsWorlds) {
    // Frames under 200 rows pass through the effect unchanged, so the output
    // shows the conversions alone: file -> world -> file.
    ScratchFolder folder;
    const int w = 64, h = 8;
    std::vector<std::uint8_t> eight(w * h * 4);
    std::vector<std::uint16_t> sixteen(w * h * 4);
    std::vector<float> floats(w * h * 4);
    for (std::size_t i = 0; i < eight.size(); ++i) {
        eight[i] = std::uint8_t(i * 7);
        sixteen[i] = std::uint16_t(i * 257 + i / 3);
        floats[i] = float(i) / float(floats.size()) * 1.5f - 0.2f;
    }
    writeRawImage(folder.file("e.png"), w, h, 4, "uint8", eight.data());
    writeRawImage(folder.file("s.png"), w, h, 4, "uint16", sixteen.data());
    writeRawImage(folder.file("f.exr"), w, h, 4, "float", floats.data());
    for (const char *host : {"ae", "premiere"}) {
        for (const char *name : {"e.png", "s.png", "f.exr"}) {
            const std::string out = folder.file(std::string(host) + "-" + name);
            const ProcessResult run =
                runHolvane({"render", folder.file(name), out, "--host", host, "--quiet"});
            ASSERT_EQ(run.exitCode, 0) << run.err;
        }
        // TIFF output holds the same samples as PNG.
        const std::string tiff = folder.file(std::string(host) + "-s.tif");
        const ProcessResult run =
            runHolvane({"render", folder.file("s.png"), tiff, "--host", host, "--quiet"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(decodeImage(tiff).u16,
                  decodeImage(folder.file(std::string(host) + "-s.png")).u16);
        const DecodedImage e = decodeImage(folder.file(std::string(host) + "-e.png"));
        const DecodedImage s = decodeImage(folder.file(std::string(host) + "-s.png"));
        const DecodedImage f = decodeImage(folder.file(std::string(host) + "-f.exr"));
        ASSERT_EQ(e.type, "uint8");
        ASSERT_EQ(s.type, "uint16");
        ASSERT_EQ(f.type, "float");
        for (std::size_t i = 0; i < eight.size(); ++i) {
            // 8-bit: exact under both hosts (Premiere Pro: v * 128, then >> 7).
            ASSERT_EQ(e.u16[i], eight[i] * 257) << host << " " << i;
            // 16-bit: (v * 32768 + 32767) / 65535, then (w * 65535 + 16384) / 32768.
            const std::uint32_t world = (sixteen[i] * 32768u + 32767u) / 65535u;
            ASSERT_EQ(s.u16[i], (world * 65535u + 16384u) / 32768u) << host << " " << i;
            // Float: untouched, every sample as it was, below 0 and above 1.
            ASSERT_EQ(f.f32[i], floats[i]) << host << " " << i;
        }
    }
}

// Each file is read in its own convention and written in its format's:
// OpenEXR premultiplied, a TIFF as marked; --alpha overrides a mislabelled
// file. Channels count by name: Z is not alpha, R and G are not grey.
TEST(RenderConversions, AlphaIsTakenAsEachFileSaysAndChannelsByName) {
    ScratchFolder folder;
    const Plate plate;
    OIIO::ImageSpec exr(240, 208, 4, OIIO::TypeDesc::HALF);
    writeWithSpec(folder.file("plate.exr"), exr, plateSamples(plate, exr, true));
    for (const char *alpha : {"auto", "straight"}) {
        const std::string out = folder.file(std::string(alpha) + ".exr");
        const ProcessResult run = runHolvane(
            {"render", folder.file("plate.exr"), out, "--alpha", alpha, "--hole-size", "40", "-q"});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        // Taken as straight, the premultiplied pocket's colour (0.25) is what fills it.
        expectPocketFilledRestUntouched(readBack(out), readBack(folder.file("plate.exr")), plate,
                                        std::string(alpha) == "auto" ? 0.5f : 0.25f);
    }

    // A 16-bit TIFF marked associated, turned on its side.
    OIIO::ImageSpec tiff(240, 208, 4, OIIO::TypeDesc::UINT16);
    tiff.attribute("Orientation", 6);
    writeWithSpec(folder.file("plate.tif"), tiff, plateSamples(plate, tiff, true));
    ASSERT_EQ(runHolvane({"render", folder.file("plate.tif"), folder.file("out.tif"), "--hole-size",
                          "40", "-q"})
                  .exitCode,
              0);
    const ReadBack tiffOut = readBack(folder.file("out.tif"));
    EXPECT_EQ(tiffOut.imageSpec.get_int_attribute("oiio:UnassociatedAlpha", 0), 0);
    EXPECT_EQ(tiffOut.imageSpec.get_int_attribute("Orientation", 0), 6);
    expectPocketFilledRestUntouched(tiffOut, readBack(folder.file("plate.tif")), plate, 0.5f);

    // R, G, B, Z: opaque, its depth carried through; R, G: no blue, opaque.
    OIIO::ImageSpec rgbz(16, 8, 4, OIIO::TypeDesc::FLOAT);
    rgbz.channelnames = {"R", "G", "B", "Z"};
    rgbz.alpha_channel = -1;
    rgbz.z_channel = 3;
    std::vector<float> samples(16 * 8 * 4);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = 0.25f + float(i % 7);
    writeWithSpec(folder.file("rgbz.exr"), rgbz, samples);
    OIIO::ImageSpec rg(16, 8, 2, OIIO::TypeDesc::FLOAT);
    rg.channelnames = {"R", "G"};
    writeWithSpec(folder.file("rg.exr"), rg,
                  std::vector<float>(samples.begin(), samples.begin() + 256));
    for (const char *name : {"rgbz.exr", "rg.exr"}) {
        ASSERT_EQ(runHolvane({"render", folder.file(name), folder.file("out-" + std::string(name)),
                              "--quiet"})
                      .exitCode,
                  0);
    }
    const ReadBack z = readBack(folder.file("out-rgbz.exr"));
    ASSERT_EQ(z.imageSpec.channelnames, (std::vector<std::string>{"R", "G", "B", "A", "Z"}));
    const ReadBack twoChannels = readBack(folder.file("out-rg.exr"));
    for (std::size_t p = 0; p < 16 * 8; ++p) {
        EXPECT_EQ(z.samples[p * 5 + 3], 1.0f);
        EXPECT_EQ(z.samples[p * 5 + 4], samples[p * 4 + 3]);
        EXPECT_EQ(twoChannels.samples[p * 4 + 1], samples[p * 2 + 1]);
        EXPECT_EQ(twoChannels.samples[p * 4 + 2], 0.0f);
        EXPECT_EQ(twoChannels.samples[p * 4 + 3], 1.0f);
    }
}

// Float and half frames keep every value the effect leaves alone, and
// their precision; OpenEXR display and data windows keep the placement,
// also when the data windows differ from frame to frame; the input's
// attributes travel with each frame.
TEST(RenderConversions, FloatValuesWindowsAndMetadataSurviveTheRender) {
    ScratchFolder folder;
    const Plate full;
    for (const OIIO::TypeDesc type : {OIIO::TypeDesc::HALF, OIIO::TypeDesc::FLOAT}) {
        OIIO::ImageSpec imageSpec(240, 208, 4, type);
        const std::string in = folder.file(std::string("plate-") + type.c_str() + ".exr");
        const std::string out = folder.file(std::string("out-") + type.c_str() + ".exr");
        writeWithSpec(in, imageSpec, plateSamples(full, imageSpec, true));
        ASSERT_EQ(runHolvane({"render", in, out, "--hole-size", "40", "-q"}).exitCode, 0);
        const ReadBack written = readBack(out);
        EXPECT_EQ(written.imageSpec.format, type);
        // Our fast lossless choice, not the input file's encoding.
        EXPECT_EQ(written.imageSpec.get_string_attribute("compression"), "zips");
        expectPocketFilledRestUntouched(written, readBack(in), full, 0.5f);
    }

    // A 200 x 150 crop at (60, 40) of a 320 x 240 frame; the next frame's
    // crop is larger.
    const Plate placed{60, 40};
    const PixelWindow crops[2] = {{60, 40, 200, 150}, {50, 30, 220, 170}};
    for (int f = 0; f < 2; ++f) {
        OIIO::ImageSpec imageSpec(crops[f].width, crops[f].height, 4, OIIO::TypeDesc::HALF);
        imageSpec.x = crops[f].x;
        imageSpec.y = crops[f].y;
        imageSpec.full_width = 320;
        imageSpec.full_height = 240;
        imageSpec.attribute("smpte:TimeCode", OIIO::TypeTimeCode,
                            std::vector<unsigned>{0x01000000u + unsigned(f), 0}.data());
        imageSpec.attribute("colorspace", "ACEScg");
        writeWithSpec(folder.file("crop." + std::to_string(f + 1) + ".exr"), imageSpec,
                      plateSamples(placed, imageSpec, true));
    }
    const ProcessResult run =
        runHolvane({"render", folder.file("crop.%d.exr"), folder.file("out/crop.%d.exr"),
                    "--hole-size", "40", "-q"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (int f = 0; f < 2; ++f) {
        const std::string name = "crop." + std::to_string(f + 1) + ".exr";
        const ReadBack written = readBack(folder.file("out/" + name));
        const ReadBack input = readBack(folder.file(name));
        EXPECT_EQ(written.imageSpec.full_width, 320);
        EXPECT_EQ(written.imageSpec.full_height, 240);
        EXPECT_EQ(written.imageSpec.x, crops[f].x);
        EXPECT_EQ(written.imageSpec.y, crops[f].y);
        EXPECT_EQ(written.imageSpec.width, crops[f].width);
        EXPECT_EQ(written.imageSpec.height, crops[f].height);
        EXPECT_EQ(written.imageSpec.get_string_attribute("colorspace"), "ACEScg");
        const OIIO::ParamValue *timecode = written.imageSpec.find_attribute("smpte:TimeCode");
        ASSERT_NE(timecode, nullptr);
        EXPECT_EQ(static_cast<const unsigned *>(timecode->data())[0], 0x01000000u + unsigned(f));
        expectPocketFilledRestUntouched(written, input, placed, 0.5f);
    }
}

TEST(CommandLine, InfoShowsTheEffectAndItsControls) {
    const ProcessResult info = runHolvane({"info"});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    for (const char *text :
         {"Effect      Holvane", "Category    Tarnwell", "packed 656897",
          "About       Holvane v1.4", "eGLO  50332162 (0x03000202)", "eMNA  \"Holvane\"",
          "\">Close edge gaps\"", "slider, valid 0..30, slider 0..15, default 10", "--shrink-grow",
          "valid -50..50, slider -20..20, default 0", "\"Existing > Adjacent blur> Set color\"",
          "colour R,G,B 0..255, default 128,128,128"}) {
        EXPECT_NE(info.out.find(text), std::string::npos) << text << "\n" << info.out;
    }
    const ProcessResult missing = runHolvane({"info", "--module", "/nonexistent/Holvane.so"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.err.find("/nonexistent/Holvane.so: cannot load the effect module"),
              std::string::npos)
        << missing.err;
}

TEST(CommandLine, HelpAndVersion) {
    const ProcessResult help = runHolvane({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("holvane render INPUT OUTPUT [options]"), std::string::npos);
    EXPECT_NE(help.out.find("--contact-sheet FILE"), std::string::npos);
    const ProcessResult version = runHolvane({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("holvane 1.4.0 ", 0), 0u) << version.out;
}

TEST(CommandLine, ClusterSlurmPrintsTheArrayJob) {
    const ProcessResult run = runHolvane({"cluster", "slurm", exampleClip(), "out dir/o.%04d.png",
                                          "--chunks", "3", "--jobs=2", "--fill-with", "8"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("sbatch --array=1-3 --cpus-per-task=2 --chdir=", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("/scripts/cluster/holvane-array.sbatch " + exampleClip() +
                           " 'out dir/o.%04d.png' --fill-with 8\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" --export=ALL,HOLVANE=/"), std::string::npos) << run.out;
    // One task per 10 frames by default; never more tasks than frames.
    EXPECT_NE(
        runHolvane({"cluster", "slurm", exampleClip(), "o.%04d.png"}).out.find("--array=1-1 "),
        std::string::npos);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--chunks", "6"},
                                         {"--chunk", "1/2"},
                                         {"--skip-existing"},
                                         {"--bogus"},
                                         {"--contact-sheet", "s.png"},
                                         {"--hole-size", "4001"}}) {
        std::vector<std::string> args{"cluster", "slurm", exampleClip(), "o.%04d.png"};
        args.insert(args.end(), bad.begin(), bad.end());
        EXPECT_EQ(runHolvane(args).exitCode, 2) << bad[0];
    }
}
