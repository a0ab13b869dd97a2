// Owning handles for the FFmpeg objects the movie reader and writer hold, so
// every path out of them (errors included) frees what was allocated.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

struct InputContextCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
// A muxer's context; its file is closed by the writer, which must check that
// close for errors, and only closed here on the way out of a failure.
struct OutputContextFreer {
    void operator()(AVFormatContext *context) const {
        if (context->pb != nullptr && (context->oformat->flags & AVFMT_NOFILE) == 0)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct CodecContextFreer {
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext *scaler) const { sws_freeContext(scaler); }
};

using InputContext = std::unique_ptr<AVFormatContext, InputContextCloser>;
using OutputContext = std::unique_ptr<AVFormatContext, OutputContextFreer>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using ScalerHandle = std::unique_ptr<SwsContext, ScalerFreer>;

// FFmpeg's text for an error code ("Invalid data found when processing input").
inline std::string libavErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The renderer reports each failure in one line of its own; FFmpeg's log
// lines (encoder banners, warnings) would only interleave with its output.
inline void silenceLibavLog() { av_log_set_level(AV_LOG_QUIET); }
