#include "cli/progress_report.h"

#include <unistd.h>

#include <cmath>

namespace {

constexpr int BAR_WIDTH = 24;
// Blanks the bar's line and returns to its start.
const std::string CLEARED_LINE = "\r" + std::string(70, ' ') + "\r";

std::string minutesAndSeconds(double seconds) {
    const long whole = static_cast<long>(std::lround(seconds));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

ProgressStyle chooseProgressStyle(bool quiet, std::FILE *stream) {
    if (quiet) return ProgressStyle::Silent;
    return ::isatty(::fileno(stream)) ? ProgressStyle::Bar : ProgressStyle::Lines;
}

std::string format_ProgressBar(int done, int total, double seconds) {
    const int filled = total > 0 ? done * BAR_WIDTH / total : BAR_WIDTH;
    std::string bar = "[" + std::string(filled, '#') + std::string(BAR_WIDTH - filled, '-') + "]";
    const double fps = seconds > 0.0 ? done / seconds : 0.0;
    char text[128];
    std::snprintf(text, sizeof text, " %d/%d frames  %.1f fps", done, total, fps);
    bar += text;
    if (done > 0 && done < total && fps > 0.0) {
        bar += "  " + minutesAndSeconds((total - done) / fps) + " left";
    }
    return bar;
}

ProgressReport::ProgressReport(int total, ProgressStyle style, std::FILE *stream)
    : total_(total), style_(style), stream_(stream), start_(std::chrono::steady_clock::now()) {}

double ProgressReport::secondsSoFar() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressReport::write(const std::string &text) {
    if (style_ == ProgressStyle::Silent) return;
    // A stream that refuses a line (a full disk, a closed pipe) gets no
    // more: the frames are what the run is for.
    if (std::fputs(text.c_str(), stream_) < 0 || std::fflush(stream_) != 0) {
        style_ = ProgressStyle::Silent;
    }
}

void ProgressReport::frameDone(long frame, const std::string &outputPath) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++done_;
    char text[128];
    if (style_ == ProgressStyle::Bar) {
        // Padding clears what a longer previous line left behind.
        std::snprintf(text, sizeof text, "\r%-70s",
                      format_ProgressBar(done_, total_, secondsSoFar()).c_str());
        write(text);
    } else {
        std::snprintf(text, sizeof text, " (%d/%d)\n", done_, total_);
        write("frame " + std::to_string(frame) + " -> " + outputPath + text);
    }
}

void ProgressReport::note(const std::string &line) {
    std::lock_guard<std::mutex> lock(mutex_);
    write((style_ == ProgressStyle::Bar ? CLEARED_LINE : "") + line + "\n");
}

void ProgressReport::finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    const double seconds = secondsSoFar();
    char text[96];
    std::snprintf(text, sizeof text, "%d frame%s in %.1f s (%.1f fps)\n", done_,
                  done_ == 1 ? "" : "s", seconds, seconds > 0.0 ? done_ / seconds : 0.0);
    write((style_ == ProgressStyle::Bar ? "\n" : "") + std::string(text));
}

void ProgressReport::abandon() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (style_ == ProgressStyle::Bar) write(CLEARED_LINE);
}
