#include "cli/ordered_handoff.h"

#include <algorithm>

OrderedHandoff::OrderedHandoff(std::size_t count, std::size_t capacity)
    : count_(count), capacity_(std::max<std::size_t>(capacity, 1)) {}

bool OrderedHandoff::put(std::size_t index, long frame, ImageFrame output) {
    std::unique_lock<std::mutex> lock(mutex_);
    // The frame the writer waits for is always let in, so this cannot
    // stall the run.
    changed_.wait(lock, [&] { return stopped_ || index < next_ + capacity_; });
    if (stopped_) return false;
    waiting_.emplace(index, Finished{frame, std::move(output)});
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool OrderedHandoff::take(long &frame, ImageFrame &output) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || next_ >= count_ || waiting_.count(next_) != 0; });
    if (stopped_ || next_ >= count_) return false;
    auto found = waiting_.find(next_);
    frame = found->second.frame;
    output = std::move(found->second.output);
    waiting_.erase(found);
    ++next_;
    lock.unlock();
    changed_.notify_all();
    return true;
}

void OrderedHandoff::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}
