// Classify: the edge band, chaff removal, pocket flooding and the verdicts.
// The result is that of the straightforward form
// (reference/detect/classify_holes.cpp), which the tests compare; the work is
// narrowed to what can change: pass one on the opaque pixels as bits, the
// edge band's squares only where pass one found an edge, each chaff iteration
// only on the rows next to the previous iteration's changes (64 pixels
// decided at once, absorbed without the mark pass) and the pockets flooded
// a run at a time (detect/pocket_runs.h), their verdicts painted once all are
// known, all on the analysis mask's codes.
//
// On entry the mask holds what HoleMask and EdgeGaps leave: green 0 or the
// gap mark (never an edge code).
#include "detect/classify_holes.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "detect/analysis_mask.h"
#include "detect/pocket_runs.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

constexpr A_long LAST_TAG = FILL_TAG_CAPACITY - 1;

// An 8-bit layer reads at most 255 * 128 = 32640: no pixel is exactly full,
// so no solid edge exists.
bool canBeFull(const InputLayer16 &source) { return !source.eightBit; }

// The opaque codes (CODE_OPAQUE) of the rows as bits, for a pass that moves
// down the image asking for rows y - 1, y and y + 1: each row is made once
// and held in a ring of three.
class OpaqueRows {
  public:
    OpaqueRows(const AnalysisMask &mask, std::size_t words) : mask_(mask) {
        for (std::vector<BitWord> &r : rows_) r.resize(words);
    }
    const BitWord *row(A_long y) {
        const int slot = y % 3;
        if (held_[slot] != y) {
            pixelRowBits(mask_.row(y), mask_.width, rows_[slot].data(),
                         [](MaskCode c) { return (c & CODE_OPAQUE) != 0; });
            held_[slot] = y;
        }
        return rows_[slot].data();
    }

  private:
    const AnalysisMask &mask_;
    std::vector<BitWord> rows_[3];
    A_long held_[3] = {-1, -1, -1};
};

inline void setGreenCode(MaskCode &code, MaskCode green) {
    code = static_cast<MaskCode>((code & ~CODE_GREEN) | green);
}

// Pass one on row y (1..height - 2): opaque pixels of columns 1..width - 2
// with a 4-neighbour of another alpha, 64 at a time, as bits.
void solidEdgesOfRow(OpaqueRows &opaque, A_long width, A_long words, A_long y, BitWord *edges) {
    const BitWord *up = opaque.row(y - 1);
    const BitWord *down = opaque.row(y + 1);
    const BitWord *here = opaque.row(y);
    for (A_long w = 0; w < words; ++w) {
        const BitWord left = (here[w] << 1) | (w > 0 ? here[w - 1] >> 63 : 0);
        const BitWord right = (here[w] >> 1) | (w + 1 < words ? here[w + 1] << 63 : 0);
        edges[w] = here[w] & ~(left & right & up[w] & down[w]) & columnBits(w, 1, width - 2);
    }
}

// Pass one over the whole image, in row bands: the edges of every row as
// bits (a row of `words` words per image row), and their codes. Every
// band has read its rows' neighbours before any band writes a code.
std::vector<BitWord> markSolidEdges(const AnalysisMask &mask, A_long width, A_long height,
                                    A_long words, RowThreads threads) {
    std::vector<BitWord> edges(static_cast<std::size_t>(height) * words);
    auto edgeRow = [&](A_long y) { return edges.data() + static_cast<std::size_t>(y) * words; };
    forEachRowBand(threads, height - 2, [&](A_long first, A_long end) {
        OpaqueRows opaque(mask, static_cast<std::size_t>(words));
        for (A_long y = 1 + first; y < 1 + end; ++y)
            solidEdgesOfRow(opaque, width, words, y, edgeRow(y));
    });
    forEachRowBand(threads, height - 2, [&](A_long first, A_long end) {
        for (A_long y = 1 + first; y < 1 + end; ++y)
            for (A_long w = 0; w < words; ++w)
                forEachBit(edgeRow(y)[w], w,
                           [&](A_long x) { setGreenCode(mask.row(y)[x], CODE_EDGE); });
    });
    return edges;
}

// Pass two on row y, in the order of the plain form: an edge pixel still
// marked when visited spreads 32766 over the rest of its 3 x 3 square. Only
// pass one's pixels can hold the edge code, so only they are visited.
void spreadEdgeBandOfRow(const AnalysisMask &mask, A_long width, A_long height, A_long y,
                         const BitWord *edges, A_long words) {
    for (A_long w = 0; w < words; ++w) {
        forEachBit(edges[w], w, [&](A_long x) {
            if ((mask.row(y)[x] & CODE_GREEN) != CODE_EDGE) return;
            for (A_long yy = std::max<A_long>(0, y - 1); yy <= std::min(height - 1, y + 1); ++yy)
                for (A_long xx = std::max<A_long>(0, x - 1); xx <= std::min(width - 1, x + 1); ++xx)
                    if (xx != x || yy != y) setGreenCode(mask.row(yy)[xx], CODE_EDGE_BAND);
        });
    }
}

// Pass one over the whole image, then pass two row by row, as the plain
// form runs them. Pass one reads only the opaque codes, which neither pass
// writes, so its rows are decided in bands; pass two's squares carry from
// one row to the next, so it runs on one thread.
void markEdgeBand(const InputLayer16 &source, const AnalysisMask &mask, A_long width, A_long height,
                  RowThreads threads) {
    if (!canBeFull(source) || width < 3 || height < 3) return;
    const A_long words = bitWordsFor(width);
    const std::vector<BitWord> edges = markSolidEdges(mask, width, height, words, threads);
    for (A_long y = 1; y <= height - 2; ++y)
        spreadEdgeBandOfRow(mask, width, height, y,
                            edges.data() + static_cast<std::size_t>(y) * words, words);
}

// A row of the mask and the words of it (64 columns each) one chaff
// iteration decides.
struct ChaffWords {
    A_long y, first, last;
};

// Bits of one mask row: the band (red 32768) and the pocket pixels of the
// region (red 0). Only the words read last are valid.
struct ChaffRow {
    std::vector<BitWord> band;
    std::vector<BitWord> pocket;
};

// Words first..last of row y.
void readChaffRow(const AnalysisMask &mask, A_long width, const ChaffWords &part,
                  const FillLimitsArray &limits, ChaffRow &row) {
    const A_long y = part.y;
    const A_long firstColumn = part.first * BITS_PER_WORD;
    const A_long columns = std::min(width, (part.last + 1) * BITS_PER_WORD) - firstColumn;
    const MaskCode *codes = mask.row(y) + firstColumn;
    BitWord *band = row.band.data() + part.first;
    const bool inRegion = y >= limits.firstRow && y <= limits.lastRow;
    // No pocket is tagged yet: red is the band or 0.
    if (inRegion)
        pixelRowBitsPair(
            codes, columns, band, row.pocket.data() + part.first,
            [](MaskCode c) { return (c & CODE_BAND) != 0; },
            [](MaskCode c) { return (c & CODE_BAND) == 0; });
    else
        pixelRowBits(codes, columns, band, [](MaskCode c) { return (c & CODE_BAND) != 0; });
    for (A_long w = part.first; w <= part.last; ++w)
        row.pocket[w] =
            inRegion ? row.pocket[w] & columnBits(w, limits.left[y], limits.right[y]) : 0;
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

// Reads the parts of the mask rows around the rows being decided, each part
// once, as the iteration found them.
class ChaffRows {
  public:
    ChaffRows(const AnalysisMask &mask, A_long width, A_long height, const FillLimitsArray &limits)
        : mask_(mask), width_(width), height_(height), limits_(limits) {
        const std::size_t words = static_cast<std::size_t>(bitWordsFor(width));
        for (ChaffRow &r : rows_) r.band.resize(words), r.pocket.resize(words);
    }
    // Words first..last of row y; y may be just outside the image (null).
    const ChaffRow *row(A_long y, A_long first, A_long last) {
        if (y < 0 || y >= height_) return nullptr;
        const int slot = y % 3;
        ChaffWords &held = loaded_[slot];
        if (held.y != y) {
            held = ChaffWords{y, first, last};
            readChaffRow(mask_, width_, held, limits_, rows_[slot]);
        } else if (first < held.first || last > held.last) {
            // Read the words not held yet; the row is not written before
            // the iteration is done with it.
            const ChaffWords wider{y, std::min(first, held.first), std::max(last, held.last)};
            if (wider.first < held.first)
                readChaffRow(mask_, width_, ChaffWords{y, wider.first, held.first - 1}, limits_,
                             rows_[slot]);
            if (wider.last > held.last)
                readChaffRow(mask_, width_, ChaffWords{y, held.last + 1, wider.last}, limits_,
                             rows_[slot]);
            held = wider;
        }
        return &rows_[slot];
    }
    // Forget what was read: the mask has changed.
    void invalidate() {
        for (ChaffWords &held : loaded_) held.y = -1;
    }

  private:
    const AnalysisMask &mask_;
    A_long width_, height_;
    const FillLimitsArray &limits_;
    ChaffRow rows_[3];
    ChaffWords loaded_[3] = {{-1, 0, -1}, {-1, 0, -1}, {-1, 0, -1}};
};

// The absorbed pixels of one decided row, written once no later decision of
// the iteration reads the row.
struct AbsorbedRow {
    A_long y = -1;
    std::vector<BitWord> bits;
    A_long first = 0, last = -1;
};

// ABSORBED_CHAFF: band red, chaff blue, no green.
void writeAbsorbed(const AnalysisMask &mask, const AbsorbedRow &row) {
    if (row.y < 0) return;
    MaskCode *codes = mask.row(row.y);
    for (A_long w = row.first; w <= row.last; ++w)
        forEachBit(row.bits[w], w, [&](A_long x) { codes[x] = CODE_BAND | CODE_CHAFF; });
}

// Adds the words first..last of row r to the next iteration's, within the
// region. The list is built in rising order and r is at most two rows back.
void addChaffWords(std::vector<ChaffWords> &next, A_long r, A_long first, A_long last,
                   const FillLimitsArray &limits) {
    if (r < limits.firstRow || r > limits.lastRow) return;
    for (std::size_t i = next.size(); i > 0 && i + 2 > next.size(); --i) {
        ChaffWords &d = next[i - 1];
        if (d.y == r) {
            d.first = std::min(d.first, first);
            d.last = std::max(d.last, last);
            return;
        }
    }
    next.push_back(ChaffWords{r, first, last});
}

// The rows of a band that another band reads: their absorbed pixels are
// written once every band has decided (see absorbChaffInBands).
struct SharedRows {
    A_long first = -1, last = -1;
    std::vector<AbsorbedRow> *held = nullptr;

    bool holds(A_long y) const { return held != nullptr && (y == first || y == last); }
};

// Writes a decided row, or keeps it for later when other bands read it.
void release(const AnalysisMask &mask, const AbsorbedRow &row, const SharedRows &shared) {
    if (shared.holds(row.y))
        shared.held->push_back(row);
    else
        writeAbsorbed(mask, row);
}

// One iteration over the given row parts (in rising order of rows): every
// pocket pixel with three or four band neighbours is absorbed. The decisions
// read the mask as the iteration found it: a decided row is written after
// the next decision, which is the last that can read it. Returns the parts
// of the next iteration: only pixels next to an absorbed one can change.
std::vector<ChaffWords> absorbChaffOnce(const AnalysisMask &mask, ChaffRows &rows,
                                        const std::vector<ChaffWords> &dirty, A_long width,
                                        const FillLimitsArray &limits,
                                        const SharedRows &shared = SharedRows()) {
    const A_long words = bitWordsFor(width);
    std::vector<ChaffWords> next;
    AbsorbedRow pending, decided;
    pending.bits.resize(static_cast<std::size_t>(words));
    decided.bits.resize(static_cast<std::size_t>(words));
    rows.invalidate();
    for (const ChaffWords &part : dirty) {
        const A_long y = part.y;
        const A_long readFirst = std::max<A_long>(0, part.first - 1);
        const A_long readLast = std::min(words - 1, part.last + 1);
        const ChaffRow *above = rows.row(y - 1, readFirst, readLast);
        const ChaffRow *below = rows.row(y + 1, readFirst, readLast);
        const ChaffRow &row = *rows.row(y, readFirst, readLast);
        A_long minX = width, maxX = -1;
        for (A_long w = part.first; w <= part.last; ++w) {
            decided.bits[w] = absorbableBits(above, row, below, w, words);
            forEachBit(decided.bits[w], w, [&](A_long x) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            });
        }
        release(mask, pending, shared);
        pending.y = -1;
        if (maxX < 0) continue;
        decided.y = y, decided.first = part.first, decided.last = part.last;
        std::swap(pending, decided);
        const A_long first = std::max<A_long>(0, minX - 1) / BITS_PER_WORD;
        const A_long last = std::min(width - 1, maxX + 1) / BITS_PER_WORD;
        for (A_long r = y - 1; r <= y + 1; ++r) addChaffWords(next, r, first, last, limits);
    }
    release(mask, pending, shared);
    return next;
}

// Every row of the region, whole.
std::vector<ChaffWords> wholeRows(A_long firstRow, A_long endRow, A_long width) {
    std::vector<ChaffWords> parts;
    for (A_long y = firstRow; y < endRow; ++y)
        parts.push_back(ChaffWords{y, 0, bitWordsFor(width) - 1});
    return parts;
}

// The parts several bands found for the next iteration, as one list in
// rising order of rows with a row's words joined, as one iteration over all
// the rows would have listed them.
std::vector<ChaffWords> joinedParts(std::vector<ChaffWords> parts) {
    std::sort(parts.begin(), parts.end(),
              [](const ChaffWords &a, const ChaffWords &b) { return a.y < b.y; });
    std::vector<ChaffWords> joined;
    for (const ChaffWords &p : parts) {
        if (!joined.empty() && joined.back().y == p.y) {
            joined.back().first = std::min(joined.back().first, p.first);
            joined.back().last = std::max(joined.back().last, p.last);
        } else {
            joined.push_back(p);
        }
    }
    return joined;
}

// The first iteration decides every row of the region from the mask as it
// found it, so bands of rows decide at once. A band's first and last rows
// are read by its neighbours: their absorbed pixels are written after every
// band has decided.
std::vector<ChaffWords> absorbChaffInBands(const AnalysisMask &mask, A_long width, A_long height,
                                           const FillLimitsArray &limits, A_long firstRow,
                                           A_long endRow, RowThreads threads) {
    std::mutex collecting;
    std::vector<ChaffWords> next;
    std::vector<AbsorbedRow> held;
    forEachRowBand(threads, endRow - firstRow, [&](A_long first, A_long end) {
        ChaffRows rows(mask, width, height, limits);
        std::vector<AbsorbedRow> bandHeld;
        const std::vector<ChaffWords> bandNext =
            absorbChaffOnce(mask, rows, wholeRows(firstRow + first, firstRow + end, width), width,
                            limits, SharedRows{firstRow + first, firstRow + end - 1, &bandHeld});
        std::lock_guard<std::mutex> lock(collecting);
        next.insert(next.end(), bandNext.begin(), bandNext.end());
        held.insert(held.end(), bandHeld.begin(), bandHeld.end());
    });
    for (const AbsorbedRow &row : held) writeAbsorbed(mask, row);
    return joinedParts(std::move(next));
}

void removeChaff(const AnalysisMask &mask, A_long width, A_long height, A_long maxAcross,
                 const FillLimitsArray &limits, RowThreads threads) {
    const A_long firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long endRow = std::min(height - 1, limits.lastRow) + 1;
    if (maxAcross <= 0 || firstRow >= endRow) return;
    std::vector<ChaffWords> dirty =
        absorbChaffInBands(mask, width, height, limits, firstRow, endRow, threads);
    // The later iterations visit only the rows next to the last changes.
    ChaffRows rows(mask, width, height, limits);
    for (A_long k = 1; k < maxAcross && !dirty.empty(); ++k)
        dirty = absorbChaffOnce(mask, rows, dirty, width, limits);
}

void judgePocket(FillTag &tag, A_long maxAcross) {
    tag.accepted = tag.maxX - tag.minX < maxAcross && tag.maxY - tag.minY < maxAcross;
    tag.redOut = tag.accepted ? BAND_RED : 0;
    tag.blueOut = tag.accepted ? ACCEPTED_BLUE : REJECTED_BLUE;
}

// The verdict of each run's pocket, in row bands: red and blue from the
// verdict, green kept.
void paintVerdicts(const AnalysisMask &mask, const PocketRuns &pockets, const FillTagList &list,
                   RowThreads threads) {
    forEachRowBand(
        threads, static_cast<A_long>(pockets.rowStart.size()) - 1, [&](A_long first, A_long end) {
            for (std::size_t i = pockets.rowStart[first]; i < pockets.rowStart[end]; ++i) {
                const PocketRun &r = pockets.runs[i];
                const MaskCode verdict =
                    list.tags[r.tag].accepted ? CODE_BAND | CODE_ACCEPTED : CODE_REJECTED;
                recodeRun(mask.row(r.y), r.left, r.right, CODE_GREEN, verdict);
            }
        });
}

// Floods every pocket the row-major scan meets with a tag of its own. From
// tag 599 on, pockets share the last tag: its measurements accumulate and the
// last verdict holds for all of them. A run the scan meets with a tag was
// reached by an earlier flood.
void tagPockets(const AnalysisMask &mask, A_long height, FillTagList &list, A_long maxAcross,
                const FillLimitsArray &limits, RowThreads threads) {
    PocketRuns pockets = find_PocketRuns(mask, height, limits, threads);
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < pockets.runs.size(); ++i) {
        if (pockets.runs[i].tag != 0) continue;
        const A_long k = list.count;
        FillTag &tag = list.tags[k];
        tag.tagValue = static_cast<A_u_short>(k * TAG_STEP);
        floodPocketRuns(pockets, i, k, tag, pending);
        judgePocket(tag, maxAcross);
        list.count = std::min(LAST_TAG, list.count + 1);
    }
    paintVerdicts(mask, pockets, list, threads);
}

}  // namespace

void floodFillHolesRemoveChaffLogInFillTagList(const InputLayer16 &source, const AnalysisMask &mask,
                                               A_long width, A_long height, FillTagList &list,
                                               A_long maxAcross, SeedStack &stack,
                                               const FillLimitsArray &limits, RowThreads threads) {
    clearFillTagList(list);
    list.count = 1;
    // The floods walk from run to run (detect/pocket_runs.h) and need no
    // seed stack.
    static_cast<void>(stack);
    markEdgeBand(source, mask, width, height, threads);
    if (maxAcross <= 0) return;
    removeChaff(mask, width, height, maxAcross, limits, threads);
    tagPockets(mask, height, list, maxAcross, limits, threads);
}
