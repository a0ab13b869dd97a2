#include "cli/image_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/cli_error.h"
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

TEST(ImageFiles, SixteenBitTiffAndFloatExrKeepTheirSamples) {
    ScratchFolder folder;
    FileImage sixteen = make_FileImage(3, 2, SampleDepth::Sixteen);
    FileImage floats = make_FileImage(3, 2, SampleDepth::Float);
    for (std::size_t i = 0; i < sixteen.sampleCount(); ++i) {
        sixteen.u16[i] = std::uint16_t(i * 2731 + 7);
        floats.f32[i] = float(i) / 7.0f - 0.5f;
    }
    write_ImageFileAtomically(folder.file("s.tif"), sixteen);
    write_ImageFileAtomically(folder.file("f.exr"), floats);
    const FileImage sixteenBack = read_ImageFile(folder.file("s.tif"));
    const FileImage floatBack = read_ImageFile(folder.file("f.exr"));
    EXPECT_EQ(sixteenBack.depth, SampleDepth::Sixteen);
    EXPECT_EQ(sixteenBack.u16, sixteen.u16);
    EXPECT_EQ(floatBack.depth, SampleDepth::Float);
    EXPECT_EQ(floatBack.f32, floats.f32);
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

TEST(ImageFiles, OutputFormatsMustHoldAlpha) {
    EXPECT_NO_THROW(check_WritableImageFormat("a.png"));
    EXPECT_NO_THROW(check_WritableImageFormat("a.exr"));
    EXPECT_NO_THROW(check_WritableImageFormat("a.dpx"));
    EXPECT_THROW(check_WritableImageFormat("a.jpg"), CliError);
    EXPECT_THROW(check_WritableImageFormat("a.unknownformat"), CliError);
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
