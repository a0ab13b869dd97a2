#include "cli/holvane_cli.h"

#include <ostream>
#include <sstream>

#include "cli/cli_error.h"
#include "cli/cluster_command.h"
#include "cli/info_command.h"
#include "cli/options.h"
#include "cli/render_command.h"
#include "frame/effect_info.h"

#ifndef HOLVANE_VERSION
#define HOLVANE_VERSION "0.0.0"
#endif

namespace {

const char USAGE[] =
    R"(holvane: repairs the alpha matte of keyed footage through the Holvane effect.

Usage:
  holvane render INPUT OUTPUT [options]
  holvane info [--module PATH]
  holvane cluster slurm INPUT OUTPUT [render options] [--chunks N] [--submit]
  holvane --version
  holvane --help

INPUT and OUTPUT are image files or sequence patterns with a frame number
written %04d or #### (one # per digit), e.g. plate.%04d.exr. For a sequence
the clip is the contiguous run of existing frames around the requested ones;
each frame is written under its own number. A single file is frame 1 of a
one-frame clip. The source is never overwritten.

Render options:
  --frames A-B | A         frames to render (default: the whole clip)
  --chunk K/N              only the K-th of N contiguous, nearly equal parts of
                           those frames (1-based), for splitting over machines
  --skip-existing          leave out frames whose output file is already complete
  --process N|result|changes|alpha|info
  --close-edge-gaps N      --hole-size N          --below-alpha N
  --fill-with N            --set-color R,G,B      --feather N
  --shrink-grow N          --decontam-color R,G,B (colours 0..255 per channel)
                           effect controls: ranges and defaults are listed below
  --downsample N           the host's downsample 1/N (1..8); images are used as given
  --host ae|premiere       the host to play (default ae)
  --fps N                  the clip's frame rate, the host's time scale (default 24)
  --jobs N                 frames rendered at once (default: the number of cores)
  --contact-sheet FILE     also write input, result and Show info side by side
                           for up to 8 of the rendered frames
  --stats                  print the render time per frame (min, median, max)
  --quiet, -q              no progress output
  --module PATH            the effect module (default: $HOLVANE_MODULE, or the
                           one beside this program or in its build tree)

Cluster options (holvane cluster slurm): prints the sbatch command of a job
array (scripts/cluster/holvane-array.sbatch) whose task K of N renders with
--chunk K/N --skip-existing, so re-submitting it finishes what a failed task
left; --submit runs it. The render options go to every task.
  --chunks N               array tasks (default: one per 10 frames, at most 1000)
  --jobs N                 CPUs per task, the task's --jobs (default 1)
  --script PATH            the array script (default: beside this program or in
                           its source tree)

Files are read and written with straight (unassociated) alpha: PNG, TIFF,
OpenEXR and DPX (JPEG for input). RGB files get an opaque alpha; grey is
expanded. The output keeps the input's depth (8-bit, 16-bit or float).

)";

}  // namespace

std::string holvaneHelpText(const std::string &modulePathOption) {
    std::ostringstream text;
    text << USAGE;
    print_ModuleControls(modulePathOption, text);
    return text.str();
}

int run_HolvaneCommandLine(const std::vector<std::string> &args, std::ostream &out,
                           std::ostream &err) {
    try {
        if (!args.empty() && args[0] == "cluster") {
            return run_ClusterCommand({args.begin() + 1, args.end()}, out);
        }
        const CommandLine line = parse_CommandLine(args);
        switch (line.command) {
            case Command::Help:
                out << holvaneHelpText(line.modulePath);
                return 0;
            case Command::Version:
                out << "holvane " << HOLVANE_VERSION << " (effect " << EFFECT_NAME << " "
                    << EFFECT_MAJOR_VERSION << "." << EFFECT_MINOR_VERSION << "."
                    << EFFECT_FIX_VERSION << ", build " << EFFECT_BUILD << ")\n";
                return 0;
            case Command::Info:
                return run_InfoCommand(line.modulePath, out, err);
            case Command::Render:
                return run_RenderCommand(line.render, line.modulePath, out);
        }
    } catch (const CliError &error) {
        err << "holvane: " << error.what() << "\n";
        return error.exitCode;
    } catch (const std::exception &error) {
        err << "holvane: " << error.what() << "\n";
        return EXIT_RUN_ERROR;
    }
    return EXIT_RUN_ERROR;
}
