// Image files as the renderer sees them. A frame is read as its file holds
// it: channels by name, alpha in the convention its format and metadata
// give, display and data windows, metadata. So what the effect leaves alone
// can be written back exactly, while the effect itself is given straight
// R, G, B, A over the display window (world_conversion.h).
#pragma once

#include <OpenImageIO/paramlist.h>
#include <OpenImageIO/typedesc.h>

#include <cstdint>
#include <string>
#include <vector>

// Sample precisions a frame is read and written in. Half and float samples
// are both held as float (every half value is a float value).
enum class SampleDepth { Eight, Sixteen, Half, Float };

// "8-bit", "16-bit", "half", "float".
const char *sampleDepthName(SampleDepth depth);
bool isFloatDepth(SampleDepth depth);

// Straight colour, or colour already multiplied by alpha (associated).
enum class AlphaConvention { Straight, Premultiplied };
const char *alphaConventionName(AlphaConvention alpha);

// --alpha: as the file's format and metadata say, or as the user insists
// for a mislabelled file.
enum class AlphaReading { Auto, Straight, Premultiplied };

// A rectangle in a file's pixel coordinates.
struct PixelWindow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelWindow &other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
    bool operator!=(const PixelWindow &other) const { return !(*this == other); }
    std::size_t area() const { return std::size_t(width) * std::size_t(height); }
};

// The smallest window holding both.
PixelWindow unionOf(const PixelWindow &a, const PixelWindow &b);

// Interleaved R, G, B, A from the top row; only the vector of `depth` is
// filled (f32 for half and float).
struct FileImage {
    int width = 0;
    int height = 0;
    SampleDepth depth = SampleDepth::Eight;
    std::vector<std::uint8_t> u8;
    std::vector<std::uint16_t> u16;
    std::vector<float> f32;

    std::size_t sampleCount() const { return std::size_t(width) * std::size_t(height) * 4; }
};

// A blank image of the given size and depth (every sample 0).
FileImage make_FileImage(int width, int height, SampleDepth depth);

// A channel other than colour and alpha (depth, ids, ...), carried through
// unchanged to formats that hold such channels.
struct ExtraChannel {
    std::string name;
    OIIO::TypeDesc type;         // as the file stores it
    std::vector<float> samples;  // one per pixel of the frame's canvas
};

// One frame as its file holds it.
struct ImageFrame {
    // R, G, B, A over `canvas`, as stored: multiplied by alpha when `alpha`
    // is Premultiplied. Pixels outside the data window are transparent.
    FileImage pixels;
    PixelWindow canvas;   // the display and data windows together
    PixelWindow display;  // the frame the effect sees
    PixelWindow data;     // where the file holds pixels
    AlphaConvention alpha = AlphaConvention::Straight;
    std::vector<ExtraChannel> extras;
    // What an output of the frame carries over: orientation, colour space,
    // timecode, format attributes; never how the file was encoded.
    OIIO::ParamValueList metadata;
};

// A plain straight image as a frame: every window the whole image.
ImageFrame make_ImageFrame(FileImage pixels);

// What the renderer needs to know about a file before reading its pixels.
struct ImageHeader {
    PixelWindow display;
    PixelWindow canvas;
    SampleDepth depth = SampleDepth::Eight;
    AlphaConvention alpha = AlphaConvention::Straight;
    int extraChannels = 0;

    // Bytes the frame's samples take once read.
    std::uint64_t fileBytes() const;
};

// Throws CliError naming the file when it is missing or a folder, cannot be
// opened, is truncated or damaged, has no colour channel or a sample type
// other than 8/16-bit unsigned or floating point.
ImageHeader read_ImageHeader(const std::string &path, AlphaReading reading = AlphaReading::Auto);
ImageFrame read_ImageFrame(const std::string &path, AlphaReading reading = AlphaReading::Auto);

// The stored R, G, B, A of a file read as it is.
FileImage read_ImageFile(const std::string &path);
