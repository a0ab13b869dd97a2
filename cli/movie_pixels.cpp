#include "cli/movie_pixels.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <cstring>

#include "cli/cli_error.h"

namespace {

// Chroma is interpolated when it is subsampled; rounding is exact, and no
// step depends on the processor's vector units.
constexpr int SCALER_FLAGS =
    SWS_BILINEAR | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;

AVPixelFormat rgbaFormatOf(SampleDepth depth) {
    return depth == SampleDepth::Eight ? AV_PIX_FMT_RGBA : AV_PIX_FMT_RGBA64;
}

std::size_t bytesPerSample(SampleDepth depth) { return depth == SampleDepth::Eight ? 1 : 2; }

bool isYuv(AVPixelFormat format) {
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    return desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_RGB) == 0;
}

// An RGBA picture in FFmpeg's own padded buffers: the scaler may read and
// write past the end of a row, which a tightly packed frame cannot allow.
FrameHandle rgbaPicture(int width, int height, SampleDepth depth) {
    FrameHandle picture(av_frame_alloc());
    if (!picture) throw CliError("out of memory for a movie frame");
    picture->format = rgbaFormatOf(depth);
    picture->width = width;
    picture->height = height;
    if (av_frame_get_buffer(picture.get(), 0) < 0)
        throw CliError("out of memory for a movie frame");
    return picture;
}

// One scaler between the two formats, with the YUV side's matrix and range.
void scale(const AVFrame &from, AVFrame &to, const YuvEncoding &encoding, ScalerHandle &scaler) {
    const auto fromFormat = static_cast<AVPixelFormat>(from.format);
    const auto toFormat = static_cast<AVPixelFormat>(to.format);
    scaler.reset(sws_getCachedContext(scaler.release(), from.width, from.height, fromFormat,
                                      to.width, to.height, toFormat, SCALER_FLAGS, nullptr, nullptr,
                                      nullptr));
    if (!scaler) {
        throw CliError(std::string("cannot convert movie pixels from ") +
                       av_get_pix_fmt_name(fromFormat) + " to " + av_get_pix_fmt_name(toFormat));
    }
    const int *matrix = sws_getCoefficients(encoding.matrix);
    const int *rgb = sws_getCoefficients(SWS_CS_DEFAULT);
    const bool fromYuv = isYuv(fromFormat), toYuv = isYuv(toFormat);
    sws_setColorspaceDetails(scaler.get(), fromYuv ? matrix : rgb, fromYuv ? encoding.fullRange : 1,
                             toYuv ? matrix : rgb, toYuv ? encoding.fullRange : 1, 0, 1 << 16,
                             1 << 16);
    sws_scale(scaler.get(), from.data, from.linesize, 0, from.height, to.data, to.linesize);
}

bool hasAlpha(AVPixelFormat format) {
    const AVPixFmtDescriptor *desc = av_pix_fmt_desc_get(format);
    return desc != nullptr && (desc->flags & AV_PIX_FMT_FLAG_ALPHA) != 0;
}

void makeOpaque(FileImage &image) {
    for (std::size_t i = 3; i < image.sampleCount(); i += 4) {
        if (image.depth == SampleDepth::Eight) image.u8[i] = 255;
        if (image.depth == SampleDepth::Sixteen) image.u16[i] = 65535;
    }
}

unsigned char *samplesOf(FileImage &image) {
    return image.depth == SampleDepth::Eight ? image.u8.data()
                                             : reinterpret_cast<unsigned char *>(image.u16.data());
}

const unsigned char *samplesOf(const FileImage &image) {
    return image.depth == SampleDepth::Eight
               ? image.u8.data()
               : reinterpret_cast<const unsigned char *>(image.u16.data());
}

}  // namespace

YuvEncoding yuvEncodingOf(AVColorSpace tagged, AVColorRange range, int height) {
    YuvEncoding encoding;
    switch (tagged) {
        case AVCOL_SPC_BT709:
            encoding.matrix = SWS_CS_ITU709;
            break;
        case AVCOL_SPC_BT470BG:
        case AVCOL_SPC_SMPTE170M:
            encoding.matrix = SWS_CS_ITU601;
            break;
        case AVCOL_SPC_FCC:
            encoding.matrix = SWS_CS_FCC;
            break;
        case AVCOL_SPC_SMPTE240M:
            encoding.matrix = SWS_CS_SMPTE240M;
            break;
        case AVCOL_SPC_BT2020_NCL:
        case AVCOL_SPC_BT2020_CL:
            encoding.matrix = SWS_CS_BT2020;
            break;
        default:
            encoding.matrix = height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    }
    encoding.fullRange = range == AVCOL_RANGE_JPEG;
    return encoding;
}

AVColorSpace colorSpaceOf(const YuvEncoding &encoding) {
    switch (encoding.matrix) {
        case SWS_CS_ITU709:
            return AVCOL_SPC_BT709;
        case SWS_CS_FCC:
            return AVCOL_SPC_FCC;
        case SWS_CS_SMPTE240M:
            return AVCOL_SPC_SMPTE240M;
        case SWS_CS_BT2020:
            return AVCOL_SPC_BT2020_NCL;
        default:
            return AVCOL_SPC_SMPTE170M;
    }
}

ImageFrame convert_PictureToFrame(const AVFrame &picture, SampleDepth depth,
                                  const YuvEncoding &encoding, ScalerHandle &scaler) {
    FrameHandle rgba = rgbaPicture(picture.width, picture.height, depth);
    scale(picture, *rgba, encoding, scaler);
    FileImage image = make_FileImage(picture.width, picture.height, depth);
    const std::size_t rowBytes = std::size_t(picture.width) * 4 * bytesPerSample(depth);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(samplesOf(image) + rowBytes * y,
                    rgba->data[0] + std::size_t(y) * rgba->linesize[0], rowBytes);
    }
    if (!hasAlpha(static_cast<AVPixelFormat>(picture.format))) makeOpaque(image);
    return make_ImageFrame(std::move(image));
}

void convert_FrameToPicture(const ImageFrame &frame, AVFrame &picture, const YuvEncoding &encoding,
                            ScalerHandle &scaler) {
    const FileImage &image = frame.pixels;
    FrameHandle rgba = rgbaPicture(image.width, image.height, image.depth);
    const std::size_t rowBytes = std::size_t(image.width) * 4 * bytesPerSample(image.depth);
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(rgba->data[0] + std::size_t(y) * rgba->linesize[0],
                    samplesOf(image) + rowBytes * y, rowBytes);
    }
    scale(*rgba, picture, encoding, scaler);
}
