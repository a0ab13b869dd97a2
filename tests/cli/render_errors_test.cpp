// Every bad input ends with one line naming the file or option, a non-zero
// exit and nothing written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli_test_support.h"

namespace {

// A small clip of 8-bit frames in folder/in: f.0001.png .. f.000N.png.
void writeClip(const ScratchFolder &folder, int frames, int width = 16, int height = 8) {
    std::filesystem::create_directories(folder.file("in"));
    for (int f = 1; f <= frames; ++f) {
        const FileImage image = make8BitImage(width, height, [f](int x, int, std::uint8_t *rgba) {
            rgba[0] = std::uint8_t(f * 20 + x);
            rgba[3] = 255;
        });
        char name[32];
        std::snprintf(name, sizeof name, "in/f.%04d.png", f);
        write_ImageFileAtomically(folder.file(name), image);
    }
}

// Runs a render that must fail and returns its message after checking the
// shape of the failure: one line, "holvane: " first, non-zero exit, and no
// file at all in folder/out.
std::string failingRender(const ScratchFolder &folder, std::vector<std::string> args) {
    const ProcessResult run = runHolvane(args);
    EXPECT_NE(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.rfind("holvane: ", 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(folder.entries("out").empty());
    return run.err;
}

std::vector<std::string> renderClip(const ScratchFolder &folder, std::vector<std::string> extra) {
    std::vector<std::string> args{"render", folder.file("in/f.%04d.png"),
                                  folder.file("out/o.%04d.png"), "--quiet"};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

bool mentions(const std::string &message, const std::string &text) {
    return message.find(text) != std::string::npos;
}

}  // namespace

TEST(RenderErrors, MissingFilesAndGapsNameTheFile) {
    ScratchFolder folder;
    writeClip(folder, 5);
    std::filesystem::remove(folder.file("in/f.0003.png"));
    const std::string gap = failingRender(folder, renderClip(folder, {"--frames", "2-4"}));
    EXPECT_TRUE(mentions(gap, folder.file("in/f.0003.png") + ": missing (a gap in the sequence)"))
        << gap;
    const std::string whole = failingRender(folder, renderClip(folder, {}));
    EXPECT_TRUE(mentions(whole, "f.0003.png")) << whole;
    const std::string single =
        failingRender(folder, {"render", folder.file("in/none.png"), folder.file("out/o.png")});
    EXPECT_TRUE(mentions(single, folder.file("in/none.png") + ": no such file")) << single;
    // Frames 1-2 lie before the gap: the clip ends at frame 2 and renders.
    EXPECT_EQ(runHolvane(renderClip(folder, {"--frames", "1-2"})).exitCode, 0);
}

TEST(RenderErrors, FramesThatDoNotMatchAreRefusedBeforeAnythingIsWritten) {
    ScratchFolder folder;
    writeClip(folder, 4);
    // Frame 4 is not rendered, but frame 3 reads it as a neighbour.
    write_ImageFileAtomically(folder.file("in/f.0004.png"),
                              make8BitImage(17, 8, [](int, int, std::uint8_t *) {}));
    const std::string size = failingRender(folder, renderClip(folder, {"--frames", "1-3"}));
    EXPECT_TRUE(mentions(size, folder.file("in/f.0004.png") + ": 17 x 8")) << size;
    // Formats PNG cannot hold come as TIFF data under the clip's name; the
    // reader goes by the content.
    const std::vector<std::uint8_t> many(16 * 8 * 70, 7);
    writeRawImage(folder.file("many.tif"), 16, 8, 70, "uint8", many.data());
    std::filesystem::rename(folder.file("many.tif"), folder.file("in/f.0004.png"));
    const std::string channels = failingRender(folder, renderClip(folder, {}));
    EXPECT_TRUE(mentions(channels, "f.0004.png: 70 channels; at most 64")) << channels;
    const std::vector<std::int16_t> signedSamples(16 * 8 * 4, 7);
    writeRawImage(folder.file("signed.tif"), 16, 8, 4, "int16", signedSamples.data());
    std::filesystem::rename(folder.file("signed.tif"), folder.file("in/f.0004.png"));
    const std::string type = failingRender(folder, renderClip(folder, {}));
    EXPECT_TRUE(mentions(type, "f.0004.png: unsupported sample type")) << type;
    std::ofstream(folder.file("in/f.0004.png"), std::ios::trunc) << "garbage";
    const std::string unreadable = failingRender(folder, renderClip(folder, {}));
    EXPECT_TRUE(mentions(unreadable, "f.0004.png: cannot read")) << unreadable;
}

TEST(RenderErrors, BadOptionsNameTheOption) {
    ScratchFolder folder;
    writeClip(folder, 2);
    EXPECT_TRUE(mentions(failingRender(folder, renderClip(folder, {"--sharpen", "2"})),
                         "unknown option '--sharpen'"));
    const std::string range = failingRender(folder, renderClip(folder, {"--feather", "101"}));
    EXPECT_TRUE(mentions(range, "--feather: 101 is outside the valid range 0..100")) << range;
    EXPECT_TRUE(mentions(failingRender(folder, renderClip(folder, {"--decontam-color", "1,2,300"})),
                         "--decontam-color"));
    EXPECT_EQ(runHolvane(renderClip(folder, {"--jobs", "0"})).exitCode, 2);
    // Chunks outside 1..N, no parts, or a part without frames (the clip has 2).
    for (const char *chunk : {"0/3", "4/3", "1/0", "1", "3/3"}) {
        const ProcessResult run = runHolvane(renderClip(folder, {"--chunk", chunk}));
        EXPECT_EQ(run.exitCode, 2) << chunk;
        EXPECT_EQ(run.err.rfind("holvane: --chunk: ", 0), 0u) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    EXPECT_TRUE(folder.entries("out").empty());
}

TEST(RenderErrors, TheSourcePlateIsNeverOverwritten) {
    ScratchFolder folder;
    writeClip(folder, 3);
    const std::string before = readFileBytes(folder.file("in/f.0002.png"));
    for (const std::string &output : {folder.file("in/f.%04d.png"), folder.file("in/f.####.png"),
                                      folder.file("in/../in/f.%04d.png")}) {
        const ProcessResult run =
            runHolvane({"render", folder.file("in/f.%04d.png"), output, "--quiet"});
        EXPECT_NE(run.exitCode, 0) << output;
        EXPECT_TRUE(mentions(run.err, "refusing to overwrite the source plate")) << run.err;
    }
    const ProcessResult single = runHolvane(
        {"render", folder.file("in/f.0001.png"), folder.file("in/./f.0001.png"), "--quiet"});
    EXPECT_NE(single.exitCode, 0);
    // A single file is frame 1, and frame 1 of its own sequence is an input.
    const std::string sibling = failingRender(
        folder, {"render", folder.file("in/f.0003.png"), folder.file("in/f.####.png"), "-q"});
    EXPECT_TRUE(mentions(
        sibling, folder.file("in/f.0001.png") + " would overwrite " + folder.file("in/f.0001.png")))
        << sibling;
    // Frames beyond the clip's run are inputs too: frame 1 of f.001%d.png is f.0011.png.
    std::filesystem::copy_file(folder.file("in/f.0001.png"), folder.file("in/f.0011.png"));
    const std::string beyond =
        failingRender(folder, {"render", folder.file("in/f.%04d.png"),
                               folder.file("in/f.001%d.png"), "--frames", "1-3", "-q"});
    EXPECT_TRUE(mentions(beyond, "would overwrite " + folder.file("in/f.0011.png"))) << beyond;
    const std::string sheet = failingRender(
        folder,
        renderClip(folder, {"--frames", "1-3", "--contact-sheet", folder.file("out/o.0002.png")}));
    EXPECT_TRUE(mentions(sheet, "--contact-sheet: " + folder.file("out/o.0002.png") +
                                    " is also the output of frame 2"))
        << sheet;
    EXPECT_EQ(readFileBytes(folder.file("in/f.0002.png")), before);
    EXPECT_EQ(folder.entries("in").size(), 4u);
}

TEST(RenderErrors, AnUnwritableOutputFolderIsReported) {
    ScratchFolder folder;
    writeClip(folder, 2);
    std::ofstream(folder.file("file")) << "not a folder";
    const ProcessResult run =
        runHolvane({"render", folder.file("in/f.%04d.png"), folder.file("file/o.%04d.png")});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(mentions(run.err, folder.file("file") + ": cannot create the output folder"))
        << run.err;
    if (::geteuid() != 0) {  // permissions do not bind the superuser
        std::filesystem::create_directory(folder.file("locked"));
        std::filesystem::permissions(folder.file("locked"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_exec);
        const ProcessResult locked =
            runHolvane({"render", folder.file("in/f.%04d.png"), folder.file("locked/o.%04d.png")});
        EXPECT_TRUE(mentions(locked.err, "the output folder is not writable")) << locked.err;
    }
    const std::string several =
        failingRender(folder, {"render", folder.file("in/f.%04d.png"), folder.file("out/one.png")});
    EXPECT_TRUE(mentions(several, "2 frames need a frame-number pattern")) << several;
}

TEST(RenderErrors, AnEffectFailureNamesTheCodeAndTheFrame) {
    ScratchFolder folder;
    writeClip(folder, 3);
    const ProcessResult run =
        runHolvane(renderClip(folder, {"--module", HOLVANE_FAILING_EFFECT, "--jobs", "1"}));
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.err, "holvane: frame 2: the effect failed with PF_Err_OUT_OF_MEMORY\n");
    // Frame 1 was complete before the failure; frame 2 left nothing, not
    // even a temporary file, and frame 3 was not started.
    EXPECT_EQ(folder.entries("out"), std::vector<std::string>{"o.0001.png"});
}

// Outputs that would lose the matte are refused by name before anything is
// rendered; --depth picks a precision the format holds.
TEST(RenderErrors, OutputsThatWouldLoseTheMatteAreRefused) {
    ScratchFolder folder;
    writeClip(folder, 1);
    for (const char *name : {"o.jp2", "o.j2k", "o.gif", "o.webp", "o.heic", "o.jpg", "o.bmp"}) {
        const std::string message =
            failingRender(folder, {"render", folder.file("in/f.0001.png"), folder.file(name)});
        EXPECT_TRUE(mentions(message, "so the repaired matte would be lost")) << message;
    }
    std::vector<std::uint16_t> deep(16 * 8 * 4, 40000);
    writeRawImage(folder.file("in/deep.png"), 16, 8, 4, "uint16", deep.data());
    const std::string tga =
        failingRender(folder, {"render", folder.file("in/deep.png"), folder.file("out/o.tga")});
    EXPECT_TRUE(mentions(tga, "TGA holds 8-bit samples, not 16-bit")) << tga;
    const std::string exr =
        failingRender(folder, {"render", folder.file("in/f.0001.png"), folder.file("out/o.exr")});
    EXPECT_TRUE(mentions(exr, "choose --depth half or float")) << exr;
    ASSERT_EQ(runHolvane({"render", folder.file("in/f.0001.png"), folder.file("out/o.exr"),
                          "--depth", "half", "-q"})
                  .exitCode,
              0);
    EXPECT_EQ(decodeImage(folder.file("out/o.exr")).type, "half");
}

// Each kind of trouble says what it is, on one line of its own: no
// library's line beside it.
TEST(RenderErrors, MessagesSayWhatHappened) {
    ScratchFolder folder;
    writeClip(folder, 2);
    std::filesystem::create_directory(folder.file("in/folder.png"));
    EXPECT_TRUE(mentions(
        failingRender(folder, {"render", folder.file("in/folder.png"), folder.file("out/o.png")}),
        "in/folder.png: a folder, not an image file"));
    FileImage deep = make_FileImage(64, 48, SampleDepth::Sixteen);
    write_ImageFileAtomically(folder.file("whole.dpx"), deep);
    const std::string dpx = readFileBytes(folder.file("whole.dpx"));
    std::ofstream(folder.file("in/cut.dpx"), std::ios::binary) << dpx.substr(0, dpx.size() / 2);
    EXPECT_TRUE(mentions(failingRender(folder, {"render", folder.file("in/cut.dpx"),
                                                folder.file("out/o.dpx"), "-q"}),
                         "cut.dpx: cannot read the pixels: the file is truncated or damaged"));
    const std::string png = readFileBytes(folder.file("in/f.0002.png"));
    std::ofstream(folder.file("in/f.0002.png"), std::ios::binary) << png.substr(0, png.size() / 2);
    // One line: libpng's own complaint stays out of it.
    EXPECT_TRUE(mentions(failingRender(folder, renderClip(folder, {})), "f.0002.png: cannot read"));
    const ProcessResult info = runHolvane({"info", "--module", "/etc/passwd"});
    EXPECT_EQ(info.out, "");
    EXPECT_EQ(info.err,
              "holvane: /etc/passwd: cannot load the effect module: not a library this system "
              "can load (invalid ELF header)\n");

    // Frames of 8 rows, and a downsample the effect treats as 1.
    const ProcessResult notes = runHolvane(
        {"render", folder.file("in/f.0001.png"), folder.file("out/o.png"), "--downsample", "6"});
    EXPECT_EQ(notes.exitCode, 0);
    EXPECT_TRUE(mentions(notes.err, "note: frames of 8 rows pass through unchanged")) << notes.err;
    EXPECT_TRUE(mentions(notes.err, "note: --downsample 6 has no effect")) << notes.err;
}
