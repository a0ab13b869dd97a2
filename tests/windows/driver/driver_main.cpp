// holvane_driver: runs the effect module through our host for the checks
// that compare the Windows module with the Linux one. It is built for both;
// the Windows build runs under Wine. Every result goes to a file opened in
// binary mode, so no console or line-end conversion can tell the two apart.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "host/effect_module.h"
#include "tests/windows/driver/command_round.h"
#include "tests/windows/driver/render_job.h"
#if defined(_WIN32)
#include "tests/windows/driver/pipl_readback.h"
#endif

namespace {

constexpr int kFailure = 1;
constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: holvane_driver round MODULE OUTPUT.txt\n"
    "       holvane_driver render MODULE --out OUTPUT.pam --current N\n"
    "              [--host after-effects|premiere] [--downsample N]\n"
    "              [--set INDEX=VALUE]... [--colour INDEX=R,G,B]... FRAME.pam...\n"
#if defined(_WIN32)
    "       holvane_driver pipl MODULE OUTPUT.bin\n"
#endif
    ;

int fail(const std::string &message) {
    std::cerr << "holvane_driver: " << message << "\n";
    return kFailure;
}

bool openModule(const std::string &path, EffectModule &module) {
    if (module.open(path)) return true;
    std::cerr << "holvane_driver: " << module.error() << "\n";
    return false;
}

int runRound(const std::string &modulePath, const std::string &outputPath) {
    EffectModule module;
    if (!openModule(modulePath, module)) return kFailure;
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    const bool afterEffects = printCommandRound(out, module.entry(), HostApp::AfterEffects);
    const bool premiere = printCommandRound(out, module.entry(), HostApp::Premiere);
    out.close();
    if (!out) return fail("cannot write " + outputPath);
    return afterEffects && premiere ? 0 : fail("a command failed; see " + outputPath);
}

int runRender(const std::string &modulePath, const std::vector<std::string> &args) {
    RenderJob job;
    std::string error;
    if (!parseRenderJob(args, job, error)) {
        std::cerr << "holvane_driver: " << error << "\n" << kUsage;
        return kUsageError;
    }
    EffectModule module;
    if (!openModule(modulePath, module)) return kFailure;
    return runRenderJob(module.entry(), job, std::cout, error) ? 0 : fail(error);
}

#if defined(_WIN32)
int runPipl(const std::string &modulePath, const std::string &outputPath) {
    PiplReadback readback;
    std::string error;
    if (!readPiplResource(modulePath, readback, error)) return fail(error);
    std::ofstream out(outputPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(readback.bytes.data()),
              std::streamsize(readback.bytes.size()));
    out.close();
    if (!out) return fail("cannot write " + outputPath);
    std::cout << "languages:";
    for (unsigned language : readback.languages) std::cout << " " << language;
    std::cout << "\nbytes: " << readback.bytes.size() << "\n";
    return 0;
}
#endif

}  // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "round") return runRound(args[1], args[2]);
    if (args.size() >= 2 && args[0] == "render")
        return runRender(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
#if defined(_WIN32)
    if (args.size() == 3 && args[0] == "pipl") return runPipl(args[1], args[2]);
#endif
    std::cerr << kUsage;
    return kUsageError;
}
