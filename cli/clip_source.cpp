#include "cli/clip_source.h"

ClipSource open_SequenceSource(const SequencePattern &pattern, AlphaReading alpha) {
    ClipSource source;
    source.read = [pattern, alpha](long frame) {
        return read_ImageFrame(format_FramePath(pattern, frame), alpha);
    };
    source.anyOrder = true;
    return source;
}

ClipSource open_MovieSource(std::shared_ptr<MovieInput> movie) {
    return ClipSource{[movie](long frame) { return movie->read(frame); }};
}
