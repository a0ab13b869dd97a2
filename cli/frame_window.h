// The decoded input frames every render thread of a run shares. One reader
// thread pulls frames through the clip source in increasing order, each
// once; render threads take the frames to render in increasing order and
// wait for their neighbours, or, when the source reads in any order, read
// the next of them themselves meanwhile. Memory stays bounded: the reader runs ahead
// only as far as the frames in flight (and the next one) need, a render
// starts only within a few frames of the oldest unfinished one, and a frame
// is dropped once no unfinished render needs it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "cli/clip_source.h"
#include "cli/input_frames.h"

// How many frame numbers past the oldest unfinished frame a render may
// start with `jobs` renders in flight: enough that one slow frame does not
// stall the others at once.
long renderSpreadFor(int jobs);

// The most input frames the window holds at once with `jobs` renders in
// flight.
std::size_t windowFramesFor(int jobs);

class FrameWindow {
  public:
    // `rendered`: the frames to render, increasing (gaps allowed); their
    // neighbours are read from `clip`.
    FrameWindow(ClipSource source, const FrameRange &clip, std::vector<long> rendered, HostApp app,
                int jobs);

    // The reader thread's work. Returns when every needed frame was read or
    // the window was stopped; throws what the source throws.
    void readAll();

    // The next frame to render, as an index into `rendered`. False when
    // every frame was taken or the window was stopped.
    bool claim(std::size_t &index);
    // Waits until the frame's neighbours are read and holds them in
    // `inputs`. False when the window was stopped.
    bool gather(long frame, RenderInputs &inputs);
    // The render of rendered[index] is done with its inputs.
    void release(std::size_t index);

    // Wakes and ends every wait; claim and gather fail from now on.
    void stop();

  private:
    long readLimit() const;
    bool mayClaimNext() const;
    // Reads toRead_[at], claimed by this thread, with the lock released
    // meanwhile.
    void readClaimed(std::unique_lock<std::mutex> &lock, std::size_t at);

    ClipSource source_;
    FrameRange clip_;
    std::vector<long> rendered_;
    std::vector<long> toRead_;  // every frame a render needs, increasing
    HostApp app_;
    long spread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t claimed_ = 0;           // indices handed out so far
    std::size_t oldestUnfinished_ = 0;  // index
    std::vector<bool> finished_;
    std::size_t nextToRead_ = 0;  // index into toRead_ of the next frame to claim
    std::vector<bool> read_;      // by index into toRead_
    std::size_t readPrefix_ = 0;  // toRead_[0, readPrefix_) are all read
    long lastRead_;               // toRead_[readPrefix_ - 1]
    std::map<long, std::shared_ptr<const DecodedFrame>> held_;
    bool stopped_ = false;
};
