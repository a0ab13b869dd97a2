#include "cli/frame_sink.h"

#include <memory>

FrameSink open_SequenceSink(const SequencePattern &pattern, const OutputFormat &format) {
    FrameSink sink;
    sink.needsOrder = false;
    sink.write = [pattern, format](long frame, const ImageFrame &output) {
        write_FrameAtomically(format_FramePath(pattern, frame), output, format);
    };
    sink.finish = [] {};
    sink.abandon = [] {};
    sink.destination = [pattern](long frame) { return format_FramePath(pattern, frame); };
    return sink;
}

FrameSink open_MovieSink(const std::string &path, const MovieOutputSettings &settings) {
    const auto movie = std::make_shared<MovieOutput>(path, settings);
    FrameSink sink;
    sink.needsOrder = true;
    sink.write = [movie](long, const ImageFrame &output) { movie->write(output); };
    sink.finish = [movie] { movie->finish(); };
    sink.abandon = [movie] { movie->abandon(); };
    sink.destination = [path](long) { return path; };
    return sink;
}
