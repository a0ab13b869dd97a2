#include "cli/movie_output.h"

extern "C" {
#include <libavutil/opt.h>
#include <libavutil/timecode.h>
}

#include <filesystem>

#include "cli/cli_error.h"

namespace {

// The timecode `offset` frames after `first`; none when it cannot be read.
std::string timecodeAt(const std::string &first, AVRational rate, long offset) {
    if (first.empty() || offset == 0) return first;
    AVTimecode timecode;
    if (av_timecode_init_from_string(&timecode, rate, first.c_str(), nullptr) < 0) return "";
    char text[AV_TIMECODE_STR_SIZE];
    return av_timecode_make_string(&timecode, text, int(offset));
}

// The input's time base when a frame lasts a whole number of its ticks,
// otherwise one tick per frame.
AVRational streamTimeBase(const MovieOutputSettings &settings) {
    const AVRational base = settings.timeBase;
    const AVRational rate = settings.frameRate;
    if (base.num > 0 && base.den > 0 &&
        (std::int64_t(base.den) * rate.den) % (std::int64_t(base.num) * rate.num) == 0)
        return base;
    return av_inv_q(rate);
}

// VP9 is tuned for quality over size: its output is a preview of the matte.
void setEncoderOptions(const MovieCodec &codec, AVCodecContext &encoder, AVDictionary *&options) {
    av_dict_set(&options, "threads", "auto", 0);
    if (codec.profile >= 0) av_opt_set_int(encoder.priv_data, "profile", codec.profile, 0);
    if (std::string(codec.encoder) == "libvpx-vp9") {
        av_dict_set(&options, "crf", "18", 0);
        av_dict_set(&options, "b", "0", 0);
        av_dict_set(&options, "row-mt", "1", 0);
        av_dict_set(&options, "cpu-used", "4", 0);
    }
}

}  // namespace

MovieOutputSettings movieSettingsFor(const MovieCodec &codec, SampleDepth depth,
                                     const MovieInfo *input, const FrameRange &rendered, int width,
                                     int height, unsigned fps) {
    MovieOutputSettings settings;
    settings.codec = &codec;
    settings.depth = depth;
    settings.width = width;
    settings.height = height;
    settings.frameRate = AVRational{int(fps), 1};
    if (input == nullptr) return settings;
    if (input->frameRate.num > 0 && input->frameRate.den > 0) settings.frameRate = input->frameRate;
    settings.timeBase = input->timeBase;
    settings.timecode = timecodeAt(input->timecode, settings.frameRate, rendered.first - 1);
    settings.primaries = input->primaries;
    settings.transfer = input->transfer;
    settings.colorSpace = input->colorSpace;
    settings.audioSource = input->path;
    settings.audioFrames = rendered;
    settings.sourceFrameCount = input->frameCount;
    return settings;
}

MovieOutput::MovieOutput(const std::string &path, const MovieOutputSettings &settings)
    : path_(path), settings_(settings), temporary_(temporaryNameBeside(path)) {
    openMuxer();
    openEncoder();
    if (!settings_.audioSource.empty()) {
        audio_ = add_AudioStreams(*muxer_, settings_.audioSource, settings_.audioFrames,
                                  settings_.sourceFrameCount, settings_.frameRate);
    }
    const int opened =
        avio_open(&muxer_->pb, ("file:" + temporary_.path()).c_str(), AVIO_FLAG_WRITE);
    if (opened < 0) fail(libavErrorText(opened));
    const int header = avformat_write_header(muxer_.get(), nullptr);
    if (header < 0) fail(libavErrorText(header));
    picture_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!picture_ || !packet_) fail("out of memory");
    picture_->format = encoder_->pix_fmt;
    picture_->width = settings_.width;
    picture_->height = settings_.height;
    if (av_frame_get_buffer(picture_.get(), 0) < 0) fail("out of memory");
}

void MovieOutput::fail(const std::string &problem) const {
    throw CliError(path_ + ": cannot write the movie (" + problem + ")");
}

void MovieOutput::openMuxer() {
    silenceLibavLog();
    AVFormatContext *muxer = nullptr;
    // The container comes from the output's name; the bytes go to the
    // temporary file.
    avformat_alloc_output_context2(&muxer, nullptr, nullptr, path_.c_str());
    if (muxer == nullptr) fail("no container for this file name");
    muxer_.reset(muxer);
    av_freep(&muxer_->url);
    muxer_->url = av_strdup(("file:" + temporary_.path()).c_str());
}

void MovieOutput::openEncoder() {
    const MovieCodec &codec = *settings_.codec;
    const AVCodec *found = avcodec_find_encoder_by_name(codec.encoder);
    if (found == nullptr) fail("this FFmpeg has no " + std::string(codec.encoder) + " encoder");
    encoder_.reset(avcodec_alloc_context3(found));
    if (!encoder_) fail("out of memory");
    AVCodecContext &encoder = *encoder_;
    encoder.width = settings_.width;
    encoder.height = settings_.height;
    const bool deep = settings_.depth == SampleDepth::Sixteen;
    encoder.pix_fmt = deep ? codec.sixteenBit : codec.eightBit;
    encoder.time_base = av_inv_q(settings_.frameRate);
    encoder.framerate = settings_.frameRate;
    encoder.sample_aspect_ratio = AVRational{1, 1};
    encoder.color_primaries = settings_.primaries;
    encoder.color_trc = settings_.transfer;
    // YUV codecs get the input's matrix (or the usual one for the size) at
    // video range, and say so; RGB codecs say they are RGB.
    encoding_ = yuvEncodingOf(settings_.colorSpace, AVCOL_RANGE_MPEG, settings_.height);
    encoder.colorspace = codec.yuv ? colorSpaceOf(encoding_) : AVCOL_SPC_RGB;
    encoder.color_range = codec.yuv ? AVCOL_RANGE_MPEG : AVCOL_RANGE_JPEG;
    if ((muxer_->oformat->flags & AVFMT_GLOBALHEADER) != 0)
        encoder.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary *options = nullptr;
    setEncoderOptions(codec, encoder, options);
    const int opened = avcodec_open2(&encoder, found, &options);
    av_dict_free(&options);
    if (opened < 0) {
        fail("the " + std::string(codec.encoder) + " encoder refuses " +
             std::to_string(settings_.width) + " x " + std::to_string(settings_.height) +
             " frames: " + libavErrorText(opened));
    }
    AVStream *stream = avformat_new_stream(muxer_.get(), nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, &encoder) < 0)
        fail("out of memory");
    stream->time_base = streamTimeBase(settings_);
    stream->avg_frame_rate = settings_.frameRate;
    stream->r_frame_rate = settings_.frameRate;
    if (!settings_.timecode.empty())
        av_dict_set(&stream->metadata, "timecode", settings_.timecode.c_str(), 0);
    videoStream_ = stream->index;
}

void MovieOutput::writePackets() {
    AVStream &stream = *muxer_->streams[videoStream_];
    for (;;) {
        const int received = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
        if (received < 0) fail("the encoder failed: " + libavErrorText(received));
        av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream.time_base);
        packet_->stream_index = videoStream_;
        const int written = av_interleaved_write_frame(muxer_.get(), packet_.get());
        if (written < 0) fail(libavErrorText(written));
    }
}

void MovieOutput::write(const ImageFrame &frame) {
    if (frame.pixels.width != settings_.width || frame.pixels.height != settings_.height)
        fail("a frame is not " + std::to_string(settings_.width) + " x " +
             std::to_string(settings_.height));
    if (av_frame_make_writable(picture_.get()) < 0) fail("out of memory");
    convert_FrameToPicture(frame, *picture_, encoding_, scaler_);
    picture_->pts = written_++;
    const int sent = avcodec_send_frame(encoder_.get(), picture_.get());
    if (sent < 0) fail("the encoder failed: " + libavErrorText(sent));
    writePackets();
    if (audio_) {
        const std::int64_t shown =
            av_rescale_q(written_, av_inv_q(settings_.frameRate), AV_TIME_BASE_Q);
        const int copied = copy_AudioUntil(*audio_, *muxer_, shown);
        if (copied < 0) fail(libavErrorText(copied));
    }
}

void MovieOutput::finish() {
    const int flushed = avcodec_send_frame(encoder_.get(), nullptr);
    if (flushed < 0) fail("the encoder failed: " + libavErrorText(flushed));
    writePackets();
    const int copied = audio_ ? copy_AudioUntil(*audio_, *muxer_, INT64_MAX) : 0;
    if (copied < 0) fail(libavErrorText(copied));
    const int trailer = av_write_trailer(muxer_.get());
    if (trailer < 0) fail(libavErrorText(trailer));
    const int error = muxer_->pb->error;
    const int closed = avio_closep(&muxer_->pb);
    if (error < 0 || closed < 0) fail(libavErrorText(error < 0 ? error : closed));
    // Only a movie that reads back with every frame takes the output's name.
    try {
        MovieInput check(temporary_.path());
        if (check.info().frameCount != written_) {
            fail("it reads back with " + std::to_string(check.info().frameCount) + " of " +
                 std::to_string(written_) + " frames");
        }
        check.read(written_);
    } catch (const CliError &error) {
        if (std::string(error.what()).rfind(path_, 0) == 0) throw;
        fail(std::string("it does not read back: ") + error.what());
    }
    const std::string renamed = temporary_.renameTo(path_);
    if (!renamed.empty()) fail(renamed);
}

void MovieOutput::abandon() {
    muxer_.reset();
    std::error_code ec;
    std::filesystem::remove(temporary_.path(), ec);
}
