#include "render/row_workers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <mutex>
#include <new>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Every row is visited exactly once, in contiguous bands, whatever the split.
TEST(RowBands, CoverEveryRowOnceForAnyThreadCount) {
    for (int threads : {1, 2, 7}) {
        for (A_long rows : {1, 3, 7, 1080}) {
            std::vector<int> visits(rows, 0);
            std::mutex guard;
            std::vector<std::pair<A_long, A_long>> bands;
            std::set<std::thread::id> workers;
            forEachRowBand(threads, rows, [&](A_long first, A_long end) {
                for (A_long y = first; y < end; ++y) ++visits[y];
                std::lock_guard<std::mutex> lock(guard);
                bands.emplace_back(first, end);
                workers.insert(std::this_thread::get_id());
            });
            for (A_long y = 0; y < rows; ++y)
                EXPECT_EQ(visits[y], 1) << threads << " threads, row " << y << " of " << rows;
            EXPECT_EQ(static_cast<A_long>(bands.size()), std::min<A_long>(threads, rows));
            EXPECT_EQ(workers.size(), bands.size()) << "each band on its own thread";
            if (threads == 1) {
                EXPECT_EQ(*workers.begin(), std::this_thread::get_id());
            }
        }
    }
    bool called = false;
    forEachRowBand(4, 0, [&](A_long, A_long) { called = true; });
    EXPECT_FALSE(called) << "no rows, no work";
}

// A worker that runs out of memory fails the call, not the process, and
// only once every band has finished.
TEST(RowBands, CarryAWorkersExceptionToTheCaller) {
    for (int threads : {1, 2, 7}) {
        std::vector<int> visits(70, 0);
        EXPECT_THROW(forEachRowBand(threads, 70,
                                    [&](A_long first, A_long end) {
                                        for (A_long y = first; y < end; ++y) ++visits[y];
                                        if (end == 70) throw std::bad_alloc();
                                    }),
                     std::bad_alloc);
        for (int v : visits) EXPECT_EQ(v, 1) << threads << " threads";
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
