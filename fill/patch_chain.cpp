#include "fill/patch_chain.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "fill/fill_region.h"
#include "render/row_workers.h"

namespace {

struct Colour {
    A_u_short alpha = 0;  // the patch starts at 0; only the set colour writes it
    A_u_short red = 0, green = 0, blue = 0;
    bool none() const { return red == 0 && green == 0 && blue == 0; }
    void takeColourOf(const PF_Pixel16 &p) { red = p.red, green = p.green, blue = p.blue; }
};

// One row of a frame on the 16-bit scale, looked up once per row; no pixels
// when the frame is missing.
struct FrameRow {
    const void *pixels = nullptr;
    bool eightBit = false;

    FrameRow() = default;
    FrameRow(const InputLayer16 &frame, A_long y) : eightBit(frame.eightBit) {
        if (frame.layer == nullptr) return;
        pixels = frame.eightBit ? static_cast<const void *>(getPixel8(*frame.layer, 0, y))
                                : static_cast<const void *>(getPixel16(*frame.layer, 0, y));
    }
    PF_Pixel16 at(A_long x) const {
        return eightBit ? convertPix8To16(static_cast<const PF_Pixel *>(pixels)[x])
                        : static_cast<const PF_Pixel16 *>(pixels)[x];
    }
    // A missing frame has no colour to give.
    bool coloured(A_long x, A_u_short minimumAlpha) const {
        return pixels != nullptr && at(x).alpha >= minimumAlpha;
    }
};

// Row y of the current frame and of the frames -3..+3 (index = offset + 3),
// as far as any source reaches.
constexpr A_long ROW_REACH = frameReachOf(PatchSource::ThreeFrames);
struct ChainRows {
    FrameRow current;
    FrameRow frames[2 * ROW_REACH + 1];

    ChainRows(const PatchChainInputs &in, A_long y) : current(in.currentFrame, y) {
        for (A_long k = -ROW_REACH; k <= ROW_REACH; ++k)
            frames[ROW_REACH + k] = FrameRow(in.frames[FRAME_ARRAY_CENTRE + k], y);
    }
};

// avg2Pixel16 in integers: (a + b) * 0.5f + 0.5f is exact in single
// precision (a + b is at most 131070, far below 2^24, and halving is exact),
// so truncating it gives (a + b + 1) / 2.
inline PF_Pixel16 roundedMean(const PF_Pixel16 &p, const PF_Pixel16 &q) {
    auto mean = [](A_u_short a, A_u_short b) {
        return static_cast<A_u_short>((A_long{a} + A_long{b} + 1) >> 1);
    };
    return PF_Pixel16{0, mean(p.red, q.red), mean(p.green, q.green), mean(p.blue, q.blue)};
}

// The nearest pair of frames around the current one that holds a coloured
// pixel gives the colour; both coloured give their rounded mean.
void colourFromNearestFrames(const ChainRows &rows, A_long x, A_long reach, A_u_short minimumAlpha,
                             Colour &colour) {
    for (A_long k = 1; k <= reach; ++k) {
        const FrameRow &before = rows.frames[ROW_REACH - k];
        const FrameRow &after = rows.frames[ROW_REACH + k];
        const bool beforeColoured = before.coloured(x, minimumAlpha);
        const bool afterColoured = after.coloured(x, minimumAlpha);
        if (beforeColoured && afterColoured) {
            colour.takeColourOf(roundedMean(before.at(x), after.at(x)));
        } else if (beforeColoured) {
            colour.takeColourOf(before.at(x));
        } else if (afterColoured) {
            colour.takeColourOf(after.at(x));
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
    if (v >= static_cast<float>(FULL_SCALE)) return FULL_SCALE;
    return static_cast<A_u_short>(static_cast<A_long>(v));
}

// Four single floats handled as one: each lane's operations are the plain
// IEEE single precision ones, as in scalar code (no fused multiply-add: the
// build keeps them apart).
typedef float Float4 __attribute__((vector_size(16)));

// The adjacent blur works out this many neighbouring pixels of a row at once.
constexpr A_long BLUR_GROUP = 8;

// The adjacent blur. A sample counts when it lies past the source's first
// row and column and its alpha reaches the minimum; the rows of the window
// are kept as bits of counting samples, so the weighted sums visit only the
// samples that count, in the plain form's order (rows, then columns, both
// ascending). Each pixel's sums of red, green, blue and the weight are the
// plain form's, sample for sample. (The plain form also sums alpha, for a
// value the patch does not keep.)
class AdjacentBlur {
  public:
    // kernel: the colour-patch kernel, made once for the call (its maker
    // calls the host, which only the render's own thread may).
    AdjacentBlur(const InputLayer16 &source, const FloatBlurPlotKernel &kernel,
                 A_u_short minimumAlpha)
        : source_(source),
          width_(source.layer->width),
          height_(source.layer->height),
          minimumAlpha_(minimumAlpha),
          kernel_(kernel) {
        radius_ = kernel_.radius;
        words_ = bitWordsFor(width_) + 1;  // a spare word for reads past the last column
        slots_ = 2 * radius_ + 1;
        bits_.assign(static_cast<std::size_t>(slots_) * words_, 0);
        samples_.assign(static_cast<std::size_t>(slots_) * std::max<A_long>(width_, 1), Float4{});
        loaded_.assign(static_cast<std::size_t>(slots_), -1);
        anyInWindow_.assign(static_cast<std::size_t>(words_), 0);
        counts_.assign(static_cast<std::size_t>(width_) + 8, 0);
        windowBits_.assign(static_cast<std::size_t>(slots_), nullptr);
        windowSamples_.assign(static_cast<std::size_t>(slots_), nullptr);
        reverseKernelRows();
    }

    // Call once per row, before the row's pixels: looks up the rows the
    // window spans (none for a row outside the source, or its first row) and
    // gathers which columns have a counting sample anywhere in them.
    void startRow(A_long y) {
        std::fill(anyInWindow_.begin(), anyInWindow_.end(), 0);
        for (A_long dy = -radius_; dy <= radius_; ++dy) {
            const A_long sy = y + dy;
            const bool inside = sy > 0 && sy < height_;
            windowBits_[dy + radius_] = inside ? counting(sy) : nullptr;
            windowSamples_[dy + radius_] = inside ? sampleRow(sy) : nullptr;
            if (!inside) continue;
            const BitWord *row = windowBits_[dy + radius_];
            for (A_long w = 0; w < words_; ++w) anyInWindow_[w] |= row[w];
        }
    }

    // The colours of the pixels x0 .. x0 + BLUR_GROUP - 1 of the row last
    // started, one pixel per vector lane (any of them may lie past the row's
    // end; the caller keeps only those it needs). Each lane keeps its own
    // sums, summed in its own order: a sample outside a pixel's window has
    // the weight +0 there, and adding +0 * sample (+0, the samples being at
    // least 0) to a sum that starts at +0 and never goes below leaves it as
    // it is. The lanes do not wait on each other, which is what makes this
    // quick.
    void coloursAt(A_long x0, Colour out[BLUR_GROUP]) {
        const A_long from = x0 - radius_, to = x0 + BLUR_GROUP - 1 + radius_;
        const A_long firstWord = std::max<A_long>(0, from) / BITS_PER_WORD;
        const A_long lastWord = std::min(to / BITS_PER_WORD, words_ - 1);
        // No sample counts: the sums stay 0 and the colour is black, as the
        // plain form's 0 / 0 gives.
        BitWord any = 0;
        for (A_long w = firstWord; w <= lastWord; ++w)
            any |= anyInWindow_[w] & columnBits(w, from, to);
        if (any == 0) {
            for (A_long j = 0; j < BLUR_GROUP; ++j) out[j] = Colour{};
            return;
        }
        constexpr int HALVES = BLUR_GROUP / 4;
        Float4 red[HALVES] = {}, green[HALVES] = {}, blue[HALVES] = {}, weight[HALVES] = {};
        for (A_long dy = -radius_; dy <= radius_; ++dy) {
            const BitWord *row = windowBits_[dy + radius_];
            if (row == nullptr) continue;
            const Float4 *samples = windowSamples_[dy + radius_];
            // The weights of a sample d columns right of x0 for the lanes
            // 0, 1, 2, ... start at reversed[-d].
            const float *reversed = reversed_.data() +
                                    static_cast<std::size_t>(dy + radius_) * reversedWidth_ +
                                    radius_ + BLUR_GROUP - 1;
            for (A_long w = firstWord; w <= lastWord; ++w) {
                forEachBit(row[w] & columnBits(w, from, to), w, [&](A_long sx) {
                    const Float4 s = samples[sx];
                    const Float4 r = {s[0], s[0], s[0], s[0]};
                    const Float4 g = {s[1], s[1], s[1], s[1]};
                    const Float4 b = {s[2], s[2], s[2], s[2]};
                    const float *k = reversed - (sx - x0);
                    for (int h = 0; h < HALVES; ++h) {
                        Float4 kh;
                        std::memcpy(&kh, k + 4 * h, sizeof kh);
                        red[h] += kh * r;
                        green[h] += kh * g;
                        blue[h] += kh * b;
                        weight[h] += kh;
                    }
                });
            }
        }
        for (A_long j = 0; j < BLUR_GROUP; ++j) {
            const float w = weight[j / 4][j % 4];
            out[j].red = averagedChannel(red[j / 4][j % 4], w);
            out[j].green = averagedChannel(green[j / 4][j % 4], w);
            out[j].blue = averagedChannel(blue[j / 4][j % 4], w);
        }
    }

  private:
    // Each kernel row back to front, with BLUR_GROUP - 1 zero weights on
    // either side: entry i of row dy holds the weight of column offset
    // radius + BLUR_GROUP - 1 - i, so that BLUR_GROUP neighbouring entries are
    // one sample's weights for BLUR_GROUP neighbouring pixels.
    void reverseKernelRows() {
        const A_long n = kernel_.size;
        const A_long centre = radius_ + BLUR_GROUP - 1;
        reversedWidth_ = n + 2 * (BLUR_GROUP - 1);
        reversed_.assign(static_cast<std::size_t>(n) * reversedWidth_, 0.0f);
        for (A_long i = 0; i < n; ++i)
            for (A_long dx = -radius_; dx <= radius_; ++dx)
                reversed_[static_cast<std::size_t>(i) * reversedWidth_ + centre - dx] =
                    kernel_.plot[i * n + radius_ + dx];
    }

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
            if (source_.eightBit)
                loadRow(getPixel8(*source_.layer, 0, sy), samples, row);
            else
                loadRow(getPixel16(*source_.layer, 0, sy), samples, row);
            loaded_[slot] = sy;
        }
        return row;
    }

    // Every column's colour is kept, counting or not (only counting ones are
    // read), so the loop has no branch; the tests are packed into bits after.
    template <typename Pixel>
    void loadRow(const Pixel *pixels, Float4 *samples, BitWord *row) {
        for (A_long sx = 0; sx < width_; ++sx) {
            const PF_Pixel16 p = as16(pixels[sx]);
            counts_[sx] = p.alpha >= minimumAlpha_ ? 1 : 0;
            samples[sx] = Float4{static_cast<float>(p.red), static_cast<float>(p.green),
                                 static_cast<float>(p.blue), 1.0f};
        }
        counts_[0] = 0;  // the first column is never sampled
        std::fill(row, row + words_, 0);
        for (A_long sx = 0; sx < width_; sx += 8)
            row[sx / BITS_PER_WORD] |= packBytesToBits(counts_.data() + sx) << (sx % BITS_PER_WORD);
    }

    static PF_Pixel16 as16(const PF_Pixel &p) { return convertPix8To16(p); }
    static PF_Pixel16 as16(const PF_Pixel16 &p) { return p; }

    InputLayer16 source_;
    A_long width_;
    A_long height_;
    A_u_short minimumAlpha_;
    const FloatBlurPlotKernel &kernel_;
    A_long radius_ = 0;
    A_long words_ = 0;
    A_long slots_ = 0;
    std::vector<BitWord> bits_;
    std::vector<Float4> samples_;  // the window's rows, (red, green, blue, 1) per column
    std::vector<A_long> loaded_;
    std::vector<unsigned char> counts_;  // one row's tests, 0 past its end
    std::vector<BitWord> anyInWindow_;
    std::vector<const BitWord *> windowBits_;  // by dy + radius, for the row started
    std::vector<const Float4 *> windowSamples_;
    std::vector<float> reversed_;  // the kernel's rows, see reverseKernelRows
    A_long reversedWidth_ = 0;
};

}  // namespace

namespace {

// One source of the chain for one pixel whose colour is still none (or, for
// the existing colour, always first). The blur is left to the caller.
void applySource(PatchSource source, const PatchChainInputs &in, const ChainRows &rows, A_long x,
                 Colour &colour) {
    switch (source) {
        case PatchSource::Existing: {
            const PF_Pixel16 existing = rows.current.at(x);
            if (existing.alpha >= in.minimumAlpha) colour.takeColourOf(existing);
            break;
        }
        case PatchSource::OneFrame:
            colourFromNearestFrames(rows, x, frameReachOf(PatchSource::OneFrame), in.minimumAlpha,
                                    colour);
            break;
        case PatchSource::ThreeFrames:
            colourFromNearestFrames(rows, x, frameReachOf(PatchSource::ThreeFrames),
                                    in.minimumAlpha, colour);
            break;
        case PatchSource::SetColour:
            colour.takeColourOf(in.setColour);
            colour.alpha = FULL_SCALE;
            break;
        default:
            break;
    }
}

// Sources first..last - 1 of the chain, each only while the colour is none
// (the existing colour, always first, regardless).
void applySources(const PatchSource chain[PATCH_CHAIN_LENGTH], int first, int last,
                  const PatchChainInputs &in, const ChainRows &rows, A_long x, Colour &colour) {
    for (int i = first; i < last; ++i) {
        if (chain[i] != PatchSource::Existing && !colour.none()) return;
        applySource(chain[i], in, rows, x, colour);
    }
}

// The chain as one call runs it: its length, where the blur stands in it,
// and the blur's kernel when it blurs.
struct ChainPlan {
    const PatchSource *sources;
    int length = 0;
    int blurAt = -1;  // -1: no blur in the chain
    const FloatBlurPlotKernel *blurKernel = nullptr;
};

// The fill pixels of one row within left..right as bits (bit i of word w is
// column 64 (firstWord + w) + i), gathered a word at a time so the pixel
// loops below visit only the fill pixels.
struct FillBitsRow {
    std::vector<BitWord> words;
    A_long firstWord = 0, lastWord = -1, left = 0, right = -1;

    explicit FillBitsRow(A_long width) : words(static_cast<std::size_t>(bitWordsFor(width))) {}

    void gather(const PF_Pixel16 *mask, A_long rowLeft, A_long rowRight) {
        left = rowLeft, right = rowRight;
        if (left > right) {
            lastWord = firstWord - 1;
            return;
        }
        firstWord = left / BITS_PER_WORD;
        lastWord = right / BITS_PER_WORD;
        const A_long firstColumn = firstWord * BITS_PER_WORD;
        pixelRowBits(mask + firstColumn, right + 1 - firstColumn, words.data(),
                     [](const PF_Pixel16 &m) { return isFillPixel(m); });
    }

    // visit(x) for every fill pixel, left to right.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (A_long w = firstWord; w <= lastWord; ++w)
            forEachBit(words[w - firstWord] & columnBits(w, left, right), w, visit);
    }
};

// One row without a blur in the chain: the sources one after the other.
void colourRowWithoutBlur(const ChainPlan &plan, const PatchChainInputs &in, const ChainRows &rows,
                          const FillBitsRow &fill, PF_Pixel16 *out) {
    fill.forEach([&](A_long x) {
        Colour c;
        applySources(plan.sources, 0, plan.length, in, rows, x, c);
        out[x] = PF_Pixel16{c.alpha, c.red, c.green, c.blue};
    });
}

// The rows firstRow..endRow - 1 of the region. A row reads the mask, the
// frames and the input, and writes only its own row of the patch world, so
// bands of rows can be coloured at once, each with its own scratch rows.
void colourRows(const ChainPlan &plan, const PatchChainInputs &in, const PF_LayerDef &patch,
                const PF_LayerDef &redMask, const FillLimitsArray &limits, A_long firstRow,
                A_long endRow, const PatchRowDone &afterEachRow) {
    const FillBounds bounds = worldBounds(redMask);
    std::unique_ptr<AdjacentBlur> blur;
    if (plan.blurKernel)
        blur = std::make_unique<AdjacentBlur>(in.input, *plan.blurKernel, in.quarterLevel);
    const int beforeBlur = plan.blurAt >= 0 ? plan.blurAt : plan.length;
    std::vector<Colour> colours(static_cast<std::size_t>(std::max<A_long>(redMask.width, 1)));
    std::vector<unsigned char> blurred(colours.size());
    FillBitsRow fill(std::max<A_long>(redMask.width, 1));
    std::vector<PF_Pixel16> handedOver(afterEachRow ? colours.size() : 0);
    for (A_long y = firstRow; y < endRow; ++y) {
        const PF_Pixel16 *mask = getPixel16(redMask, 0, y);
        PF_Pixel16 *out = afterEachRow ? handedOver.data() : getPixel16(patch, 0, y);
        fill.gather(mask, regionLeft(limits, y, bounds), regionRight(limits, y, bounds));
        const ChainRows rows(in, y);
        if (plan.blurAt < 0) {
            colourRowWithoutBlur(plan, in, rows, fill, out);
            if (afterEachRow) afterEachRow(y, out);
            continue;
        }
        bool anyBlur = false;
        fill.forEach([&](A_long x) {
            colours[x] = Colour{};
            applySources(plan.sources, 0, beforeBlur, in, rows, x, colours[x]);
            blurred[x] = colours[x].none();
            anyBlur |= blurred[x] != 0;
        });
        if (anyBlur && blur) {
            // A group of neighbours at a time, whichever of them need it.
            blur->startRow(y);
            A_long groupEnd = fill.left;  // the first column no group has covered
            fill.forEach([&](A_long x) {
                if (x < groupEnd || !blurred[x]) return;
                Colour group[BLUR_GROUP];
                blur->coloursAt(x, group);
                for (A_long j = 0; j < BLUR_GROUP && x + j <= fill.right; ++j)
                    if (isFillPixel(mask[x + j]) && blurred[x + j]) colours[x + j] = group[j];
                groupEnd = x + BLUR_GROUP;
            });
        }
        fill.forEach([&](A_long x) {
            if (blurred[x])
                applySources(plan.sources, plan.blurAt + 1, plan.length, in, rows, x, colours[x]);
            const Colour &c = colours[x];
            out[x] = PF_Pixel16{c.alpha, c.red, c.green, c.blue};
        });
        if (afterEachRow) afterEachRow(y, out);
    }
}

}  // namespace

void patch_FillPixelsThroughChain(const PatchSource chain[PATCH_CHAIN_LENGTH],
                                  const PatchChainInputs &in, const PF_LayerDef &patch,
                                  const PF_LayerDef &redMask, const FillLimitsArray &limits,
                                  int threads, const PatchRowDone &afterEachRow) {
    // The chain up to its end (a None), and where the blur stands in it.
    ChainPlan plan;
    plan.sources = chain;
    while (plan.length < PATCH_CHAIN_LENGTH && chain[plan.length] != PatchSource::None) {
        if (chain[plan.length] == PatchSource::AdjacentBlur) plan.blurAt = plan.length;
        ++plan.length;
    }
    // The record holds 40,402 weights: too large for the stack.
    std::unique_ptr<FloatBlurPlotKernel> kernel;
    if (plan.blurAt >= 0 && in.blurSize > 0) {
        kernel = std::make_unique<FloatBlurPlotKernel>();
        clearFloatBlurPlotKernel(*kernel);
        makeNiceGausColourPatchPlotKernel(*in.maths, *kernel, in.blurSize, ADJACENT_BLUR_SIGMA);
        plan.blurKernel = kernel.get();
    }
    const FillBounds bounds = worldBounds(redMask);
    const A_long firstRow = regionFirstRow(limits, bounds);
    const A_long lastRow = regionLastRow(limits, bounds);
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        colourRows(plan, in, patch, redMask, limits, firstRow + first, firstRow + end,
                   afterEachRow);
    });
}
