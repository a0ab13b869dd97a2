#include "render/row_workers.h"

#include <cerrno>
#include <cstdlib>
#include <exception>
#include <thread>
#include <vector>

namespace {

// Bands are never more than rows; this bounds the threads started for a
// count typed with a slip of the finger.
constexpr long MOST_RENDER_THREADS = 256;

// A count the user asked for: a whole number from 1 up, nothing else (0 when
// there is none).
int parsedThreadCount(const char *text) {
    if (!text || !*text) return 0;
    char *end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (*end != '\0' || n < 1) return 0;
    if (errno == ERANGE || n > MOST_RENDER_THREADS) return static_cast<int>(MOST_RENDER_THREADS);
    return static_cast<int>(n);
}

// One band, its exception kept for the caller instead of ending the process.
void runBand(const std::function<void(A_long, A_long)> &work, A_long first, A_long end,
             std::exception_ptr &failure) {
    try {
        work(first, end);
    } catch (...) {
        failure = std::current_exception();
    }
}

}  // namespace

int renderThreadCount() {
    const int asked = parsedThreadCount(std::getenv("HOLVANE_RENDER_THREADS"));
    if (asked > 0) return asked;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

int rowBandCount(int threads, A_long rows) {
    if (rows <= 0) return 0;
    return threads < 1 ? 1 : (threads > rows ? static_cast<int>(rows) : threads);
}

A_long rowBandStart(int threads, A_long rows, int band) {
    const int bands = rowBandCount(threads, rows);
    if (bands == 0) return 0;
    return static_cast<A_long>(static_cast<long long>(rows) * band / bands);
}

void forEachRowBand(int threads, A_long rows,
                    const std::function<void(A_long firstRow, A_long endRow)> &work) {
    const int bands = rowBandCount(threads, rows);
    if (bands == 0) return;
    auto bandStart = [&](int band) { return rowBandStart(threads, rows, band); };
    if (bands == 1) {
        work(0, rows);
        return;
    }
    std::vector<std::exception_ptr> failures(bands);
    std::vector<std::thread> workers;
    workers.reserve(bands - 1);
    int band = 1;
    try {
        for (; band < bands; ++band)
            workers.emplace_back(runBand, std::cref(work), bandStart(band), bandStart(band + 1),
                                 std::ref(failures[band]));
    } catch (...) {
        // No thread to be had (std::system_error) or no memory for one: the
        // bands not started run here, after the caller's own.
    }
    runBand(work, 0, bandStart(1), failures[0]);
    for (int late = band; late < bands; ++late)
        runBand(work, bandStart(late), bandStart(late + 1), failures[late]);
    for (std::thread &worker : workers) worker.join();
    for (const std::exception_ptr &failure : failures)
        if (failure) std::rethrow_exception(failure);
}
