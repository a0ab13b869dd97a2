#include "cli/movie_input.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cctype>
#include <iterator>

#include "cli/cli_error.h"

namespace {

const char *const MOVIE_EXTENSIONS[] = {".mov", ".mp4", ".mkv", ".webm", ".avi"};

// The demuxers of those containers and nothing else: FFmpeg picks a demuxer
// by a file's content, and a file named .mov must not be read as a playlist
// that reaches for other files or the network.
constexpr char MOVIE_DEMUXERS[] = "mov,mp4,m4a,3gp,3g2,mj2,matroska,webm,avi";

}  // namespace

InputContext open_MovieContainer(const std::string &path) {
    silenceLibavLog();
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", MOVIE_DEMUXERS, 0);
    AVFormatContext *opened = nullptr;
    // "file:" keeps a name with a colon from being taken for a protocol.
    const int status = avformat_open_input(&opened, ("file:" + path).c_str(), nullptr, &options);
    av_dict_free(&options);
    if (status < 0) {
        throw CliError(path + ": cannot be read as a movie (" + libavErrorText(status) + ")");
    }
    InputContext container(opened);
    const int probed = avformat_find_stream_info(opened, nullptr);
    if (probed < 0) {
        throw CliError(path + ": cannot be read as a movie (" + libavErrorText(probed) + ")");
    }
    return container;
}

namespace {

int findVideoStream(AVFormatContext &container, const std::string &path) {
    const int stream = av_find_best_stream(&container, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream < 0 || (container.streams[stream]->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) {
        throw CliError(path + ": the movie has no video stream");
    }
    return stream;
}

// VP9 keeps alpha in a second picture beside each frame; only libvpx's
// decoder reads it, FFmpeg's own gives the colour alone.
const AVCodec *decoderFor(AVCodecID codec) {
    if (codec == AV_CODEC_ID_VP9) {
        if (const AVCodec *libvpx = avcodec_find_decoder_by_name("libvpx-vp9")) return libvpx;
    }
    return avcodec_find_decoder(codec);
}

CodecContext openDecoder(const AVStream &stream, const std::string &path) {
    const AVCodec *codec = decoderFor(stream.codecpar->codec_id);
    if (codec == nullptr) {
        throw CliError(path + ": no decoder for its video codec (" +
                       avcodec_get_name(stream.codecpar->codec_id) + ")");
    }
    CodecContext decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream.codecpar) < 0) {
        throw CliError(path + ": cannot set up the " + codec->name + " decoder");
    }
    decoder->pkt_timebase = stream.time_base;
    // Damage is an error to report, not something to conceal in the matte.
    decoder->err_recognition |= AV_EF_EXPLODE;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "threads", "auto", 0);
    const int opened = avcodec_open2(decoder.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        throw CliError(path + ": cannot open the " + codec->name + " decoder (" +
                       libavErrorText(opened) + ")");
    }
    return decoder;
}

std::string timecodeOf(const AVFormatContext &container, int videoStream) {
    const AVDictionaryEntry *entry =
        av_dict_get(container.streams[videoStream]->metadata, "timecode", nullptr, 0);
    for (unsigned s = 0; entry == nullptr && s < container.nb_streams; ++s)
        entry = av_dict_get(container.streams[s]->metadata, "timecode", nullptr, 0);
    if (entry == nullptr) entry = av_dict_get(container.metadata, "timecode", nullptr, 0);
    return entry != nullptr ? entry->value : "";
}

// The stream's tags, or where the stream leaves one unset, the first
// picture's.
void readColourTags(const AVCodecParameters &stream, const AVFrame &picture, MovieInfo &info) {
    info.primaries = stream.color_primaries != AVCOL_PRI_UNSPECIFIED ? stream.color_primaries
                                                                     : picture.color_primaries;
    info.transfer =
        stream.color_trc != AVCOL_TRC_UNSPECIFIED ? stream.color_trc : picture.color_trc;
    info.colorSpace =
        stream.color_space != AVCOL_SPC_UNSPECIFIED ? stream.color_space : picture.colorspace;
    info.colorRange =
        stream.color_range != AVCOL_RANGE_UNSPECIFIED ? stream.color_range : picture.color_range;
}

}  // namespace

bool has_Extension(const std::string &path, const char *extension) {
    const std::size_t length = std::char_traits<char>::length(extension);
    if (path.size() <= length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[path.size() - length + i]);
        if (std::tolower(c) != extension[i]) return false;
    }
    return true;
}

bool is_MovieName(const std::string &path) {
    for (const char *extension : MOVIE_EXTENSIONS) {
        if (has_Extension(path, extension)) return true;
    }
    return false;
}

ImageHeader MovieInfo::header() const {
    ImageHeader header;
    header.display = PixelWindow{0, 0, width, height};
    header.canvas = header.display;
    header.depth = depth;
    header.alpha = AlphaConvention::Straight;
    return header;
}

MovieInput::MovieInput(const std::string &path) {
    info_.path = path;
    {
        // The packets are counted on a container of their own; the frames are
        // then read from the start of a fresh one, which every container
        // allows, seekable or not.
        InputContext scan = open_MovieContainer(path);
        index_ = index_MoviePackets(*scan, findVideoStream(*scan, path));
    }
    container_ = open_MovieContainer(path);
    stream_ = findVideoStream(*container_, path);
    const AVStream &stream = *container_->streams[stream_];
    if (index_.frameCount == 0) {
        throw CliError(path + ": the movie holds no video frames" +
                       (index_.damage.empty() ? "" : " (" + index_.damage + ")"));
    }
    decoder_ = openDecoder(stream, path);
    picture_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!picture_ || !packet_) throw CliError("out of memory for a movie frame");
    if (!decodeNext()) failAt(1, "does not decode");
    pictureFrame_ = numberOfPicture();

    const auto format = static_cast<AVPixelFormat>(picture_->format);
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    info_.codec =
        decoder_->codec->long_name != nullptr ? decoder_->codec->long_name : decoder_->codec->name;
    info_.width = picture_->width;
    info_.height = picture_->height;
    info_.frameCount = index_.frameCount;
    info_.frameRate = av_guess_frame_rate(container_.get(), container_->streams[stream_], nullptr);
    info_.timeBase = stream.time_base;
    info_.timecode = timecodeOf(*container_, stream_);
    readColourTags(*stream.codecpar, *picture_, info_);
    info_.hasAlpha = desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
    info_.depth =
        desc != nullptr && desc->comp[0].depth > 8 ? SampleDepth::Sixteen : SampleDepth::Eight;
    info_.variableRate = index_.variableRate;
    info_.damage = index_.damage;
    encoding_ = yuvEncodingOf(info_.colorSpace, info_.colorRange, info_.height);
}

void MovieInput::failAt(long frame, const std::string &problem) const {
    throw CliError(info_.path + ": frame " + std::to_string(frame) + " " + problem);
}

// The decoder's next picture into picture_; false when the stream has no
// more. Packets the demuxer marks corrupt end the stream, as they ended the
// count.
bool MovieInput::decodeNext() {
    for (;;) {
        const int received = avcodec_receive_frame(decoder_.get(), picture_.get());
        if (received >= 0) return true;
        if (received == AVERROR_EOF) return false;
        if (received != AVERROR(EAGAIN))
            failAt(pictureFrame_ + 1, "does not decode (" + libavErrorText(received) + ")");
        if (drained_) return false;
        const int read = av_read_frame(container_.get(), packet_.get());
        if (read < 0 ||
            (packet_->stream_index == stream_ && (packet_->flags & AV_PKT_FLAG_CORRUPT) != 0)) {
            av_packet_unref(packet_.get());
            drained_ = true;
            avcodec_send_packet(decoder_.get(), nullptr);
            continue;
        }
        const bool video = packet_->stream_index == stream_;
        const int sent = video ? avcodec_send_packet(decoder_.get(), packet_.get()) : 0;
        av_packet_unref(packet_.get());
        if (sent < 0) {
            failAt(pictureFrame_ + 1, "does not decode (" + libavErrorText(sent) + ")");
        }
    }
}

// Times tell frames apart after a seek, and past any the decoder drops;
// without times, frames are counted.
long MovieInput::numberOfPicture() const {
    if (index_.framePts.empty()) return pictureFrame_ + 1;
    return frameNumberAt(index_, picture_->best_effort_timestamp);
}

long MovieInput::keyframeBefore(long frame) const {
    if (index_.framePts.empty()) return 1;
    const std::int64_t shown = index_.framePts[std::size_t(frame - 1)];
    const auto after =
        std::upper_bound(index_.keyframePts.begin(), index_.keyframePts.end(), shown);
    if (after == index_.keyframePts.begin()) return 1;
    return std::max(1L, frameNumberAt(index_, *std::prev(after)));
}

// To the keyframe `frame` decodes from; the frames are then told apart by
// their times (or, without times, counted from the start).
void MovieInput::seekBefore(long frame) {
    const long keyframe = keyframeBefore(frame);
    const int sought =
        index_.framePts.empty()
            ? av_seek_frame(container_.get(), -1, 0, AVSEEK_FLAG_BACKWARD)
            : av_seek_frame(container_.get(), stream_, index_.framePts[std::size_t(keyframe - 1)],
                            AVSEEK_FLAG_BACKWARD);
    if (sought < 0) failAt(frame, "cannot be sought to (" + libavErrorText(sought) + ")");
    avcodec_flush_buffers(decoder_.get());
    drained_ = false;
    pictureFrame_ = 0;
}

ImageFrame MovieInput::read(long frame) {
    if (frame < 1 || frame > info_.frameCount) failAt(frame, "is not in the movie");
    // Backwards, or forwards past a keyframe: decoding from there is the
    // shorter way (every frame of ProRes, PNG or qtrle is a keyframe).
    if (frame < pictureFrame_ || keyframeBefore(frame) > pictureFrame_ + 1) seekBefore(frame);
    while (pictureFrame_ < frame) {
        if (!decodeNext()) failAt(frame, "is missing: the movie ends before it");
        pictureFrame_ = numberOfPicture();
        if (pictureFrame_ == 0) failAt(frame, "cannot be found: a decoded frame has no known time");
    }
    if (pictureFrame_ != frame) failAt(frame, "cannot be found in the movie");
    if ((picture_->flags & AV_FRAME_FLAG_CORRUPT) != 0 || picture_->decode_error_flags != 0) {
        failAt(frame, "is damaged");
    }
    return convert_PictureToFrame(*picture_, info_.depth, encoding_, scaler_);
}
