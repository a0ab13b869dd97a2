// Stage 3: the edge band, chaff removal, pocket flooding and the verdicts.
// The result is that of the straightforward form (classify_holes_reference
// .cpp), which the tests compare; the work is narrowed to what can change:
// the edge band's squares only where pass one found an edge, each chaff
// iteration only on the rows next to the previous iteration's changes (64
// pixels decided at once), the pocket scan by the bits of red-0 pixels and
// each pocket flooded a span at a time (floodPocketFrom).
//
// On entry the mask holds what stages 1 and 2 leave: green 0 or the gap mark
// (never an edge code), and no alpha of 10.
#include "detect/classify_holes.h"

#include <algorithm>
#include <vector>

#include "detect/row_bits.h"
#include "render/worlds/pixels.h"

namespace {

constexpr A_u_short FULL = 32768;
constexpr A_u_short POCKET_RED = 0;
constexpr A_u_short BAND_RED = 32768;
constexpr A_u_short EDGE_GREEN = 32768;
constexpr A_u_short EDGE_BAND_GREEN = 32766;
constexpr A_u_short CHAFF_MARK_ALPHA = 10;
constexpr A_u_short CHAFF_BLUE = 37268;  // above full scale, as the info view shows it
constexpr A_u_short ACCEPTED_BLUE = 20000;
constexpr A_u_short REJECTED_BLUE = 32768;
constexpr A_long LAST_TAG = FILL_TAG_CAPACITY - 1;
constexpr A_long TAG_STEP = 32;  // tag k is painted as red 32 * k

// An 8-bit layer reads at most 255 * 128 = 32640: no pixel is exactly full,
// so no solid edge exists.
bool canBeFull(const InputLayer16 &source) { return !source.eightBit; }

// Pass one on row y: opaque pixels with a 4-neighbour of another alpha.
// Returns the edge pixels found as bits.
void markSolidEdgesOfRow(const InputLayer16 &source, const PF_LayerDef &redMask, A_long width,
                         A_long y, std::vector<BitWord> &edges) {
    std::fill(edges.begin(), edges.end(), 0);
    const PF_Pixel16 *above = getPixel16(*source.layer, 0, y - 1);
    const PF_Pixel16 *row = getPixel16(*source.layer, 0, y);
    const PF_Pixel16 *below = getPixel16(*source.layer, 0, y + 1);
    for (A_long x = 1; x <= width - 2; ++x) {
        if (row[x].alpha != FULL) continue;
        if (row[x - 1].alpha != FULL || row[x + 1].alpha != FULL || above[x].alpha != FULL ||
            below[x].alpha != FULL) {
            setPixel16Green(redMask, x, y, EDGE_GREEN);
            edges[x / BITS_PER_WORD] |= BitWord{1} << (x % BITS_PER_WORD);
        }
    }
}

// Pass two on row y, in the order of the plain form: an edge pixel still
// marked when visited spreads 32766 over the rest of its 3 x 3 square. Only
// pass one's pixels can hold the edge code, so only they are visited.
void spreadEdgeBandOfRow(const PF_LayerDef &redMask, A_long width, A_long height, A_long y,
                         const std::vector<BitWord> &edges) {
    for (A_long w = 0; w < static_cast<A_long>(edges.size()); ++w) {
        forEachBit(edges[w], w, [&](A_long x) {
            if (getPixel16Green(redMask, x, y) != EDGE_GREEN) return;
            for (A_long yy = std::max<A_long>(0, y - 1); yy <= std::min(height - 1, y + 1); ++yy)
                for (A_long xx = std::max<A_long>(0, x - 1); xx <= std::min(width - 1, x + 1); ++xx)
                    if (xx != x || yy != y) setPixel16Green(redMask, xx, yy, EDGE_BAND_GREEN);
        });
    }
}

// Both passes, row by row: pass one is done on a row before any square of
// pass two reaches it, as when pass one runs over the whole image first.
void markEdgeBand(const InputLayer16 &source, const PF_LayerDef &redMask, A_long width,
                  A_long height) {
    if (!canBeFull(source) || width < 3 || height < 3) return;
    const std::size_t words = static_cast<std::size_t>(bitWordsFor(width));
    std::vector<BitWord> current(words), next(words);
    markSolidEdgesOfRow(source, redMask, width, 1, current);
    for (A_long y = 1; y <= height - 2; ++y) {
        if (y + 1 <= height - 2) markSolidEdgesOfRow(source, redMask, width, y + 1, next);
        spreadEdgeBandOfRow(redMask, width, height, y, current);
        current.swap(next);
    }
}

// Bits of one mask row: the band (red 32768) and the pocket pixels of the
// region (red 0).
struct ChaffRow {
    std::vector<BitWord> band;
    std::vector<BitWord> pocket;
};

void readChaffRow(const PF_LayerDef &redMask, A_long width, A_long y, const FillLimitsArray &limits,
                  ChaffRow &row) {
    const PF_Pixel16 *pixels = getPixel16(redMask, 0, y);
    pixelRowBits(pixels, width, row.band.data(),
                 [](const PF_Pixel16 &p) { return p.red == BAND_RED; });
    const bool inRegion = y >= limits.firstRow && y <= limits.lastRow;
    if (inRegion)
        pixelRowBits(pixels, width, row.pocket.data(),
                     [](const PF_Pixel16 &p) { return p.red == POCKET_RED; });
    for (A_long w = 0; w < static_cast<A_long>(row.pocket.size()); ++w)
        row.pocket[w] &= inRegion ? columnBits(w, limits.left[y], limits.right[y]) : 0;
}

// Pocket pixels of row y with three or four band neighbours. A neighbour
// beyond the image is the pixel itself, a pocket pixel, so it never counts.
BitWord absorbableBits(const ChaffRow *above, const ChaffRow &row, const ChaffRow *below, A_long w,
                       A_long words) {
    const BitWord here = row.band[w];
    const BitWord fromLeft = (here << 1) | (w > 0 ? row.band[w - 1] >> 63 : 0);
    const BitWord fromRight = (here >> 1) | (w + 1 < words ? row.band[w + 1] << 63 : 0);
    const BitWord up = above != nullptr ? above->band[w] : 0;
    const BitWord down = below != nullptr ? below->band[w] : 0;
    const BitWord atLeastThree =
        (fromLeft & fromRight & (up | down)) | (up & down & (fromLeft | fromRight));
    return row.pocket[w] & atLeastThree;
}

// Reads the rows of the mask around the rows being decided, each once.
class ChaffRows {
  public:
    ChaffRows(const PF_LayerDef &redMask, A_long width, A_long height,
              const FillLimitsArray &limits)
        : redMask_(redMask), width_(width), height_(height), limits_(limits) {
        const std::size_t words = static_cast<std::size_t>(bitWordsFor(width));
        for (ChaffRow &r : rows_) r.band.resize(words), r.pocket.resize(words);
    }
    // Row y's bits; y may be just outside the image (null).
    const ChaffRow *row(A_long y) {
        if (y < 0 || y >= height_) return nullptr;
        ChaffRow &slot = rows_[y % 3];
        if (loaded_[y % 3] != y) {
            readChaffRow(redMask_, width_, y, limits_, slot);
            loaded_[y % 3] = y;
        }
        return &slot;
    }
    // Forget what was read: the mask has changed.
    void invalidate() { loaded_[0] = loaded_[1] = loaded_[2] = -1; }

  private:
    const PF_LayerDef &redMask_;
    A_long width_, height_;
    const FillLimitsArray &limits_;
    ChaffRow rows_[3];
    A_long loaded_[3] = {-1, -1, -1};
};

// One iteration over the given rows: mark (alpha 10) every pocket pixel with
// three or four band neighbours, then absorb the marks, so that the iteration
// reads only the previous state. Returns the rows that changed.
std::vector<A_long> absorbChaffOnce(const PF_LayerDef &redMask, ChaffRows &rows,
                                    const std::vector<A_long> &dirty, A_long width) {
    const A_long words = bitWordsFor(width);
    std::vector<A_long> changed;
    rows.invalidate();
    for (A_long y : dirty) {
        const ChaffRow *above = rows.row(y - 1);
        const ChaffRow *below = rows.row(y + 1);
        const ChaffRow &row = *rows.row(y);
        bool any = false;
        for (A_long w = 0; w < words; ++w) {
            forEachBit(absorbableBits(above, row, below, w, words), w, [&](A_long x) {
                setPixel16Alpha(redMask, x, y, CHAFF_MARK_ALPHA);
                any = true;
            });
        }
        if (any) changed.push_back(y);
    }
    const PF_Pixel16 absorbed{0, BAND_RED, 0, CHAFF_BLUE};
    for (A_long y : changed) {
        PF_Pixel16 *pixels = getPixel16(redMask, 0, y);
        for (A_long x = 0; x < width; ++x)
            if (pixels[x].alpha == CHAFF_MARK_ALPHA) pixels[x] = absorbed;
    }
    return changed;
}

// Only pixels next to a change can change in the next iteration: the rows
// around the changed ones, within the region.
std::vector<A_long> rowsAround(const std::vector<A_long> &changed, const FillLimitsArray &limits) {
    std::vector<A_long> rows;
    for (A_long y : changed)
        for (A_long r = y - 1; r <= y + 1; ++r)
            if (r >= limits.firstRow && r <= limits.lastRow && (rows.empty() || rows.back() < r))
                rows.push_back(r);
    return rows;
}

void removeChaff(const PF_LayerDef &redMask, A_long width, A_long height, A_long maxAcross,
                 const FillLimitsArray &limits) {
    ChaffRows rows(redMask, width, height, limits);
    std::vector<A_long> dirty;
    for (A_long y = std::max<A_long>(0, limits.firstRow); y <= std::min(height - 1, limits.lastRow);
         ++y)
        dirty.push_back(y);
    for (A_long k = 0; k < maxAcross && !dirty.empty(); ++k) {
        const std::vector<A_long> changed = absorbChaffOnce(redMask, rows, dirty, width);
        if (changed.empty()) break;
        dirty = rowsAround(changed, limits);
    }
}

void judgePocket(FillTag &tag, A_long maxAcross) {
    tag.accepted = tag.maxX - tag.minX < maxAcross && tag.maxY - tag.minY < maxAcross;
    tag.redOut = tag.accepted ? BAND_RED : 0;
    tag.blueOut = tag.accepted ? ACCEPTED_BLUE : REJECTED_BLUE;
}

// Floods every pocket the row-major scan meets with a tag of its own. From
// tag 599 on, pockets share the last tag: its measurements accumulate and the
// last verdict holds for all of them. A row's red-0 pixels are found by their
// bits and each is checked again when reached, since a flood started earlier
// in the row may have painted it.
void tagPockets(const PF_LayerDef &redMask, A_long width, A_long height, FillTagList &list,
                A_long maxAcross, const FillLimitsArray &limits) {
    std::vector<BitWord> pocket(static_cast<std::size_t>(bitWordsFor(width)));
    std::vector<PocketSpan> pending;
    for (A_long y = limits.firstRow; y <= limits.lastRow; ++y) {
        const A_long left = std::max<A_long>(0, limits.left[y]);
        const A_long right = std::min(width - 1, limits.right[y]);
        if (left > right) continue;
        pixelRowBits(getPixel16(redMask, 0, y), width, pocket.data(),
                     [](const PF_Pixel16 &p) { return p.red == POCKET_RED; });
        for (A_long w = left / BITS_PER_WORD; w <= right / BITS_PER_WORD; ++w) {
            forEachBit(pocket[w] & columnBits(w, left, right), w, [&](A_long x) {
                if (getPixel16Red(redMask, x, y) != POCKET_RED) return;
                const A_long k = list.count;
                FillTag &tag = list.tags[k];
                tag.tagValue = static_cast<A_u_short>(k * TAG_STEP);
                floodPocketFrom(x, y, redMask, height, POCKET_RED, tag, tag.tagValue, limits,
                                pending);
                // Nothing painted: the tag number stays free for the next pocket.
                if (tag.area == 0) return;
                judgePocket(tag, maxAcross);
                list.count = std::min(LAST_TAG, list.count + 1);
            });
        }
    }
}

// Every tagged pixel takes its tag's verdict. Floods stay within the region,
// so only its pixels can carry a tag.
void paintVerdicts(const PF_LayerDef &redMask, A_long width, A_long height, const FillTagList &list,
                   const FillLimitsArray &limits) {
    for (A_long y = std::max<A_long>(0, limits.firstRow); y <= std::min(height - 1, limits.lastRow);
         ++y) {
        PF_Pixel16 *row = getPixel16(redMask, 0, y);
        const A_long right = std::min(width - 1, limits.right[y]);
        for (A_long x = std::max<A_long>(0, limits.left[y]); x <= right; ++x)
            paintVerdictOf(row[x], list);
    }
}

}  // namespace

void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits,
                                               bool paint) {
    clearFillTagList(list);
    list.count = 1;
    // The floods search whole rows of a span at once (floodPocketFrom) and
    // need no seed stack.
    static_cast<void>(stack);
    markEdgeBand(source, redMask, width, height);
    if (maxAcross <= 0) return;
    removeChaff(redMask, width, height, maxAcross, limits);
    tagPockets(redMask, width, height, list, maxAcross, limits);
    if (paint) paintVerdicts(redMask, width, height, list, limits);
}

void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits) {
    floodFillHolesRemoveChaffLogInFillTagList(source, redMask, width, height, list, maxAcross,
                                              stack, limits, true);
}

void floodFillHolesRemoveChaffLogInFillTagList(const PF_LayerDef &source,
                                               const PF_LayerDef &redMask, A_long width,
                                               A_long height, FillTagList &list, A_long maxAcross,
                                               SeedStack &stack, const FillLimitsArray &limits) {
    floodFillHolesRemoveChaffLogInFillTagList(InputLayer16{&source, false}, redMask, width, height,
                                              list, maxAcross, stack, limits);
}
