// GrowShrink: grows or shrinks the fill area (blue) of the red mask by whole
// pixels. Each pass judges every region pixel on the state the previous pass
// left. Here the passes work on rows of bits, 64 pixels at once, and all of
// them run in one sweep down the image: pass p + 1 judges a row as soon as
// pass p has judged the row below it, so each pass keeps only three rows of
// its state, the mask is read once, and each row's blue and red are written
// once, when the last pass has judged it. The marks the straightforward form
// (reference/fill/grow_shrink.cpp) leaves in alpha, which nothing after the
// stage reads, are not written.
#include "fill/grow_shrink.h"

#include <algorithm>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/worlds/pixels.h"

namespace {

// Neighbour reads clamp to the world: beyond a side, the pixel on that side
// stands in, so a row's left neighbours are its bits moved up one column with
// column 0 repeated, and likewise to the right.
struct Sides {
    BitWord last;  // the bit of the last column in the last word
    A_long words;
};

inline BitWord fromLeft(const BitWord *row, A_long w, const Sides &) {
    return (row[w] << 1) | (w > 0 ? row[w - 1] >> 63 : row[0] & 1);
}
inline BitWord fromRight(const BitWord *row, A_long w, const Sides &s) {
    const BitWord bits = row[w] >> 1;
    if (w + 1 < s.words) return bits | (row[w + 1] << 63);
    return bits | (row[w] & s.last);  // the last column stands in for itself
}

// The row's state before the pass and its neighbours' (rows clamp like columns).
struct Rows {
    const BitWord *above;
    const BitWord *here;
    const BitWord *below;
};

// Pixels with at least `threshold` (1 or 2) of their four neighbours in the fill.
BitWord growSelection(const Rows &r, A_long w, const Sides &s, int threshold) {
    const BitWord up = r.above[w], down = r.below[w];
    const BitWord left = fromLeft(r.here, w, s), right = fromRight(r.here, w, s);
    if (threshold == 1) return up | down | left | right;
    return (up & down) | ((up | down) & (left | right)) | (left & right);
}

// Pixels all of whose eight (or four) neighbours are in the fill.
BitWord shrinkSurvivors(const Rows &r, A_long w, const Sides &s, bool eight) {
    BitWord all = r.above[w] & r.below[w] & fromLeft(r.here, w, s) & fromRight(r.here, w, s);
    if (eight)
        all &= fromLeft(r.above, w, s) & fromRight(r.above, w, s) & fromLeft(r.below, w, s) &
               fromRight(r.below, w, s);
    return all;
}

// The state of the passes as they move down the image: for each pass, its
// result on the last three rows it judged; for each row still being judged,
// the pixels any pass has selected (grow) or failed (shrink).
class GrowShrink {
  public:
    GrowShrink(const PF_LayerDef &mask, A_long width, A_long lastRow, const FillLimitsArray &limits,
               A_long passes, bool grow)
        : mask_(mask),
          width_(width),
          lastRow_(lastRow),
          limits_(limits),
          passes_(passes),
          grow_(grow),
          words_(bitWordsFor(width)),
          sides_{columnBits(words_ - 1, width - 1, width - 1), words_},
          regionFirst_(std::max<A_long>(0, limits.firstRow)),
          regionLast_(std::min(lastRow, limits.lastRow)),
          first_(std::max<A_long>(0, regionFirst_ - 1)),
          last_(std::min(lastRow, regionLast_ + 1)),
          states_(static_cast<std::size_t>(passes + 1) * 3 * words_),
          ever_(static_cast<std::size_t>(passes + 1) * words_) {}

    void run() {
        if (regionFirst_ > regionLast_) return;
        // Step t reads row t and lets pass p judge row t - p.
        for (A_long t = first_; t <= last_ + passes_; ++t) {
            if (t <= last_) readFill(t);
            for (A_long p = 1; p <= passes_; ++p) {
                const A_long y = t - p;
                if (y < first_ || y > last_) continue;
                judge(p, y);
                if (p == passes_) write(y);
            }
        }
    }

  private:
    BitWord *state(A_long pass, A_long y) {
        return states_.data() + (static_cast<std::size_t>(pass) * 3 + y % 3) * words_;
    }
    BitWord *ever(A_long y) {
        return ever_.data() + static_cast<std::size_t>(y % (passes_ + 1)) * words_;
    }

    // The fill state (blue other than 0, red 0) of row y before any pass.
    void readFill(A_long y) {
        pixelRowBits(getPixel16(mask_, 0, y), width_, state(0, y),
                     [](const auto &p) { return (p.blue != 0) & (p.red == 0); });
    }

    // Pass p - 1 (counted from 0) on row y, from the rows around it as the
    // pass before left them (rows clamp to the world like columns).
    void judge(A_long p, A_long y) {
        const BitWord *here = state(p - 1, y);
        BitWord *out = state(p, y);
        BitWord *selected = ever(y);
        if (p == 1) std::fill(selected, selected + words_, 0);
        if (y < regionFirst_ || y > regionLast_) {  // beside the region: unchanged
            std::copy_n(here, words_, out);
            return;
        }
        const Rows rows{state(p - 1, std::max<A_long>(0, y - 1)), here,
                        state(p - 1, std::min(lastRow_, y + 1))};
        std::copy_n(here, words_, out);
        const A_long left = std::max<A_long>(0, limits_.left[y]);
        const A_long right = std::min(width_ - 1, limits_.right[y]);
        if (left > right) return;
        const bool even = (p - 1) % 2 == 0;
        const A_long firstWord = left / BITS_PER_WORD, lastWord = right / BITS_PER_WORD;
        if (grow_) {
            const int threshold = even ? 1 : 2;
            for (A_long w = firstWord; w <= lastWord; ++w) {
                const BitWord marked =
                    columnBits(w, left, right) & growSelection(rows, w, sides_, threshold);
                out[w] |= marked;
                selected[w] |= marked;
            }
        } else {
            for (A_long w = firstWord; w <= lastWord; ++w) {
                const BitWord marked =
                    columnBits(w, left, right) & ~shrinkSurvivors(rows, w, sides_, even);
                out[w] &= ~marked;
                selected[w] |= marked;
            }
        }
    }

    // Blue and red of the pixels of row y the passes changed (selected by a
    // grow, failed by a shrink).
    void write(A_long y) {
        if (y < regionFirst_ || y > regionLast_) return;
        PF_Pixel16 *row = getPixel16(mask_, 0, y);
        const BitWord *selected = ever(y);
        for (A_long w = 0; w < words_; ++w)
            forEachBit(selected[w], w, [&](A_long x) {
                if (grow_) {
                    row[x].blue = FILL_BLUE;
                    row[x].red = 0;
                } else {
                    row[x].blue = 0;
                }
            });
    }

    const PF_LayerDef &mask_;
    A_long width_;
    A_long lastRow_;
    const FillLimitsArray &limits_;
    A_long passes_;
    bool grow_;
    A_long words_;
    Sides sides_;
    A_long regionFirst_, regionLast_;  // rows the passes judge
    A_long first_, last_;              // rows they read
    std::vector<BitWord> states_;      // per pass, three rows
    std::vector<BitWord> ever_;        // per row being judged
};

}  // namespace

// width is the frame's width, which may be less than the world's recorded
// width: nothing at or beyond it is read or written.
void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long /*height*/,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits) {
    if (growAmount == 0 || width <= 0 || lastRow < 0) return;
    const bool grow = growAmount > 0;
    GrowShrink(redMask, width, lastRow, limits, grow ? growAmount : -growAmount, grow).run();
}
