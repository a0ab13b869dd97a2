// Image files as the renderer sees them: always four channels (red, green,
// blue, straight alpha), samples kept in the file's own depth.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class SampleDepth { Eight, Sixteen, Float };

const char *sampleDepthName(SampleDepth depth);

struct FileImage {
    int width = 0;
    int height = 0;
    SampleDepth depth = SampleDepth::Eight;
    // Interleaved R, G, B, A from the top row; only the vector of `depth` is
    // filled.
    std::vector<std::uint8_t> u8;
    std::vector<std::uint16_t> u16;
    std::vector<float> f32;

    std::size_t sampleCount() const { return std::size_t(width) * std::size_t(height) * 4; }
};

// A blank image of the given size and depth (every sample 0).
FileImage make_FileImage(int width, int height, SampleDepth depth);

// What the renderer needs to know about a file before reading its pixels.
struct ImageHeader {
    int width = 0;
    int height = 0;
    int channels = 0;
    SampleDepth depth = SampleDepth::Eight;
};

// Throws CliError naming the file when it cannot be opened, has more than 4
// channels or a sample type other than 8/16-bit unsigned or floating point.
ImageHeader read_ImageHeader(const std::string &path);

// Reads without premultiplying; grey becomes R = G = B, a file without alpha
// gets an opaque one.
FileImage read_ImageFile(const std::string &path);

// Throws CliError naming the file when no format matches its name or the
// format cannot hold an alpha channel.
void check_WritableImageFormat(const std::string &path);

// Writes straight RGBA in the image's depth (or the nearest the format
// holds) to a temporary name in the same folder, then renames it over path:
// a reader never sees a half-written file, and a failure leaves nothing.
void write_ImageFileAtomically(const std::string &path, const FileImage &image);
