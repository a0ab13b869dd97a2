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
one-frame clip. Existing output files are replaced; an output that would
land on a file of the input (any frame of its pattern, or of the sequence a
single input file belongs to) or on another output is refused.

Movies (.mov, .mp4, .mkv, .webm, .avi) are clips too: their frames are
numbered from 1 in the order they are shown, and --frames, --chunk and the
contact sheet count them so. A movie OUTPUT (.mov, .mkv, .webm) receives
every rendered frame in order; it keeps a movie input's frame rate, time
base, timecode, colour tags and audio (copied unchanged); from an image
sequence --fps sets its rate.

Render options:
  --frames A-B | A         frames to render (default: the whole clip)
  --chunk K/N              only the K-th of N contiguous, nearly equal parts of
                           those frames (1-based), for splitting over machines
  --skip-existing          leave out frames whose output file is already complete
                           (not for a movie output, which is written whole)
  --process N|result|changes|alpha|info
  --close-edge-gaps N      --hole-size N          --below-alpha N
  --fill-with N            --set-color R,G,B      --feather N
  --shrink-grow N          --decontam-color R,G,B (colours 0..255 per channel)
                           effect controls: ranges and defaults are listed below
  --depth 8|16|half|float  the output's precision (default: the input's)
  --codec NAME             a movie output's codec: prores4444, prores4444xq,
                           qtrle, png, ffv1 or vp9 (default: ProRes 4444 for
                           .mov, FFV1 for .mkv, VP9 for .webm)
  --png-compression N      zlib level of PNG output, 0..9 (default 1: fast, files
                           about a third larger than at 6; 9 is smallest and slowest)
  --alpha auto|straight|premultiplied
                           how to read the input's alpha (default auto: as the
                           format and the file's own marking say)
  --downsample N           the host's downsample 1/N (1..8); images are used as
                           given. The effect scales its distances at 2, 3 and 4
                           and treats 5..8 as 1 (no change)
  --host ae|premiere       the host to play (default ae)
  --fps N                  an image sequence's frame rate, the host's time scale
                           and a movie output's rate (default 24; a movie input
                           brings its own)
  --jobs N                 frames rendered at once (default: the number of cores
                           the process may use, which also spreads the encoding
                           of the output files, one thread each, over them).
                           Each frame renders on cores / N threads (at least
                           1), so together they use every core;
                           $HOLVANE_RENDER_THREADS=T sets the threads per frame
                           instead (fewer frames in flight with more threads
                           each take less memory)
  --contact-sheet FILE     also write input, result and Show info side by side
                           for up to 8 of the rendered frames (8-bit)
  --stats                  print the render time per frame (min, median, max)
  --quiet, -q              no progress output or notes, only errors
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

Outputs keep the matte exactly or are refused before anything is rendered:
PNG (8, 16-bit), TIFF (8, 16-bit, half, float), OpenEXR (half, float), DPX
(8, 16-bit, half, float) and TGA (8-bit). The output is written at the
input's precision unless --depth says otherwise; TIFF and DPX store half as
float. Any format OpenImageIO reads is accepted as input. Compression is
lossless and fast to write: OpenEXR one-row zip (zips), TIFF deflate at
level 1; files are somewhat larger than at those formats' usual settings.

Movie outputs, by codec (--codec) and the containers that hold them:
  qtrle (.mov)             QuickTime Animation: lossless, 8-bit only
  png (.mov, .mkv)         lossless, 8 or 16-bit
  ffv1 (.mkv)              lossless, 8 or 16-bit
  prores4444 (.mov, .mkv)  ProRes 4444: alpha lossless at 10 bits (8-bit alpha
                           rounds back exactly), colour visually lossless 10-bit
                           YUV 4:4:4, not exact; prores4444xq: the same at a
                           higher colour data rate
  vp9 (.webm, .mkv)        lossy in colour and alpha, 8-bit 4:2:0: previews
A movie is written to a hidden temporary file beside the output, checked to
read back with every frame, and renamed into place; a failed or interrupted
run leaves no movie. Movies take 8 or 16-bit frames: qtrle needs --depth 8
for deeper input, and half or float input needs --depth 8 or 16.
Movie inputs are read through FFmpeg: 8-bit codecs as 8-bit frames, deeper
ones (ProRes, 10-bit and up) as 16-bit; YUV is converted with the stream's
own matrix and range (untagged: BT.709 from 720 rows, BT.601 below). VP9
alpha is read through libvpx. A movie without alpha is opaque, so nothing
is repaired (a note says so).

Alpha: PNG, TGA and DPX are straight, OpenEXR is premultiplied, TIFF as
marked. Premultiplied input is divided by its alpha before the effect sees
it and multiplied again on output, where pixels the effect leaves unchanged
keep their exact samples; so do those of float and half input (values
outside 0..1 and NaN included), which the effect sees clamped to 0..1.
Channels are taken by name: R, G, B (or Y for grey) and A; a file without
alpha is opaque. Other channels (Z, ...) are carried through unchanged to
OpenEXR output and left out of other formats. OpenEXR display and data
windows are kept: the effect sees the display window, the output's data
window covers the input's and every pixel that is not transparent.
Metadata the output format can hold (orientation, colour space, timecode,
OpenEXR attributes) is carried over from each input frame.

The effect repairs frames of 200 to 4320 rows; other frames pass through
unchanged (a note says so).

)";

}  // namespace

std::string holvaneHelpText(const std::string &modulePathOption) {
    std::ostringstream text;
    text << USAGE;
    print_ModuleControls(modulePathOption, text);
    return text.str();
}

int run_HolvaneCommandLine(const std::vector<std::string> &args, std::ostream &out,
                           std::ostream &err, const StandardStreams &streams) {
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
                return run_RenderCommand(line.render, line.modulePath, out, streams);
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
