#include "render/row_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Every row is visited exactly once, in contiguous bands, whatever the split,
// by at most the threads asked for; a crew serves run after run.
TEST(RowBands, CoverEveryRowOnceForAnyThreadCount) {
    for (int threads : {1, 2, 7}) {
        RowCrew crew(threads);
        for (RowThreads on : {RowThreads(threads), RowThreads(threads, crew)}) {
            for (A_long rows : {1, 3, 7, 1080}) {
                std::vector<int> visits(rows, 0);
                std::mutex guard;
                std::set<std::pair<A_long, A_long>> bands;
                std::set<std::thread::id> workers;
                forEachRowBand(on, rows, [&](A_long first, A_long end) {
                    for (A_long y = first; y < end; ++y) ++visits[y];
                    std::lock_guard<std::mutex> lock(guard);
                    bands.emplace(first, end);
                    workers.insert(std::this_thread::get_id());
                });
                for (A_long y = 0; y < rows; ++y)
                    EXPECT_EQ(visits[y], 1) << threads << " threads, row " << y << " of " << rows;
                std::set<std::pair<A_long, A_long>> laidOut;
                for (int band = 0; band < rowBandCount(on, rows); ++band)
                    laidOut.emplace(rowBandStart(on, rows, band), rowBandStart(on, rows, band + 1));
                EXPECT_EQ(bands, laidOut) << "the bands as laid out";
                EXPECT_LE(static_cast<int>(workers.size()), threads);
                if (threads == 1) {
                    EXPECT_EQ(bands.size(), 1u);
                    EXPECT_EQ(*workers.begin(), std::this_thread::get_id());
                }
            }
        }
    }
    bool called = false;
    forEachRowBand(4, 0, [&](A_long, A_long) { called = true; });
    EXPECT_FALSE(called) << "no rows, no work";
}

// A thread held up in one band leaves the other bands to the rest: with two
// threads, the first band taken waits until every other band is done.
TEST(RowBands, GoToWhicheverThreadIsFree) {
    RowCrew crew(2);
    const A_long rows = 1080;
    const int bands = rowBandCount(RowThreads(2, crew), rows);
    ASSERT_GT(bands, 2);
    std::mutex guard;
    std::condition_variable othersDone;
    int done = 0;
    bool heldUp = false, released = false;
    forEachRowBand(RowThreads(2, crew), rows, [&](A_long, A_long) {
        std::unique_lock<std::mutex> lock(guard);
        if (!heldUp) {
            heldUp = true;
            released = othersDone.wait_for(lock, std::chrono::seconds(30),
                                           [&] { return done == bands - 1; });
        } else if (++done == bands - 1) {
            othersDone.notify_all();
        }
    });
    EXPECT_TRUE(released) << "the other bands waited for the held-up thread";
}

// A worker that runs out of memory fails the call, not the process, and
// only once every band has finished; a band that runs bands of its own on
// the same crew runs them itself.
TEST(RowBands, CarryAWorkersExceptionToTheCaller) {
    for (int threads : {1, 2, 7}) {
        RowCrew crew(threads);
        std::vector<int> visits(70, 0);
        EXPECT_THROW(forEachRowBand(RowThreads(threads, crew), 70,
                                    [&](A_long first, A_long end) {
                                        for (A_long y = first; y < end; ++y) ++visits[y];
                                        if (end == 70) throw std::bad_alloc();
                                    }),
                     std::bad_alloc);
        for (int v : visits) EXPECT_EQ(v, 1) << threads << " threads";

        std::atomic<int> inner{0};
        forEachRowBand(RowThreads(threads, crew), 8, [&](A_long first, A_long end) {
            forEachRowBand(RowThreads(threads, crew), (end - first) * 10,
                           [&](A_long a, A_long b) { inner += static_cast<int>(b - a); });
        });
        EXPECT_EQ(inner.load(), 80) << threads << " threads";
    }
}

TEST(RowBands, ThreadCountFollowsTheEnvironment) {
    const int hardware = std::max(1u, std::thread::hardware_concurrency());
    const std::pair<const char *, int> cases[] = {
        {"3", 3},          {"1", 1},         {"0", hardware}, {"-2", hardware},
        {"two", hardware}, {"4x", hardware}, {"", hardware},  {"99999999999", 256}};
    for (const auto &[text, expected] : cases) {
        setenv("HOLVANE_RENDER_THREADS", text, 1);
        EXPECT_EQ(renderThreadCount(), expected) << '"' << text << '"';
    }
    unsetenv("HOLVANE_RENDER_THREADS");
    EXPECT_EQ(renderThreadCount(), hardware);
}

}  // namespace
