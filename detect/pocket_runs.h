// The pockets of Classify, flooded a run at a time. The seed-stack flood
// (reference/detect/seed_stack.h) paints, from a seed, runs of pocket codes
// (isPocketCode) within the row's limits, less a limit column the run
// reaches, when that leaves two pixels or more; from each painted run it
// seeds the columns of the rows above and below under the run's painted
// columns but the last. Runs never change shape: painting one leaves the
// others as they were, and a run too short to paint stays so. So the runs
// are found once, in row bands, and a flood is a walk from run to run, which
// paints nothing: the runs take their tag, and the pixels are painted with
// the verdicts at the end, in row bands again.
#pragma once

#include <cstddef>
#include <vector>

#include "detect/analysis_mask.h"
#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "render/row_threads.h"

// A run of row y that a flood paints: the pocket codes first..last, of
// which left..right is painted (two pixels or more). tag: the pocket's, 0
// until a flood reaches the run.
struct PocketRun {
    A_long y, first, last, left, right;
    A_long tag;
};

// The runs of the region's rows, in the order a row-major scan meets them.
struct PocketRuns {
    A_long firstRow = 0;
    std::vector<std::size_t> rowStart;  // row firstRow + i: runs rowStart[i] .. rowStart[i + 1] - 1
    std::vector<PocketRun> runs;
};

PocketRuns find_PocketRuns(const AnalysisMask &mask, A_long height, const FillLimitsArray &limits,
                           RowThreads threads = 1);

// The flood seeded on run `seed`: it and every run without a tag that it
// reaches through runs without a tag take `tag`, and their painted spans are
// measured into `measured` (area: the sum of right - left, as the seed-stack
// flood counts it). `pending` is scratch.
void floodPocketRuns(PocketRuns &pockets, std::size_t seed, A_long tag, FillTag &measured,
                     std::vector<std::size_t> &pending);
