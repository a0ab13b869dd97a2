#include "cli/movie_audio.h"

#include "cli/cli_error.h"
#include "cli/movie_input.h"

namespace {

std::int64_t microseconds(std::int64_t ts, AVRational timeBase) {
    return av_rescale_q(ts, timeBase, AV_TIME_BASE_Q);
}

std::int64_t videoStartOf(const AVFormatContext &source) {
    const int video = av_find_best_stream(const_cast<AVFormatContext *>(&source),
                                          AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) return 0;
    const AVStream &stream = *source.streams[video];
    return stream.start_time == AV_NOPTS_VALUE ? 0
                                               : microseconds(stream.start_time, stream.time_base);
}

// Unknown (a negative answer) is tried: the muxer refuses it at its header.
bool holds(const AVOutputFormat &container, const AVStream &audio) {
    return avformat_query_codec(&container, audio.codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 0;
}

bool isAudio(const AVStream &stream) { return stream.codecpar->codec_type == AVMEDIA_TYPE_AUDIO; }

void addStream(AVFormatContext &output, const AVStream &audio, AudioCopy &copy) {
    AVStream *copied = avformat_new_stream(&output, nullptr);
    if (copied == nullptr || avcodec_parameters_copy(copied->codecpar, audio.codecpar) < 0) {
        throw CliError("out of memory for an audio stream");
    }
    // The source container's tag may mean nothing in the output's.
    copied->codecpar->codec_tag = 0;
    copied->time_base = audio.time_base;
    av_dict_copy(&copied->metadata, audio.metadata, 0);
    copy.outputStream[std::size_t(audio.index)] = copied->index;
}

}  // namespace

std::vector<std::string> list_UncopiedAudio(const std::string &source, const std::string &output) {
    const InputContext container = open_MovieContainer(source);
    const AVOutputFormat *format = av_guess_format(nullptr, output.c_str(), nullptr);
    std::vector<std::string> left;
    for (unsigned s = 0; format != nullptr && s < container->nb_streams; ++s) {
        const AVStream &stream = *container->streams[s];
        if (isAudio(stream) && !holds(*format, stream)) {
            left.push_back("stream " + std::to_string(s) + " (" +
                           avcodec_get_name(stream.codecpar->codec_id) + ")");
        }
    }
    return left;
}

AudioCopy add_AudioStreams(AVFormatContext &output, const std::string &source,
                           const FrameRange &frames, long frameCount, AVRational frameRate) {
    AudioCopy copy;
    copy.source = open_MovieContainer(source);
    copy.outputStream.assign(copy.source->nb_streams, -1);
    for (unsigned s = 0; s < copy.source->nb_streams; ++s) {
        const AVStream &stream = *copy.source->streams[s];
        if (isAudio(stream) && holds(*output.oformat, stream)) addStream(output, stream, copy);
    }
    const AVRational frameDuration = av_inv_q(frameRate);
    if (frames.first > 1) copy.spanStart = microseconds(frames.first - 1, frameDuration);
    if (frames.last < frameCount) copy.spanEnd = microseconds(frames.last, frameDuration);
    copy.videoStart = videoStartOf(*copy.source);
    copy.pending.reset(av_packet_alloc());
    if (!copy.pending) throw CliError("out of memory for an audio packet");
    return copy;
}

namespace {

// The next packet of a copied stream into `pending`; false at the end (a
// damaged tail of the source ends the sound there).
bool readCopiedPacket(AudioCopy &copy) {
    for (;;) {
        if (av_read_frame(copy.source.get(), copy.pending.get()) < 0) return false;
        const AVPacket &packet = *copy.pending;
        if (copy.outputStream[std::size_t(packet.stream_index)] >= 0 &&
            packet.pts != AV_NOPTS_VALUE)
            return true;
        av_packet_unref(copy.pending.get());
    }
}

// The pending packet's time from the source's first frame.
std::int64_t pendingTime(const AudioCopy &copy) {
    const AVStream &stream = *copy.source->streams[copy.pending->stream_index];
    return microseconds(copy.pending->pts, stream.time_base) - copy.videoStart;
}

int writePending(AudioCopy &copy, AVFormatContext &output) {
    AVPacket &packet = *copy.pending;
    const AVRational from = copy.source->streams[packet.stream_index]->time_base;
    const int to = copy.outputStream[std::size_t(packet.stream_index)];
    const std::int64_t shift = av_rescale_q(
        copy.videoStart + (copy.spanStart == INT64_MIN ? 0 : copy.spanStart), AV_TIME_BASE_Q, from);
    packet.pts -= shift;
    if (packet.dts != AV_NOPTS_VALUE) packet.dts -= shift;
    packet.stream_index = to;
    packet.pos = -1;
    av_packet_rescale_ts(&packet, from, output.streams[to]->time_base);
    return av_interleaved_write_frame(&output, &packet);
}

}  // namespace

int copy_AudioUntil(AudioCopy &copy, AVFormatContext &output, std::int64_t until) {
    while (!copy.exhausted) {
        if (copy.pending->data == nullptr && !readCopiedPacket(copy)) {
            copy.exhausted = true;
            break;
        }
        const std::int64_t time = pendingTime(copy);
        if (time >= copy.spanEnd) {
            av_packet_unref(copy.pending.get());
            copy.exhausted = true;
            break;
        }
        const std::int64_t outputTime = copy.spanStart == INT64_MIN ? time : time - copy.spanStart;
        if (until != INT64_MAX && outputTime >= until) break;
        const int written = time < copy.spanStart ? 0 : writePending(copy, output);
        av_packet_unref(copy.pending.get());
        if (written < 0) return written;
    }
    return 0;
}
