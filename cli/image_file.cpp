#include "cli/image_file.h"

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/cli_error.h"

namespace fs = std::filesystem;

namespace {

// The first line of an OpenImageIO error, so every message stays one line.
std::string firstLine(std::string text) {
    const auto newline = text.find('\n');
    if (newline != std::string::npos) text.resize(newline);
    return text.empty() ? "unknown error" : text;
}

OIIO::TypeDesc typeOf(SampleDepth depth) {
    switch (depth) {
        case SampleDepth::Eight:
            return OIIO::TypeDesc::UINT8;
        case SampleDepth::Sixteen:
            return OIIO::TypeDesc::UINT16;
        case SampleDepth::Float:
            return OIIO::TypeDesc::FLOAT;
    }
    return OIIO::TypeDesc::UINT8;
}

bool depthOf(const OIIO::TypeDesc &type, SampleDepth &depth) {
    switch (type.basetype) {
        case OIIO::TypeDesc::UINT8:
            depth = SampleDepth::Eight;
            return true;
        case OIIO::TypeDesc::UINT16:
            depth = SampleDepth::Sixteen;
            return true;
        case OIIO::TypeDesc::HALF:
        case OIIO::TypeDesc::FLOAT:
        case OIIO::TypeDesc::DOUBLE:
            depth = SampleDepth::Float;
            return true;
        default:
            return false;
    }
}

// Straight alpha on the way in: the readers must not premultiply.
OIIO::ImageSpec unassociatedAlphaHint() {
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    return config;
}

std::unique_ptr<OIIO::ImageInput> openInput(const std::string &path) {
    std::error_code ec;
    if (!fs::exists(path, ec)) throw CliError(path + ": no such file");
    const OIIO::ImageSpec config = unassociatedAlphaHint();
    auto input = OIIO::ImageInput::open(path, &config);
    if (!input) throw CliError(path + ": cannot read (" + firstLine(OIIO::geterror()) + ")");
    return input;
}

ImageHeader headerOf(const std::string &path, const OIIO::ImageSpec &imageSpec) {
    ImageHeader header;
    header.width = imageSpec.width;
    header.height = imageSpec.height;
    header.channels = imageSpec.nchannels;
    if (imageSpec.deep || imageSpec.depth > 1)
        throw CliError(path + ": deep and volume images are not supported");
    if (imageSpec.nchannels < 1 || imageSpec.nchannels > 4) {
        throw CliError(path + ": " + std::to_string(imageSpec.nchannels) +
                       " channels; at most 4 (grey, grey+alpha, RGB, RGBA) are supported");
    }
    if (!depthOf(imageSpec.format, header.depth)) {
        throw CliError(path + ": unsupported sample type " + std::string(imageSpec.format.c_str()) +
                       " (8 or 16-bit unsigned, or floating point)");
    }
    if (imageSpec.width < 1 || imageSpec.height < 1) throw CliError(path + ": the image is empty");
    return header;
}

// Spreads n-channel samples (1 to 4) into R, G, B, A in place: grey fills
// red, green and blue; a missing alpha becomes `opaque`.
template <typename T>
void expandToRgba(std::vector<T> &samples, std::size_t pixels, int channels, T opaque) {
    for (std::size_t i = pixels; i-- > 0;) {
        const T *src = samples.data() + i * channels;
        T rgba[4];
        if (channels <= 2) {
            rgba[0] = rgba[1] = rgba[2] = src[0];
            rgba[3] = channels == 2 ? src[1] : opaque;
        } else {
            rgba[0] = src[0];
            rgba[1] = src[1];
            rgba[2] = src[2];
            rgba[3] = channels == 4 ? src[3] : opaque;
        }
        std::copy(rgba, rgba + 4, samples.data() + i * 4);
    }
}

template <typename T>
void readSamples(OIIO::ImageInput &input, const std::string &path, const ImageHeader &header,
                 OIIO::TypeDesc type, T opaque, std::vector<T> &samples) {
    const std::size_t pixels = std::size_t(header.width) * std::size_t(header.height);
    samples.assign(pixels * 4, T{});
    // The TIFF reader reports strips it could not read (a cut-off file, an
    // offset past its end) as errors but still claims success, with zeros
    // in their place: any error left behind counts as a failed read.
    const bool read = input.read_image(0, 0, 0, header.channels, type, samples.data());
    const std::string problem = input.geterror();
    if (!read || !problem.empty()) {
        throw CliError(path + ": cannot read the pixels (" + firstLine(problem) + ")");
    }
    expandToRgba(samples, pixels, header.channels, opaque);
}

std::string temporaryNameBeside(const std::string &path) {
    static std::atomic<unsigned> counter{0};
    const fs::path target(path);
    const std::string name = "." + target.filename().string() + ".holvane-" +
                             std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    return (target.parent_path() / name).string();
}

const void *samplesOf(const FileImage &image) {
    switch (image.depth) {
        case SampleDepth::Eight:
            return image.u8.data();
        case SampleDepth::Sixteen:
            return image.u16.data();
        case SampleDepth::Float:
            return image.f32.data();
    }
    return nullptr;
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

// Encodes the image into the temporary file; returns the problem, or an
// empty text when the file is complete.
std::string encodeToTemporary(OIIO::ImageOutput &output, const std::string &temporary,
                              const OIIO::ImageSpec &imageSpec, const FileImage &image) {
    std::vector<unsigned char> encoded;
    OIIO::Filesystem::IOVecOutput memory(encoded);
    const bool inMemory = output.supports("ioproxy") && output.set_ioproxy(&memory);
    if (!output.open(temporary, imageSpec)) return output.geterror();
    std::string problem;
    if (!output.write_image(typeOf(image.depth), samplesOf(image))) problem = output.geterror();
    if (!output.close() && problem.empty()) problem = output.geterror();
    if (problem.empty() && inMemory) problem = writeBytes(temporary, encoded);
    return problem;
}

}  // namespace

const char *sampleDepthName(SampleDepth depth) {
    switch (depth) {
        case SampleDepth::Eight:
            return "8-bit";
        case SampleDepth::Sixteen:
            return "16-bit";
        case SampleDepth::Float:
            return "float";
    }
    return "?";
}

FileImage make_FileImage(int width, int height, SampleDepth depth) {
    FileImage image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    const std::size_t n = image.sampleCount();
    if (depth == SampleDepth::Eight) image.u8.assign(n, 0);
    if (depth == SampleDepth::Sixteen) image.u16.assign(n, 0);
    if (depth == SampleDepth::Float) image.f32.assign(n, 0.0f);
    return image;
}

ImageHeader read_ImageHeader(const std::string &path) {
    auto input = openInput(path);
    return headerOf(path, input->spec_dimensions(0));
}

FileImage read_ImageFile(const std::string &path) {
    auto input = openInput(path);
    const ImageHeader header = headerOf(path, input->spec_dimensions(0));
    FileImage image;
    image.width = header.width;
    image.height = header.height;
    image.depth = header.depth;
    switch (header.depth) {
        case SampleDepth::Eight:
            readSamples<std::uint8_t>(*input, path, header, OIIO::TypeDesc::UINT8, 255, image.u8);
            break;
        case SampleDepth::Sixteen:
            readSamples<std::uint16_t>(*input, path, header, OIIO::TypeDesc::UINT16, 65535,
                                       image.u16);
            break;
        case SampleDepth::Float:
            readSamples<float>(*input, path, header, OIIO::TypeDesc::FLOAT, 1.0f, image.f32);
            break;
    }
    return image;
}

void check_WritableImageFormat(const std::string &path) {
    auto output = OIIO::ImageOutput::create(path);
    if (!output) {
        throw CliError(path + ": no image format for this file name (" +
                       firstLine(OIIO::geterror()) + ")");
    }
    // The repair lives in the alpha; a format without one would drop it.
    if (!output->supports("alpha")) {
        throw CliError(path + ": the " + std::string(output->format_name()) +
                       " format cannot store alpha; write PNG, TIFF, OpenEXR or DPX");
    }
}

void write_ImageFileAtomically(const std::string &path, const FileImage &image) {
    auto output = OIIO::ImageOutput::create(path);
    if (!output) throw CliError(path + ": no image format for this file name");
    OIIO::ImageSpec imageSpec(image.width, image.height, 4, typeOf(image.depth));
    imageSpec.alpha_channel = 3;
    // Straight alpha on the way out: the writers must not divide by alpha.
    imageSpec.attribute("oiio:UnassociatedAlpha", 1);
    const std::string temporary = temporaryNameBeside(path);
    std::string problem = encodeToTemporary(*output, temporary, imageSpec, image);
    std::error_code ec;
    if (problem.empty()) {
        fs::rename(temporary, path, ec);
        if (ec) problem = ec.message();
    }
    if (!problem.empty()) {
        fs::remove(temporary, ec);
        throw CliError(path + ": cannot write (" + firstLine(problem) + ")");
    }
}
