// How many threads a row-parallel stage may run on (render/row_workers.h).
#pragma once

class RowCrew;

// The threads a stage may run on: how many, and the crew that keeps them
// between the stages of one render call. A bare count (no crew) starts and
// joins its threads within each stage.
struct RowThreads {
    int count = 1;
    RowCrew *crew = nullptr;

    // Implicit: a stage called with a plain count runs on that many threads.
    RowThreads(int threadCount = 1) : count(threadCount) {}
    RowThreads(int threadCount, RowCrew &keptBy) : count(threadCount), crew(&keptBy) {}
};
