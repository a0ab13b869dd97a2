// Renders of the same frames under the same settings by Holvane.aex under
// Wine and by the Linux module must give byte-identical output files: the
// render is defined to the bit, and the two deliverables share one source.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/image_file.h"
#include "frame/params/params.h"
#include "synthetic_clip.h"
#include "windows_checks.h"

namespace {

enum class Clip {
    Synthetic8,   // the made-up clip, 8 bits
    Synthetic16,  // the made-up clip, 16 bits with noise in the low bits
    Parrotfish,   // the bundled real keyed footage (examples/), 8 bits
};

struct RenderCase {
    const char *name;
    Clip clip;
    std::vector<std::string> args;  // driver options beyond the files
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const RenderCase &c, std::ostream *out) { *out << c.name; }

std::string set(ParamIndex index, int value) {
    return std::to_string(int(index)) + "=" + std::to_string(value);
}

std::string colour(ParamIndex index, int red, int green, int blue) {
    return std::to_string(int(index)) + "=" + std::to_string(red) + "," + std::to_string(green) +
           "," + std::to_string(blue);
}

// Between them they take every view, both bit depths, both hosts, a
// downsampled render, every kind of colour source (existing colour, frames
// one and three away, the adjacent blur, the set colour), feathering,
// growing and shrinking, edge-gap bridging and a hole-size limit that
// rejects a pocket.
const std::vector<RenderCase> &renderCases() {
    static const std::vector<RenderCase> cases = {
        {"Default", Clip::Synthetic8, {}},
        {"ShowInfo", Clip::Synthetic8, {"--set", set(PARAM_PROCESS, 4)}},
        {"Chain5WithFeather",
         Clip::Synthetic8,
         {"--set", set(PARAM_FILL_WITH, 5), "--set", set(PARAM_FEATHER_IN, 10), "--set",
          set(PARAM_HOLE_SIZE, 80)}},
        {"Chain9WithShrink",
         Clip::Synthetic8,
         {"--set", set(PARAM_FILL_WITH, 9), "--set", set(PARAM_SHRINK_GROW, -4), "--set",
          set(PARAM_BELOW_ALPHA, 80)}},
        {"PremiereHost",
         Clip::Synthetic8,
         {"--host", "premiere", "--set", set(PARAM_FILL_WITH, 6), "--colour",
          colour(PARAM_DECONTAM_COLOR, 20, 90, 200)}},
        {"AlphaViewGrowAndGaps",
         Clip::Synthetic8,
         {"--set", set(PARAM_PROCESS, 3), "--set", set(PARAM_SHRINK_GROW, 5), "--set",
          set(PARAM_CLOSE_EDGE_GAPS, 3)}},
        {"Chain1BlackSmallHoles",
         Clip::Synthetic8,
         {"--set", set(PARAM_FILL_WITH, 1), "--colour", colour(PARAM_SET_COLOR, 0, 0, 0), "--set",
          set(PARAM_FEATHER_IN, 0), "--set", set(PARAM_HOLE_SIZE, 20)}},
        {"Deep16BitDefault", Clip::Synthetic16, {}},
        {"Deep16BitChangesChain10",
         Clip::Synthetic16,
         {"--set", set(PARAM_PROCESS, 2), "--set", set(PARAM_FILL_WITH, 10), "--set",
          set(PARAM_FEATHER_IN, 3)}},
        {"Deep16BitInfoDownsampled",
         Clip::Synthetic16,
         {"--set", set(PARAM_PROCESS, 4), "--downsample", "2", "--set", set(PARAM_HOLE_SIZE, 150)}},
        // Real keyed footage: soft edges, leaking gaps, ragged bands.
        {"ParrotfishDefault", Clip::Parrotfish, {}},
        {"ParrotfishChain5Blur",
         Clip::Parrotfish,
         {"--set", set(PARAM_FILL_WITH, 5), "--set", set(PARAM_HOLE_SIZE, 80), "--set",
          set(PARAM_FEATHER_IN, 10)}},
        {"ParrotfishPremiere",
         Clip::Parrotfish,
         {"--host", "premiere", "--set", set(PARAM_FILL_WITH, 6), "--colour",
          colour(PARAM_DECONTAM_COLOR, 20, 90, 200)}},
    };
    return cases;
}

class WindowsRender : public ::testing::TestWithParam<RenderCase> {};

// The frames of examples/ocean_parrotfish as 8-bit PAM images.
std::vector<PamImage> parrotfishClip() {
    std::vector<PamImage> clip;
    for (int frame = 1; frame <= 5; ++frame) {
        char name[64];
        std::snprintf(name, sizeof name, "/examples/ocean_parrotfish/frame.%04d.png", frame);
        const FileImage file = read_ImageFile(sourceDir() + name);
        EXPECT_EQ(file.depth, SampleDepth::Eight) << name;
        PamImage image = makePamImage(file.width, file.height, kPam8BitMaxval);
        std::copy(file.u8.begin(), file.u8.end(), image.samples.begin());
        clip.push_back(image);
    }
    return clip;
}

std::vector<PamImage> clipFrames(Clip clip) {
    switch (clip) {
        case Clip::Synthetic8:
            return makeSyntheticClip(kPam8BitMaxval);
        case Clip::Synthetic16:
            return makeSyntheticClip(kPam16BitMaxval);
        case Clip::Parrotfish:
            return parrotfishClip();
    }
    return {};
}

// Writes the clip's frames and returns their paths.
std::vector<std::string> writeClip(const std::string &dir, const std::vector<PamImage> &clip) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < clip.size(); ++i) {
        paths.push_back(dir + "/frame." + std::to_string(i) + ".pam");
        EXPECT_TRUE(writePam(paths.back(), clip[i])) << paths.back();
    }
    return paths;
}

// Renders the middle frame, so the neighbours either side are read.
std::vector<std::string> renderArgs(const RenderCase &c, const std::string &module,
                                    const std::string &output,
                                    const std::vector<std::string> &frames) {
    std::vector<std::string> args{"render", module,      "--out",
                                  output,   "--current", std::to_string(frames.size() / 2)};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.insert(args.end(), frames.begin(), frames.end());
    return args;
}

// The effect did something to the frame (every case has holes it fills or
// a view that is not the input), so equal outputs are not two untouched
// copies.
void expectFrameChanged(const std::string &outputPath, PamImage input) {
    PamImage output;
    std::string error;
    ASSERT_TRUE(readPam(outputPath, output, error)) << error;
    EXPECT_EQ(output.width, input.width);
    EXPECT_EQ(output.height, input.height);
    if (output.deep() && !input.deep()) {
        for (std::uint16_t &sample : input.samples) sample = std::uint16_t(sample * 128);
    }
    EXPECT_NE(output.samples, input.samples);
}

TEST_P(WindowsRender, GivesTheLinuxModulesOutputFile) {
    ASSERT_TRUE(windowsBuildPresent());
    const RenderCase &c = GetParam();
    const std::string dir = freshWorkDir(std::string("render_") + c.name);
    const std::vector<PamImage> clip = clipFrames(c.clip);
    ASSERT_FALSE(clip.empty());
    const std::vector<std::string> frames = writeClip(dir, clip);
    std::vector<std::string> windowsFrames;
    for (const std::string &frame : frames) windowsFrames.push_back(windowsPath(frame));

    const ProgramRun linuxRun =
        runLinuxDriver(renderArgs(c, linuxModulePath(), dir + "/linux.pam", frames));
    const ProgramRun windowsRun = runWindowsDriver(renderArgs(
        c, windowsPath(windowsModulePath()), windowsPath(dir + "/windows.pam"), windowsFrames));
    ASSERT_EQ(linuxRun.exitCode, 0) << linuxRun.out << linuxRun.err;
    ASSERT_EQ(windowsRun.exitCode, 0) << windowsRun.out << windowsRun.err;
    EXPECT_EQ(linuxRun.out, windowsRun.out);
    EXPECT_NE(linuxRun.out.find("clean=yes"), std::string::npos) << linuxRun.out;

    const std::vector<unsigned char> linuxBytes = readFileBytes(dir + "/linux.pam");
    const std::vector<unsigned char> windowsBytes = readFileBytes(dir + "/windows.pam");
    ASSERT_FALSE(linuxBytes.empty());
    EXPECT_TRUE(linuxBytes == windowsBytes) << "the outputs differ; see " << dir;
    expectFrameChanged(dir + "/linux.pam", clip[clip.size() / 2]);
}

INSTANTIATE_TEST_SUITE_P(Settings, WindowsRender, ::testing::ValuesIn(renderCases()),
                         [](const ::testing::TestParamInfo<RenderCase> &info) {
                             return std::string(info.param.name);
                         });

}  // namespace
