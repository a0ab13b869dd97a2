// EdgeMultiplier: the share of each fill pixel's 5 x 5 surroundings that is
// matte in the input or fill in the mask, as 800..20000 in red. The
// composition tapers the fill amount by it.
//
// The 25 samples are counted as five rows of five: each row's counts of five
// neighbouring columns are kept for the five rows around the one being
// written, so a pixel costs five additions instead of 25 samples. Samples
// clamp to the frame per axis, so the rows and columns clamp separately and
// the count is that of the straightforward form
// (reference/fill/edge_multiplier.cpp), which the tests compare.
#include "fill/edge_multiplier.h"

#include <algorithm>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"

namespace {

constexpr float FULL_MULTIPLIER = FULL_EDGE_MULTIPLIER;
constexpr A_long SAMPLES = 25;

// The multiplier for each count of inside samples, in the single precision
// arithmetic of the plain form.
struct MultiplierTable {
    A_u_short value[SAMPLES + 1];
    MultiplierTable() {
        for (A_long inside = 0; inside <= SAMPLES; ++inside) {
            const float in = static_cast<float>(inside);
            const float out = static_cast<float>(SAMPLES - inside);
            value[inside] =
                static_cast<A_u_short>(static_cast<A_long>(in * FULL_MULTIPLIER / (in + out)));
        }
    }
};

// Scratch sizes; the caller has ruled out an empty frame.
std::size_t columnsOf(A_long width) { return static_cast<std::size_t>(std::max<A_long>(width, 1)); }

// For one row: how many of the five samples around each column (clamped to
// the frame) are inside, that is matte in the input or fill in the mask.
void countRowInside(const PF_LayerDef &redMask, const InputLayer16 &input, A_long width, A_long y,
                    std::vector<A_u_char> &inside, std::vector<A_u_char> &counts) {
    const PF_Pixel16 *mask = getPixel16(redMask, 0, y);
    // Two copies of each side column stand for the samples beyond the sides.
    A_u_char *padded = inside.data() + 2;
    if (input.eightBit) {
        const PF_Pixel *in = getPixel8(*input.layer, 0, y);
        for (A_long x = 0; x < width; ++x) padded[x] = (in[x].alpha | mask[x].blue) != 0;
    } else {
        const PF_Pixel16 *in = getPixel16(*input.layer, 0, y);
        for (A_long x = 0; x < width; ++x) padded[x] = (in[x].alpha | mask[x].blue) != 0;
    }
    padded[-2] = padded[-1] = padded[0];
    padded[width] = padded[width + 1] = padded[width - 1];
    // Through a plain pointer: a byte store through the vector could, for
    // the compiler, change the vector itself, which keeps the loop scalar.
    A_u_char *out = counts.data();
    for (A_long x = 0; x < width; ++x)
        out[x] = static_cast<A_u_char>(padded[x - 2] + padded[x - 1] + padded[x] + padded[x + 1] +
                                       padded[x + 2]);
}

// A sample: matte in the input or fill in the mask.
bool isInside(const PF_LayerDef &redMask, const InputLayer16 &input, A_long x, A_long y) {
    const A_u_short alpha = input.eightBit ? getPixel8(*input.layer, x, y)->alpha
                                           : getPixel16(*input.layer, x, y)->alpha;
    return (alpha | getPixel16Blue(redMask, x, y)) != 0;
}

// The five-column counts of the rows around the row being written, each
// computed once and only when a row with many fill pixels needs them.
class RowCounts {
  public:
    RowCounts(const PF_LayerDef &redMask, const InputLayer16 &input, A_long width, A_long height)
        : redMask_(redMask),
          input_(input),
          width_(width),
          height_(height),
          inside_(columnsOf(width) + 4),
          counts_(5, std::vector<A_u_char>(columnsOf(width))) {}

    const A_u_char *of(A_long row) {
        row = std::clamp(row, A_long{0}, height_ - 1);
        const A_long slot = row % 5;
        if (rows_[slot] != row) {
            countRowInside(redMask_, input_, width_, row, inside_, counts_[slot]);
            rows_[slot] = row;
        }
        return counts_[slot].data();
    }

  private:
    const PF_LayerDef &redMask_;
    InputLayer16 input_;
    A_long width_, height_;
    std::vector<A_u_char> inside_;
    std::vector<std::vector<A_u_char>> counts_;
    A_long rows_[5] = {-1, -1, -1, -1, -1};
};

// The columns left..right of a mask row whose blue is above 0, in rising
// order; the row is tested 64 pixels at a time.
void findFillColumns(const PF_Pixel16 *row, A_long left, A_long right, std::vector<BitWord> &bits,
                     std::vector<A_long> &fill) {
    fill.clear();
    if (left > right) return;
    const A_long first = left / BITS_PER_WORD, last = right / BITS_PER_WORD;
    const A_long firstColumn = first * BITS_PER_WORD;
    pixelRowBits(row + firstColumn, right + 1 - firstColumn, bits.data(),
                 [](const PF_Pixel16 &p) { return p.blue != 0; });
    for (A_long w = first; w <= last; ++w)
        forEachBit(bits[w - first] & columnBits(w, left, right), w,
                   [&](A_long x) { fill.push_back(x); });
}

// The multipliers of rows firstRow..endRow - 1. A row reads blue and the
// input's alpha and writes red, which is no sample: rows are independent, so
// bands of them can be worked on at once, each with its own row counts.
void multipliersOfRows(const PF_LayerDef &redMask, const InputLayer16 &input, A_long width,
                       A_long height, const FillLimitsArray &limits, const MultiplierTable &table,
                       A_long firstRow, A_long endRow) {
    RowCounts counts(redMask, input, width, height);
    std::vector<A_long> fill;
    fill.reserve(columnsOf(width));
    std::vector<BitWord> fillBits(static_cast<std::size_t>(bitWordsFor(width)));

    for (A_long y = firstRow; y < endRow; ++y) {
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        findFillColumns(row, std::max<A_long>(0, limits.left[y]),
                        std::min(width - 1, limits.right[y]), fillBits, fill);
        if (fill.empty()) continue;
        // Few fill pixels: their own 25 samples; many: the rows' counts.
        if (static_cast<A_long>(fill.size()) * SAMPLES <= 2 * width) {
            for (A_long x : fill) {
                A_long inside = 0;
                for (A_long dy = -2; dy <= 2; ++dy) {
                    const A_long sy = std::clamp(y + dy, A_long{0}, height - 1);
                    for (A_long dx = -2; dx <= 2; ++dx)
                        inside +=
                            isInside(redMask, input, std::clamp(x + dx, A_long{0}, width - 1), sy);
                }
                row[x].red = table.value[inside];
            }
        } else {
            const A_u_char *c[5] = {counts.of(y - 2), counts.of(y - 1), counts.of(y),
                                    counts.of(y + 1), counts.of(y + 2)};
            for (A_long x : fill)
                row[x].red = table.value[c[0][x] + c[1][x] + c[2][x] + c[3][x] + c[4][x]];
        }
    }
}

}  // namespace

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData * /*in_data*/, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits, int threads) {
    if (width <= 0 || height <= 0) return;
    const MultiplierTable table;
    const A_long firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long lastRow = std::min({height - 1, limits.lastRow, FILL_LIMITS_MAX_ROWS - 1});
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        multipliersOfRows(redMask, input, width, height, limits, table, firstRow + first,
                          firstRow + end);
    });
}
