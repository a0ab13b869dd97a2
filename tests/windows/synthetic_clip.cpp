#include "synthetic_clip.h"

#include <cmath>
#include <cstdint>

namespace {

// A fixed generator, so both sides of every comparison get the same frames
// from any standard library.
struct Noise {
    std::uint32_t state;
    unsigned next(unsigned range) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % range;
    }
};

// Alpha 0..255 of the subject at (x, y) in a frame whose subject is shifted
// right by `shift` pixels. Feature sizes are in units of two pixels.
int subjectAlpha(int x, int y, int shift) {
    const int u = (x - kClipWidth / 2 - shift) / 2, v = (y - kClipHeight / 2) / 2;
    const double dx = (x - kClipWidth / 2 - shift) / 88.0, dy = (y - kClipHeight / 2) / 64.0;
    const double edge = (1.0 - std::sqrt(dx * dx + dy * dy)) * 64.0;  // pixels inside the rim
    int alpha = edge >= 2.0 ? 255 : edge <= 0.0 ? 0 : int(edge * 127.5);
    if ((u + 20) * (u + 20) + (v + 10) * (v + 10) <= 9) alpha = 0;   // small clear hole
    if (u >= 10 && u < 16 && v >= -12 && v < -7) alpha = 140;        // partly clear pocket
    if (u >= 5 && u < 29 && v >= 4 && v < 22) alpha = 0;             // large clear pocket
    if (v == 10 + (u + 30) / 5 && u >= -30 && u <= -10) alpha = 90;  // thin slit
    if (u >= 38 && std::abs(v) <= 1) alpha = 0;                      // notch at the rim
    return alpha;
}

bool isSpeck(int x, int y) {
    static const int specks[][2] = {{6, 6}, {228, 10}, {10, 196}, {224, 194}, {120, 4}};
    for (const auto &s : specks)
        if (x >= s[0] && x < s[0] + 2 && y >= s[1] && y < s[1] + 2) return true;
    return false;
}

void paintPixel(PamImage &image, int x, int y, int shift, Noise &noise) {
    int alpha = subjectAlpha(x, y, shift);
    if (alpha == 0 && isSpeck(x, y)) alpha = 200;
    const bool subject = alpha > 0;
    // Water blue where the subject is clear, an orange gradient on it.
    const int red = subject ? 180 + x / 6 : 20, green = subject ? 90 + y / 2 : 110,
              blue = subject ? 40 : 220;
    const int values[4] = {red, green, blue, alpha};
    std::uint16_t *s = image.pixel(x, y);
    for (int c = 0; c < 4; ++c) {
        int v = values[c] + (c < 3 ? int(noise.next(17)) - 8 : 0);
        v = v < 0 ? 0 : v > 255 ? 255 : v;
        if (image.deep()) {
            const int deep = v * 128 + (c < 3 || (v > 0 && v < 255) ? int(noise.next(128)) : 0);
            s[c] = std::uint16_t(deep > 32768 ? 32768 : deep);
        } else {
            s[c] = std::uint16_t(v);
        }
    }
}

}  // namespace

std::vector<PamImage> makeSyntheticClip(unsigned maxval) {
    std::vector<PamImage> clip;
    for (int frame = 0; frame < kClipFrames; ++frame) {
        PamImage image = makePamImage(kClipWidth, kClipHeight, maxval);
        Noise noise{0x9E3779B9u + std::uint32_t(frame) * 7919u};
        for (int y = 0; y < kClipHeight; ++y)
            for (int x = 0; x < kClipWidth; ++x)
                paintPixel(image, x, y, frame - kClipFrames / 2, noise);
        clip.push_back(image);
    }
    return clip;
}
