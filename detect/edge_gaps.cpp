// Stage 2, bitwise. A pixel lies in a gap when some offset d = (dx, dy),
// 0 <= dy <= g, |dx| <= g, finds the band on both sides: at p + d, p + d/2
// or p + d/3, and at p - d, p - d/2 or p - d/3 (divisions truncating).
// Here the band is held as rows of bits, 64 pixels to a word, and every
// offset is tried for 64 pixels at once; pixels that cannot lie in any gap
// (no band in two opposite quarters around them) are left out, and a word
// stops as soon as all its pixels are decided. The result is that of the
// plain per-pixel form in edge_gaps_reference.cpp, which the tests compare.
#include "detect/edge_gaps.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "detect/row_bits.h"
#include "render/worlds/pixels.h"

namespace {

using Word = std::uint64_t;

constexpr A_u_short GAP_MARK_GREEN = 20000;
constexpr A_u_short INNER_AREA_ALPHA = 19000;
constexpr A_long BORDER = 10;  // gap marks this close to the image border stay marks
constexpr A_long WORD_BITS = 64;
// Offsets are read within a word and its two neighbours. The control allows
// gaps up to 30; larger requests are held to this.
constexpr A_long MAX_GAP = 63;

// Bits x + s of a row, for the 64 pixels of word w (s may be negative, |s| <
// 64). Rows carry a zero word on either side.
inline Word shifted(const Word *row, A_long w, A_long s) {
    if (s == 0) return row[w];
    if (s > 0) return (row[w] >> s) | (row[w + 1] << (WORD_BITS - s));
    return (row[w] << -s) | (row[w - 1] >> (WORD_BITS + s));
}

// The band rows within reach of the row being decided: a ring of 2g + 1
// rows, each with its band bits and, for the reaches g, g/2 and g/3 of the
// full, half and third offsets, the band widened to the right (bit x: band
// somewhere in x..x + reach) and to the left (x - reach..x).
class BandWindow {
  public:
    enum Plane { BAND, RIGHT_FULL, RIGHT_HALF, RIGHT_THIRD, LEFT_FULL, LEFT_HALF, LEFT_THIRD, PLANES };

    BandWindow(A_long width, A_long gap)
        : width_(width),
          words_((width + WORD_BITS - 1) / WORD_BITS),
          stride_(words_ + 2),
          slots_(2 * gap + 1),
          gap_(gap),
          reach_{gap, gap / 2, gap / 3},
          bits_(static_cast<std::size_t>(slots_) * PLANES * stride_, 0),
          rowStart_(static_cast<std::size_t>(slots_), nullptr) {}

    A_long words() const { return words_; }
    // Row y's planes start at slot (y mod 2g + 1); centre() keeps the slot of
    // every row within g of the row being decided at hand.
    const Word *plane(A_long y, Plane p) const { return rowStart_[y - centre_ + gap_] + p * stride_; }

    void centre(A_long y) {
        centre_ = y;
        for (A_long k = 0; k < slots_; ++k) {
            const A_long r = y - gap_ + k;
            rowStart_[k] = r < 0 ? nullptr : slotStart(r);
        }
    }

    // Reads row y of the red mask: red other than 0 is band.
    void load(const PF_LayerDef &redMask, A_long y) {
        Word *band = mutablePlane(y, BAND);
        pixelRowBits(getPixel16(redMask, 0, y), width_, band,
                     [](const PF_Pixel16 &p) { return p.red != 0; });
        for (int k = 0; k < 3; ++k) {
            widen(band, mutablePlane(y, static_cast<Plane>(RIGHT_FULL + k)), reach_[k]);
            widen(band, mutablePlane(y, static_cast<Plane>(LEFT_FULL + k)), -reach_[k]);
        }
    }

  private:
    Word *slotStart(A_long y) {
        return bits_.data() + static_cast<std::size_t>(y % slots_) * PLANES * stride_ + 1;
    }
    Word *mutablePlane(A_long y, Plane p) { return slotStart(y) + p * stride_; }

    // out = band | band shifted by 1, 2, ... reach pixels (negative: leftward).
    void widen(const Word *band, Word *out, A_long reach) const {
        const A_long steps = reach < 0 ? -reach : reach;
        const A_long sign = reach < 0 ? -1 : 1;
        for (A_long w = 0; w < words_; ++w) {
            Word bits = band[w];
            for (A_long s = 1; s <= steps; ++s) bits |= shifted(band, w, sign * s);
            out[w] = bits;
        }
    }

    A_long width_;
    A_long words_;
    A_long stride_;
    A_long slots_;
    A_long gap_;
    A_long reach_[3];
    std::vector<Word> bits_;
    std::vector<Word *> rowStart_;
    A_long centre_ = 0;
};

// The bits of word w for the columns first..last.
Word columnBits(A_long w, A_long first, A_long last) {
    first = std::max(first, w * WORD_BITS);
    last = std::min(last, w * WORD_BITS + WORD_BITS - 1);
    if (first > last) return 0;
    const A_long n = last - first + 1;
    const Word ones = n == WORD_BITS ? ~Word{0} : ((Word{1} << n) - 1);
    return ones << (first - w * WORD_BITS);
}

// The pixels that some offset of this dy could mark, for dx >= 0 (`right`)
// and dx <= 0: band must lie on the side the offsets reach, within their
// full, half and third reach, on both sides of the pixel.
struct Reachable {
    Word right;
    Word left;
};

Reachable reachableAt(const BandWindow &band, A_long y, A_long dy, A_long w) {
    using P = BandWindow;
    auto sideOr = [&](A_long r1, A_long r2, A_long r3, P::Plane full) {
        return band.plane(r1, full)[w] | band.plane(r2, static_cast<P::Plane>(full + 1))[w] |
               band.plane(r3, static_cast<P::Plane>(full + 2))[w];
    };
    const A_long a1 = y + dy, a2 = y + dy / 2, a3 = y + dy / 3;
    const A_long b1 = y - dy, b2 = y - dy / 2, b3 = y - dy / 3;
    // dx >= 0: the positive side lies to the right, the negative to the left.
    const Word right = sideOr(a1, a2, a3, P::RIGHT_FULL) & sideOr(b1, b2, b3, P::LEFT_FULL);
    const Word left = sideOr(a1, a2, a3, P::LEFT_FULL) & sideOr(b1, b2, b3, P::RIGHT_FULL);
    return Reachable{right, left};
}

// The three words of a row around word w.
struct Around {
    Word before, at, after;
};

Around wordsAround(const Word *row, A_long w) { return Around{row[w - 1], row[w], row[w + 1]}; }

// Bits x + s and x - s of the row, 0 <= s <= 63, for the pixels of the word.
inline Word readRightward(const Around &r, A_long s) {
    return (r.at >> s) | ((r.after << 1) << (63 - s));
}
inline Word readLeftward(const Around &r, A_long s) {
    return (r.at << s) | ((r.before >> 1) >> (63 - s));
}

// Direction +1: the offsets dx = 0..g, whose positive side lies to the right
// of the pixel and negative side to the left; -1: dx = -1..-g, the mirror.
// a and b are the rows y + dy/k and y - dy/k for k = 1, 2, 3; ok, when given,
// holds for each |dx| the pixels whose offset stays inside the image.
template <int Direction>
Word gapPixelsOnOneSide(const Around a[3], const Around b[3], A_long gap, const Word *ok) {
    auto ahead = [](const Around &r, A_long s) {
        return Direction > 0 ? readRightward(r, s) : readLeftward(r, s);
    };
    auto behind = [](const Around &r, A_long s) {
        return Direction > 0 ? readLeftward(r, s) : readRightward(r, s);
    };
    // The half and third offsets repeat across dx: read each once.
    Word a2[MAX_GAP / 2 + 1], b2[MAX_GAP / 2 + 1], a3[MAX_GAP / 3 + 1], b3[MAX_GAP / 3 + 1];
    for (A_long k = 0; k <= gap / 2; ++k) a2[k] = ahead(a[1], k), b2[k] = behind(b[1], k);
    for (A_long k = 0; k <= gap / 3; ++k) a3[k] = ahead(a[2], k), b3[k] = behind(b[2], k);
    Word found = 0;
    for (A_long k = Direction > 0 ? 0 : 1; k <= gap; ++k) {
        const Word positive = ahead(a[0], k) | a2[k / 2] | a3[k / 3];
        const Word negative = behind(b[0], k) | b2[k / 2] | b3[k / 3];
        found |= ok != nullptr ? positive & negative & ok[k] : positive & negative;
    }
    return found;
}

// The pixels of `undecided` (a word of row y) that lie in a gap.
Word gapPixelsOfWord(const BandWindow &band, A_long y, A_long w, Word undecided, A_long gap,
                     A_long width, A_long height) {
    // Near the image's sides some offsets reach outside it and are not tried.
    Word within[MAX_GAP + 1];
    const bool nearSide = w * WORD_BITS < gap || w * WORD_BITS + WORD_BITS - 1 > width - 1 - gap;
    if (nearSide)
        for (A_long k = 0; k <= gap; ++k) within[k] = columnBits(w, k, width - 1 - k);
    const Word *ok = nearSide ? within : nullptr;

    Word found = 0;
    for (A_long dy = 0; dy <= gap; ++dy) {
        if (y + dy > height - 1 || y - dy < 0) break;
        const Reachable reach = reachableAt(band, y, dy, w);
        const Word open = undecided & ~found;
        if ((open & (reach.right | reach.left)) == 0) continue;
        const Around a[3] = {wordsAround(band.plane(y + dy, BandWindow::BAND), w),
                             wordsAround(band.plane(y + dy / 2, BandWindow::BAND), w),
                             wordsAround(band.plane(y + dy / 3, BandWindow::BAND), w)};
        const Around b[3] = {wordsAround(band.plane(y - dy, BandWindow::BAND), w),
                             wordsAround(band.plane(y - dy / 2, BandWindow::BAND), w),
                             wordsAround(band.plane(y - dy / 3, BandWindow::BAND), w)};
        if (open & reach.right) found |= gapPixelsOnOneSide<+1>(a, b, gap, ok);
        if (open & reach.left) found |= gapPixelsOnOneSide<-1>(a, b, gap, ok);
        if ((undecided & ~found) == 0) break;
    }
    return found & undecided;
}

void markRow(const PF_LayerDef &redMask, const BandWindow &band, A_long y, A_long gap,
             A_long width, A_long height, const FillLimitsArray &limits) {
    const A_long firstWord = std::max<A_long>(0, limits.left[y]) / WORD_BITS;
    const A_long lastWord = std::min(width - 1, limits.right[y]) / WORD_BITS;
    const Word *row = band.plane(y, BandWindow::BAND);
    for (A_long w = firstWord; w <= lastWord; ++w) {
        Word undecided = ~row[w] & columnBits(w, limits.left[y], limits.right[y]);
        if (undecided == 0) continue;
        for (Word marks = gapPixelsOfWord(band, y, w, undecided, gap, width, height); marks;
             marks &= marks - 1) {
            const A_long x = w * WORD_BITS + __builtin_ctzll(marks);
            setPixel16Green(redMask, x, y, GAP_MARK_GREEN);
        }
    }
}

void markGapPixels(const PF_LayerDef &redMask, A_long width, A_long height, A_long gap,
                   const FillLimitsArray &limits) {
    const A_long firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long lastRow = std::min(height - 1, limits.lastRow);
    if (firstRow > lastRow || width <= 0) return;
    BandWindow band(width, gap);
    A_long loaded = std::max<A_long>(0, firstRow - gap) - 1;
    for (A_long y = firstRow; y <= lastRow; ++y) {
        // Only red is read and only green written, so marking row by row
        // reads the band as it was before the stage.
        while (loaded < std::min(height - 1, y + gap)) band.load(redMask, ++loaded);
        band.centre(y);
        markRow(redMask, band, y, gap, width, height, limits);
    }
}

// Over the whole image, not only the region: every pixel at least BORDER
// from each edge gets alpha 19000, and its gap marks become hole band.
void convertGapMarksToBand(const PF_LayerDef &redMask, A_long width, A_long height) {
    const PF_Pixel16 bridged{32768, 32768, 0, 0};
    for (A_long y = BORDER; y < height - BORDER; ++y) {
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        for (A_long x = BORDER; x < width - BORDER; ++x) {
            PF_Pixel16 &pixel = row[x];
            pixel.alpha = INNER_AREA_ALPHA;
            if (pixel.red == 0 && pixel.green == GAP_MARK_GREEN) pixel = bridged;
        }
    }
}

}  // namespace

void bridge_EdgeGapsInRedMask(const PF_LayerDef &redMask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits) {
    if (gapDistance < 1) return;  // the stage does not run at 0
    markGapPixels(redMask, width, height, std::min(gapDistance, MAX_GAP), limits);
    convertGapMarksToBand(redMask, width, height);
}
