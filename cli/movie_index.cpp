#include "cli/movie_index.h"

#include <algorithm>

#include "cli/cli_error.h"

namespace {

// Evenly spaced frames differ by one step; a rounded time base may put one
// tick more or less between some of them.
bool isVariable(const std::vector<std::int64_t> &pts) {
    if (pts.size() < 3) return false;
    const std::int64_t step = pts[1] - pts[0];
    for (std::size_t i = 2; i < pts.size(); ++i) {
        const std::int64_t gap = pts[i] - pts[i - 1];
        if (gap < step - 1 || gap > step + 1) return true;
    }
    return false;
}

// The frames the container says the stream holds: its own count, or its
// duration at its rate; 0 when it says neither. The whole file's duration
// counts only when the video is all it holds (sound may run longer).
std::int64_t declaredFrames(const AVFormatContext &container, const AVStream &stream) {
    if (stream.nb_frames > 0) return stream.nb_frames;
    const AVRational rate = stream.avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) return 0;
    std::int64_t duration = AV_NOPTS_VALUE;
    if (stream.duration != AV_NOPTS_VALUE) {
        duration = av_rescale_q(stream.duration, stream.time_base, AV_TIME_BASE_Q);
    } else if (container.nb_streams == 1) {
        duration = container.duration;
    }
    if (duration == AV_NOPTS_VALUE || duration <= 0) return 0;
    return av_rescale_q(duration, AV_TIME_BASE_Q, av_inv_q(rate));
}

std::string cutShortText(long counted, std::int64_t declared) {
    return "the file ends after " + std::to_string(counted) + " of its " +
           std::to_string(declared) + " frames";
}

}  // namespace

MovieIndex index_MoviePackets(AVFormatContext &container, int videoStream) {
    MovieIndex index;
    PacketHandle packet(av_packet_alloc());
    if (!packet) throw CliError("out of memory for a movie packet");
    bool timed = true;
    for (;;) {
        const int read = av_read_frame(&container, packet.get());
        if (read == AVERROR_EOF) break;
        if (read < 0) {
            index.damage = libavErrorText(read);
            break;
        }
        // Packets before an edit list's start are decoded but never shown.
        const bool video =
            packet->stream_index == videoStream && (packet->flags & AV_PKT_FLAG_DISCARD) == 0;
        const bool corrupt = (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
        // Decoding times (AVI's) do not name the frames a decoder returns.
        const std::int64_t pts = packet->pts;
        const bool key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        av_packet_unref(packet.get());
        if (!video) continue;
        if (corrupt) {
            index.damage = "frame " + std::to_string(index.frameCount + 1) + " is damaged";
            break;
        }
        ++index.frameCount;
        timed = timed && pts != AV_NOPTS_VALUE;
        index.framePts.push_back(pts);
        if (key) index.keyframePts.push_back(pts);
    }
    if (!timed) {
        index.framePts.clear();
        index.keyframePts.clear();
    }
    std::sort(index.framePts.begin(), index.framePts.end());
    std::sort(index.keyframePts.begin(), index.keyframePts.end());
    index.variableRate = isVariable(index.framePts);
    // A duration rounds to a frame either way.
    const std::int64_t declared = declaredFrames(container, *container.streams[videoStream]);
    if (index.damage.empty() && declared > index.frameCount + 1)
        index.damage = cutShortText(index.frameCount, declared);
    return index;
}

long frameNumberAt(const MovieIndex &index, std::int64_t pts) {
    const auto found = std::lower_bound(index.framePts.begin(), index.framePts.end(), pts);
    if (found == index.framePts.end() || *found != pts) return 0;
    return long(found - index.framePts.begin()) + 1;
}
