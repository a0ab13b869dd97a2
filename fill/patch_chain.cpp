#include "fill/patch_chain.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "fill/fill_region.h"
#include "render/row_workers.h"

namespace {

// A missing frame's row: it has no colour to give.
struct MissingRow {};

// One row of a frame, looked up once per row; no pixels when the frame is
// missing.
struct FrameRow {
    const void *pixels = nullptr;
    bool eightBit = false;

    FrameRow() = default;
    FrameRow(const InputLayer16 &frame, A_long y) : eightBit(frame.eightBit) {
        if (frame.layer == nullptr) return;
        pixels = frame.eightBit ? static_cast<const void *>(getPixel8(*frame.layer, 0, y))
                                : static_cast<const void *>(getPixel16(*frame.layer, 0, y));
    }
};

// visit(pixels) with the row's pixels as their own type (or MissingRow), so
// that a pass over a row is made once per depth and tests none per pixel.
template <typename Visit>
void withPixels(const FrameRow &row, Visit visit) {
    if (row.pixels == nullptr)
        visit(MissingRow{});
    else if (row.eightBit)
        visit(static_cast<const PF_Pixel *>(row.pixels));
    else
        visit(static_cast<const PF_Pixel16 *>(row.pixels));
}

// Pixel x on the 16-bit scale.
inline PF_Pixel16 pixelAt(const PF_Pixel *row, A_long x) { return convertPix8To16(row[x]); }
inline PF_Pixel16 pixelAt(const PF_Pixel16 *row, A_long x) { return row[x]; }
inline PF_Pixel16 pixelAt(MissingRow, A_long) { return PF_Pixel16{}; }

template <typename Pixels>
inline bool colouredAt(Pixels row, A_long x, A_u_short minimumAlpha) {
    return pixelAt(row, x).alpha >= minimumAlpha;
}
inline bool colouredAt(MissingRow, A_long, A_u_short) { return false; }

// Row y of the current frame and of the frames the chain reaches on either
// side (index = offset + 3; those beyond its reach are left without pixels).
constexpr A_long ROW_REACH = frameReachOf(PatchSource::ThreeFrames);
struct ChainRows {
    FrameRow current;
    FrameRow frames[2 * ROW_REACH + 1];

    ChainRows(const PatchChainInputs &in, A_long reach, A_long y) : current(in.currentFrame, y) {
        for (A_long k = -reach; k <= reach; ++k)
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
    void coloursAt(A_long x0, PF_Pixel16 out[BLUR_GROUP]) {
        const A_long from = x0 - radius_, to = x0 + BLUR_GROUP - 1 + radius_;
        const A_long firstWord = std::max<A_long>(0, from) / BITS_PER_WORD;
        const A_long lastWord = std::min(to / BITS_PER_WORD, words_ - 1);
        // No sample counts: the sums stay 0 and the colour is black, as the
        // plain form's 0 / 0 gives.
        BitWord any = 0;
        for (A_long w = firstWord; w <= lastWord; ++w)
            any |= anyInWindow_[w] & columnBits(w, from, to);
        if (any == 0) {
            for (A_long j = 0; j < BLUR_GROUP; ++j) out[j] = PF_Pixel16{0, 0, 0, 0};
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
            out[j].alpha = 0;  // the patch keeps no alpha of its own
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

inline bool isNone(const PF_Pixel16 &p) { return p.red == 0 && p.green == 0 && p.blue == 0; }

// The colour of `from` into `to` when `take` holds, with no branch (as
// keepPixels).
inline void takeColourIf(bool take, PF_Pixel16 &to, const PF_Pixel16 &from) {
    std::uint64_t t, f;
    std::memcpy(&t, &to, sizeof t);
    std::memcpy(&f, &from, sizeof f);
    static_assert(offsetof(PF_Pixel16, alpha) == 0, "alpha in the lowest 16 bits");
    const std::uint64_t colour = (0 - std::uint64_t{take}) & ~std::uint64_t{0xFFFF};
    t = (t & ~colour) | (f & colour);
    std::memcpy(&to, &t, sizeof t);
}

// Some pixels of one row as bits: bit i of words[w - firstWord] is column
// 64 w + i, for the words firstWord..lastWord.
struct RowBits {
    BitWord *words;
    A_long firstWord, lastWord;
};

// visit(x) for every pixel, left to right.
template <typename Visit>
void forEachPixel(const RowBits &bits, Visit visit) {
    for (A_long w = bits.firstWord; w <= bits.lastWord; ++w)
        forEachBit(bits.words[w - bits.firstWord], w, visit);
}

bool anyPixel(const RowBits &bits) {
    for (A_long w = bits.firstWord; w <= bits.lastWord; ++w)
        if (bits.words[w - bits.firstWord] != 0) return true;
    return false;
}

// Keeps the pixels for which keep(x) holds, visiting them left to right.
template <typename Keep>
void keepPixels(const RowBits &bits, Keep keep) {
    for (A_long w = bits.firstWord; w <= bits.lastWord; ++w) {
        BitWord &word = bits.words[w - bits.firstWord];
        // No branch on keep: the pixels' tests depend on loads that may miss
        // the cache, which can then overlap.
        for (BitWord left = word; left != 0; left &= left - 1) {
            const A_long i = __builtin_ctzll(left);
            word &= ~(BitWord{!keep(w * BITS_PER_WORD + i)} << i);
        }
    }
}

// The existing colour, wherever the current frame is coloured.
void takeExistingColours(const FrameRow &current, A_u_short minimumAlpha, const RowBits &pixels,
                         PF_Pixel16 *out) {
    withPixels(current, [&](auto frame) {
        forEachPixel(pixels, [&](A_long x) {
            takeColourIf(colouredAt(frame, x, minimumAlpha), out[x], pixelAt(frame, x));
        });
    });
}

// The nearest pair of frames around the current one that holds a coloured
// pixel gives the colour; both coloured give their rounded mean. A pair at a
// time, over the pixels no nearer pair gave one (pending, which this uses up).
void takeNearestFrameColours(const ChainRows &rows, A_long reach, A_u_short minimumAlpha,
                             const RowBits &pending, PF_Pixel16 *out) {
    for (A_long k = 1; k <= reach; ++k) {
        withPixels(rows.frames[ROW_REACH - k], [&](auto before) {
            withPixels(rows.frames[ROW_REACH + k], [&](auto after) {
                keepPixels(pending, [&](A_long x) {
                    const bool beforeColoured = colouredAt(before, x, minimumAlpha);
                    const bool afterColoured = colouredAt(after, x, minimumAlpha);
                    const PF_Pixel16 b = pixelAt(before, x), a = pixelAt(after, x);
                    // One coloured pixel is its own rounded mean with itself.
                    takeColourIf(beforeColoured || afterColoured, out[x],
                                 roundedMean(beforeColoured ? b : a, afterColoured ? a : b));
                    return !beforeColoured && !afterColoured;
                });
            });
        });
    }
}

void takeSetColour(const PF_Pixel16 &setColour, const RowBits &pixels, PF_Pixel16 *out) {
    const PF_Pixel16 c{FULL_SCALE, setColour.red, setColour.green, setColour.blue};
    forEachPixel(pixels, [&](A_long x) { out[x] = c; });
}

// The chain as one call runs it: its length, where the blur stands in it,
// the blur's kernel when it blurs, and how far the frames reach.
struct ChainPlan {
    const PatchSource *sources;
    int length = 0;
    int blurAt = -1;  // -1: no blur in the chain
    const FloatBlurPlotKernel *blurKernel = nullptr;
    A_long frameReach = 0;
};

// One band's rows of bits: the fill pixels of the row being coloured (within
// its left..right), the pixels still in the chain, and a pass's own.
struct RowScratch {
    std::vector<BitWord> fill, open, pending;
    A_long firstWord = 0, lastWord = -1, left = 0, right = -1;

    explicit RowScratch(A_long width)
        : fill(static_cast<std::size_t>(bitWordsFor(width))),
          open(fill.size()),
          pending(fill.size()) {}

    // The fill pixels of row y (isFillPixel), from the fill plane (none
    // beyond it): only their mask pixels are read, for the band red that
    // leaves some out.
    void gather(const PF_Pixel16 *mask, const BlueBits &planes, A_long y, A_long rowLeft,
                A_long rowRight) {
        left = rowLeft, right = rowRight;
        if (left > right) {
            lastWord = firstWord - 1;
            return;
        }
        firstWord = left / BITS_PER_WORD;
        lastWord = right / BITS_PER_WORD;
        const bool planeRow = y < planes.rows;
        const A_long planeRight = std::min(right, planes.width - 1);
        for (A_long w = firstWord; w <= lastWord; ++w)
            fill[w - firstWord] = planeRow && w < planes.words
                                      ? planes.fillRow(y)[w] & columnBits(w, left, planeRight)
                                      : 0;
        keepPixels(fillPixels(), [&](A_long x) { return mask[x].red != BAND_RED; });
    }

    RowBits fillPixels() { return RowBits{fill.data(), firstWord, lastWord}; }
    // `to` as a copy of `from`.
    RowBits copy(const RowBits &from, std::vector<BitWord> &to) {
        std::copy(from.words, from.words + (lastWord - firstWord + 1), to.data());
        return RowBits{to.data(), firstWord, lastWord};
    }
};

// Sources first..last - 1 of the chain over the pixels of `open`, each
// source over the whole row at once. The existing colour is taken whatever
// the colour so far; before any other source, a pixel whose colour is not
// none leaves the chain (it is dropped from `open`).
void applySources(const ChainPlan &plan, int first, int last, const PatchChainInputs &in,
                  const ChainRows &rows, const RowBits &open, RowScratch &scratch,
                  PF_Pixel16 *out) {
    for (int i = first; i < last; ++i) {
        const PatchSource source = plan.sources[i];
        if (source == PatchSource::Existing) {
            takeExistingColours(rows.current, in.minimumAlpha, open, out);
            continue;
        }
        keepPixels(open, [&](A_long x) { return isNone(out[x]); });
        switch (source) {
            case PatchSource::OneFrame:
            case PatchSource::ThreeFrames:
                takeNearestFrameColours(rows, frameReachOf(source), in.minimumAlpha,
                                        scratch.copy(open, scratch.pending), out);
                break;
            case PatchSource::SetColour:
                takeSetColour(in.setColour, open, out);
                break;
            default:
                break;
        }
    }
}

// The blur's colours at the pixels of `blurred`: a group of neighbours at a
// time, whichever of them need it.
void takeBlurColours(AdjacentBlur &blur, A_long y, const RowBits &blurred, A_long right,
                     PF_Pixel16 *out) {
    blur.startRow(y);
    A_long groupEnd = 0;  // the first column no group has covered
    forEachPixel(blurred, [&](A_long x) {
        if (x < groupEnd) return;
        PF_Pixel16 group[BLUR_GROUP];
        blur.coloursAt(x, group);
        for (A_long j = 0; j < BLUR_GROUP && x + j <= right; ++j) {
            const A_long c = x + j;
            const BitWord bit = BitWord{1} << (c % BITS_PER_WORD);
            if (blurred.words[c / BITS_PER_WORD - blurred.firstWord] & bit) out[c] = group[j];
        }
        groupEnd = x + BLUR_GROUP;
    });
}

// One row: the patch pixel of every fill pixel into out. The patch starts
// at 0.
void colourRow(const ChainPlan &plan, const PatchChainInputs &in, A_long y, AdjacentBlur *blur,
               RowScratch &scratch, PF_Pixel16 *out) {
    const RowBits fill = scratch.fillPixels();
    forEachPixel(fill, [&](A_long x) { out[x] = PF_Pixel16{0, 0, 0, 0}; });
    const ChainRows rows(in, plan.frameReach, y);
    const int beforeBlur = plan.blurAt >= 0 ? plan.blurAt : plan.length;
    applySources(plan, 0, beforeBlur, in, rows, scratch.copy(fill, scratch.open), scratch, out);
    if (plan.blurAt < 0) return;
    // The rest of the chain goes on from the blur with the pixels whose
    // colour is none.
    const RowBits blurred = scratch.copy(fill, scratch.open);
    keepPixels(blurred, [&](A_long x) { return isNone(out[x]); });
    if (blur && anyPixel(blurred)) takeBlurColours(*blur, y, blurred, scratch.right, out);
    applySources(plan, plan.blurAt + 1, plan.length, in, rows, blurred, scratch, out);
}

// The rows firstRow..endRow - 1 of the region. A row reads the mask, the
// frames and the input, and writes only its own row of the patch world, so
// bands of rows can be coloured at once, each with its own scratch rows.
void colourRows(const ChainPlan &plan, const PatchChainInputs &in, const PF_LayerDef &patch,
                const PF_LayerDef &redMask, const BlueBits &fillPixels,
                const FillLimitsArray &limits, A_long firstRow, A_long endRow,
                const PatchRowDone &afterEachRow) {
    const FillBounds bounds = worldBounds(redMask);
    std::unique_ptr<AdjacentBlur> blur;
    if (plan.blurKernel)
        blur = std::make_unique<AdjacentBlur>(in.input, *plan.blurKernel, in.quarterLevel);
    const A_long width = std::max<A_long>(redMask.width, 1);
    RowScratch scratch(width);
    std::vector<PF_Pixel16> handedOver(afterEachRow ? static_cast<std::size_t>(width) : 0);
    for (A_long y = firstRow; y < endRow; ++y) {
        PF_Pixel16 *out = afterEachRow ? handedOver.data() : getPixel16(patch, 0, y);
        scratch.gather(getPixel16(redMask, 0, y), fillPixels, y, regionLeft(limits, y, bounds),
                       regionRight(limits, y, bounds));
        colourRow(plan, in, y, blur.get(), scratch, out);
        if (afterEachRow) afterEachRow(y, out);
    }
}

}  // namespace

void patch_FillPixelsThroughChain(const PatchSource chain[PATCH_CHAIN_LENGTH],
                                  const PatchChainInputs &in, const PF_LayerDef &patch,
                                  const PF_LayerDef &redMask, const FillLimitsArray &limits,
                                  RowThreads threads, const PatchRowDone &afterEachRow) {
    // The chain up to its end (a None), and where the blur stands in it.
    ChainPlan plan;
    plan.sources = chain;
    while (plan.length < PATCH_CHAIN_LENGTH && chain[plan.length] != PatchSource::None) {
        if (chain[plan.length] == PatchSource::AdjacentBlur) plan.blurAt = plan.length;
        plan.frameReach = std::max(plan.frameReach, frameReachOf(chain[plan.length]));
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
    BlueBits read;
    const BlueBits &fillPixels =
        givenOrRead(in.fillPixels, read, redMask, redMask.width, redMask.height, threads);
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        colourRows(plan, in, patch, redMask, fillPixels, limits, firstRow + first, firstRow + end,
                   afterEachRow);
    });
}
