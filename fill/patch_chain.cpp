#include "fill/patch_chain.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "detect/row_bits.h"
#include "fill/fill_region.h"
#include "fill/patch_pixels.h"

namespace {

constexpr A_u_short OPAQUE = 32768;
constexpr float WIDE_SIGMA = 20000.0f;  // the adjacent blur's kernel, all but flat
constexpr float FULL_CHANNEL = 32768.0f;

struct Colour {
    A_u_short alpha = 0;  // the patch starts at 0; only the set colour writes it
    A_u_short red = 0, green = 0, blue = 0;
    bool none() const { return red == 0 && green == 0 && blue == 0; }
    void takeColourOf(const PF_Pixel16 &p) { red = p.red, green = p.green, blue = p.blue; }
};

// A pixel of a frame world on the 16-bit scale, whichever way it was copied.
PF_Pixel16 framePixel(const PF_LayerDef &frame, bool packed, A_long x, A_long y) {
    if (packed) return convertPix8To16(reinterpret_cast<const PF_Pixel *>(getPixel16(frame, 0, y))[x]);
    return *getPixel16(frame, x, y);
}

bool isPacked(const PatchChainInputs &in, A_long slot) {
    return in.packedEightBit != nullptr && in.packedEightBit[slot];
}

// The nearest pair of frames around the current one that holds a coloured
// pixel gives the colour; both coloured give their rounded mean. A missing
// frame has no colour to give.
void colourFromNearestFrames(const PatchChainInputs &in, A_long x, A_long y, A_long reach,
                             Colour &colour) {
    for (A_long k = 1; k <= reach; ++k) {
        const A_long beforeSlot = FRAME_ARRAY_CENTRE - k, afterSlot = FRAME_ARRAY_CENTRE + k;
        const PF_LayerDef *before = in.frameArray[beforeSlot];
        const PF_LayerDef *after = in.frameArray[afterSlot];
        const PF_Pixel16 b = before ? framePixel(*before, isPacked(in, beforeSlot), x, y) : PF_Pixel16{};
        const PF_Pixel16 a = after ? framePixel(*after, isPacked(in, afterSlot), x, y) : PF_Pixel16{};
        const bool beforeColoured = before != nullptr && b.alpha >= in.minimumAlpha;
        const bool afterColoured = after != nullptr && a.alpha >= in.minimumAlpha;
        if (beforeColoured && afterColoured) {
            colour.takeColourOf(avg2Pixel16(b, a));
        } else if (beforeColoured) {
            colour.takeColourOf(b);
        } else if (afterColoured) {
            colour.takeColourOf(a);
        } else {
            continue;
        }
        return;
    }
}

// A sum over no qualifying sample is 0 / 0; that comes out as 0.
A_u_short averagedChannel(float sum, float weightSum) {
    const float v = sum / weightSum;
    if (std::isnan(v) || v <= 0.0f) return 0;
    if (v >= FULL_CHANNEL) return 32768;
    return static_cast<A_u_short>(static_cast<A_long>(v));
}

// The adjacent blur. A sample counts when it lies past the source's first
// row and column and its alpha reaches the minimum; the rows of the window
// are kept as bits of counting samples, so the weighted sums visit only the
// samples that count, in the plain form's order (rows, then columns, both
// ascending). The sums and their single precision arithmetic are the plain
// form's, sample for sample.
class AdjacentBlur {
  public:
    AdjacentBlur(const InputLayer16 &source, A_long blurSize, A_u_short minimumAlpha,
                 const PF_ANSICallbacks &maths)
        : source_(source),
          width_(source.layer->width),
          height_(source.layer->height),
          minimumAlpha_(minimumAlpha),
          kernel_(std::make_unique<FloatBlurPlotKernel>()) {
        clearFloatBlurPlotKernel(*kernel_);
        makeNiceGausColourPatchPlotKernel(maths, *kernel_, blurSize, WIDE_SIGMA);
        radius_ = kernel_->radius;
        words_ = bitWordsFor(width_) + 1;  // a spare word for reads past the last column
        slots_ = 2 * radius_ + 1;
        bits_.assign(static_cast<std::size_t>(slots_) * words_, 0);
        loaded_.assign(static_cast<std::size_t>(slots_), -1);
        anyInWindow_.assign(static_cast<std::size_t>(words_), 0);
    }

    // Call once per row, before the row's pixels: gathers which columns have
    // a counting sample anywhere in the rows the window spans.
    void startRow(A_long y) {
        std::fill(anyInWindow_.begin(), anyInWindow_.end(), 0);
        for (A_long sy = std::max<A_long>(1, y - radius_); sy <= std::min(height_ - 1, y + radius_);
             ++sy) {
            const BitWord *row = counting(sy);
            for (A_long w = 0; w < words_; ++w) anyInWindow_[w] |= row[w];
        }
    }

    Colour colourAt(A_long x, A_long y) {
        const A_long from = x - radius_, to = x + radius_;
        const A_long firstWord = std::max<A_long>(0, from) / BITS_PER_WORD;
        const A_long lastWord = std::min(to / BITS_PER_WORD, words_ - 1);
        // No sample counts: the sums stay 0 and the colour is black, as the
        // plain form's 0 / 0 gives.
        BitWord any = 0;
        for (A_long w = firstWord; w <= lastWord; ++w) any |= anyInWindow_[w] & columnBits(w, from, to);
        if (any == 0) return Colour{};

        float alpha = 0.0f, red = 0.0f, green = 0.0f, blue = 0.0f, weight = 0.0f;
        for (A_long dy = -radius_; dy <= radius_; ++dy) {
            const A_long sy = y + dy;
            if (sy <= 0 || sy >= height_) continue;
            const BitWord *row = counting(sy);
            const A_long rowStart = kernel_->centreIndex + dy * kernel_->size;
            for (A_long w = firstWord; w <= lastWord; ++w) {
                forEachBit(row[w] & columnBits(w, from, to), w, [&](A_long sx) {
                    const PF_Pixel16 p = readInputPixel16(source_, sx, sy);
                    const float k = kernel_->plot[rowStart + (sx - x)];
                    alpha += k * static_cast<float>(p.alpha);
                    red += k * static_cast<float>(p.red);
                    green += k * static_cast<float>(p.green);
                    blue += k * static_cast<float>(p.blue);
                    weight += k;
                });
            }
        }
        Colour c;
        c.red = averagedChannel(red, weight);
        c.green = averagedChannel(green, weight);
        c.blue = averagedChannel(blue, weight);
        (void)alpha;  // the blend writes it, but the patch keeps its own alpha
        return c;
    }

  private:
    // Row sy of counting samples (columns 1..width - 1 with enough alpha).
    const BitWord *counting(A_long sy) {
        const A_long slot = sy % slots_;
        BitWord *row = bits_.data() + static_cast<std::size_t>(slot) * words_;
        if (loaded_[slot] != sy) {
            std::fill(row, row + words_, 0);
            for (A_long sx = 1; sx < width_; ++sx)
                if (readInputAlpha16(source_, sx, sy) >= minimumAlpha_)
                    row[sx / BITS_PER_WORD] |= BitWord{1} << (sx % BITS_PER_WORD);
            loaded_[slot] = sy;
        }
        return row;
    }

    InputLayer16 source_;
    A_long width_;
    A_long height_;
    A_u_short minimumAlpha_;
    std::unique_ptr<FloatBlurPlotKernel> kernel_;  // 40,402 weights: not for the stack
    A_long radius_ = 0;
    A_long words_ = 0;
    A_long slots_ = 0;
    std::vector<BitWord> bits_;
    std::vector<A_long> loaded_;
    std::vector<BitWord> anyInWindow_;
};

}  // namespace

void patch_FillPixelsThroughChain(const PatchSource chain[PATCH_CHAIN_LENGTH],
                                  const PatchChainInputs &in, const PF_LayerDef &patch,
                                  const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    std::unique_ptr<AdjacentBlur> blur;
    for (int i = 0; i < PATCH_CHAIN_LENGTH; ++i)
        if (chain[i] == PatchSource::AdjacentBlur && in.blurSize > 0)
            blur = std::make_unique<AdjacentBlur>(in.input, in.blurSize, in.quarterLevel,
                                                  *in.maths);
    // The current frame is the world slot 0 showed as the frames were
    // fetched; its flag describes it.
    const bool currentPacked = isPacked(in, FRAME_ARRAY_CENTRE);
    const FillBounds bounds = worldBounds(redMask);
    const A_long lastRow = regionLastRow(limits, bounds);
    for (A_long y = regionFirstRow(limits, bounds); y <= lastRow; ++y) {
        const PF_Pixel16 *mask = getPixel16(redMask, 0, y);
        PF_Pixel16 *out = getPixel16(patch, 0, y);
        bool blurRowStarted = false;
        const A_long right = regionRight(limits, y, bounds);
        for (A_long x = regionLeft(limits, y, bounds); x <= right; ++x) {
            // A fill pixel: blue above 0, red not the unprocessed band.
            if (mask[x].blue == 0 || mask[x].red == 32768) continue;
            Colour colour;
            for (int i = 0; i < PATCH_CHAIN_LENGTH; ++i) {
                const PatchSource source = chain[i];
                // The existing colour always comes first, when nothing is set yet.
                if (source == PatchSource::Existing) {
                    const PF_Pixel16 existing =
                        framePixel(*in.currentFrame, currentPacked, x, y);
                    if (existing.alpha >= in.minimumAlpha) colour.takeColourOf(existing);
                    continue;
                }
                if (source == PatchSource::None || !colour.none()) break;
                if (source == PatchSource::OneFrame || source == PatchSource::ThreeFrames) {
                    const A_long reach = source == PatchSource::OneFrame ? 1 : 3;
                    colourFromNearestFrames(in, x, y, reach, colour);
                } else if (source == PatchSource::AdjacentBlur) {
                    if (!blur) continue;
                    if (!blurRowStarted) {
                        blur->startRow(y);
                        blurRowStarted = true;
                    }
                    colour = blur->colourAt(x, y);
                } else {
                    colour.takeColourOf(in.setColour);
                    colour.alpha = OPAQUE;
                }
            }
            out[x] = PF_Pixel16{colour.alpha, colour.red, colour.green, colour.blue};
        }
    }
}
