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

// The nearest pair of frames around the current one that holds a coloured
// pixel gives the colour; both coloured give their rounded mean. A missing
// frame has no colour to give.
void colourFromNearestFrames(const PatchChainInputs &in, A_long x, A_long y, A_long reach,
                             Colour &colour) {
    for (A_long k = 1; k <= reach; ++k) {
        const InputLayer16 &before = in.frames[FRAME_ARRAY_CENTRE - k];
        const InputLayer16 &after = in.frames[FRAME_ARRAY_CENTRE + k];
        const PF_Pixel16 b = before.layer ? readInputPixel16(before, x, y) : PF_Pixel16{};
        const PF_Pixel16 a = after.layer ? readInputPixel16(after, x, y) : PF_Pixel16{};
        const bool beforeColoured = before.layer != nullptr && b.alpha >= in.minimumAlpha;
        const bool afterColoured = after.layer != nullptr && a.alpha >= in.minimumAlpha;
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

// Four single floats handled as one: each lane's operations are the plain
// IEEE single precision ones, as in scalar code (no fused multiply-add: the
// build keeps them apart).
typedef float Float4 __attribute__((vector_size(16)));

// The adjacent blur. A sample counts when it lies past the source's first
// row and column and its alpha reaches the minimum; the rows of the window
// are kept as bits of counting samples, so the weighted sums visit only the
// samples that count, in the plain form's order (rows, then columns, both
// ascending). The sums of red, green, blue and the weight are each the plain
// form's, sample for sample, kept in the lanes of one vector: a sample adds
// weight * (red, green, blue, 1), and weight * 1 is the weight exactly. (The
// plain form also sums alpha, for a value the patch does not keep.)
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
        samples_.assign(static_cast<std::size_t>(slots_) * std::max<A_long>(width_, 1), Float4{});
        loaded_.assign(static_cast<std::size_t>(slots_), -1);
        anyInWindow_.assign(static_cast<std::size_t>(words_), 0);
        // Each kernel row with three zero weights on either side.
        const A_long n = kernel_->size;
        paddedWidth_ = n + 6;
        padded_.assign(static_cast<std::size_t>(n) * paddedWidth_, 0.0f);
        for (A_long i = 0; i < n; ++i)
            std::copy_n(kernel_->plot + i * n, n, padded_.data() + i * paddedWidth_ + 3);
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
        for (A_long w = firstWord; w <= lastWord; ++w)
            any |= anyInWindow_[w] & columnBits(w, from, to);
        if (any == 0) return Colour{};

        Float4 sums = {0.0f, 0.0f, 0.0f, 0.0f};  // red, green, blue, weight
        for (A_long dy = -radius_; dy <= radius_; ++dy) {
            const A_long sy = y + dy;
            if (sy <= 0 || sy >= height_) continue;
            const BitWord *row = counting(sy);
            const Float4 *samples = sampleRow(sy);
            const float *weights = kernel_->plot + kernel_->centreIndex + dy * kernel_->size;
            for (A_long w = firstWord; w <= lastWord; ++w) {
                forEachBit(row[w] & columnBits(w, from, to), w, [&](A_long sx) {
                    const float k = weights[sx - x];
                    sums += Float4{k, k, k, k} * samples[sx];
                });
            }
        }
        Colour c;
        c.red = averagedChannel(sums[0], sums[3]);
        c.green = averagedChannel(sums[1], sums[3]);
        c.blue = averagedChannel(sums[2], sums[3]);
        return c;
    }

    // The colours of the four pixels x0..x0 + 3 of row y. Each keeps its own
    // sums, summed in its own order; a sample outside a pixel's window gets
    // the weight 0, and adding 0 * sample leaves a sum as it is. The four
    // sums do not wait on each other, which is what makes this quicker than
    // four calls of colourAt.
    void coloursAt4(A_long x0, A_long y, Colour out[4]) {
        const A_long from = x0 - radius_, to = x0 + 3 + radius_;
        const A_long firstWord = std::max<A_long>(0, from) / BITS_PER_WORD;
        const A_long lastWord = std::min(to / BITS_PER_WORD, words_ - 1);
        BitWord any = 0;
        for (A_long w = firstWord; w <= lastWord; ++w)
            any |= anyInWindow_[w] & columnBits(w, from, to);
        if (any == 0) {
            for (int j = 0; j < 4; ++j) out[j] = Colour{};
            return;
        }
        Float4 sums[4] = {};
        for (A_long dy = -radius_; dy <= radius_; ++dy) {
            const A_long sy = y + dy;
            if (sy <= 0 || sy >= height_) continue;
            const BitWord *row = counting(sy);
            const Float4 *samples = sampleRow(sy);
            // Weight of dx at [dx + radius + 3], 0 beyond the kernel.
            const float *weights = padded_.data() +
                                   static_cast<std::size_t>(dy + radius_) * paddedWidth_ + radius_ +
                                   3;
            for (A_long w = firstWord; w <= lastWord; ++w) {
                forEachBit(row[w] & columnBits(w, from, to), w, [&](A_long sx) {
                    const Float4 sample = samples[sx];
                    const float *k = weights + (sx - x0);
                    sums[0] += Float4{k[0], k[0], k[0], k[0]} * sample;
                    sums[1] += Float4{k[-1], k[-1], k[-1], k[-1]} * sample;
                    sums[2] += Float4{k[-2], k[-2], k[-2], k[-2]} * sample;
                    sums[3] += Float4{k[-3], k[-3], k[-3], k[-3]} * sample;
                });
            }
        }
        for (int j = 0; j < 4; ++j) {
            out[j].red = averagedChannel(sums[j][0], sums[j][3]);
            out[j].green = averagedChannel(sums[j][1], sums[j][3]);
            out[j].blue = averagedChannel(sums[j][2], sums[j][3]);
        }
    }

  private:
    const Float4 *sampleRow(A_long sy) const {
        return samples_.data() + static_cast<std::size_t>(sy % slots_) * width_;
    }

    // Row sy of counting samples (columns 1..width - 1 with enough alpha),
    // and their (red, green, blue, 1) on the 16-bit scale.
    const BitWord *counting(A_long sy) {
        const A_long slot = sy % slots_;
        BitWord *row = bits_.data() + static_cast<std::size_t>(slot) * words_;
        if (loaded_[slot] != sy) {
            Float4 *samples = samples_.data() + static_cast<std::size_t>(slot) * width_;
            std::fill(row, row + words_, 0);
            for (A_long sx = 1; sx < width_; ++sx) {
                const PF_Pixel16 p = readInputPixel16(source_, sx, sy);
                if (p.alpha < minimumAlpha_) continue;
                row[sx / BITS_PER_WORD] |= BitWord{1} << (sx % BITS_PER_WORD);
                samples[sx] = Float4{static_cast<float>(p.red), static_cast<float>(p.green),
                                     static_cast<float>(p.blue), 1.0f};
            }
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
    std::vector<Float4> samples_;  // the window's rows, (red, green, blue, 1) per column
    std::vector<A_long> loaded_;
    std::vector<BitWord> anyInWindow_;
    std::vector<float> padded_;
    A_long paddedWidth_ = 0;
};

}  // namespace

namespace {

// One source of the chain for one pixel whose colour is still none (or, for
// the existing colour, always first). The blur is left to the caller.
void applySource(PatchSource source, const PatchChainInputs &in, A_long x, A_long y,
                 Colour &colour) {
    switch (source) {
        case PatchSource::Existing: {
            const PF_Pixel16 existing = readInputPixel16(in.currentFrame, x, y);
            if (existing.alpha >= in.minimumAlpha) colour.takeColourOf(existing);
            break;
        }
        case PatchSource::OneFrame:
            colourFromNearestFrames(in, x, y, 1, colour);
            break;
        case PatchSource::ThreeFrames:
            colourFromNearestFrames(in, x, y, 3, colour);
            break;
        case PatchSource::SetColour:
            colour.takeColourOf(in.setColour);
            colour.alpha = OPAQUE;
            break;
        default:
            break;
    }
}

// Sources first..last - 1 of the chain, each only while the colour is none
// (the existing colour, always first, regardless).
void applySources(const PatchSource chain[PATCH_CHAIN_LENGTH], int first, int last,
                  const PatchChainInputs &in, A_long x, A_long y, Colour &colour) {
    for (int i = first; i < last; ++i) {
        if (chain[i] != PatchSource::Existing && !colour.none()) return;
        applySource(chain[i], in, x, y, colour);
    }
}

}  // namespace

void patch_FillPixelsThroughChain(const PatchSource chain[PATCH_CHAIN_LENGTH],
                                  const PatchChainInputs &in, const PF_LayerDef &patch,
                                  const PF_LayerDef &redMask, const FillLimitsArray &limits) {
    // The chain up to its end (a None), and where the blur stands in it.
    int length = 0, blurAt = -1;
    while (length < PATCH_CHAIN_LENGTH && chain[length] != PatchSource::None) {
        if (chain[length] == PatchSource::AdjacentBlur) blurAt = length;
        ++length;
    }
    std::unique_ptr<AdjacentBlur> blur;
    if (blurAt >= 0 && in.blurSize > 0)
        blur = std::make_unique<AdjacentBlur>(in.input, in.blurSize, in.quarterLevel, *in.maths);
    const int beforeBlur = blurAt >= 0 ? blurAt : length;

    const FillBounds bounds = worldBounds(redMask);
    std::vector<Colour> colours(static_cast<std::size_t>(std::max<A_long>(redMask.width, 1)));
    std::vector<unsigned char> blurred(colours.size());
    const A_long lastRow = regionLastRow(limits, bounds);
    for (A_long y = regionFirstRow(limits, bounds); y <= lastRow; ++y) {
        const PF_Pixel16 *mask = getPixel16(redMask, 0, y);
        PF_Pixel16 *out = getPixel16(patch, 0, y);
        const A_long left = regionLeft(limits, y, bounds), right = regionRight(limits, y, bounds);
        // A fill pixel: blue above 0, red not the unprocessed band.
        auto isFill = [&](A_long x) { return mask[x].blue != 0 && mask[x].red != 32768; };
        if (blurAt < 0) {
            for (A_long x = left; x <= right; ++x) {
                if (!isFill(x)) continue;
                Colour c;
                applySources(chain, 0, length, in, x, y, c);
                out[x] = PF_Pixel16{c.alpha, c.red, c.green, c.blue};
            }
            continue;
        }
        bool anyBlur = false;
        for (A_long x = left; x <= right; ++x) {
            if (!isFill(x)) continue;
            colours[x] = Colour{};
            applySources(chain, 0, beforeBlur, in, x, y, colours[x]);
            blurred[x] = blurAt >= 0 && colours[x].none();
            anyBlur |= blurred[x] != 0;
        }
        if (anyBlur && blur) {
            // Four neighbours at a time, whichever of them need it.
            blur->startRow(y);
            for (A_long x = left; x <= right; ++x) {
                if (!isFill(x) || !blurred[x]) continue;
                if (x + 3 > right) {
                    colours[x] = blur->colourAt(x, y);
                    continue;
                }
                Colour four[4];
                blur->coloursAt4(x, y, four);
                for (A_long j = 0; j < 4; ++j)
                    if (isFill(x + j) && blurred[x + j]) colours[x + j] = four[j];
                x += 3;
            }
        }
        for (A_long x = left; x <= right; ++x) {
            if (!isFill(x)) continue;
            if (blurAt >= 0 && blurred[x])
                applySources(chain, blurAt + 1, length, in, x, y, colours[x]);
            const Colour &c = colours[x];
            out[x] = PF_Pixel16{c.alpha, c.red, c.green, c.blue};
        }
    }
}
