// Whether a render of frames of one size can fit in this machine's memory,
// decided from the headers alone, before a pixel is read: a file that
// declares an enormous image is refused at once instead of taking the
// machine's memory (or the renderer's life) on the way to its first frame.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_types.h"

// Bytes a run with `jobs` renders in flight holds for frames of width x
// height whose files' samples take fileBytes each: the shared window of
// input frames (as worlds and as read) and, for each render, the effect's
// worlds (twice as wide under Premiere Pro) and the output.
std::uint64_t estimate_RenderBytes(int width, int height, std::uint64_t fileBytes, HostApp app,
                                   int jobs);

// Physical memory, or the control group's limit when that is lower.
std::uint64_t available_MemoryBytes();

// Throws CliError naming the file when `jobs` renders of its size need more
// than `available` bytes.
void check_RenderFitsInMemory(const std::string &path, int width, int height,
                              std::uint64_t fileBytes, HostApp app, int jobs,
                              std::uint64_t available);
