#include "cli/sequence_pattern.h"

#include <gtest/gtest.h>

#include "cli/cli_error.h"

TEST(SequencePattern, PrintfFieldGivesPrefixSuffixAndWidth) {
    const SequencePattern p = parse_SequencePattern("shots/plate.%04d.exr");
    EXPECT_TRUE(p.isSequence);
    EXPECT_EQ(p.prefix, "shots/plate.");
    EXPECT_EQ(p.suffix, ".exr");
    EXPECT_EQ(p.digits, 4);
    EXPECT_EQ(format_FramePath(p, 7), "shots/plate.0007.exr");
    EXPECT_EQ(format_FramePath(p, 1001), "shots/plate.1001.exr");
    // Wider numbers than the field keep every digit, as printf does.
    EXPECT_EQ(format_FramePath(p, 123456), "shots/plate.123456.exr");
}

TEST(SequencePattern, HashesCountDigitsLikeThePrintfField) {
    const SequencePattern hashes = parse_SequencePattern("a/f.######.png");
    const SequencePattern printf6 = parse_SequencePattern("a/f.%06d.png");
    for (long frame : {0L, 5L, 4321L, 1234567L}) {
        EXPECT_EQ(format_FramePath(hashes, frame), format_FramePath(printf6, frame));
    }
    EXPECT_EQ(format_FramePath(parse_SequencePattern("f#.png"), 3), "f3.png");
    EXPECT_EQ(format_FramePath(parse_SequencePattern("f%d.png"), 12), "f12.png");
}

TEST(SequencePattern, OnlyTheFileNameHoldsTheField) {
    const SequencePattern p = parse_SequencePattern("take#2/f.%03d.png");
    EXPECT_EQ(p.prefix, "take#2/f.");
    EXPECT_EQ(pattern_Folder(p), "take#2");
    EXPECT_EQ(pattern_FileNamePrefix(p), "f.");
    EXPECT_EQ(format_FramePath(p, 9), "take#2/f.009.png");
    EXPECT_EQ(pattern_Folder(parse_SequencePattern("f.%03d.png")), ".");
}

TEST(SequencePattern, AFileNameWithoutFieldIsOneFile) {
    const SequencePattern p = parse_SequencePattern("dir/plate.png");
    EXPECT_FALSE(p.isSequence);
    EXPECT_EQ(format_FramePath(p, 42), "dir/plate.png");
    long frame = -1;
    EXPECT_FALSE(match_FrameFileName(p, "plate.png", frame));
}

TEST(SequencePattern, RefusesTwoFieldsAndStrayPercentSigns) {
    EXPECT_THROW(parse_SequencePattern("f.%04d.%04d.png"), CliError);
    EXPECT_THROW(parse_SequencePattern("f.##.%02d.png"), CliError);
    EXPECT_THROW(parse_SequencePattern("f.%s.png"), CliError);
    EXPECT_THROW(parse_SequencePattern("f.%4d.png"), CliError);
    EXPECT_THROW(parse_SequencePattern("100%.png"), CliError);
    try {
        parse_SequencePattern("f.%04d_%04d.png");
        FAIL() << "two fields accepted";
    } catch (const CliError &error) {
        EXPECT_NE(std::string(error.what()).find("f.%04d_%04d.png"), std::string::npos);
        EXPECT_EQ(error.exitCode, EXIT_USAGE_ERROR);
    }
}

TEST(SequencePattern, MatchesOnlyNamesThePatternWouldWrite) {
    const SequencePattern p = parse_SequencePattern("clips/f.%04d.png");
    long frame = -1;
    EXPECT_TRUE(match_FrameFileName(p, "f.0012.png", frame));
    EXPECT_EQ(frame, 12);
    EXPECT_TRUE(match_FrameFileName(p, "f.12345.png", frame));
    EXPECT_EQ(frame, 12345);
    EXPECT_FALSE(match_FrameFileName(p, "f.12.png", frame));     // too short
    EXPECT_FALSE(match_FrameFileName(p, "f.00012.png", frame));  // padded wider
    EXPECT_FALSE(match_FrameFileName(p, "g.0012.png", frame));
    EXPECT_FALSE(match_FrameFileName(p, "f.0012.exr", frame));
    EXPECT_FALSE(match_FrameFileName(p, "f.00a2.png", frame));
    EXPECT_FALSE(match_FrameFileName(p, "f..png", frame));
}
