#include "cli/image_file.h"

#include <OpenImageIO/imageio.h>
#include <OpenImageIO/strutil.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <type_traits>

#include "cli/cli_error.h"

namespace fs = std::filesystem;
using OIIO::Strutil::iequals;

namespace {

// Channels past this many are not a frame but a hostile or broken file.
constexpr int MAX_CHANNELS = 64;

// The first line of a library's message, so every message stays one line.
std::string firstLine(std::string text) {
    const auto newline = text.find('\n');
    if (newline != std::string::npos) text.resize(newline);
    return text;
}

std::string inBrackets(const std::string &reason) {
    const std::string line = firstLine(reason);
    return line.empty() ? std::string() : " (" + line + ")";
}

// Opens the file with the reader its content calls for (whatever its name
// says) and fills `header` with all the file tells. Straight alpha on the
// way in: the readers must not premultiply; whether the file itself is
// straight is then read from its metadata.
std::unique_ptr<OIIO::ImageInput> openInput(const std::string &path, OIIO::ImageSpec &header) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) throw CliError(path + ": no such file");
    if (fs::is_directory(status)) throw CliError(path + ": a folder, not an image file");
    OIIO::ImageSpec config;
    config.attribute("oiio:UnassociatedAlpha", 1);
    auto input = OIIO::ImageInput::create(path);
    if (!input || !input->valid_file(path)) {
        const auto detected = OIIO::ImageInput::open(path, &config);
        if (!detected) throw CliError(path + ": cannot read" + inBrackets(OIIO::geterror()));
        input = OIIO::ImageInput::create(detected->format_name());
    }
    if (!input || !input->open(path, header, config)) {
        throw CliError(path + ": cannot read" +
                       inBrackets(input ? input->geterror() : OIIO::geterror()));
    }
    return input;
}

// Which channel is which, by the names the file gives them.
struct ChannelRoles {
    int colour[3] = {-1, -1, -1};  // R, G, B; a grey file's one channel fills all three
    int alpha = -1;                // none: the frame is opaque
    std::vector<int> extras;       // every other channel
};

bool isNamed(const std::string &name, const char *shortName, const char *longName) {
    return iequals(name, shortName) || iequals(name, longName);
}

// Sets `slot` to channel i unless an earlier channel holds it.
bool claim(int &slot, int i) {
    if (slot >= 0) return false;
    slot = i;
    return true;
}

std::string channelList(const OIIO::ImageSpec &imageSpec) {
    std::string names;
    for (const std::string &name : imageSpec.channelnames)
        names += (names.empty() ? "" : ", ") + name;
    return names;
}

ChannelRoles rolesOf(const std::string &path, const OIIO::ImageSpec &imageSpec) {
    ChannelRoles roles;
    int grey = -1;
    std::vector<bool> used(imageSpec.nchannels, false);
    for (int i = 0; i < imageSpec.nchannels; ++i) {
        const std::string name =
            i < int(imageSpec.channelnames.size()) ? imageSpec.channelnames[i] : "";
        used[i] = (isNamed(name, "R", "red") && claim(roles.colour[0], i)) ||
                  (isNamed(name, "G", "green") && claim(roles.colour[1], i)) ||
                  (isNamed(name, "B", "blue") && claim(roles.colour[2], i)) ||
                  (isNamed(name, "Y", "luminance") && claim(grey, i)) ||
                  (isNamed(name, "A", "alpha") && claim(roles.alpha, i));
    }
    // A reader may know the alpha by the format's own marking.
    if (roles.alpha < 0 && imageSpec.alpha_channel >= 0 &&
        imageSpec.alpha_channel < imageSpec.nchannels && !used[imageSpec.alpha_channel]) {
        roles.alpha = imageSpec.alpha_channel;
        used[imageSpec.alpha_channel] = true;
    }
    const bool hasColour = roles.colour[0] >= 0 || roles.colour[1] >= 0 || roles.colour[2] >= 0;
    if (!hasColour && grey < 0 && imageSpec.nchannels - (roles.alpha >= 0 ? 1 : 0) == 1) {
        grey = roles.alpha == 0 ? 1 : 0;  // one channel besides alpha, however named
        used[grey] = true;
    }
    if (!hasColour && grey < 0) {
        throw CliError(path + ": no colour channel (R, G, B or Y) among its channels " +
                       channelList(imageSpec));
    }
    if (!hasColour) std::fill(roles.colour, roles.colour + 3, grey);
    if (hasColour && grey >= 0) used[grey] = false;
    for (int i = 0; i < imageSpec.nchannels; ++i) {
        if (!used[i]) roles.extras.push_back(i);
    }
    return roles;
}

bool depthOfType(const OIIO::TypeDesc &type, SampleDepth &depth) {
    switch (type.basetype) {
        case OIIO::TypeDesc::UINT8:
            depth = SampleDepth::Eight;
            return true;
        case OIIO::TypeDesc::UINT16:
            depth = SampleDepth::Sixteen;
            return true;
        case OIIO::TypeDesc::HALF:
            depth = SampleDepth::Half;
            return true;
        case OIIO::TypeDesc::FLOAT:
        case OIIO::TypeDesc::DOUBLE:
            depth = SampleDepth::Float;
            return true;
        default:
            return false;
    }
}

// The depth of the colour and alpha channels: the widest of them.
SampleDepth depthOf(const std::string &path, const OIIO::ImageSpec &imageSpec,
                    const ChannelRoles &roles) {
    SampleDepth widest = SampleDepth::Eight;
    for (int i : {roles.colour[0], roles.colour[1], roles.colour[2], roles.alpha}) {
        if (i < 0) continue;
        SampleDepth depth = SampleDepth::Eight;
        const OIIO::TypeDesc type = imageSpec.channelformat(i);
        if (!depthOfType(type, depth)) {
            throw CliError(path + ": unsupported sample type " + std::string(type.c_str()) +
                           " (8 or 16-bit unsigned, or floating point)");
        }
        widest = std::max(widest, depth);
    }
    return widest;
}

// Where a frame's pixels lie and how its channels are read.
struct FrameLayout {
    PixelWindow display;
    PixelWindow data;
    ChannelRoles roles;
    SampleDepth depth = SampleDepth::Eight;
};

FrameLayout layoutOf(const std::string &path, const OIIO::ImageSpec &imageSpec) {
    if (imageSpec.deep || imageSpec.depth > 1)
        throw CliError(path + ": deep and volume images are not supported");
    if (imageSpec.nchannels < 1 || imageSpec.nchannels > MAX_CHANNELS) {
        throw CliError(path + ": " + std::to_string(imageSpec.nchannels) + " channels; at most " +
                       std::to_string(MAX_CHANNELS) + " are supported");
    }
    FrameLayout layout;
    layout.data = PixelWindow{imageSpec.x, imageSpec.y, imageSpec.width, imageSpec.height};
    layout.display = PixelWindow{imageSpec.full_x, imageSpec.full_y, imageSpec.full_width,
                                 imageSpec.full_height};
    if (layout.display.width < 1 || layout.display.height < 1) layout.display = layout.data;
    if (layout.data.width < 1 || layout.data.height < 1 || layout.display.width < 1 ||
        layout.display.height < 1) {
        throw CliError(path + ": the image is empty");
    }
    layout.roles = rolesOf(path, imageSpec);
    layout.depth = depthOf(path, imageSpec, layout.roles);
    return layout;
}

AlphaConvention conventionOf(const OIIO::ImageInput &input, const OIIO::ImageSpec &imageSpec,
                             const ChannelRoles &roles, AlphaReading reading) {
    if (reading == AlphaReading::Straight) return AlphaConvention::Straight;
    if (reading == AlphaReading::Premultiplied) return AlphaConvention::Premultiplied;
    const std::string format = input.format_name();
    // OpenEXR is premultiplied by definition. DPX has no marking; it is read
    // straight, as the renderer writes it.
    if (format == "openexr") return AlphaConvention::Premultiplied;
    if (roles.alpha < 0 || format == "dpx") return AlphaConvention::Straight;
    // The readers report a file that says it is unassociated; the rest
    // (a TIFF marked associated, formats with no marking) are premultiplied.
    return imageSpec.get_int_attribute("oiio:UnassociatedAlpha", 0) != 0
               ? AlphaConvention::Straight
               : AlphaConvention::Premultiplied;
}

bool startsWith(const std::string &text, const std::string &start) {
    return text.compare(0, start.size(), start) == 0;
}
bool endsWith(const std::string &text, const std::string &end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Metadata describes the picture and travels with it; how the input was
// encoded (compression, strips, bit packing, its alpha marking) does not:
// a lossy compression carried over would spoil the output.
bool isCarriedOver(const std::string &attributeName) {
    const std::string name = OIIO::Strutil::lower(attributeName);
    if (startsWith(name, "oiio:")) return name == "oiio:colorspace" || name == "oiio:gamma";
    if (endsWith(name, "compression") || name.find("compressionlevel") != std::string::npos)
        return false;
    for (const char *encoding :
         {"planarconfig", "tiff:rowsperstrip", "tiff:photometricinterpretation",
          "tiff:unassociatedalpha", "openexr:chunkcount", "targa:alpha_type", "dpx:packing"}) {
        if (name == encoding) return false;
    }
    return true;
}

OIIO::ParamValueList carriedMetadata(const OIIO::ImageSpec &imageSpec) {
    OIIO::ParamValueList metadata;
    for (const OIIO::ParamValue &attribute : imageSpec.extra_attribs) {
        if (isCarriedOver(attribute.name().string())) metadata.push_back(attribute);
    }
    return metadata;
}

template <typename T>
float unitOf(T v) {
    return std::is_same<T, float>::value ? float(v)
                                         : float(v) / float(std::numeric_limits<T>::max());
}

// Spreads the samples of the data window into the frame: R, G, B, A over
// the canvas (a missing colour channel reads 0, a missing alpha opaque) and
// the extra channels.
template <typename T>
void placeSamples(const std::vector<T> &samples, int channels, const ChannelRoles &roles, T opaque,
                  ImageFrame &frame, std::vector<T> &rgba) {
    const PixelWindow &data = frame.data;
    const PixelWindow &canvas = frame.canvas;
    for (int y = 0; y < data.height; ++y) {
        for (int x = 0; x < data.width; ++x) {
            const T *from = samples.data() + (std::size_t(y) * data.width + x) * channels;
            const std::size_t at = std::size_t(y + data.y - canvas.y) * canvas.width +
                                   std::size_t(x + data.x - canvas.x);
            T *to = rgba.data() + at * 4;
            for (int k = 0; k < 3; ++k) to[k] = roles.colour[k] >= 0 ? from[roles.colour[k]] : T(0);
            to[3] = roles.alpha >= 0 ? from[roles.alpha] : opaque;
            for (std::size_t e = 0; e < roles.extras.size(); ++e) {
                frame.extras[e].samples[at] = unitOf(from[roles.extras[e]]);
            }
        }
    }
}

template <typename T>
void readSamples(OIIO::ImageInput &input, const std::string &path, const OIIO::ImageSpec &imageSpec,
                 const ChannelRoles &roles, OIIO::TypeDesc type, T opaque, ImageFrame &frame,
                 std::vector<T> &rgba) {
    // A file of R, G, B, A alone over the whole canvas is read straight into
    // the frame's samples.
    const bool inPlace = imageSpec.nchannels == 4 && roles.colour[0] == 0 && roles.colour[1] == 1 &&
                         roles.colour[2] == 2 && roles.alpha == 3 && roles.extras.empty() &&
                         frame.data == frame.canvas;
    std::vector<T> samples(inPlace ? 0 : frame.data.area() * std::size_t(imageSpec.nchannels));
    // The TIFF reader reports strips it could not read (a cut-off file, an
    // offset past its end) as errors but still claims success, with zeros
    // in their place: any error left behind counts as a failed read.
    const bool read = input.read_image(0, 0, 0, imageSpec.nchannels, type,
                                       inPlace ? rgba.data() : samples.data());
    const std::string problem = input.geterror();
    if (!read || !problem.empty()) {
        throw CliError(path + ": cannot read the pixels: the file is truncated or damaged" +
                       inBrackets(problem));
    }
    if (!inPlace) placeSamples(samples, imageSpec.nchannels, roles, opaque, frame, rgba);
}

// The extra channels, blank over the canvas. Integer samples are read as
// fractions of full scale, so they are written as float.
std::vector<ExtraChannel> blankExtras(const OIIO::ImageSpec &imageSpec, const ChannelRoles &roles,
                                      std::size_t pixels) {
    std::vector<ExtraChannel> extras;
    for (const int channel : roles.extras) {
        const OIIO::TypeDesc type = imageSpec.channelformat(channel);
        const bool keepsType =
            type.basetype == OIIO::TypeDesc::HALF || type.basetype == OIIO::TypeDesc::UINT32;
        extras.push_back(ExtraChannel{imageSpec.channelnames[channel],
                                      keepsType ? type : OIIO::TypeDesc(OIIO::TypeDesc::FLOAT),
                                      std::vector<float>(pixels, 0.0f)});
    }
    return extras;
}

// A file opened and understood: where its pixels lie, which channel is
// which, in what convention.
struct OpenedFile {
    std::unique_ptr<OIIO::ImageInput> input;
    OIIO::ImageSpec header;
    FrameLayout layout;
    AlphaConvention alpha = AlphaConvention::Straight;
};

OpenedFile openFrameFile(const std::string &path, AlphaReading reading) {
    OpenedFile file;
    file.input = openInput(path, file.header);
    file.layout = layoutOf(path, file.header);
    file.alpha = conventionOf(*file.input, file.header, file.layout.roles, reading);
    return file;
}

}  // namespace

const char *sampleDepthName(SampleDepth depth) {
    switch (depth) {
        case SampleDepth::Eight:
            return "8-bit";
        case SampleDepth::Sixteen:
            return "16-bit";
        case SampleDepth::Half:
            return "half";
        case SampleDepth::Float:
            return "float";
    }
    return "?";
}

bool isFloatDepth(SampleDepth depth) {
    return depth == SampleDepth::Half || depth == SampleDepth::Float;
}

const char *alphaConventionName(AlphaConvention alpha) {
    return alpha == AlphaConvention::Straight ? "straight" : "premultiplied";
}

PixelWindow unionOf(const PixelWindow &a, const PixelWindow &b) {
    const int left = std::min(a.x, b.x);
    const int top = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return PixelWindow{left, top, right - left, bottom - top};
}

FileImage make_FileImage(int width, int height, SampleDepth depth) {
    FileImage image;
    image.width = width;
    image.height = height;
    image.depth = depth;
    const std::size_t n = image.sampleCount();
    if (depth == SampleDepth::Eight) image.u8.assign(n, 0);
    if (depth == SampleDepth::Sixteen) image.u16.assign(n, 0);
    if (isFloatDepth(depth)) image.f32.assign(n, 0.0f);
    return image;
}

ImageFrame make_ImageFrame(FileImage pixels) {
    ImageFrame frame;
    frame.canvas = frame.display = frame.data = PixelWindow{0, 0, pixels.width, pixels.height};
    frame.pixels = std::move(pixels);
    return frame;
}

ImageHeader read_ImageHeader(const std::string &path, AlphaReading reading) {
    const OpenedFile file = openFrameFile(path, reading);
    ImageHeader header;
    header.display = file.layout.display;
    header.canvas = unionOf(file.layout.display, file.layout.data);
    header.depth = file.layout.depth;
    header.alpha = file.alpha;
    header.extraChannels = int(file.layout.roles.extras.size());
    return header;
}

std::uint64_t ImageHeader::fileBytes() const {
    const std::uint64_t sampleBytes = depth == SampleDepth::Eight     ? 1
                                      : depth == SampleDepth::Sixteen ? 2
                                                                      : 4;
    return std::uint64_t(canvas.area()) * (4 * sampleBytes + 4 * std::uint64_t(extraChannels));
}

ImageFrame read_ImageFrame(const std::string &path, AlphaReading reading) {
    const OpenedFile file = openFrameFile(path, reading);
    OIIO::ImageInput *input = file.input.get();
    const OIIO::ImageSpec &imageSpec = file.header;
    const FrameLayout &layout = file.layout;
    ImageFrame frame;
    frame.display = layout.display;
    frame.data = layout.data;
    frame.canvas = unionOf(layout.display, layout.data);
    frame.alpha = file.alpha;
    frame.pixels = make_FileImage(frame.canvas.width, frame.canvas.height, layout.depth);
    frame.extras = blankExtras(imageSpec, layout.roles, frame.canvas.area());
    FileImage &pixels = frame.pixels;
    switch (layout.depth) {
        case SampleDepth::Eight:
            readSamples<std::uint8_t>(*input, path, imageSpec, layout.roles, OIIO::TypeDesc::UINT8,
                                      255, frame, pixels.u8);
            break;
        case SampleDepth::Sixteen:
            readSamples<std::uint16_t>(*input, path, imageSpec, layout.roles,
                                       OIIO::TypeDesc::UINT16, 65535, frame, pixels.u16);
            break;
        case SampleDepth::Half:
        case SampleDepth::Float:
            readSamples<float>(*input, path, imageSpec, layout.roles, OIIO::TypeDesc::FLOAT, 1.0f,
                               frame, pixels.f32);
            break;
    }
    frame.metadata = carriedMetadata(imageSpec);
    return frame;
}

FileImage read_ImageFile(const std::string &path) { return read_ImageFrame(path).pixels; }
