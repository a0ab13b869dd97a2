#include "cli/clip_source.h"

ClipSource open_SequenceSource(const SequencePattern &pattern, AlphaReading alpha) {
    return ClipSource{[pattern, alpha](long frame) {
        return read_ImageFrame(format_FramePath(pattern, frame), alpha);
    }};
}

ClipSource open_MovieSource(std::shared_ptr<MovieInput> movie) {
    return ClipSource{[movie](long frame) { return movie->read(frame); }};
}
