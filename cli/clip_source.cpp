#include "cli/clip_source.h"

ClipSource open_SequenceSource(const SequencePattern &pattern, AlphaReading alpha) {
    return ClipSource{[pattern, alpha](long frame) {
        return read_ImageFrame(format_FramePath(pattern, frame), alpha);
    }};
}
