#include "cli/frame_window.h"

#include <algorithm>
#include <climits>

namespace {

std::vector<long> framesNeeded(const FrameRange &clip, const std::vector<long> &rendered) {
    std::vector<long> needed;
    for (long frame : rendered) {
        const FrameRange range = neighboursOf(clip, frame);
        const long from = needed.empty() ? range.first : std::max(range.first, needed.back() + 1);
        for (long f = from; f <= range.last; ++f) needed.push_back(f);
    }
    return needed;
}

}  // namespace

long renderSpreadFor(int jobs) { return 2L * std::max(jobs, 1); }

std::size_t windowFramesFor(int jobs) {
    return std::size_t(renderSpreadFor(jobs) + 2 * NEIGHBOUR_REACH);
}

FrameWindow::FrameWindow(ClipSource source, const FrameRange &clip, std::vector<long> rendered,
                         HostApp app, int jobs)
    : source_(std::move(source)),
      clip_(clip),
      rendered_(std::move(rendered)),
      toRead_(framesNeeded(clip, rendered_)),
      app_(app),
      spread_(renderSpreadFor(jobs)),
      finished_(rendered_.size(), false),
      read_(toRead_.size(), false),
      lastRead_(LONG_MIN) {}

// Far enough for every render in flight and the next one to start, and no
// further than a render may start from the oldest unfinished one.
long FrameWindow::readLimit() const {
    if (oldestUnfinished_ >= rendered_.size()) return LONG_MIN;
    const long oldest = rendered_[oldestUnfinished_];
    const long next = rendered_[std::min(claimed_, rendered_.size() - 1)];
    return std::min(next, oldest + spread_ - 1) + NEIGHBOUR_REACH;
}

bool FrameWindow::mayClaimNext() const {
    return claimed_ < rendered_.size() &&
           rendered_[claimed_] - rendered_[oldestUnfinished_] < spread_;
}

void FrameWindow::readAll() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            return stopped_ || nextToRead_ >= toRead_.size() || toRead_[nextToRead_] <= readLimit();
        });
        if (stopped_ || nextToRead_ >= toRead_.size()) return;
        readClaimed(lock, nextToRead_++);
    }
}

void FrameWindow::readClaimed(std::unique_lock<std::mutex> &lock, std::size_t at) {
    const long frame = toRead_[at];
    lock.unlock();
    // Reading and converting take most of the time; renders go on meanwhile.
    std::shared_ptr<const DecodedFrame> decoded = decode_InputFrame(source_.read(frame), app_);
    lock.lock();
    held_.emplace(frame, std::move(decoded));
    read_[at] = true;
    while (readPrefix_ < toRead_.size() && read_[readPrefix_]) lastRead_ = toRead_[readPrefix_++];
    changed_.notify_all();
}

bool FrameWindow::claim(std::size_t &index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || claimed_ >= rendered_.size() || mayClaimNext(); });
    if (stopped_ || claimed_ >= rendered_.size()) return false;
    index = claimed_++;
    lock.unlock();
    changed_.notify_all();  // the reader may go further
    return true;
}

bool FrameWindow::gather(long frame, RenderInputs &inputs) {
    const FrameRange range = neighboursOf(clip_, frame);
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopped_ && lastRead_ < range.last) {
        // A frame this render needs is within the read limit already.
        if (source_.anyOrder && nextToRead_ < toRead_.size() &&
            toRead_[nextToRead_] <= range.last) {
            readClaimed(lock, nextToRead_++);
        } else {
            changed_.wait(lock);
        }
    }
    if (stopped_) return false;
    inputs.frames.clear();
    for (long f = range.first; f <= range.last; ++f) inputs.frames.emplace(f, held_.at(f));
    return true;
}

void FrameWindow::release(std::size_t index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_[index] = true;
        while (oldestUnfinished_ < rendered_.size() && finished_[oldestUnfinished_]) {
            ++oldestUnfinished_;
        }
        const long keepFrom = oldestUnfinished_ < rendered_.size()
                                  ? rendered_[oldestUnfinished_] - NEIGHBOUR_REACH
                                  : LONG_MAX;
        held_.erase(held_.begin(), held_.lower_bound(keepFrom));
    }
    changed_.notify_all();
}

void FrameWindow::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}
