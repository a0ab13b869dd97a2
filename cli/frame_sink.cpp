#include "cli/frame_sink.h"

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
