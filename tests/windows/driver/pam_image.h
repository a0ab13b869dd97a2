// The plain uncompressed image form the Windows and Linux sides exchange:
// a PAM file (P7, RGB_ALPHA, big-endian 16-bit samples above maxval 255).
// 8-bit files hold 8-bit samples; 16-bit files hold the host's 16-bit
// channel values as they are (maxval 32768, full scale 32768), so nothing is
// rescaled between a file and a world.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"
#include "host/owned_world.h"

inline constexpr unsigned kPam8BitMaxval = 255;
inline constexpr unsigned kPam16BitMaxval = PF_MAX_CHAN16;

struct PamImage {
    int width = 0;
    int height = 0;
    unsigned maxval = kPam8BitMaxval;  // 255 or 32768
    // Red, green, blue, alpha per pixel, rows top to bottom.
    std::vector<std::uint16_t> samples;

    bool deep() const { return maxval > kPam8BitMaxval; }
    std::uint16_t *pixel(int x, int y) { return &samples[(std::size_t(y) * width + x) * 4]; }
    const std::uint16_t *pixel(int x, int y) const {
        return &samples[(std::size_t(y) * width + x) * 4];
    }
};

// An image of the given size, every sample zero.
PamImage makePamImage(int width, int height, unsigned maxval);

// Reads a file written by writePam (or any P7 RGB_ALPHA file with maxval 255
// or 32768). Returns false and says why in error.
bool readPam(const std::string &path, PamImage &image, std::string &error);
bool writePam(const std::string &path, const PamImage &image);

// The depth of the input and output worlds for a file: After Effects renders
// an 8-bit file in an 8-bit world; Premiere Pro is offered 16-bit ARGB only.
PixelDepth worldDepthForPam(const PamImage &image, HostApp app);

// The input layer for a file; an 8-bit file in a 16-bit world is scaled by
// 128, the host's 8-to-16-bit rule.
OwnedWorld worldFromPam(const PamImage &image, HostApp app, A_long rowPaddingBytes);

// The world's pixels as they are: maxval 255 for an 8-bit world, 32768 for
// a 16-bit one.
PamImage pamFromWorld(const PF_LayerDef &world);
