// EdgeGaps, bitwise. A pixel lies in a gap when some offset d = (dx, dy),
// 0 <= dy <= g, |dx| <= g, finds the band on both sides: at p + d, p + d/2
// or p + d/3, and at p - d, p - d/2 or p - d/3 (divisions truncating).
// Here the band is held as rows of bits, 64 pixels to a word, and every
// offset is tried for 64 pixels at once; pixels that cannot lie in any gap
// (no band in two opposite quarters around them) are left out, and a word
// stops as soon as all its pixels are decided.
//
// The plain form (reference/detect/edge_gaps.cpp) marks the gap pixels green,
// then sets alpha 19000 over the inner image and turns the inner marks into
// band. That alpha is scratch, which nothing after the stage reads: here the
// stage works on the analysis mask's codes: the gap pixels are marked with a
// bit of their own, then converted.
#include "detect/edge_gaps.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "detect/analysis_mask.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

// Offsets are read within a word and its two neighbours. The control allows
// gaps up to 30; larger requests are held to this.
constexpr A_long MAX_GAP = 63;

// Bits x + s and x - s of a row, 0 <= s <= 63, for the pixels of word w.
inline BitWord readRightward(const BitWord *row, A_long w, A_long s) {
    return (row[w] >> s) | ((row[w + 1] << 1) << (63 - s));
}
inline BitWord readLeftward(const BitWord *row, A_long w, A_long s) {
    return (row[w] << s) | ((row[w - 1] >> 1) >> (63 - s));
}

// The offsets of a word with no band within reach.
constexpr BitWord NO_BAND[MAX_GAP + 1] = {};

// The band rows within reach of the row being decided: a ring of 2g + 1
// rows. Each row keeps its band bits read at every offset 0..g to either side
// (so a test of an offset is a load) and, for the reaches g, g/2 and g/3 of
// the full, half and third offsets, the band widened to the right (bit x:
// band somewhere in x..x + reach) and to the left (x - reach..x).
class BandWindow {
  public:
    enum Plane {
        BAND,
        RIGHT_FULL,
        RIGHT_HALF,
        RIGHT_THIRD,
        LEFT_FULL,
        LEFT_HALF,
        LEFT_THIRD,
        PLANES
    };
    enum Side { RIGHTWARD, LEFTWARD };

    BandWindow(A_long width, A_long gap)
        : width_(width),
          words_((width + BITS_PER_WORD - 1) / BITS_PER_WORD),
          stride_(words_ + 2),
          slots_(2 * gap + 1),
          gap_(gap),
          slotWords_(PLANES * stride_ + 2 * words_ * (gap + 1)),
          bits_(static_cast<std::size_t>(slots_) * slotWords_, 0),
          rowStart_(static_cast<std::size_t>(slots_), nullptr),
          nearWords_(bitWordsFor(words_)),
          nearBand_(static_cast<std::size_t>(slots_) * nearWords_, 0),
          bandFree_(static_cast<std::size_t>(slots_) * words_, 0),
          rowFree_(static_cast<std::size_t>(slots_), nullptr) {}

    A_long words() const { return words_; }
    // Row y's planes start at slot (y mod 2g + 1); centre() keeps the slot of
    // every row within g of the row being decided at hand.
    const BitWord *plane(A_long y, Plane p) const {
        return rowStart_[y - centre_ + gap_] + p * stride_;
    }
    // The word w of row y read at offsets 0..g to one side, one word each.
    const BitWord *offsets(A_long y, Side side, A_long w) const {
        if (rowFree_[y - centre_ + gap_][w]) return NO_BAND;
        return rowStart_[y - centre_ + gap_] - 1 + PLANES * stride_ + (2 * w + side) * (gap_ + 1);
    }

    void centre(A_long y) {
        centre_ = y;
        for (A_long k = 0; k < slots_; ++k) {
            const A_long r = y - gap_ + k;
            rowStart_[k] = r < 0 ? nullptr : slotStart(r);
            rowFree_[k] =
                r < 0 ? nullptr : bandFree_.data() + static_cast<std::size_t>(r % slots_) * words_;
        }
    }

    // Reads row y of the mask: red other than 0 is band. Also notes the
    // words with band within reach g of one of their pixels (nearBand).
    void load(const AnalysisMask &mask, A_long y) {
        BitWord *band = slotStart(y);
        pixelRowBits(mask.row(y), width_, band, [](MaskCode c) { return hasRedCode(c); });
        BitWord *table = slotStart(y) - 1 + PLANES * stride_;
        BitWord *near = nearStart(y);
        std::fill(near, near + nearWords_, BitWord{0});
        for (A_long w = 0; w < words_; ++w) {
            BitWord *right = table + (2 * w + RIGHTWARD) * (gap_ + 1);
            BitWord *left = table + (2 * w + LEFTWARD) * (gap_ + 1);
            // Offsets up to 63 read no further than the neighbouring words.
            const bool bandFree = (band[w - 1] | band[w] | band[w + 1]) == 0;
            bandFree_[static_cast<std::size_t>(y % slots_) * words_ + w] = bandFree;
            if (bandFree) {
                for (Plane p :
                     {RIGHT_FULL, RIGHT_HALF, RIGHT_THIRD, LEFT_FULL, LEFT_HALF, LEFT_THIRD})
                    slotStart(y)[p * stride_ + w] = 0;
                continue;
            }
            BitWord rightSoFar = 0, leftSoFar = 0;
            for (A_long k = 0; k <= gap_; ++k) {
                right[k] = readRightward(band, w, k);
                left[k] = readLeftward(band, w, k);
                rightSoFar |= right[k];
                leftSoFar |= left[k];
                // The widened planes are the offsets' union up to each reach.
                if (k == gap_ / 3) setPlanes(y, w, RIGHT_THIRD, LEFT_THIRD, rightSoFar, leftSoFar);
                if (k == gap_ / 2) setPlanes(y, w, RIGHT_HALF, LEFT_HALF, rightSoFar, leftSoFar);
                if (k == gap_) setPlanes(y, w, RIGHT_FULL, LEFT_FULL, rightSoFar, leftSoFar);
            }
            if ((slotStart(y)[RIGHT_FULL * stride_ + w] | slotStart(y)[LEFT_FULL * stride_ + w]) !=
                0)
                near[w / BITS_PER_WORD] |= BitWord{1} << (w % BITS_PER_WORD);
        }
    }

    // The words of row y with band within reach g of one of their pixels, as
    // bits (bit w % 64 of word w / 64).
    const BitWord *nearBand(A_long y) const {
        return nearBand_.data() + static_cast<std::size_t>(y % slots_) * nearWords_;
    }
    A_long nearWords() const { return nearWords_; }

  private:
    BitWord *slotStart(A_long y) {
        return bits_.data() + static_cast<std::size_t>(y % slots_) * slotWords_ + 1;
    }
    BitWord *nearStart(A_long y) {
        return nearBand_.data() + static_cast<std::size_t>(y % slots_) * nearWords_;
    }
    void setPlanes(A_long y, A_long w, Plane right, Plane left, BitWord rightBits,
                   BitWord leftBits) {
        slotStart(y)[right * stride_ + w] = rightBits;
        slotStart(y)[left * stride_ + w] = leftBits;
    }

    A_long width_;
    A_long words_;
    A_long stride_;
    A_long slots_;
    A_long gap_;
    A_long slotWords_;
    std::vector<BitWord> bits_;
    std::vector<BitWord *> rowStart_;
    A_long nearWords_;
    std::vector<BitWord> nearBand_;
    // Words whose offset tables are not written: no band within reach.
    std::vector<unsigned char> bandFree_;
    std::vector<const unsigned char *> rowFree_;  // as rowStart_
    A_long centre_ = 0;
};

// The pixels that some offset of this dy could mark, for dx >= 0 (`right`)
// and dx <= 0: band must lie on the side the offsets reach, within their
// full, half and third reach, on both sides of the pixel.
struct Reachable {
    BitWord right;
    BitWord left;
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
    const BitWord right = sideOr(a1, a2, a3, P::RIGHT_FULL) & sideOr(b1, b2, b3, P::LEFT_FULL);
    const BitWord left = sideOr(a1, a2, a3, P::LEFT_FULL) & sideOr(b1, b2, b3, P::RIGHT_FULL);
    return Reachable{right, left};
}

// k / 2 and k / 3 for the offsets 0..MAX_GAP.
struct OffsetParts {
    A_long half[MAX_GAP + 1];
    A_long third[MAX_GAP + 1];
    constexpr OffsetParts() : half(), third() {
        for (A_long k = 0; k <= MAX_GAP; ++k) half[k] = k / 2, third[k] = k / 3;
    }
};
constexpr OffsetParts PARTS;

// The offsets dx = 0..g (ahead: the rows y + dy/n read to the right, behind:
// the rows y - dy/n read to the left) or dx = -1..-g (the mirror). a[n] and
// b[n] hold each row's word read at offsets 0..g; ok, when given, holds for
// each |dx| the pixels whose offset stays inside the image.
BitWord gapPixelsOnOneSide(const BitWord *const a[3], const BitWord *const b[3], A_long firstOffset,
                           A_long gap, const BitWord *ok) {
    BitWord found = 0;
    for (A_long k = firstOffset; k <= gap; ++k) {
        const A_long h = PARTS.half[k], t = PARTS.third[k];
        const BitWord positive = a[0][k] | a[1][h] | a[2][t];
        const BitWord negative = b[0][k] | b[1][h] | b[2][t];
        found |= ok != nullptr ? positive & negative & ok[k] : positive & negative;
    }
    return found;
}

// The pixels of `undecided` (a word of row y) that lie in a gap.
BitWord gapPixelsOfWord(const BandWindow &band, A_long y, A_long w, BitWord undecided, A_long gap,
                        A_long width, A_long height) {
    // Near the image's sides some offsets reach outside it and are not tried.
    BitWord within[MAX_GAP + 1];
    const bool nearSide =
        w * BITS_PER_WORD < gap || w * BITS_PER_WORD + BITS_PER_WORD - 1 > width - 1 - gap;
    if (nearSide)
        for (A_long k = 0; k <= gap; ++k) within[k] = columnBits(w, k, width - 1 - k);
    const BitWord *ok = nearSide ? within : nullptr;

    BitWord found = 0;
    for (A_long dy = 0; dy <= gap; ++dy) {
        if (y + dy > height - 1 || y - dy < 0) break;
        const Reachable reach = reachableAt(band, y, dy, w);
        const BitWord open = undecided & ~found;
        if ((open & (reach.right | reach.left)) == 0) continue;
        const A_long above[3] = {y + dy, y + dy / 2, y + dy / 3};
        const A_long below[3] = {y - dy, y - dy / 2, y - dy / 3};
        if (open & reach.right) {
            // dx >= 0: p + d/n to the right, p - d/n to the left.
            const BitWord *a[3], *b[3];
            for (int n = 0; n < 3; ++n) {
                a[n] = band.offsets(above[n], BandWindow::RIGHTWARD, w);
                b[n] = band.offsets(below[n], BandWindow::LEFTWARD, w);
            }
            found |= gapPixelsOnOneSide(a, b, 0, gap, ok);
        }
        if (open & reach.left) {
            const BitWord *a[3], *b[3];
            for (int n = 0; n < 3; ++n) {
                a[n] = band.offsets(above[n], BandWindow::LEFTWARD, w);
                b[n] = band.offsets(below[n], BandWindow::RIGHTWARD, w);
            }
            found |= gapPixelsOnOneSide(a, b, 1, gap, ok);
        }
        if ((undecided & ~found) == 0) break;
    }
    return found & undecided;
}

// The words of row y that can hold a gap pixel: both sides of an offset
// reach band within g columns, one side in rows y..y + g, the other in rows
// y - g..y. Returns whether there is any.
bool candidateWords(const BandWindow &band, A_long y, A_long gap, A_long height,
                    std::vector<BitWord> &candidates) {
    const A_long n = band.nearWords();
    candidates.assign(static_cast<std::size_t>(n) * 2, 0);
    BitWord *below = candidates.data() + n;
    for (A_long r = std::max<A_long>(0, y - gap); r <= y; ++r)
        for (A_long i = 0; i < n; ++i) candidates[i] |= band.nearBand(r)[i];
    for (A_long r = y; r <= std::min(height - 1, y + gap); ++r)
        for (A_long i = 0; i < n; ++i) below[i] |= band.nearBand(r)[i];
    BitWord any = 0;
    for (A_long i = 0; i < n; ++i) any |= candidates[i] &= below[i];
    return any != 0;
}

// A gap pixel at least BRIDGE_BORDER from each side of the image becomes
// hole band (BRIDGED: band red, no green or blue); nearer the border it
// keeps the mark, green 20000.
bool isInnerPixel(A_long x, A_long y, A_long width, A_long height) {
    return y >= BRIDGE_BORDER && y < height - BRIDGE_BORDER && x >= BRIDGE_BORDER &&
           x < width - BRIDGE_BORDER;
}

MaskCode convertedGapCode(MaskCode code, bool inner) {
    if (inner) return static_cast<MaskCode>((code & CODE_OPAQUE) | CODE_BAND);
    return static_cast<MaskCode>((code & ~(CODE_GREEN | CODE_GAP_FOUND)) | CODE_GAP);
}

// A band's rows more than the gap from its edges are read by no other band
// (each reads the gap's rows beyond its own), and by its own only before
// they are marked: their gap pixels are converted as soon as they are found.
// The rest wait until every band has marked its rows.
bool convertsWhileMarking(A_long y, A_long first, A_long end, A_long gap) {
    return y >= first + gap && y < end - gap;
}

// The gap pixels of row y, marked CODE_GAP_FOUND (or converted at once):
// the band the window reads (hasRedCode) is left as it was before the stage,
// whichever rows other bands have marked.
void markRow(const AnalysisMask &mask, const BandWindow &band, A_long y, A_long gap, A_long width,
             A_long height, const FillLimitsArray &limits, bool convertNow,
             std::vector<BitWord> &candidates) {
    const A_long firstWord = std::max<A_long>(0, limits.left[y]) / BITS_PER_WORD;
    const A_long lastWord = std::min(width - 1, limits.right[y]) / BITS_PER_WORD;
    if (!candidateWords(band, y, gap, height, candidates)) return;
    const BitWord *row = band.plane(y, BandWindow::BAND);
    MaskCode *codes = mask.row(y);
    for (A_long w = firstWord; w <= lastWord; ++w) {
        if ((candidates[w / BITS_PER_WORD] >> (w % BITS_PER_WORD) & 1) == 0) continue;
        BitWord undecided = ~row[w] & columnBits(w, limits.left[y], limits.right[y]);
        if (undecided == 0) continue;
        forEachBit(gapPixelsOfWord(band, y, w, undecided, gap, width, height), w, [&](A_long x) {
            codes[x] = convertNow ? convertedGapCode(codes[x], isInnerPixel(x, y, width, height))
                                  : static_cast<MaskCode>(codes[x] | CODE_GAP_FOUND);
        });
    }
}

// Rows first..end - 1 of the region (rows counted from its first).
void markGapPixelsOfRows(const AnalysisMask &mask, A_long width, A_long height, A_long gap,
                         const FillLimitsArray &limits, A_long first, A_long end) {
    BandWindow band(width, gap);
    std::vector<BitWord> candidates;
    A_long loaded = std::max<A_long>(0, first - gap) - 1;
    for (A_long y = first; y < end; ++y) {
        while (loaded < std::min(height - 1, y + gap)) band.load(mask, ++loaded);
        band.centre(y);
        markRow(mask, band, y, gap, width, height, limits, convertsWhileMarking(y, first, end, gap),
                candidates);
    }
}

void convertGapPixelsOfRow(const AnalysisMask &mask, A_long y, A_long width, A_long height,
                           const FillLimitsArray &limits) {
    MaskCode *codes = mask.row(y);
    const A_long right = std::min(width - 1, limits.right[y]);
    for (A_long x = std::max<A_long>(0, limits.left[y]); x <= right; ++x) {
        // Gap pixels are few: eight codes without the mark are passed at once.
        if (x + 8 <= right + 1 && !anyByteHas(codes + x, CODE_GAP_FOUND)) {
            x += 7;
            continue;
        }
        if ((codes[x] & CODE_GAP_FOUND) == 0) continue;
        codes[x] = convertedGapCode(codes[x], isInnerPixel(x, y, width, height));
    }
}

}  // namespace

void bridge_EdgeGapsInRedMask(const AnalysisMask &mask, A_long width, A_long height,
                              A_long gapDistance, const FillLimitsArray &limits,
                              RowThreads threads) {
    if (gapDistance < 1) return;  // the stage does not run at 0
    const A_long gap = std::min(gapDistance, MAX_GAP);
    const A_long firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long lastRow = std::min(height - 1, limits.lastRow);
    if (firstRow > lastRow || width <= 0) return;
    // Every band marks its rows reading the band as the stage found it.
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        markGapPixelsOfRows(mask, width, height, gap, limits, firstRow + first, firstRow + end);
    });
    // The same split, so each band converts the rows its marking left.
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        for (A_long y = firstRow + first; y < firstRow + end; ++y)
            if (!convertsWhileMarking(y, firstRow + first, firstRow + end, gap))
                convertGapPixelsOfRow(mask, y, width, height, limits);
    });
}
