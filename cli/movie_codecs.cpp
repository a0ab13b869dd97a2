#include "cli/movie_codecs.h"

#include <cstring>

#include "cli/cli_error.h"
#include "cli/movie_input.h"

namespace {

// ProRes codes alpha without loss, but FFmpeg's encoder takes it at 10
// bits; its colour is 10-bit YUV 4:4:4. VP9's alpha is a second lossy
// picture.
const MovieCodec CODECS[] = {
    {"prores4444", "ProRes 4444", "prores_ks", AV_PIX_FMT_YUVA444P10LE, AV_PIX_FMT_YUVA444P10LE, 4,
     false, true, "alpha lossless at 10 bits, colour visually lossless 10-bit YUV 4:4:4"},
    {"prores4444xq", "ProRes 4444 XQ", "prores_ks", AV_PIX_FMT_YUVA444P10LE,
     AV_PIX_FMT_YUVA444P10LE, 5, false, true, "as ProRes 4444 with colour at a higher data rate"},
    {"qtrle", "QuickTime Animation", "qtrle", AV_PIX_FMT_ARGB, AV_PIX_FMT_NONE, -1, true, false,
     "lossless, 8-bit only"},
    {"png", "PNG", "png", AV_PIX_FMT_RGBA, AV_PIX_FMT_RGBA64BE, -1, true, false,
     "lossless, 8 or 16-bit"},
    {"ffv1", "FFV1", "ffv1", AV_PIX_FMT_BGRA, AV_PIX_FMT_RGBA64LE, -1, true, false,
     "lossless, 8 or 16-bit"},
    {"vp9", "VP9", "libvpx-vp9", AV_PIX_FMT_YUVA420P, AV_PIX_FMT_YUVA420P, -1, false, true,
     "lossy in colour and alpha, 8-bit 4:2:0; for previews and the web"},
};

struct MovieContainer {
    const char *extension;
    const char *title;
    const char *codecs[5];  // the first is the default
};

const MovieContainer CONTAINERS[] = {
    {".mov", "QuickTime", {"prores4444", "prores4444xq", "qtrle", "png"}},
    {".mkv", "Matroska", {"ffv1", "png", "prores4444", "prores4444xq", "vp9"}},
    {".webm", "WebM", {"vp9"}},
};

const MovieContainer *containerOf(const std::string &path) {
    for (const MovieContainer &container : CONTAINERS) {
        if (has_Extension(path, container.extension)) return &container;
    }
    return nullptr;
}

std::string codecsOf(const MovieContainer &container) {
    std::string text;
    for (const char *codec : container.codecs) {
        if (codec != nullptr) text += std::string(text.empty() ? "" : ", ") + codec;
    }
    return text;
}

}  // namespace

const MovieCodec *find_MovieCodec(const std::string &option) {
    for (const MovieCodec &codec : CODECS) {
        if (option == codec.option) return &codec;
    }
    return nullptr;
}

const MovieCodec *movieCodecsBegin() { return std::begin(CODECS); }
const MovieCodec *movieCodecsEnd() { return std::end(CODECS); }

std::string movieContainersOf(const MovieCodec &codec) {
    std::string text;
    for (const MovieContainer &container : CONTAINERS) {
        for (const char *held : container.codecs) {
            if (held != nullptr && std::strcmp(held, codec.option) == 0)
                text += std::string(text.empty() ? "" : " ") + container.extension;
        }
    }
    return text;
}

std::string movieCodecOptions() {
    std::string text;
    for (const MovieCodec &codec : CODECS) {
        text += std::string(text.empty()                     ? ""
                            : &codec == std::end(CODECS) - 1 ? " or "
                                                             : ", ") +
                codec.option;
    }
    return text;
}

const MovieCodec &choose_MovieCodec(const std::string &path, const std::string &codecOption) {
    const MovieContainer *container = containerOf(path);
    if (container == nullptr) {
        throw usageError(path + ": movies are written as .mov, .mkv or .webm");
    }
    const std::string wanted = codecOption.empty() ? container->codecs[0] : codecOption;
    const MovieCodec *codec = find_MovieCodec(wanted);
    if (codec == nullptr) {
        throw usageError("--codec: '" + wanted + "' is not " + movieCodecOptions());
    }
    for (const char *held : container->codecs) {
        if (held != nullptr && wanted == held) return *codec;
    }
    throw usageError(path + ": " + container->title + " (" + container->extension +
                     ") does not hold " + codec->title + "; choose --codec " +
                     codecsOf(*container));
}

OutputFormat movieOutputFormat(const MovieCodec &codec, const std::string &path,
                               SampleDepth depth) {
    const bool deep = codec.sixteenBit != AV_PIX_FMT_NONE;
    if (depth == SampleDepth::Eight || (depth == SampleDepth::Sixteen && deep)) {
        const OIIO::TypeDesc sixteen = deep ? OIIO::TypeDesc::UINT16 : OIIO::TypeDesc::UNKNOWN;
        return OutputFormat{
            "movie",
            codec.title,
            {OIIO::TypeDesc::UINT8, sixteen, OIIO::TypeDesc::UNKNOWN, OIIO::TypeDesc::UNKNOWN},
            AlphaConvention::Straight,
            false,
            false};
    }
    throw CliError(path + ": " + codec.title + " takes " + (deep ? "8 or 16-bit" : "8-bit") +
                   " frames, not " + sampleDepthName(depth) + "; choose --depth " +
                   (deep ? "8 or 16" : "8") + (deep ? "" : ", or --codec png or ffv1 for 16 bits"));
}
