// GrowShrink: grows or shrinks the fill area (blue) of the red mask by whole
// pixels. Each pass judges every region pixel on the state the previous pass
// left; here a pass works on rows of bits, 64 pixels at once, and the fill
// state lives between passes in the red mask's alpha, the stage's mark plane,
// packed 16 pixels to an alpha value. One last sweep writes the blue and red
// of the pixels the passes changed. The marks the straightforward form
// (reference/fill/grow_shrink.cpp) leaves in alpha, which nothing after the
// stage reads, are not written.
#include "fill/grow_shrink.h"

#include <algorithm>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/worlds/pixels.h"

namespace {

// The planes kept per row: the fill state, and the pixels any pass has
// selected (grow) or failed (shrink).
enum Plane { FILL, EVER, PLANES };

// Bit planes of the rows 0..lastRow, stored in the alpha of each row's first
// pixels (four alpha values per 64-bit word), or in memory of their own when
// a row is too narrow to hold them.
class PackedPlanes {
  public:
    PackedPlanes(const PF_LayerDef &mask, A_long width, A_long rows)
        : mask_(mask), words_(bitWordsFor(width)), inAlpha_(4 * PLANES * words_ <= width) {
        if (!inAlpha_) own_.assign(static_cast<std::size_t>(rows) * PLANES * words_, 0);
    }
    A_long words() const { return words_; }

    void load(Plane p, A_long y, BitWord *out) const {
        if (!inAlpha_) {
            std::copy_n(own_.data() + index(p, y), words_, out);
            return;
        }
        const PF_Pixel16 *at = getPixel16(mask_, 4 * p * words_, y);
        for (A_long w = 0; w < words_; ++w, at += 4)
            out[w] = BitWord{at[0].alpha} | BitWord{at[1].alpha} << 16 |
                     BitWord{at[2].alpha} << 32 | BitWord{at[3].alpha} << 48;
    }
    void store(Plane p, A_long y, const BitWord *in) {
        if (!inAlpha_) {
            std::copy_n(in, words_, own_.data() + index(p, y));
            return;
        }
        PF_Pixel16 *at = getPixel16(mask_, 4 * p * words_, y);
        for (A_long w = 0; w < words_; ++w, at += 4) {
            at[0].alpha = static_cast<A_u_short>(in[w]);
            at[1].alpha = static_cast<A_u_short>(in[w] >> 16);
            at[2].alpha = static_cast<A_u_short>(in[w] >> 32);
            at[3].alpha = static_cast<A_u_short>(in[w] >> 48);
        }
    }

  private:
    std::size_t index(Plane p, A_long y) const {
        return (static_cast<std::size_t>(y) * PLANES + p) * words_;
    }

    const PF_LayerDef &mask_;
    A_long words_;
    bool inAlpha_;
    std::vector<BitWord> own_;
};

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

struct Pass {
    bool grow;
    A_long index;
};

class GrowShrink {
  public:
    GrowShrink(const PF_LayerDef &mask, A_long width, A_long lastRow, const FillLimitsArray &limits)
        : mask_(mask),
          width_(width),
          lastRow_(lastRow),
          limits_(limits),
          planes_(mask, width, lastRow + 1),
          words_(planes_.words()),
          sides_{columnBits(words_ - 1, width - 1, width - 1), words_},
          rowsFirst_(std::max<A_long>(0, limits.firstRow)),
          rowsLast_(std::min(lastRow, limits.lastRow)) {
        for (auto *row : {&above_, &here_, &below_, &out_, &ever_, &zero_})
            row->assign(static_cast<std::size_t>(words_), 0);
    }

    // The fill state (blue other than 0, red 0) of every row a pass reads.
    void readFill() {
        const A_long first = std::max<A_long>(0, rowsFirst_ - 1);
        const A_long last = std::min(lastRow_, rowsLast_ + 1);
        for (A_long y = first; y <= last; ++y) {
            pixelRowBits(getPixel16(mask_, 0, y), width_, out_.data(),
                         [](const PF_Pixel16 &p) { return p.blue != 0 && p.red == 0; });
            planes_.store(FILL, y, out_.data());
            planes_.store(EVER, y, zero_.data());
        }
    }

    // One pass over the region rows, top to bottom: each row is judged on the
    // rows as they were before the pass.
    void run(const Pass &pass) {
        if (rowsFirst_ > rowsLast_) return;
        loadClamped(rowsFirst_ - 1, above_);
        planes_.load(FILL, rowsFirst_, here_.data());
        for (A_long y = rowsFirst_; y <= rowsLast_; ++y) {
            loadClamped(y + 1, below_);
            planes_.load(EVER, y, ever_.data());
            const Rows rows{above_.data(), here_.data(), below_.data()};
            for (A_long w = 0; w < words_; ++w) {
                const BitWord region = columnBits(w, std::max<A_long>(0, limits_.left[y]),
                                                  std::min(width_ - 1, limits_.right[y]));
                BitWord marked;  // grow: selected; shrink: failed
                if (pass.grow) {
                    marked = region & growSelection(rows, w, sides_, pass.index % 2 == 0 ? 1 : 2);
                    out_[w] = here_[w] | marked;
                } else {
                    marked = region & ~shrinkSurvivors(rows, w, sides_, pass.index % 2 == 0);
                    out_[w] = here_[w] & ~marked;
                }
                ever_[w] |= marked;
            }
            planes_.store(FILL, y, out_.data());
            planes_.store(EVER, y, ever_.data());
            // The old state of row y is the next row's row above.
            std::swap(above_, here_);
            std::swap(here_, below_);
        }
    }

    // Blue and red of the pixels the passes changed (selected by a grow,
    // failed by a shrink).
    void write(bool grow) {
        for (A_long y = rowsFirst_; y <= rowsLast_; ++y) {
            PF_Pixel16 *row = getPixel16(mask_, 0, y);
            planes_.load(EVER, y, ever_.data());
            for (A_long w = 0; w < words_; ++w) {
                forEachBit(ever_[w], w, [&](A_long x) {
                    if (grow) {
                        row[x].blue = FILL_BLUE;
                        row[x].red = 0;
                    } else {
                        row[x].blue = 0;
                    }
                });
            }
        }
    }

  private:
    // Row y of the fill state, rows beyond 0..lastRow clamped to them.
    void loadClamped(A_long y, std::vector<BitWord> &out) const {
        planes_.load(FILL, std::clamp(y, A_long{0}, lastRow_), out.data());
    }

    const PF_LayerDef &mask_;
    A_long width_;
    A_long lastRow_;
    const FillLimitsArray &limits_;
    PackedPlanes planes_;
    A_long words_;
    Sides sides_;
    A_long rowsFirst_;
    A_long rowsLast_;
    std::vector<BitWord> above_, here_, below_, out_, ever_, zero_;
};

}  // namespace

// width is the frame's width, which may be less than the world's recorded
// width: nothing at or beyond it is read or written.
void growShrink_JustBlueInRedMaskBlocky(const PF_LayerDef &redMask, A_long width, A_long /*height*/,
                                        A_long lastRow, A_long growAmount,
                                        const FillLimitsArray &limits) {
    if (growAmount == 0 || width <= 0 || lastRow < 0) return;
    const bool grow = growAmount > 0;
    const A_long passes = grow ? growAmount : -growAmount;
    GrowShrink stage(redMask, width, lastRow, limits);
    stage.readFill();
    for (A_long p = 0; p < passes; ++p) stage.run(Pass{grow, p});
    stage.write(grow);
}
