#include "cli/cluster_command.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_error.h"
#include "cli/declared_controls.h"
#include "cli/module_path.h"
#include "cli/options.h"
#include "host/effect_module.h"

extern char **environ;

namespace fs = std::filesystem;

namespace {

// A task's start-up (loading the module, reading the chunk's neighbours)
// is worth it for about this many frames.
constexpr long FRAMES_PER_CHUNK = 10;
// Slurm's default MaxArraySize allows indices up to 1000.
constexpr long MAX_DEFAULT_CHUNKS = 1000;
constexpr long MAX_CHUNKS = 1000000;
constexpr long MAX_CPUS = 256;  // as --jobs
constexpr const char ARRAY_SCRIPT_NAME[] = "holvane-array.sbatch";

struct ClusterRequest {
    std::vector<std::string> renderArgs;  // INPUT OUTPUT and render options, as given
    long chunks = 0;                      // 0: chosen from the frame count
    int cpus = 1;
    std::string script;
    bool submit = false;
};

// Beside this program, else in the source tree this program was built from.
std::string defaultArrayScript() {
    std::error_code ec;
    const fs::path beside = fs::path(holvane_ExecutablePath()).parent_path() / ARRAY_SCRIPT_NAME;
    if (fs::is_regular_file(beside, ec)) return beside.string();
#ifdef HOLVANE_ARRAY_SCRIPT
    if (fs::is_regular_file(HOLVANE_ARRAY_SCRIPT, ec)) return HOLVANE_ARRAY_SCRIPT;
#endif
    throw CliError(std::string(ARRAY_SCRIPT_NAME) + ": not found; give --script PATH");
}

// Takes the cluster's own options out; the rest is a render command line.
ClusterRequest parseClusterArgs(const std::vector<std::string> &args) {
    ClusterRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const auto equals = arg.find('=');
        const std::string name = arg.rfind("--", 0) == 0 ? arg.substr(0, equals) : arg;
        const bool owned = name == "--chunks" || name == "--jobs" || name == "--script";
        if (name == "--chunk" || name == "--skip-existing") {
            throw usageError(name + ": each array task sets it; give --chunks N instead");
        }
        if (name == "--contact-sheet") {
            throw usageError(name + ": each array task would write its own over the others'");
        }
        if (name == "--submit" && equals == std::string::npos) {
            request.submit = true;
            continue;
        }
        if (!owned) {
            request.renderArgs.push_back(arg);
            continue;
        }
        if (equals == std::string::npos && i + 1 == args.size()) {
            throw usageError(name + " needs a value");
        }
        const std::string value = equals != std::string::npos ? arg.substr(equals + 1) : args[++i];
        if (name == "--chunks")
            request.chunks = parse_WholeNumberOption(name, value, 1, MAX_CHUNKS);
        if (name == "--jobs") request.cpus = int(parse_WholeNumberOption(name, value, 1, MAX_CPUS));
        if (name == "--script") request.script = value;
    }
    return request;
}

// The number of frames the array renders, after the checks of the command
// line, the controls and the clip's folder that each task makes first.
long framesToRender(const std::vector<std::string> &renderArgs) {
    std::vector<std::string> line{"render"};
    line.insert(line.end(), renderArgs.begin(), renderArgs.end());
    const CommandLine parsed = parse_CommandLine(line);
    if (parsed.command != Command::Render) throw usageError("cluster slurm: see holvane --help");
    const RenderOptions &r = parsed.render;
    const std::string modulePath = resolve_ModulePath(parsed.modulePath);
    EffectModule module;
    if (!module.open(modulePath)) {
        throw CliError(modulePath + ": cannot load the effect module (" + module.error() + ")");
    }
    resolve_ControlValues(r.controls, read_DeclaredControls(module.entry()));
    return discover_Clip(parse_SequencePattern(r.input), r.frames).rendered.count();
}

void submitWithSbatch(const std::vector<std::string> &arguments) {
    std::vector<std::string> words{"sbatch"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "sbatch", nullptr, nullptr, argv.data(), environ) != 0) {
        throw CliError("sbatch: cannot run it; is Slurm's client installed?");
    }
    int status = 0;
    if (::waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw CliError("sbatch: the submission failed (see its message above)");
    }
}

// One word for a POSIX shell: as is when it holds nothing special, quoted
// otherwise.
std::string shell_Quoted(const std::string &word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789_./=:,@%+-") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The sbatch arguments for an array of `chunks` tasks running `script` over
// the render arguments from `folder`, with `cpus` threads per task.
std::vector<std::string> slurm_ArrayCommand(const std::string &script,
                                            const std::vector<std::string> &renderArgs, long chunks,
                                            int cpus, const std::string &folder,
                                            const std::string &holvane) {
    std::vector<std::string> command{"--array=1-" + std::to_string(chunks),
                                     "--cpus-per-task=" + std::to_string(cpus), "--chdir=" + folder,
                                     "--export=ALL,HOLVANE=" + holvane, script};
    command.insert(command.end(), renderArgs.begin(), renderArgs.end());
    return command;
}

}  // namespace

int run_ClusterCommand(const std::vector<std::string> &args, std::ostream &out) {
    if (args.empty() || args[0] != "slurm") {
        throw usageError("cluster: the one scheduler is 'slurm'; see holvane --help");
    }
    ClusterRequest request = parseClusterArgs({args.begin() + 1, args.end()});
    const long frames = framesToRender(request.renderArgs);
    if (request.chunks > frames) {
        throw usageError("--chunks: " + std::to_string(request.chunks) + " parts of " +
                         std::to_string(frames) + " frames would leave some without frames");
    }
    if (request.chunks == 0) {
        request.chunks =
            std::min((frames + FRAMES_PER_CHUNK - 1) / FRAMES_PER_CHUNK, MAX_DEFAULT_CHUNKS);
    }
    const std::string script = request.script.empty() ? defaultArrayScript() : request.script;
    // Relative names in the options resolve in the task's folder as they do here.
    const std::vector<std::string> command =
        slurm_ArrayCommand(fs::absolute(script).string(), request.renderArgs, request.chunks,
                           request.cpus, fs::current_path().string(), holvane_ExecutablePath());
    if (request.submit) {
        submitWithSbatch(command);
        return 0;
    }
    out << "sbatch";
    for (const std::string &word : command) out << " " << shell_Quoted(word);
    out << "\n";
    return 0;
}
