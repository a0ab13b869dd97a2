// Finished frames on their way to a sink that takes them strictly in order
// (a movie): render threads put them in as they finish, the one writer
// thread takes them out in order. Bounded: a frame too far ahead of the
// next to be written waits in its render thread instead of piling up.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>

#include "cli/image_file.h"

class OrderedHandoff {
  public:
    // `count` frames will pass, indexed 0..count-1; at most `capacity` wait.
    OrderedHandoff(std::size_t count, std::size_t capacity);

    // Waits while the index is `capacity` or more past the next to be
    // taken. False when stopped.
    bool put(std::size_t index, long frame, ImageFrame output);
    // The next frame in order. False when stopped or every frame was taken.
    bool take(long &frame, ImageFrame &output);

    // Wakes and ends every wait.
    void stop();

  private:
    struct Finished {
        long frame;
        ImageFrame output;
    };

    std::size_t count_;
    std::size_t capacity_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, Finished> waiting_;
    std::size_t next_ = 0;
    bool stopped_ = false;
};
