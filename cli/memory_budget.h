// Whether a render of frames of one size can fit in this machine's memory,
// decided from the headers alone, before a pixel is read: a file that
// declares an enormous image is refused at once instead of taking the
// machine's memory (or the renderer's life) on the way to its first frame.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_types.h"

// Bytes a render holds per job for frames of width x height whose files'
// samples take fileBytes each: the neighbouring frames it keeps (as worlds
// and as read), the effect's worlds (twice as wide under Premiere Pro) and
// the output.
std::uint64_t estimate_RenderBytesPerJob(int width, int height, std::uint64_t fileBytes,
                                         HostApp app);

// Physical memory, or the control group's limit when that is lower.
std::uint64_t available_MemoryBytes();

// Throws CliError naming the file when `jobs` renders of its size need more
// than `available` bytes.
void check_RenderFitsInMemory(const std::string &path, int width, int height,
                              std::uint64_t fileBytes, HostApp app, int jobs,
                              std::uint64_t available);
