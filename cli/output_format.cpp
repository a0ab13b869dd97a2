#include "cli/output_format.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/cli_error.h"
#include "cli/temporary_files.h"

namespace fs = std::filesystem;

namespace {

const OIIO::TypeDesc NONE = OIIO::TypeDesc::UNKNOWN;
const OIIO::TypeDesc U8 = OIIO::TypeDesc::UINT8;
const OIIO::TypeDesc U16 = OIIO::TypeDesc::UINT16;
const OIIO::TypeDesc HALF = OIIO::TypeDesc::HALF;
const OIIO::TypeDesc FLOAT = OIIO::TypeDesc::FLOAT;

// Each stores R, G, B, A at the depths listed exactly (checked by writing
// and reading back); half goes into a float sample where the format has no
// half. A movie container would be one more entry.
//
// Compression is lossless and picked for write time on HD footage: OpenEXR's
// one-row zip writes about twice as fast as its default 16-row zip, files
// 15-25% larger; TIFF's deflate at level 1 about three times as fast as the
// default level, files about 20% larger.
const OutputFormat FORMATS[] = {
    {"png", "PNG", {U8, U16, NONE, NONE}, AlphaConvention::Straight, false, false},
    {"tiff", "TIFF", {U8, U16, FLOAT, FLOAT}, std::nullopt, false, false, "zip:1"},
    {"openexr",
     "OpenEXR",
     {NONE, NONE, HALF, FLOAT},
     AlphaConvention::Premultiplied,
     true,
     true,
     "zips"},
    {"dpx", "DPX", {U8, U16, FLOAT, FLOAT}, AlphaConvention::Straight, false, false},
    {"targa", "TGA", {U8, NONE, NONE, NONE}, AlphaConvention::Straight, false, false},
};

// At the fast zlib levels, trying every row filter costs more time than it
// saves bytes: the "up" filter alone encodes HD footage about a quarter
// faster for files under 1% larger.
constexpr int PNG_FAST_LEVELS = 3;
// Rows the written-file check decodes at once.
constexpr int CHECK_BAND_ROWS = 32;
constexpr int PNG_FILTER_UP = 32;  // libpng's PNG_FILTER_UP

struct RefusedFormat {
    const char *name;
    const char *loss;
};

// What the formats OpenImageIO can write but that would spoil a matte lose.
constexpr RefusedFormat REFUSED_FORMATS[] = {
    {"jpeg", "JPEG has no alpha and is lossy"},
    {"jpeg2000", "JPEG 2000 output is not supported (its writer leaves empty files)"},
    {"gif", "GIF keeps 256 colours and on/off transparency only"},
    {"webp", "WebP is lossy in colour and alpha"},
    {"heif", "HEIF/AVIF is lossy in colour and alpha"},
    {"bmp", "BMP keeps 8 bits at most, and most readers ignore its alpha"},
};

constexpr SampleDepth DEPTHS[] = {SampleDepth::Eight, SampleDepth::Sixteen, SampleDepth::Half,
                                  SampleDepth::Float};

// The --depth value of each depth.
const char *depthOption(SampleDepth depth) {
    switch (depth) {
        case SampleDepth::Eight:
            return "8";
        case SampleDepth::Sixteen:
            return "16";
        case SampleDepth::Half:
            return "half";
        case SampleDepth::Float:
            return "float";
    }
    return "?";
}

// "a, b or c"
std::string listed(const std::vector<std::string> &items) {
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    }
    return text;
}

std::string formatsHolding(SampleDepth depth) {
    std::vector<std::string> titles;
    for (const OutputFormat &format : FORMATS) {
        if (format.holds(depth)) titles.push_back(format.title);
    }
    return listed(titles);
}

[[noreturn]] void refuseDepth(const std::string &path, const OutputFormat &format,
                              SampleDepth depth) {
    std::vector<std::string> held, options;
    for (SampleDepth d : DEPTHS) {
        if (!format.holds(d)) continue;
        held.push_back(sampleDepthName(d));
        options.push_back(depthOption(d));
    }
    throw CliError(path + ": " + format.title + " holds " + listed(held) + " samples, not " +
                   sampleDepthName(depth) + "; choose --depth " + listed(options) + ", or write " +
                   formatsHolding(depth));
}

[[noreturn]] void refuseFormat(const std::string &path, const std::string &name) {
    std::string loss = "the " + name + " format is not one that keeps R, G, B and alpha exactly";
    for (const RefusedFormat &refused : REFUSED_FORMATS) {
        if (name == refused.name) loss = refused.loss;
    }
    throw CliError(path + ": " + loss + ", so the repaired matte would be lost; write PNG, " +
                   "TIFF, OpenEXR, DPX or TGA (8-bit)");
}

std::string firstLine(std::string text) {
    const auto newline = text.find('\n');
    if (newline != std::string::npos) text.resize(newline);
    return text.empty() ? "unknown error" : text;
}

OIIO::ImageSpec specFor(const ImageFrame &frame, const OutputFormat &format) {
    const PixelWindow &window = format.keepsWindows ? frame.data : frame.display;
    const OIIO::TypeDesc stored = format.storedType(frame.pixels.depth);
    const std::size_t extras = format.keepsExtraChannels ? frame.extras.size() : 0;
    OIIO::ImageSpec imageSpec(window.width, window.height, int(4 + extras), stored);
    if (format.keepsWindows) {
        imageSpec.x = window.x;
        imageSpec.y = window.y;
        imageSpec.full_x = frame.display.x;
        imageSpec.full_y = frame.display.y;
        imageSpec.full_width = frame.display.width;
        imageSpec.full_height = frame.display.height;
    }
    imageSpec.channelnames = {"R", "G", "B", "A"};
    imageSpec.alpha_channel = 3;
    if (extras > 0) imageSpec.channelformats.assign(4, stored);
    for (std::size_t e = 0; e < extras; ++e) {
        imageSpec.channelnames.push_back(frame.extras[e].name);
        imageSpec.channelformats.push_back(frame.extras[e].type);
    }
    for (const OIIO::ParamValue &attribute : frame.metadata)
        imageSpec.extra_attribs.add_or_replace(attribute);
    // Straight frames say so; without the mark a writer (or a reader of the
    // file) takes the samples as premultiplied.
    if (frame.alpha == AlphaConvention::Straight) imageSpec.attribute("oiio:UnassociatedAlpha", 1);
    if (format.compression != nullptr) imageSpec.attribute("compression", format.compression);
    if (format.name == "png" && format.compressionLevel >= 0) {
        imageSpec.attribute("png:compressionLevel", format.compressionLevel);
        if (format.compressionLevel <= PNG_FAST_LEVELS)
            imageSpec.attribute("png:filter", PNG_FILTER_UP);
    }
    return imageSpec;
}

// The samples of the written window, in the order of its channels.
struct WindowSamples {
    OIIO::TypeDesc type;
    const void *first = nullptr;
    OIIO::stride_t xstride = 0;
    OIIO::stride_t ystride = 0;
    std::vector<float> interleaved;  // when extra channels join R, G, B, A
};

WindowSamples samplesOf(const ImageFrame &frame, const OIIO::ImageSpec &imageSpec) {
    const FileImage &pixels = frame.pixels;
    const std::size_t offset = (std::size_t(imageSpec.y - frame.canvas.y) * frame.canvas.width +
                                std::size_t(imageSpec.x - frame.canvas.x)) *
                               4;
    WindowSamples samples;
    if (imageSpec.nchannels == 4) {
        samples.type = pixels.depth == SampleDepth::Eight     ? U8
                       : pixels.depth == SampleDepth::Sixteen ? U16
                                                              : FLOAT;
        const void *base = pixels.depth == SampleDepth::Eight     ? (const void *)pixels.u8.data()
                           : pixels.depth == SampleDepth::Sixteen ? (const void *)pixels.u16.data()
                                                                  : (const void *)pixels.f32.data();
        samples.xstride = OIIO::stride_t(4 * samples.type.size());
        samples.ystride = samples.xstride * frame.canvas.width;
        samples.first = static_cast<const char *>(base) + offset * samples.type.size();
        return samples;
    }
    // Only OpenEXR keeps extra channels, and it holds float depths only.
    samples.type = FLOAT;
    const int channels = imageSpec.nchannels;
    samples.interleaved.resize(std::size_t(imageSpec.width) * imageSpec.height * channels);
    for (int y = 0; y < imageSpec.height; ++y) {
        for (int x = 0; x < imageSpec.width; ++x) {
            const std::size_t at =
                std::size_t(y + imageSpec.y - frame.canvas.y) * frame.canvas.width +
                std::size_t(x + imageSpec.x - frame.canvas.x);
            float *to = &samples.interleaved[(std::size_t(y) * imageSpec.width + x) * channels];
            std::copy(&pixels.f32[at * 4], &pixels.f32[at * 4 + 4], to);
            for (int e = 4; e < channels; ++e) to[e] = frame.extras[e - 4].samples[at];
        }
    }
    samples.first = samples.interleaved.data();
    samples.xstride = OIIO::AutoStride;
    samples.ystride = OIIO::AutoStride;
    return samples;
}

// Some writers (PNG's among them) do not notice when the disk refuses their
// bytes and leave a cut-off file behind. Such formats are encoded in memory
// and the bytes written here, where every write and the close are checked.
std::string writeBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return std::strerror(errno);
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) return std::strerror(written ? errno : writeErrno);
    return std::string();
}

// What an encoder left: the problem, or an empty text when the file is
// complete; the encoded bytes too when they were encoded in memory.
struct Encoded {
    std::string problem;
    bool inMemory = false;
    std::vector<unsigned char> bytes;
};

// Encodes the frame into the temporary file. The TIFF writer is left to
// write its file itself: encoded into memory its files lack their
// directory, while libtiff reports a refused write on its own.
Encoded encodeToTemporary(OIIO::ImageOutput &output, const std::string &temporary,
                          const OIIO::ImageSpec &imageSpec, const WindowSamples &samples) {
    Encoded encoded;
    OIIO::Filesystem::IOVecOutput memory(encoded.bytes);
    encoded.inMemory = output.format_name() != std::string("tiff") && output.supports("ioproxy") &&
                       output.set_ioproxy(&memory);
    if (!output.open(temporary, imageSpec)) {
        encoded.problem = output.geterror();
        return encoded;
    }
    if (!output.write_image(samples.type, samples.first, samples.xstride, samples.ystride)) {
        encoded.problem = output.geterror();
    }
    if (!output.close() && encoded.problem.empty()) encoded.problem = output.geterror();
    if (encoded.problem.empty() && encoded.inMemory)
        encoded.problem = writeBytes(temporary, encoded.bytes);
    return encoded;
}

// A writer that claims success may still have written nothing usable (an
// empty file, another size, fewer channels): the frame must decode as the
// frame it should hold before the file takes the output's name. Bytes
// encoded in memory are decoded there, once the file is known to hold all
// of them; other files are decoded from the file.
std::string checkWritten(const std::string &temporary, const Encoded &encoded,
                         const OutputFormat &format, const OIIO::ImageSpec &expected) {
    std::error_code ec;
    const std::uintmax_t fileBytes = fs::file_size(temporary, ec);
    if (fileBytes == 0 || ec) return "the encoded file is empty";
    if (encoded.inMemory && fileBytes != encoded.bytes.size())
        return "the file holds " + std::to_string(fileBytes) + " of the " +
               std::to_string(encoded.bytes.size()) + " encoded bytes";
    auto input = OIIO::ImageInput::create(format.name);
    OIIO::Filesystem::IOMemReader memory(encoded.bytes.data(), encoded.bytes.size());
    if (input && encoded.inMemory) input->set_ioproxy(&memory);
    OIIO::ImageSpec config, written;
    config.attribute("oiio:UnassociatedAlpha", 1);
    if (!input || !input->open(temporary, written, config)) {
        return "the encoded file does not decode (" +
               firstLine(input ? input->geterror() : OIIO::geterror()) + ")";
    }
    if (written.width != expected.width || written.height != expected.height ||
        written.nchannels != expected.nchannels) {
        return "the encoded file decodes as " + std::to_string(written.width) + " x " +
               std::to_string(written.height) + " with " + std::to_string(written.nchannels) +
               " channels";
    }
    // A band of rows at a time: the check holds no second frame in memory.
    std::vector<unsigned char> band(written.scanline_bytes(true) * CHECK_BAND_ROWS);
    const int end = written.y + written.height;
    for (int y = written.y; y < end; y += CHECK_BAND_ROWS) {
        if (!input->read_scanlines(0, 0, y, std::min(y + CHECK_BAND_ROWS, end), written.z, 0,
                                   written.nchannels, OIIO::TypeDesc::UNKNOWN, band.data()) ||
            input->has_error()) {
            return "the encoded file does not decode (" + firstLine(input->geterror()) + ")";
        }
    }
    return std::string();
}

}  // namespace

OutputFormat choose_OutputFormat(const std::string &path, SampleDepth depth) {
    auto output = OIIO::ImageOutput::create(path);
    if (!output) {
        OIIO::geterror();  // the library's text says no more than ours
        throw CliError(path + ": no image format for this file name; write PNG, TIFF, OpenEXR, " +
                       "DPX or TGA (8-bit)");
    }
    const std::string name = output->format_name();
    for (const OutputFormat &format : FORMATS) {
        if (format.name != name) continue;
        if (!format.holds(depth)) refuseDepth(path, format, depth);
        return format;
    }
    refuseFormat(path, name);
}

AlphaConvention outputAlphaOf(const OutputFormat &format, AlphaConvention input) {
    return format.alpha.value_or(input);
}

void write_FrameAtomically(const std::string &path, const ImageFrame &frame,
                           const OutputFormat &format) {
    auto output = OIIO::ImageOutput::create(path);
    if (!output) throw CliError(path + ": no image format for this file name");
    const OIIO::ImageSpec imageSpec = specFor(frame, format);
    const WindowSamples samples = samplesOf(frame, imageSpec);
    TemporaryFile temporary(temporaryNameBeside(path));
    const Encoded encoded = encodeToTemporary(*output, temporary.path(), imageSpec, samples);
    std::string problem = encoded.problem;
    if (problem.empty()) problem = checkWritten(temporary.path(), encoded, format, imageSpec);
    if (problem.empty()) problem = temporary.renameTo(path);
    if (!problem.empty()) throw CliError(path + ": cannot write (" + firstLine(problem) + ")");
}
