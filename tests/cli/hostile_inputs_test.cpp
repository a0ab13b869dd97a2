// Hostile input to the renderer: cut-off and corrupt PNG, TIFF and OpenEXR
// frames, zero and enormous declared sizes, mixed depths in a sequence, an
// output folder removed mid-run and a full disk. Each ends with a message
// naming the file, exit status 1 (never a crash), and no partial output.
// And a hostile setting: closed standard streams, interrupts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "cli_test_support.h"

namespace {

void writeBytes(const std::string &path, const std::string &bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Writes an image file, making its folder first.
void writeImage(const std::string &path, const FileImage &image) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    write_ImageFileAtomically(path, image);
}

// Noise does not compress: file sizes follow the pixel count.
FileImage noiseImage(int width, int height, unsigned seed) {
    std::mt19937 noise(seed);
    return make8BitImage(width, height, [&noise](int, int, std::uint8_t *rgba) {
        for (int c = 0; c < 4; ++c) rgba[c] = std::uint8_t(noise());
    });
}

// The same samples as fractions of full scale.
FileImage asFloat(const FileImage &image) {
    FileImage floats = make_FileImage(image.width, image.height, SampleDepth::Float);
    for (std::size_t i = 0; i < image.sampleCount(); ++i) floats.f32[i] = image.u8[i] / 255.0f;
    return floats;
}

// A valid file of the format its name gives: 8-bit as the renderer writes
// it, or float OpenEXR with the library's default 16-row zip, whose blocks
// of noise still compress (a block that does not is stored as it is).
std::string validFileBytes(const ScratchFolder &folder, const std::string &name) {
    const FileImage noise = noiseImage(48, 32, 5);
    const bool exr = name.size() > 4 && name.compare(name.size() - 4, 4, ".exr") == 0;
    if (exr) {
        writeRawImage(folder.file(name), 48, 32, 4, "float", asFloat(noise).f32.data());
    } else {
        write_ImageFileAtomically(folder.file(name), noise);
    }
    return readFileBytes(folder.file(name));
}

std::uint32_t crc32(const std::string &bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian32(std::string &bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

// A PNG whose header chunk declares another size, its checksum kept valid so
// that only the size is wrong.
std::string pngDeclaring(std::string png, std::uint32_t width, std::uint32_t height) {
    const std::size_t ihdr = 8 + 4;  // signature, chunk length
    putBigEndian32(png, ihdr + 4, width);
    putBigEndian32(png, ihdr + 8, height);
    putBigEndian32(png, ihdr + 4 + 13, crc32(png.substr(ihdr, 4 + 13)));
    return png;
}

// A baseline little-endian RGBA TIFF of one strip holding `stored` bytes of
// pixels, declaring width x height; the strip may be placed past the end.
std::string tiffDeclaring(std::uint32_t width, std::uint32_t height, std::uint32_t stored,
                          bool stripPastTheEnd = false) {
    std::string tiff("II*\0\0\0\0\0", 8);
    auto put16 = [&tiff](std::uint16_t v) { tiff.append(reinterpret_cast<char *>(&v), 2); };
    auto put32 = [&tiff](std::uint32_t v) { tiff.append(reinterpret_cast<char *>(&v), 4); };
    for (int i = 0; i < 4; ++i) put16(8);  // bits per sample, at offset 8
    const std::uint32_t dataAt = 16;
    tiff.append(stored, char(0x5A));
    if (tiff.size() % 2 != 0) tiff.push_back(0);
    const std::uint32_t ifdAt = std::uint32_t(tiff.size());
    std::memcpy(&tiff[4], &ifdAt, 4);
    struct Tag {
        std::uint16_t id, type;
        std::uint32_t count, value;
    };
    const Tag tags[] = {
        {256, 4, 1, width}, {257, 4, 1, height}, {258, 3, 4, 8},
        {259, 3, 1, 1},     {262, 3, 1, 2},      {273, 4, 1, stripPastTheEnd ? 1u << 30 : dataAt},
        {277, 3, 1, 4},     {278, 4, 1, height}, {279, 4, 1, width * height * 4},
        {338, 3, 1, 2}};
    put16(std::uint16_t(std::size(tags)));
    for (const Tag &tag : tags) {
        put16(tag.id);
        put16(tag.type);
        put32(tag.count);
        put32(tag.value);
    }
    put32(0);
    return tiff;
}

// An OpenEXR file whose data window is replaced (inclusive corners).
std::string exrDeclaring(std::string exr, std::int32_t x0, std::int32_t y0, std::int32_t x1,
                         std::int32_t y1) {
    const std::string attribute("dataWindow\0box2i\0", 17);
    const std::size_t at = exr.find(attribute) + attribute.size() + 4;
    const std::int32_t box[4] = {x0, y0, x1, y1};
    std::memcpy(&exr[at], box, sizeof box);
    return exr;
}

bool mentions(const std::string &text, const std::string &part) {
    return text.find(part) != std::string::npos;
}

std::string lastLine(const std::string &text) {
    std::string trimmed = text;
    while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
    const auto start = trimmed.rfind('\n');
    return start == std::string::npos ? trimmed : trimmed.substr(start + 1);
}

// The shape of every refusal: status 1 (a crash or a sanitizer's abort gives
// another), the last line of the error stream "holvane: <file>: ...", and no
// file in the output folder, not even a temporary one.
void expectRefused(const ScratchFolder &folder, const ProcessResult &run, const std::string &file,
                   const std::string &reason) {
    EXPECT_EQ(run.exitCode, 1) << run.err;
    const std::string line = lastLine(run.err);
    EXPECT_EQ(line.rfind("holvane: " + file + ": ", 0), 0u) << run.err;
    EXPECT_TRUE(mentions(line, reason)) << run.err;
    EXPECT_TRUE(folder.entries("out").empty());
}

// Renders the one-frame clip in/f.0001.<ext> holding `bytes` (to TIFF,
// which holds every depth).
ProcessResult renderFrameFile(const ScratchFolder &folder, const std::string &ext,
                              const std::string &bytes) {
    writeBytes(folder.file("in/f.0001." + ext), bytes);
    return runHolvane(
        {"render", folder.file("in/f.0001." + ext), folder.file("out/o.tif"), "--quiet"});
}

TEST(HostileInput, CutOffFramesOfEveryFormatAreRefused) {
    for (const std::string ext : {"png", "tif", "exr"}) {
        ScratchFolder folder;
        const std::string whole = validFileBytes(folder, "valid." + ext);
        for (std::size_t keep :
             {std::size_t(0), std::size_t(8), whole.size() / 2, whole.size() * 9 / 10}) {
            SCOPED_TRACE(ext + " cut to " + std::to_string(keep) + " of " +
                         std::to_string(whole.size()) + " bytes");
            const ProcessResult run = renderFrameFile(folder, ext, whole.substr(0, keep));
            expectRefused(folder, run, folder.file("in/f.0001." + ext), "cannot read");
        }
    }
}

// A flipped byte inside PNG's compressed pixels breaks its checksum; garbage
// in an OpenEXR file's pixel blocks fails to decompress; a TIFF strip placed
// past the end of the file was once read as zeros and rendered.
TEST(HostileInput, CorruptPixelDataIsRefusedNotRenderedAsZeros) {
    ScratchFolder folder;
    std::string png = validFileBytes(folder, "valid.png");
    png[png.find("IDAT") + 40] ^= 0x5A;
    expectRefused(folder, renderFrameFile(folder, "png", png), folder.file("in/f.0001.png"),
                  "cannot read");

    std::string exr = validFileBytes(folder, "valid.exr");
    for (std::size_t i = exr.size() - 200; i < exr.size() - 100; ++i) exr[i] = char(~exr[i]);
    expectRefused(folder, renderFrameFile(folder, "exr", exr), folder.file("in/f.0001.exr"),
                  "cannot read");

    // The same file with its strip in place renders, so only the offset is at fault.
    ASSERT_EQ(renderFrameFile(folder, "tif", tiffDeclaring(16, 8, 16 * 8 * 4)).exitCode, 0);
    std::filesystem::remove_all(folder.file("out"));
    expectRefused(folder, renderFrameFile(folder, "tif", tiffDeclaring(16, 8, 16 * 8 * 4, true)),
                  folder.file("in/f.0001.tif"), "cannot read the pixels");
    expectRefused(folder, renderFrameFile(folder, "tif", tiffDeclaring(400, 300, 64)),
                  folder.file("in/f.0001.tif"), "cannot read the pixels");
}

// A frame whose header reads but whose pixels do not is met mid-run, while
// other frames render: every thread stops, the one error names the file,
// and what was written is complete frames only.
TEST(HostileInput, ACorruptFrameMidSequenceStopsTheRunCleanly) {
    ScratchFolder folder;
    const std::string png = validFileBytes(folder, "valid.png");
    std::string corrupt = png;
    corrupt[corrupt.find("IDAT") + 40] ^= 0x5A;
    for (int f = 1; f <= 12; ++f) {
        writeBytes(folder.file("in/f." + std::to_string(f) + ".png"), f == 9 ? corrupt : png);
    }
    const ProcessResult run = runHolvane({"render", folder.file("in/f.%d.png"),
                                          folder.file("out/o.%d.png"), "--jobs", "3", "--quiet"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.err.rfind("holvane: " + folder.file("in/f.9.png") + ": cannot read", 0), 0u)
        << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    for (const std::string &name : folder.entries("out")) {
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        EXPECT_EQ(decodeImage(folder.file("out/" + name)).width, 48) << name;
    }
    // Frames 6 to 12 need frame 9, so none of them can have been written.
    EXPECT_FALSE(fileExists(folder.file("out/o.6.png")));
}

// Sizes no image can have, and sizes no render could hold: each is refused
// from the header, at once, without reading (or allocating) the pixels.
TEST(HostileInput, ZeroAndEnormousDeclaredSizesAreRefusedFromTheHeader) {
    ScratchFolder folder;
    const std::string png = validFileBytes(folder, "valid.png");
    const std::string exr = validFileBytes(folder, "valid.exr");
    const std::string pngFile = folder.file("in/f.0001.png");
    const std::string tifFile = folder.file("in/f.0001.tif");
    const std::string exrFile = folder.file("in/f.0001.exr");
    expectRefused(folder, renderFrameFile(folder, "png", pngDeclaring(png, 0, 32)), pngFile,
                  "cannot read");
    expectRefused(folder, renderFrameFile(folder, "png", pngDeclaring(png, 0x7FFFFFFF, 0x7FFFFFFF)),
                  pngFile, "cannot read");
    expectRefused(folder, renderFrameFile(folder, "tif", tiffDeclaring(0, 8, 4)), tifFile,
                  "cannot read");
    expectRefused(folder, renderFrameFile(folder, "tif", tiffDeclaring(100000, 100000, 64)),
                  tifFile, "");
    expectRefused(folder, renderFrameFile(folder, "exr", exrDeclaring(exr, 0, 0, -1, -1)), exrFile,
                  "cannot read");
    // Within the host's 30000 x 30000 limit, but the frames, the effect's
    // worlds and the output would need over a hundred gibibytes.
    expectRefused(folder, renderFrameFile(folder, "png", pngDeclaring(png, 29000, 29000)), pngFile,
                  "of memory to render");
    expectRefused(folder, renderFrameFile(folder, "tif", tiffDeclaring(29000, 29000, 64)), tifFile,
                  "of memory to render");
    expectRefused(folder, renderFrameFile(folder, "exr", exrDeclaring(exr, 0, 0, 28999, 28999)),
                  exrFile, "");
}

// Gaps and frames of another size are the renderer's own tests; here a
// frame of another depth and an empty frame file in the middle of a clip.
TEST(HostileInput, SequencesMixingDepthsOrHoldingAnEmptyFileAreRefused) {
    ScratchFolder folder;
    for (int f = 1; f <= 3; ++f) {
        FileImage image = noiseImage(16, 8, unsigned(f));
        if (f == 2) {
            image = make_FileImage(16, 8, SampleDepth::Sixteen);
        }
        writeImage(folder.file("in/f.000" + std::to_string(f) + ".tif"), image);
    }
    const std::vector<std::string> args{"render", folder.file("in/f.%04d.tif"),
                                        folder.file("out/o.%04d.png"), "--quiet"};
    const ProcessResult mixed = runHolvane(args);
    expectRefused(folder, mixed, folder.file("in/f.0002.tif"), "frames must share one depth");

    writeImage(folder.file("in/f.0002.tif"), noiseImage(16, 8, 2));
    writeBytes(folder.file("in/f.0003.tif"), "");
    expectRefused(folder, runHolvane(args), folder.file("in/f.0003.tif"), "cannot read");
}

// The stand-in effect removes the output folder while the second frame
// renders. The first frame was written before; the second cannot be, and
// nothing is left of it (not even its temporary file: the folder is gone).
TEST(HostileInput, AnOutputFolderRemovedMidRunEndsTheRenderCleanly) {
    ScratchFolder folder;
    for (int f = 1; f <= 4; ++f)
        writeImage(folder.file("in/f.000" + std::to_string(f) + ".png"),
                   noiseImage(16, 8, unsigned(f)));
    ::setenv("HOLVANE_VANISHING_FOLDER", folder.file("out").c_str(), 1);
    const ProcessResult run =
        runHolvane({"render", folder.file("in/f.%04d.png"), folder.file("out/o.%04d.png"),
                    "--quiet", "--jobs", "1", "--module", HOLVANE_VANISHING_FOLDER_EFFECT});
    ::unsetenv("HOLVANE_VANISHING_FOLDER");
    expectRefused(folder, run, folder.file("out/o.0002.png"), "cannot write");
    EXPECT_FALSE(fileExists(folder.file("out")));
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"in"}));
}

// Starts holvane with its output and error streams in files of `streams`;
// `prepare` runs in the child just before holvane starts (limits, closed
// or redirected descriptors).
pid_t startHolvane(const ScratchFolder &streams, const std::vector<std::string> &args,
                   const std::function<void()> &prepare) {
    const std::string outPath = streams.file("out"), errPath = streams.file("err");
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        prepare();
        std::vector<char *> argv{const_cast<char *>(HOLVANE_CLI_EXECUTABLE)};
        for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

// Exit status, or 1000 + the signal that ended it.
ProcessResult waitForHolvane(const ScratchFolder &streams, pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    result.out = readFileBytes(streams.file("out"));
    result.err = readFileBytes(streams.file("err"));
    return result;
}

ProcessResult runPrepared(const std::vector<std::string> &args,
                          const std::function<void()> &prepare) {
    ScratchFolder streams;
    return waitForHolvane(streams, startHolvane(streams, args, prepare));
}

// Runs holvane with every file it writes limited to `maxFileBytes`, the way a
// nearly full disk refuses a write. The limit's signal is ignored, so the
// refused write returns an error as a full disk's does.
ProcessResult runWithFileSizeLimit(const std::vector<std::string> &args, rlim_t maxFileBytes) {
    return runPrepared(args, [maxFileBytes] {
        const rlimit limit{maxFileBytes, maxFileBytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    });
}

// Every format's writer is refused part-way: the PNG writer once ignored
// that, reported success and left cut-off frames behind.
TEST(HostileInput, AFullDiskLeavesNoPartialFrame) {
    for (const std::string ext : {"png", "tif", "exr"}) {
        SCOPED_TRACE(ext);
        ScratchFolder folder;
        for (int f = 1; f <= 2; ++f)
            writeImage(folder.file("in/f.000" + std::to_string(f) + ".png"),
                       noiseImage(64, 64, unsigned(f)));
        const ProcessResult run = runWithFileSizeLimit(
            {"render", folder.file("in/f.%04d.png"), folder.file("out/o.%04d." + ext), "--quiet",
             "--jobs", "1", "--depth", ext == "exr" ? "half" : "8"},
            4096);
        expectRefused(folder, run, folder.file("out/o.0001." + ext), "cannot write");
    }
}

// A file system that really fills up (a small tmpfs; needs the right to
// mount): the first frame fits and is complete, the second does not and
// leaves nothing.
TEST(HostileInput, AFullFileSystemKeepsTheFramesWrittenBefore) {
    ScratchFolder folder;
    const std::string mountPoint = folder.file("out");
    std::filesystem::create_directories(mountPoint);
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=24k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount(path.c_str()); }
    } unmount{mountPoint};
    // About 16 KiB per frame: one fits in 24 KiB, two do not.
    for (int f = 1; f <= 3; ++f)
        writeImage(folder.file("in/f.000" + std::to_string(f) + ".png"),
                   noiseImage(64, 64, unsigned(f)));
    const ProcessResult run = runHolvane({"render", folder.file("in/f.%04d.png"),
                                          folder.file("out/o.%04d.png"), "--quiet", "--jobs", "1"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_TRUE(mentions(lastLine(run.err), folder.file("out/o.0002.png") + ": cannot write"))
        << run.err;
    ASSERT_EQ(folder.entries("out"), std::vector<std::string>{"o.0001.png"});
    const FileImage written = read_ImageFile(folder.file("out/o.0001.png"));
    EXPECT_EQ(written.width, 64);
    EXPECT_EQ(written.height, 64);
}

}  // namespace

namespace {

bool holdsTemporaryFile(const ScratchFolder &folder) {
    for (const std::string &name : folder.entries("out")) {
        if (name.rfind(".holvane-", 0) == 0) return true;
    }
    return false;
}

// Waits until one of the process's threads sleeps in opening a pipe for
// writing.
bool waitsForAReader(pid_t child) {
    const std::string tasks = "/proc/" + std::to_string(child) + "/task";
    for (int poll = 0; poll < 3000; ++poll) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(tasks, ec), end; !ec && it != end;
             it.increment(ec)) {
            if (readFileBytes(it->path().string() + "/wchan") == "wait_for_partner") return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

// Started from cron or a farm agent with a standard stream closed, stopped
// by SIGTERM or Ctrl-C, or given the longest name a file may have, a render
// leaves whole frames and nothing else.
TEST(HostileInput, ClosedStreamsInterruptsAndLongNamesLeaveNoStrayFile) {
    ScratchFolder folder;
    for (int f = 1; f <= 24; ++f) {
        char name[32];
        std::snprintf(name, sizeof name, "in/f.%04d.png", f);
        writeImage(folder.file(name), noiseImage(64, 48, unsigned(f)));
    }
    const std::vector<std::string> render{"render", folder.file("in/f.%04d.png"),
                                          folder.file("out/o.%04d.png"), "--jobs", "2"};
    // Progress lines once landed in frames that took descriptor 2.
    const ProcessResult closedErr = runPrepared(render, [] { ::close(2); });
    ASSERT_EQ(closedErr.exitCode, 0);
    ASSERT_EQ(folder.entries("out").size(), 24u);
    for (const std::string &name : folder.entries("out")) {
        const DecodedImage frame = decodeImage(folder.file("out/" + name));
        EXPECT_EQ(frame.width * frame.height * frame.channels, 64 * 48 * 4) << name;
    }
    std::vector<std::string> stats = render;
    stats.push_back("--stats");
    const ProcessResult full = runPrepared(stats, [] { ::dup2(::open("/dev/full", O_WRONLY), 1); });
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(mentions(lastLine(full.err), "--stats: cannot write")) << full.err;
    std::filesystem::remove_all(folder.file("out"));
    const ProcessResult closedOut = runPrepared(stats, [] { ::close(1); });
    EXPECT_EQ(closedOut.exitCode, 1);
    EXPECT_TRUE(mentions(closedOut.err, "--stats: standard output is closed")) << closedOut.err;
    EXPECT_FALSE(fileExists(folder.file("out")));

    const std::string name(244, 'n');
    ASSERT_EQ(runHolvane({"render", folder.file("in/f.0001.png"),
                          folder.file("out/" + name + ".png"), "-q"})
                  .exitCode,
              0);
    std::filesystem::remove_all(folder.file("out"));

    // The first frame's temporary file is a pipe nobody reads: the writer
    // blocks in it, mid-write, until the interrupt comes.
    for (const int signalNumber : {SIGTERM, SIGINT}) {
        ScratchFolder streams;
        const std::string out = folder.file("out");
        const pid_t child = startHolvane(
            streams,
            {"render", folder.file("in/f.%04d.png"), out + "/o.%04d.png", "-q", "--jobs", "1"},
            [out] {
                std::filesystem::create_directories(out);
                ::mkfifo((out + "/.holvane-" + std::to_string(::getpid()) + "-0.tmp").c_str(),
                         0600);
            });
        ASSERT_TRUE(waitsForAReader(child));
        ::kill(child, signalNumber);
        EXPECT_EQ(waitForHolvane(streams, child).exitCode, 128 + signalNumber);
        EXPECT_FALSE(holdsTemporaryFile(folder));
    }
}
