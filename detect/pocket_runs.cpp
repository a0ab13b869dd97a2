#include "detect/pocket_runs.h"

#include <algorithm>
#include <utility>

#include "detect/row_bits.h"
#include "render/row_workers.h"

namespace {

// visit(first, last) for every run of set bits of the words firstWord..
// lastWord (bits[0] is word firstWord), left to right.
template <typename Visit>
void forEachRunOfBits(const BitWord *bits, A_long firstWord, A_long lastWord, Visit visit) {
    A_long start = -1;  // the open run's first column
    for (A_long w = firstWord; w <= lastWord; ++w) {
        const BitWord word = bits[w - firstWord];
        const A_long base = w * BITS_PER_WORD;
        A_long at = 0;
        while (at < BITS_PER_WORD) {
            if (start < 0) {
                const BitWord ones = word >> at;
                if (ones == 0) break;
                at += __builtin_ctzll(ones);
                start = base + at;
            }
            const BitWord zeros = ~word >> at;
            if (zeros == 0) break;  // the run goes on into the next word
            at += __builtin_ctzll(zeros);
            visit(start, base + at - 1);
            start = -1;
        }
    }
    if (start >= 0) visit(start, lastWord * BITS_PER_WORD + BITS_PER_WORD - 1);
}

// Appends the runs of row y that a flood paints.
void findRunsOfRow(const AnalysisMask &mask, A_long y, const FillLimitsArray &limits,
                   std::vector<BitWord> &bits, std::vector<PocketRun> &runs) {
    const A_long left = std::max<A_long>(0, limits.left[y]);
    const A_long right = std::min(mask.width - 1, limits.right[y]);
    if (left > right) return;
    const A_long firstWord = left / BITS_PER_WORD, lastWord = right / BITS_PER_WORD;
    const A_long firstColumn = firstWord * BITS_PER_WORD;
    pixelRowBits(mask.row(y) + firstColumn,
                 std::min(mask.width, (lastWord + 1) * BITS_PER_WORD) - firstColumn, bits.data(),
                 isPocketCode);
    for (A_long w = firstWord; w <= lastWord; ++w)
        bits[w - firstWord] &= columnBits(w, left, right);
    forEachRunOfBits(bits.data(), firstWord, lastWord, [&](A_long first, A_long last) {
        const A_long paintedLeft = first > left ? first : left + 1;
        const A_long paintedRight = last < right ? last : right - 1;
        if (paintedRight - paintedLeft >= 1)
            runs.push_back(PocketRun{y, first, last, paintedLeft, paintedRight, 0});
    });
}

// The runs of row y: indices begin..end - 1 (none for a row outside).
std::pair<std::size_t, std::size_t> runsOfRow(const PocketRuns &pockets, A_long y) {
    const A_long i = y - pockets.firstRow;
    if (i < 0 || static_cast<std::size_t>(i) + 1 >= pockets.rowStart.size()) return {0, 0};
    return {pockets.rowStart[i], pockets.rowStart[i + 1]};
}

// The first run of row y that ends at column x or after it.
std::size_t firstRunEndingFrom(const PocketRuns &pockets, std::size_t begin, std::size_t end,
                               A_long x) {
    const auto from = pockets.runs.begin();
    return static_cast<std::size_t>(
        std::partition_point(from + begin, from + end,
                             [x](const PocketRun &r) { return r.last < x; }) -
        from);
}

void measure(FillTag &tag, const PocketRun &r) {
    tag.area += r.right - r.left;
    tag.minX = std::min(tag.minX, r.left);
    tag.maxX = std::max(tag.maxX, r.right);
    tag.minY = std::min(tag.minY, r.y);
    tag.maxY = std::max(tag.maxY, r.y);
}

}  // namespace

PocketRuns find_PocketRuns(const AnalysisMask &mask, A_long height, const FillLimitsArray &limits,
                           RowThreads threads) {
    PocketRuns pockets;
    pockets.firstRow = std::max<A_long>(0, limits.firstRow);
    const A_long rows =
        std::max<A_long>(0, std::min(height - 1, limits.lastRow) + 1 - pockets.firstRow);
    // Each band leaves its runs at the slot of its first row: joined in
    // slot order they are in the scan's order.
    std::vector<std::vector<PocketRun>> byBand(static_cast<std::size_t>(rows));
    forEachRowBand(threads, rows, [&](A_long first, A_long end) {
        std::vector<BitWord> bits(static_cast<std::size_t>(bitWordsFor(mask.width)));
        std::vector<PocketRun> &runs = byBand[static_cast<std::size_t>(first)];
        for (A_long y = pockets.firstRow + first; y < pockets.firstRow + end; ++y)
            findRunsOfRow(mask, y, limits, bits, runs);
    });
    for (const std::vector<PocketRun> &band : byBand)
        pockets.runs.insert(pockets.runs.end(), band.begin(), band.end());
    pockets.rowStart.assign(static_cast<std::size_t>(rows) + 1, 0);
    for (const PocketRun &r : pockets.runs) ++pockets.rowStart[r.y - pockets.firstRow + 1];
    for (std::size_t i = 1; i < pockets.rowStart.size(); ++i)
        pockets.rowStart[i] += pockets.rowStart[i - 1];
    return pockets;
}

void floodPocketRuns(PocketRuns &pockets, std::size_t seed, A_long tag, FillTag &measured,
                     std::vector<std::size_t> &pending) {
    pending.clear();
    auto take = [&](std::size_t i) {
        pockets.runs[i].tag = tag;
        measure(measured, pockets.runs[i]);
        pending.push_back(i);
    };
    take(seed);
    while (!pending.empty()) {
        const PocketRun r = pockets.runs[pending.back()];
        pending.pop_back();
        // The runs above and below with a pixel under r's painted columns
        // but the last.
        for (const A_long y : {r.y - 1, r.y + 1}) {
            const auto [begin, end] = runsOfRow(pockets, y);
            for (std::size_t i = firstRunEndingFrom(pockets, begin, end, r.left);
                 i < end && pockets.runs[i].first <= r.right - 1; ++i)
                if (pockets.runs[i].tag == 0) take(i);
        }
    }
}
