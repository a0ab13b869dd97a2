#include "tests/windows/driver/render_job.h"

#include <cstdlib>
#include <sstream>

#include "frame/params/params.h"
#include "host/effect_host.h"
#include "tests/windows/driver/pam_image.h"

namespace {

constexpr A_long kTimeStep = 1;
constexpr A_u_long kTimeScale = 24;
// Host worlds are rarely packed; padding catches rowbytes mistakes on both
// platforms alike. Whole pixels at 8 and 16 bits.
constexpr A_long kInputRowPadding = 16;
constexpr A_long kOutputRowPadding = 32;

bool parseNumber(const std::string &text, long low, long high, long &value) {
    if (text.empty()) return false;
    char *end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == '\0' && value >= low && value <= high;
}

// "INDEX=VALUE" for a slider or popup, checked against its range.
bool parseSetting(const std::string &text, ParamValues &values, std::string &error) {
    const auto equals = text.find('=');
    long index = 0, value = 0;
    if (equals == std::string::npos ||
        !parseNumber(text.substr(0, equals), PARAM_PROCESS, PARAM_COUNT - 1, index)) {
        error = "bad parameter setting: " + text;
        return false;
    }
    const ParamSpec &control = paramSpec(ParamIndex(index));
    if (control.type == PF_Param_COLOR ||
        !parseNumber(text.substr(equals + 1), control.validMin, control.validMax, value)) {
        error = "bad value for parameter " + std::string(control.name) + ": " + text;
        return false;
    }
    values.number[index] = A_long(value);
    return true;
}

// "INDEX=R,G,B" for a colour control.
bool parseColour(const std::string &text, ParamValues &values, std::string &error) {
    const auto equals = text.find('=');
    long index = 0;
    long channel[3] = {};
    bool ok = equals != std::string::npos &&
              parseNumber(text.substr(0, equals), PARAM_PROCESS, PARAM_COUNT - 1, index) &&
              paramSpec(ParamIndex(index)).type == PF_Param_COLOR;
    std::istringstream rest(ok ? text.substr(equals + 1) : std::string());
    for (long &c : channel) {
        std::string part;
        ok = ok && std::getline(rest, part, ',') && parseNumber(part, 0, PF_MAX_CHAN8, c);
    }
    if (!ok || !rest.eof()) {
        error = "bad colour setting: " + text;
        return false;
    }
    values.colour[index] =
        PF_Pixel{PF_MAX_CHAN8, A_u_char(channel[0]), A_u_char(channel[1]), A_u_char(channel[2])};
    return true;
}

bool parseOption(const std::string &name, const std::string &value, RenderJob &job,
                 std::string &error) {
    long number = 0;
    if (name == "--out") {
        job.outputPath = value;
    } else if (name == "--current" && parseNumber(value, 0, 1 << 20, number)) {
        job.currentFrame = int(number);
    } else if (name == "--host" && (value == "after-effects" || value == "premiere")) {
        job.app = value == "premiere" ? HostApp::Premiere : HostApp::AfterEffects;
    } else if (name == "--downsample" && parseNumber(value, 1, 4, number)) {
        job.downsample = A_u_long(number);
    } else if (name == "--set") {
        return parseSetting(value, job.values, error);
    } else if (name == "--colour") {
        return parseColour(value, job.values, error);
    } else {
        error = "bad option: " + name + " " + value;
        return false;
    }
    return true;
}

}  // namespace

bool parseRenderJob(const std::vector<std::string> &args, RenderJob &job, std::string &error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].compare(0, 2, "--") != 0) {
            job.framePaths.push_back(args[i]);
        } else if (i + 1 >= args.size()) {
            error = args[i] + " needs a value";
            return false;
        } else if (!parseOption(args[i], args[i + 1], job, error)) {
            return false;
        } else {
            ++i;
        }
    }
    if (job.outputPath.empty() || job.framePaths.empty()) {
        error = "render needs --out and at least one frame";
        return false;
    }
    if (job.currentFrame >= int(job.framePaths.size())) {
        error = "--current is past the last frame";
        return false;
    }
    return true;
}

namespace {

bool readClip(const RenderJob &job, std::vector<OwnedWorld> &worlds, PixelDepth &depth,
              std::string &error) {
    PamImage first;
    for (const std::string &path : job.framePaths) {
        PamImage image;
        if (!readPam(path, image, error)) return false;
        if (worlds.empty()) {
            first = image;
        } else if (image.width != first.width || image.height != first.height ||
                   image.maxval != first.maxval) {
            error = path + ": size or depth differs from the first frame";
            return false;
        }
        worlds.push_back(worldFromPam(image, job.app, kInputRowPadding));
    }
    depth = worldDepthForPam(first, job.app);
    return true;
}

HostSettings settingsFor(const RenderJob &job, const std::vector<OwnedWorld> &clip) {
    HostSettings settings;
    settings.app = job.app;
    settings.timeStep = kTimeStep;
    settings.timeScale = kTimeScale;
    settings.totalTime = A_long(clip.size()) * kTimeStep;
    settings.currentTime = A_long(job.currentFrame) * kTimeStep;
    settings.downsampleX = PF_RationalScale{1, job.downsample};
    settings.downsampleY = PF_RationalScale{1, job.downsample};
    // Before the clip gives its first frame, past it its last.
    settings.frameSource = [&clip](A_long time) {
        const long frame = time > 0 ? time / kTimeStep : 0;
        const long last = long(clip.size()) - 1;
        return &clip[std::size_t(frame < last ? frame : last)].layer();
    };
    return settings;
}

}  // namespace

bool runRenderJob(PF_FilterProc entry, const RenderJob &job, std::ostream &out,
                  std::string &error) {
    std::vector<OwnedWorld> clip;
    PixelDepth depth = PixelDepth::Eight;
    if (!readClip(job, clip, depth, error)) return false;
    EffectHost host(entry, settingsFor(job, clip));
    const CommandReport setup = host.globalSetup();
    const CommandReport params = host.paramsSetup().report;
    if (setup.err != PF_Err_NONE || params.err != PF_Err_NONE) {
        error = "the effect failed to set up";
        return false;
    }
    const PF_LayerDef &input = clip[std::size_t(job.currentFrame)].layer();
    OwnedWorld output(input.width, input.height, depth, kOutputRowPadding);
    const CommandReport report = host.render(job.values, input, output.layer());
    out << "render: err=" << report.err << " clean=" << (report.clean() ? "yes" : "no")
        << " size=" << input.width << "x" << input.height
        << " bits=" << (depth == PixelDepth::Sixteen ? 16 : 8) << "\n";
    if (!report.clean()) out << report.describe();
    if (report.err != PF_Err_NONE) {
        error = "the render failed with " + std::to_string(report.err);
        return false;
    }
    if (!writePam(job.outputPath, pamFromWorld(output.layer()))) {
        error = "cannot write " + job.outputPath;
        return false;
    }
    return true;
}
