// Shared by the renderer's tests: scratch folders, small image files, running
// the built holvane executable and comparing decoded pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/output_frame.h"

// A fresh folder under the system's temporary folder, removed with the
// object.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    // Names of the entries in the folder (or a subfolder), sorted.
    std::vector<std::string> entries(const std::string &subfolder = "") const;

  private:
    std::string path_;
};

// An 8-bit RGBA image whose every pixel is given by fn(x, y, rgba).
template <typename Fn>
FileImage make8BitImage(int width, int height, Fn fn) {
    FileImage image = make_FileImage(width, height, SampleDepth::Eight);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) fn(x, y, &image.u8[(std::size_t(y) * width + x) * 4]);
    return image;
}

// Writes raw channels (1 to 5, of any OpenImageIO type name such as "uint8",
// "uint16", "int16", "float") straight to a file, bypassing the renderer's
// own writer.
void writeRawImage(const std::string &path, int width, int height, int channels,
                   const std::string &typeName, const void *samples);

// Decoded pixels of a file, without premultiplication, widened to 16 bits
// (8-bit samples become v * 257) or kept as float.
struct DecodedImage {
    int width = 0, height = 0, channels = 0;
    std::string type;  // "uint8", "uint16", "float"...
    std::vector<std::uint16_t> u16;
    std::vector<float> f32;
};
DecodedImage decodeImage(const std::string &path);

// The first differing sample and how many pixels differ; empty when equal.
std::string describePixelDifferences(const DecodedImage &got, const DecodedImage &expected);

struct ProcessResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the built holvane with the arguments (each passed as one word).
ProcessResult runHolvane(const std::vector<std::string> &args);

std::string readFileBytes(const std::string &path);
bool fileExists(const std::string &path);

// Where the repository's sibling "shared" folder is (golden references and
// footage); empty when absent, as on a user's clone.
std::string sharedFolder();
std::string sourceFolder();
