#include "cli/image_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "cli/cli_error.h"
#include "cli/output_format.h"
#include "cli_test_support.h"

TEST(ImageFiles, StraightAlphaSurvivesWritingAndReadingPng) {
    ScratchFolder folder;
    // Colour under zero and partial alpha would be lost or changed by any
    // premultiplication on the way out or in.
    const FileImage image = make8BitImage(4, 3, [](int x, int y, std::uint8_t *rgba) {
        rgba[0] = std::uint8_t(200 - 10 * x);
        rgba[1] = std::uint8_t(17 * y + 3);
        rgba[2] = 99;
        rgba[3] = std::uint8_t(x == 0 ? 0 : 40 * x + y);
    });
    write_ImageFileAtomically(folder.file("a.png"), image);
    const FileImage back = read_ImageFile(folder.file("a.png"));
    EXPECT_EQ(back.depth, SampleDepth::Eight);
    EXPECT_EQ(back.u8, image.u8);
    // An independent decode sees the same samples.
    const DecodedImage raw = decodeImage(folder.file("a.png"));
    ASSERT_EQ(raw.channels, 4);
    EXPECT_EQ(raw.u16[0], 200 * 257);  // red under alpha 0
}

TEST(ImageFiles, GreyAndRgbFilesAreExpandedToRgba) {
    ScratchFolder folder;
    const std::uint8_t grey[2] = {10, 250};
    const std::uint8_t greyAlpha[4] = {10, 20, 250, 0};
    const std::uint16_t rgb[6] = {1, 2, 3, 60000, 50000, 40000};
    writeRawImage(folder.file("g.png"), 2, 1, 1, "uint8", grey);
    writeRawImage(folder.file("ga.png"), 2, 1, 2, "uint8", greyAlpha);
    writeRawImage(folder.file("rgb.png"), 2, 1, 3, "uint16", rgb);
    EXPECT_EQ(read_ImageFile(folder.file("g.png")).u8,
              (std::vector<std::uint8_t>{10, 10, 10, 255, 250, 250, 250, 255}));
    EXPECT_EQ(read_ImageFile(folder.file("ga.png")).u8,
              (std::vector<std::uint8_t>{10, 10, 10, 20, 250, 250, 250, 0}));
    EXPECT_EQ(read_ImageFile(folder.file("rgb.png")).u16,
              (std::vector<std::uint16_t>{1, 2, 3, 65535, 60000, 50000, 40000, 65535}));
}

namespace {

// Samples over the whole range at every depth, with colour under zero alpha
// (straight) or colour no greater than alpha (premultiplied).
ImageFrame testFrame(SampleDepth depth, AlphaConvention alpha) {
    ImageFrame frame = make_ImageFrame(make_FileImage(23, 7, depth));
    frame.alpha = alpha;
    FileImage &pixels = frame.pixels;
    std::mt19937 noise(static_cast<unsigned>(depth));
    for (std::size_t i = 0; i < pixels.sampleCount(); ++i) {
        const bool isAlpha = i % 4 == 3;
        const std::size_t alphaAt = i - i % 4 + 3;
        if (depth == SampleDepth::Eight) pixels.u8[i] = std::uint8_t(noise());
        if (depth == SampleDepth::Sixteen) pixels.u16[i] = std::uint16_t(noise());
        if (isFloatDepth(depth)) pixels.f32[i] = float(noise() % 1024) / 256.0f - 1.0f;
        if (!isAlpha || alpha == AlphaConvention::Straight) continue;
        // Premultiplied: colour within its alpha.
        for (std::size_t k = alphaAt - 3; k < alphaAt; ++k) {
            if (depth == SampleDepth::Eight) pixels.u8[k] = std::min(pixels.u8[k], pixels.u8[i]);
            if (depth == SampleDepth::Sixteen)
                pixels.u16[k] = std::min(pixels.u16[k], pixels.u16[i]);
        }
    }
    if (alpha == AlphaConvention::Straight) {
        if (depth == SampleDepth::Eight) pixels.u8[3] = 0;
        if (depth == SampleDepth::Sixteen) pixels.u16[3] = 0;
        if (isFloatDepth(depth)) pixels.f32[3] = 0.0f;
    }
    return frame;
}

}  // namespace

// Every format and depth the renderer accepts keeps every sample, written
// and read back in the format's own convention; the rest are refused.
TEST(ImageFiles, AcceptedOutputFormatsKeepEverySampleAndTheRestAreRefused) {
    ScratchFolder folder;
    int accepted = 0;
    for (const std::string ext : {"png", "tif", "exr", "dpx", "tga", "jpg", "gif", "webp", "bmp",
                                  "jp2", "j2k", "heic", "unknownformat"}) {
        for (SampleDepth depth :
             {SampleDepth::Eight, SampleDepth::Sixteen, SampleDepth::Half, SampleDepth::Float}) {
            const std::string path =
                folder.file(std::string("f.") + sampleDepthName(depth) + "." + ext);
            SCOPED_TRACE(path);
            OutputFormat format;
            try {
                format = choose_OutputFormat(path, depth);
            } catch (const CliError &error) {
                EXPECT_EQ(std::string(error.what()).rfind(path + ": ", 0), 0u);
                continue;
            }
            ++accepted;
            const ImageFrame frame =
                testFrame(depth, outputAlphaOf(format, AlphaConvention::Straight));
            write_FrameAtomically(path, frame, format);
            const ImageFrame back = read_ImageFrame(path);
            EXPECT_EQ(back.alpha, frame.alpha);
            EXPECT_EQ(back.pixels.u8, frame.pixels.u8);
            EXPECT_EQ(back.pixels.u16, frame.pixels.u16);
            EXPECT_EQ(back.pixels.f32, frame.pixels.f32);
        }
    }
    // PNG 2, TIFF 4, OpenEXR 2, DPX 4, TGA 1.
    EXPECT_EQ(accepted, 13);
}

TEST(ImageFiles, AtomicWritesLeaveEitherTheFileOrNothing) {
    ScratchFolder folder;
    const FileImage image = make8BitImage(2, 2, [](int, int, std::uint8_t *rgba) { rgba[3] = 9; });
    write_ImageFileAtomically(folder.file("done.png"), image);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"done.png"});
    // The final rename cannot replace a folder: the temporary must go too.
    std::filesystem::create_directory(folder.file("blocked.png"));
    EXPECT_THROW(write_ImageFileAtomically(folder.file("blocked.png"), image), CliError);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"blocked.png", "done.png"}));
    EXPECT_THROW(write_ImageFileAtomically(folder.file("absent/x.png"), image), CliError);
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"blocked.png", "done.png"}));
}
