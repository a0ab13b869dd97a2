// EdgeMultiplier: the share of each fill pixel's 5 x 5 surroundings that is
// matte in the input or fill in the mask, as 800..20000 in red. The
// composition tapers the fill amount by it.
//
// The stage is bound by reading the mask and the input, so it reads only
// what fill pixels sample: a row's blue within the region, and the inside
// flags (matte or fill) of the rows and 64-column blocks around its runs of
// fill pixels, each block once. The 25 samples are then counted as the sum
// of five rows' flags per column followed by a sum of five columns, a few
// byte additions per pixel. Samples clamp to the frame per axis, so rows and
// columns clamp separately and the count is that of the straightforward form
// (reference/fill/edge_multiplier.cpp), which the tests compare.
#include "fill/edge_multiplier.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"

namespace {

constexpr float FULL_MULTIPLIER = FULL_EDGE_MULTIPLIER;
constexpr A_long SAMPLES = 25;
constexpr A_long REACH = 2;  // samples on each side of a pixel
constexpr A_long WINDOW = 2 * REACH + 1;

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

std::size_t sizeOf(A_long n) { return static_cast<std::size_t>(n); }

typedef A_u_char Bytes16 __attribute__((vector_size(16)));

// Inside flags (1: matte in the input or fill in the mask) of the columns
// first..last of one block of 64 (first its first column), into
// flags[first..last], eight at a time. fill: the block's fill bits.
template <typename InputPixel>
void insideFlags(BitWord fill, const InputPixel *input, A_long first, A_long last,
                 A_u_char *flags) {
    const Lanes8 laneBit = {1, 2, 4, 8, 16, 32, 64, 128};
    A_long x = first;
    for (; x + PIXEL_LANES - 1 <= last; x += PIXEL_LANES) {
        const auto eight = static_cast<A_u_short>((fill >> (x - first)) & 0xFF);
        const Lanes8 filled =
            Lanes8{eight, eight, eight, eight, eight, eight, eight, eight} & laneBit;
        const auto inside = (filled | eightAlphas(input + x)) != 0;
        const Bytes8 bytes = __builtin_convertvector(inside, Bytes8) & 1;
        std::memcpy(flags + x, &bytes, sizeof bytes);
    }
    for (; x <= last; ++x)
        flags[x] = static_cast<A_u_char>(input[x].alpha != 0 || ((fill >> (x - first)) & 1) != 0);
}

inline Bytes16 bytesAt(const A_u_char *p) {
    Bytes16 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// sums[x] = the five rows' flags added, x in first..last, sixteen at a time.
void sumOfRows(const A_u_char *const rows[], A_long first, A_long last, A_u_char *sums) {
    A_long x = first;
    for (; x + 15 <= last; x += 16) {
        const Bytes16 sum = bytesAt(rows[0] + x) + bytesAt(rows[1] + x) + bytesAt(rows[2] + x) +
                            bytesAt(rows[3] + x) + bytesAt(rows[4] + x);
        std::memcpy(sums + x, &sum, sizeof sum);
    }
    for (; x <= last; ++x)
        sums[x] =
            static_cast<A_u_char>(rows[0][x] + rows[1][x] + rows[2][x] + rows[3][x] + rows[4][x]);
}

// sums[x] = columns[x - 2] + ... + columns[x + 2], x in first..last.
void sumOfColumns(const A_u_char *columns, A_long first, A_long last, A_u_char *sums) {
    A_long x = first;
    for (; x + 15 <= last; x += 16) {
        const Bytes16 sum = bytesAt(columns + x - 2) + bytesAt(columns + x - 1) +
                            bytesAt(columns + x) + bytesAt(columns + x + 1) +
                            bytesAt(columns + x + 2);
        std::memcpy(sums + x, &sum, sizeof sum);
    }
    for (; x <= last; ++x)
        sums[x] = static_cast<A_u_char>(columns[x - 2] + columns[x - 1] + columns[x] +
                                        columns[x + 1] + columns[x + 2]);
}

// The inside flags of the sample rows around the row being written, in a
// ring of five, each computed in blocks of 64 columns as fill pixels first
// need them. A row's flags are padded by two copies of each side column,
// which stand for the clamped samples beyond the sides.
class InsideRows {
  public:
    InsideRows(const BlueBits &blue, const InputLayer16 &input, A_long width, A_long height)
        : blue_(blue), input_(input), width_(width), height_(height) {
        for (Slot &s : slots_) {
            s.flags.assign(sizeOf(width + 2 * REACH), 0);
            s.done.assign(sizeOf(bitWordsFor(width)), false);
        }
    }

    // Row `row` (clamped to the frame) with at least the columns
    // first..last (within the frame) and the pads beside them; indexed by
    // column, so columns -2..width + 1 may be read.
    const A_u_char *of(A_long row, A_long first, A_long last) {
        row = std::clamp(row, A_long{0}, height_ - 1);
        Slot &s = slots_[row % WINDOW];
        if (s.row != row) {
            std::fill(s.done.begin(), s.done.end(), false);
            s.row = row;
        }
        for (A_long w = first / BITS_PER_WORD; w <= last / BITS_PER_WORD; ++w)
            if (!s.done[w]) compute(s, w);
        return s.flags.data() + REACH;
    }

  private:
    struct Slot {
        A_long row = -1;
        std::vector<A_u_char> flags;
        std::vector<bool> done;  // per block of 64 columns
    };

    void compute(Slot &s, A_long block) {
        const A_long first = block * BITS_PER_WORD;
        const A_long last = std::min(width_ - 1, first + BITS_PER_WORD - 1);
        A_u_char *flags = s.flags.data() + REACH;
        const BitWord fill = blue_.fillRow(s.row)[block];
        if (input_.eightBit)
            insideFlags(fill, getPixel8(*input_.layer, 0, s.row), first, last, flags);
        else
            insideFlags(fill, getPixel16(*input_.layer, 0, s.row), first, last, flags);
        if (first == 0) flags[-2] = flags[-1] = flags[0];
        if (last == width_ - 1) flags[width_] = flags[width_ + 1] = flags[width_ - 1];
        s.done[block] = true;
    }

    const BlueBits &blue_;
    InputLayer16 input_;
    A_long width_, height_;
    Slot slots_[WINDOW];
};

// Scratch of one band of rows, bounded by the frame's width.
struct RowScratch {
    std::vector<BitWord> fill;      // fill pixels of the row, as bits
    std::vector<A_u_char> columns;  // inside samples of five rows, per column (padded)
    std::vector<A_u_char> counts;   // inside samples of the 5 x 5 window, per column
    explicit RowScratch(A_long width)
        : fill(sizeOf(bitWordsFor(width))),
          columns(sizeOf(width + 2 * REACH)),
          counts(sizeOf(width)) {}
};

// Writes the multipliers of the fill pixels of row y in the words
// firstWord..lastWord of its fill bits, all of which hold fill.
void multipliersOfRun(PF_Pixel16 *row, A_long y, A_long width, InsideRows &inside,
                      RowScratch &scratch, const MultiplierTable &table, A_long firstWord,
                      A_long lastWord) {
    const BitWord *fill = scratch.fill.data();
    const A_long firstFill = firstWord * BITS_PER_WORD + __builtin_ctzll(fill[firstWord]);
    const A_long lastFill = lastWord * BITS_PER_WORD + 63 - __builtin_clzll(fill[lastWord]);
    const A_long first = std::max<A_long>(0, firstFill - REACH);
    const A_long last = std::min(width - 1, lastFill + REACH);
    const A_u_char *r[WINDOW];
    for (A_long k = 0; k < WINDOW; ++k) r[k] = inside.of(y - REACH + k, first, last);
    A_u_char *columns = scratch.columns.data() + REACH;
    A_u_char *counts = scratch.counts.data();
    sumOfRows(r, firstFill - REACH, lastFill + REACH, columns);
    sumOfColumns(columns, firstFill, lastFill, counts);
    for (A_long w = firstWord; w <= lastWord; ++w)
        forEachBit(fill[w], w, [&](A_long x) { row[x].red = table.value[counts[x]]; });
}

// The multipliers of rows firstRow..endRow - 1. A row reads blue and the
// input's alpha and writes red, which is no sample: rows are independent, so
// bands of them can be worked on at once, each with its own scratch.
void multipliersOfRows(const PF_LayerDef &redMask, const BlueBits &blue, const InputLayer16 &input,
                       A_long width, A_long height, const FillLimitsArray &limits,
                       const MultiplierTable &table, A_long firstRow, A_long endRow) {
    InsideRows inside(blue, input, width, height);
    RowScratch scratch(width);
    BitWord *fill = scratch.fill.data();
    for (A_long y = firstRow; y < endRow; ++y) {
        const A_long left = std::max<A_long>(0, limits.left[y]);
        const A_long right = std::min(width - 1, limits.right[y]);
        if (left > right) continue;
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        const A_long firstWord = left / BITS_PER_WORD, lastWord = right / BITS_PER_WORD;
        const BitWord *filled = blue.fillRow(y);
        for (A_long w = firstWord; w <= lastWord; ++w)
            fill[w] = filled[w] & columnBits(w, left, right);
        // Runs of words with fill: a gap of a whole word is not worth reading.
        for (A_long w = firstWord; w <= lastWord;) {
            if (fill[w] == 0) {
                ++w;
                continue;
            }
            A_long end = w;
            while (end + 1 <= lastWord && fill[end + 1] != 0) ++end;
            multipliersOfRun(row, y, width, inside, scratch, table, w, end);
            w = end + 1;
        }
    }
}

}  // namespace

void make_EdgeMultiplyerMaskOnRedRedMask(const PF_InData * /*in_data*/, const PF_LayerDef &redMask,
                                         const InputLayer16 &input, A_long width, A_long height,
                                         const FillLimitsArray &limits, RowThreads threads,
                                         const BlueBits *blue) {
    if (width <= 0 || height <= 0) return;
    BlueBits read;
    const BlueBits &bits = givenOrRead(blue, read, redMask, width, height, threads);
    const MultiplierTable table;
    const A_long firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long lastRow = std::min({height - 1, limits.lastRow, FILL_LIMITS_MAX_ROWS - 1});
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        multipliersOfRows(redMask, bits, input, width, height, limits, table, firstRow + first,
                          firstRow + end);
    });
}
