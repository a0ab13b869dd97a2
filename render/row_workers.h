// Worker threads inside one render call. A frame's rows are split into
// contiguous bands, each band worked on by one thread; the threads are
// started and joined inside the call, so nothing outlives it. Workers touch
// pixels only: every host call stays on the thread that called the entry
// point. A stage handed to forEachRowBand must give the same pixels for any
// split, which holds when each row's result depends only on what no other
// band writes.
#pragma once

#include <functional>

#include "api/pf_basic_types.h"

// HOLVANE_RENDER_THREADS=N (N >= 1) when set and valid, else the machine's
// hardware threads (at least 1). Read afresh on every call, so each render
// follows the environment it runs in.
int renderThreadCount();

// The bands forEachRowBand splits [0, rows) into for `threads`: band i is
// [rowBandStart(threads, rows, i), rowBandStart(threads, rows, i + 1)), for
// a stage that prepares what crosses the bands' edges before they start.
int rowBandCount(int threads, A_long rows);
A_long rowBandStart(int threads, A_long rows, int band);

// Runs work(firstRow, endRow) over [0, rows) in at most `threads` contiguous
// bands, the calling thread taking the first. threads <= 1 runs inline with
// no thread created. The first exception a band throws reaches the caller
// after every band has finished.
void forEachRowBand(int threads, A_long rows,
                    const std::function<void(A_long firstRow, A_long endRow)> &work);
