// Worker threads inside one render call. A frame's rows are split into
// contiguous bands, a few per thread, which the threads take one after
// another as they come free: a thread the machine holds up elsewhere (an
// encoder, another render) then delays a band, not a share of the stage.
// Workers touch pixels only: every host call stays on the thread that
// called the entry point. A stage handed to forEachRowBand must give the
// same pixels for any split, which holds when each row's result depends
// only on what no other band writes.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "api/pf_basic_types.h"
#include "render/row_threads.h"

// HOLVANE_RENDER_THREADS=N (N >= 1) when set and valid, else the machine's
// hardware threads (at least 1). Read afresh on every call, so each render
// follows the environment it runs in.
int renderThreadCount();

// The bands forEachRowBand splits [0, rows) into for `threads`: band i is
// [rowBandStart(threads, rows, i), rowBandStart(threads, rows, i + 1)), for
// a stage that prepares what crosses the bands' edges before they start.
// One thread works on one band; more on a few bands each.
int rowBandCount(RowThreads threads, A_long rows);
A_long rowBandStart(RowThreads threads, A_long rows, int band);

// Runs work(firstRow, endRow) for every band of [0, rows), on at most
// threads.count threads at once, the calling thread among them. One thread
// runs inline with no thread started. The first exception a band throws (the
// first by band) reaches the caller after every band has finished.
void forEachRowBand(RowThreads threads, A_long rows,
                    const std::function<void(A_long firstRow, A_long endRow)> &work);

// Threads kept from a render call's first row-parallel stage to its end, so
// that a stage does not wait for threads to start, nor for one that the
// machine has not yet let run: the bands go to whoever is free, the caller
// included. The threads are joined when the crew goes out of scope, before
// the call returns. Only the thread that made it hands it bands; a run
// from any other thread (a band's own bands) is that thread's alone.
class RowCrew {
  public:
    explicit RowCrew(int threads);
    ~RowCrew();
    RowCrew(const RowCrew &) = delete;
    RowCrew &operator=(const RowCrew &) = delete;

    // runBand(band) for bands 0 .. bands - 1, each once, then returns.
    // runBand does not throw (forEachRowBand keeps what a band throws).
    void run(int bands, const std::function<void(int band)> &runBand);

  private:
    struct Job;

    void startWorkers(int wanted);
    void serve(unsigned long seen);

    std::thread::id owner_;  // the only thread that hands the crew bands
    int helpers_;            // threads besides the owner
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    Job *job_ = nullptr;
    unsigned long jobNumber_ = 0;
    int busy_ = 0;  // workers inside the current job
    bool stopping_ = false;
};
