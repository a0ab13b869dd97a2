#include "render/recode_fill_area.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "detect/red_mask.h"
#include "detect/row_bits.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"

namespace {

constexpr PF_Pixel16 TRANSPARENT_BLACK{0, 0, 0, 0};

// ClearRejected: a region Classify rejected that carries no green mark.
PF_Pixel16 clearedRejected(const PF_Pixel16 &p) {
    const bool rejectedUnmarked = p.red == POCKET_RED && p.green == 0 && p.blue == REJECTED_BLUE;
    return rejectedUnmarked ? TRANSPARENT_BLACK : p;
}

// Normalise: a rejected region with the gap mark keeps it as the green fill
// tag; any other code is a pixel to fill.
PF_Pixel16 normalised(const PF_Pixel16 &p) {
    if (p.red == POCKET_RED && p.green == GAP_MARK_GREEN && p.blue == REJECTED_BLUE)
        return GREEN_FILL_PIXEL;
    return (p.red | p.green | p.blue) != 0 ? FILL_PIXEL : TRANSPARENT_BLACK;
}

// The world pixel of every code, outside the limits and within them.
struct CodePixels {
    PF_Pixel16 outside[256];
    PF_Pixel16 inside[256];
};

void makeCodePixels(CodePixels &table, bool clearRejected, bool normalise) {
    for (int c = 0; c < 256; ++c) {
        const PF_Pixel16 raw = maskPixelOf(static_cast<MaskCode>(c));
        PF_Pixel16 p = clearRejected ? clearedRejected(raw) : raw;
        if (normalise) p = normalised(p);
        table.outside[c] = raw;
        table.inside[c] = p;
    }
}

// count copies of p, four pixels to a store; zero (most runs) as memset does
// it, which picks the widest stores the machine has.
void fillPixels(PF_Pixel16 *row, A_long count, const PF_Pixel16 &p) {
    if ((p.alpha | p.red | p.green | p.blue) == 0) {
        std::memset(row, 0, static_cast<std::size_t>(count) * sizeof(PF_Pixel16));
        return;
    }
    const PF_Pixel16 four[4] = {p, p, p, p};
    A_long i = 0;
    for (; i + 4 <= count; i += 4) std::memcpy(row + i, four, sizeof four);
    for (; i < count; ++i) row[i] = p;
}

// Bits first..end - 1 of a row of bits set.
void setBits(BitWord *bits, A_long first, A_long end) {
    for (A_long w = first / BITS_PER_WORD; w <= (end - 1) / BITS_PER_WORD; ++w)
        bits[w] |= columnBits(w, first, end - 1);
}

// One row of the world and of the blue planes (zeroed beforehand).
struct RowOut {
    PF_Pixel16 *pixels;
    BitWord *fill;  // null: no planes
    BitWord *full;
    bool onlyFill;  // pixels without blue are left unwritten

    bool writes(const PF_Pixel16 &p) const { return !onlyFill || p.blue != 0; }
};

void noteBlue(const RowOut &out, A_long first, A_long end, const PF_Pixel16 &p) {
    if (out.fill == nullptr || p.blue == 0) return;
    setBits(out.fill, first, end);
    if (p.blue == FILL_BLUE) setBits(out.full, first, end);
}

// The same for one pixel, its bit set directly: the pixels between runs
// are many at the edges of the fill.
void noteBluePixel(const RowOut &out, A_long x, const PF_Pixel16 &p) {
    if (out.fill == nullptr || p.blue == 0) return;
    const BitWord bit = BitWord{1} << (x % BITS_PER_WORD);
    out.fill[x / BITS_PER_WORD] |= bit;
    if (p.blue == FILL_BLUE) out.full[x / BITS_PER_WORD] |= bit;
}

// row[x] = table[codes[x]] for x = first..end - 1. Codes come in long runs
// of one value (the clear surroundings, the judged pockets): a run is found
// eight codes at a time and written as one fill.
void writeCodePixels(const RowOut &out, const MaskCode *codes, A_long first, A_long end,
                     const PF_Pixel16 *table) {
    A_long x = first;
    while (x < end) {
        const MaskCode code = codes[x];
        const std::uint64_t eight = inEveryByte(code);
        if (x + 8 > end || eightCodes(codes + x) != eight) {
            if (out.writes(table[code])) out.pixels[x] = table[code];
            noteBluePixel(out, x, table[code]);
            ++x;
            continue;
        }
        A_long runEnd = x + 8;
        while (runEnd + 8 <= end && eightCodes(codes + runEnd) == eight) runEnd += 8;
        while (runEnd < end && codes[runEnd] == code) ++runEnd;
        if (out.writes(table[code])) fillPixels(out.pixels + x, runEnd - x, table[code]);
        noteBlue(out, x, runEnd, table[code]);
        x = runEnd;
    }
}

// World row y from code row y, which is read whole before the row over it
// is written.
void writeWorldRow(const PF_LayerDef &redMask, const AnalysisMask &mask,
                   const FillLimitsArray &limits, const CodePixels &table, A_long width, A_long y,
                   MaskCode *codes, BlueBits *blue) {
    PF_Pixel16 *row = getPixel16(redMask, 0, y);
    const bool onlyFill = blue != nullptr && blue->onlyFillWritten;
    if (y >= mask.height) {
        if (onlyFill) return;
        std::fill(row, row + redMask.width, TRANSPARENT_BLACK);
        return;
    }
    std::memcpy(codes, mask.row(y), static_cast<std::size_t>(width));
    const bool inRows = y >= limits.firstRow && y <= limits.lastRow;
    const A_long left = inRows ? std::clamp<A_long>(limits.left[y], 0, width) : width;
    const A_long right = inRows ? std::min(width - 1, limits.right[y]) : -1;
    const bool planeRow = blue != nullptr && y < blue->rows;
    const RowOut out{row, planeRow ? blue->fillRow(y) : nullptr,
                     planeRow ? blue->fullRow(y) : nullptr, onlyFill};
    writeCodePixels(out, codes, 0, left, table.outside);
    writeCodePixels(out, codes, left, right + 1, table.inside);
    writeCodePixels(out, codes, std::max(left, right + 1), width, table.outside);
    if (!onlyFill) fillPixels(row + width, redMask.width - width, TRANSPARENT_BLACK);
}

// The end of the rows from `first` on that can be written at once: those
// whose pixels end before code row `first`, the first code row still to be
// read, when the codes share the world's memory (analysisMaskIn keeps them
// after the rows they become). At least `first` + 1: a row overlapping its
// own codes reads them before it is written.
A_long rowsClearOfCodes(const PF_LayerDef &redMask, const AnalysisMask &mask, A_long first) {
    if (redMask.rowbytes <= 0) return first + 1;
    const auto *world = reinterpret_cast<const std::uint8_t *>(redMask.data);
    const std::uint8_t *worldEnd = world + static_cast<std::size_t>(redMask.rowbytes) *
                                               static_cast<std::size_t>(redMask.height);
    if (first >= mask.height || mask.data < world || mask.data >= worldEnd) return redMask.height;
    const std::ptrdiff_t free =
        mask.row(first) - world - static_cast<std::ptrdiff_t>(redMask.width) * sizeof(PF_Pixel16);
    if (free < 0) return first + 1;
    const A_long end = static_cast<A_long>(free / redMask.rowbytes) + 1;
    return std::clamp<A_long>(end, first + 1, redMask.height);
}

}  // namespace

void write_RedMaskWorld(const PF_LayerDef &redMask, const AnalysisMask &mask,
                        const FillLimitsArray &limits, bool clearRejected, bool normalise,
                        RowThreads threads, BlueBits *blue, bool onlyFillPixels) {
    CodePixels table;
    makeCodePixels(table, clearRejected, normalise);
    const A_long width = std::min(mask.width, redMask.width);
    if (blue != nullptr) {
        size_BlueBits(*blue, width, std::min(mask.height, redMask.height));
        blue->onlyFillWritten = onlyFillPixels;
    }
    auto writeRows = [&](A_long first, A_long end) {
        std::vector<MaskCode> codes(static_cast<std::size_t>(std::max<A_long>(1, width)));
        for (A_long y = first; y < end; ++y)
            writeWorldRow(redMask, mask, limits, table, width, y, codes.data(), blue);
    };
    // In steps: each writes, in row bands, the rows that no code row still
    // to be read lies under; most of the world is clear of the codes at once.
    for (A_long y = 0; y < redMask.height;) {
        const A_long end = rowsClearOfCodes(redMask, mask, y);
        forEachRowBand(threads, end - y, [&](A_long a, A_long b) { writeRows(y + a, y + b); });
        y = end;
    }
}
