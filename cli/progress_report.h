// What the user sees while frames render: a progress bar on a terminal, one
// line per frame otherwise (logs, CI), nothing with --quiet. Safe to call
// from every render thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

enum class ProgressStyle { Bar, Lines, Silent };

// Bar when the stream is a terminal, lines otherwise; silent when quiet.
ProgressStyle chooseProgressStyle(bool quiet, std::FILE *stream);

// "[##########----------]  12/40 frames  3.1 fps  0:09 left"
std::string format_ProgressBar(int done, int total, double seconds);

class ProgressReport {
  public:
    ProgressReport(int total, ProgressStyle style, std::FILE *stream);

    void frameDone(long frame, const std::string &outputPath);
    // Ends the bar's line and prints how long the run took.
    void finish();
    // A line that must not be overwritten by the bar (a warning).
    void note(const std::string &line);
    // Clears the bar when the run stops on an error, so the message that
    // follows starts on a clean line.
    void abandon();

  private:
    double secondsSoFar() const;
    void write(const std::string &text);

    int total_;
    int done_ = 0;
    ProgressStyle style_;
    std::FILE *stream_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
};
