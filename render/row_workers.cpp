#include "render/row_workers.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <exception>

namespace {

// Bands are never more than rows; this bounds the threads started for a
// count typed with a slip of the finger.
constexpr long MOST_RENDER_THREADS = 256;

// Enough bands that a thread held up elsewhere leaves the others work to
// take, few enough that what a stage sets up per band stays small.
constexpr long long BANDS_PER_THREAD = 4;

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

}  // namespace

int renderThreadCount() {
    const int asked = parsedThreadCount(std::getenv("HOLVANE_RENDER_THREADS"));
    if (asked > 0) return asked;
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? static_cast<int>(hardware) : 1;
}

int rowBandCount(RowThreads threads, A_long rows) {
    if (rows <= 0) return 0;
    const long long wanted = threads.count <= 1 ? 1 : threads.count * BANDS_PER_THREAD;
    return static_cast<int>(std::min<long long>(wanted, rows));
}

A_long rowBandStart(RowThreads threads, A_long rows, int band) {
    const int bands = rowBandCount(threads, rows);
    if (bands == 0) return 0;
    return static_cast<A_long>(static_cast<long long>(rows) * band / bands);
}

void forEachRowBand(RowThreads threads, A_long rows,
                    const std::function<void(A_long firstRow, A_long endRow)> &work) {
    const int bands = rowBandCount(threads, rows);
    if (bands == 0) return;
    if (bands == 1) {
        work(0, rows);
        return;
    }
    // Each band's exception is kept for the caller instead of ending the
    // process.
    std::vector<std::exception_ptr> failures(bands);
    auto runBand = [&](int band) {
        try {
            work(rowBandStart(threads, rows, band), rowBandStart(threads, rows, band + 1));
        } catch (...) {
            failures[band] = std::current_exception();
        }
    };
    if (threads.crew != nullptr) {
        threads.crew->run(bands, runBand);
    } else {
        RowCrew crew(threads.count);
        crew.run(bands, runBand);
    }
    for (const std::exception_ptr &failure : failures)
        if (failure) std::rethrow_exception(failure);
}

// One run's bands, taken in order by whoever asks next.
struct RowCrew::Job {
    const std::function<void(int)> &runBand;
    const int bands;
    std::atomic<int> next{0};

    void takeBands() {
        for (int band; (band = next.fetch_add(1, std::memory_order_relaxed)) < bands;)
            runBand(band);
    }
};

RowCrew::RowCrew(int threads)
    : owner_(std::this_thread::get_id()), helpers_(std::max(0, threads - 1)) {}

RowCrew::~RowCrew() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread &worker : workers_) worker.join();
}

void RowCrew::run(int bands, const std::function<void(int band)> &runBand) {
    Job job{runBand, bands};
    bool shared = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        // A band that runs bands of its own runs them itself: the crew is
        // busy with the band's own run.
        shared = std::this_thread::get_id() == owner_ && job_ == nullptr;
        if (shared) {
            startWorkers(std::min(helpers_, bands - 1));
            job_ = &job;
            ++jobNumber_;
        }
    }
    if (!shared) {
        job.takeBands();
        return;
    }
    wake_.notify_all();
    job.takeBands();
    std::unique_lock<std::mutex> lock(mutex_);
    job_ = nullptr;  // a worker that wakes from now on finds nothing to take
    idle_.wait(lock, [&] { return busy_ == 0; });
}

// Called with the mutex held. A thread the system refuses leaves the crew
// smaller; the caller takes the bands nobody else does.
void RowCrew::startWorkers(int wanted) {
    while (static_cast<int>(workers_.size()) < wanted) {
        try {
            workers_.emplace_back(&RowCrew::serve, this, jobNumber_);
        } catch (...) {
            helpers_ = static_cast<int>(workers_.size());
            return;
        }
    }
}

void RowCrew::serve(unsigned long seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || jobNumber_ != seen; });
        if (stopping_) return;
        seen = jobNumber_;
        Job *job = job_;
        if (job == nullptr) continue;
        ++busy_;
        lock.unlock();
        job->takeBands();
        lock.lock();
        if (--busy_ == 0) idle_.notify_one();
    }
}
