// The analysis mask: what the red mask holds from HoleMask to Classify, one
// byte per pixel instead of eight. Each byte carries the red, green and blue
// codes of detect/red_mask.h as a few bits, so the detection stages read and
// write an eighth of the memory, and the red mask world is written once,
// whole, when the codes are final (write_RedMaskWorld,
// render/recode_fill_area.h). The mask world's alpha, scratch of the
// detection stages, is not carried.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "detect/red_mask.h"
#include "render/worlds/pixels.h"

using MaskCode = std::uint8_t;

// Red.
constexpr MaskCode CODE_BAND = 1;  // BAND_RED
// Blue.
constexpr MaskCode CODE_BLUE = 3 << 2;
constexpr MaskCode CODE_ACCEPTED = 1 << 2;  // ACCEPTED_BLUE
constexpr MaskCode CODE_REJECTED = 2 << 2;  // REJECTED_BLUE
constexpr MaskCode CODE_CHAFF = 3 << 2;     // CHAFF_BLUE
// Green.
constexpr MaskCode CODE_GREEN = 3 << 4;
constexpr MaskCode CODE_GAP = 1 << 4;        // GAP_MARK_GREEN
constexpr MaskCode CODE_EDGE = 2 << 4;       // EDGE_GREEN
constexpr MaskCode CODE_EDGE_BAND = 3 << 4;  // EDGE_BAND_GREEN

// Not a red mask code: the detection source's alpha is exactly full there.
// HoleMask marks it as it reads the alpha, for Classify's solid edges; only
// EdgeGaps runs in between, and keeps it.
constexpr MaskCode CODE_OPAQUE = 1 << 6;

// Not a red mask code: EdgeGaps' mark of a gap pixel until all are found.
constexpr MaskCode CODE_GAP_FOUND = 1 << 7;

// Red other than 0. (A pocket's tag, the plain form's red while it floods,
// has no code: the pockets are tagged by their runs, detect/pocket_runs.h.)
inline bool hasRedCode(MaskCode c) { return (c & CODE_BAND) != 0; }
// Red 0 and not yet judged: the pixels Classify's pockets are made of (a
// rejected pocket has red 0 but a blue).
inline bool isPocketCode(MaskCode c) { return (c & (CODE_BAND | CODE_BLUE)) == 0; }

// Eight codes at once, the first in the lowest byte.
inline std::uint64_t eightCodes(const MaskCode *codes) {
    std::uint64_t word;
    std::memcpy(&word, codes, sizeof word);
    return word;
}
inline constexpr std::uint64_t inEveryByte(MaskCode bits) {
    return bits * std::uint64_t{0x0101010101010101};
}
// Whether any of the eight codes from `codes` on has one of `bits`.
inline bool anyByteHas(const MaskCode *codes, MaskCode bits) {
    return (eightCodes(codes) & inEveryByte(bits)) != 0;
}

// codes[x] = (codes[x] & keep) | set for x = first..last, eight at a time.
inline void recodeRun(MaskCode *codes, A_long first, A_long last, MaskCode keep, MaskCode set) {
    A_long x = first;
    const std::uint64_t keepAll = inEveryByte(keep), setAll = inEveryByte(set);
    for (; x + 8 <= last + 1; x += 8) {
        const std::uint64_t word = (eightCodes(codes + x) & keepAll) | setAll;
        std::memcpy(codes + x, &word, sizeof word);
    }
    for (; x <= last; ++x) codes[x] = static_cast<MaskCode>((codes[x] & keep) | set);
}

// The red mask pixel a code stands for. Alpha, the detection stages'
// scratch, is PAINTED_ALPHA on judged pockets as the flood leaves them and 0
// elsewhere.
inline PF_Pixel16 maskPixelOf(MaskCode c) {
    static constexpr A_u_short BLUES[4] = {0, ACCEPTED_BLUE, REJECTED_BLUE, CHAFF_BLUE};
    static constexpr A_u_short GREENS[4] = {0, GAP_MARK_GREEN, EDGE_GREEN, EDGE_BAND_GREEN};
    const int blue = (c & CODE_BLUE) >> 2;
    const bool judged = blue == 1 || blue == 2;
    return PF_Pixel16{judged ? PAINTED_ALPHA : A_u_short{0},
                      (c & CODE_BAND) ? BAND_RED : POCKET_RED, GREENS[(c & CODE_GREEN) >> 4],
                      BLUES[blue]};
}

// Rows of codes, row-major, each row starting on a 64-byte boundary.
struct AnalysisMask {
    MaskCode *data = nullptr;
    A_long stride = 0;  // bytes from one row to the next
    A_long width = 0;
    A_long height = 0;
    std::vector<MaskCode> own;  // the rows, when they do not live in a world

    MaskCode *row(A_long y) const { return data + static_cast<std::size_t>(y) * stride; }

    // A copy would point into the original's rows; a move keeps them.
    AnalysisMask() = default;
    AnalysisMask(const AnalysisMask &) = delete;
    AnalysisMask &operator=(const AnalysisMask &) = delete;
    AnalysisMask(AnalysisMask &&) = default;
    AnalysisMask &operator=(AnalysisMask &&) = default;
};

// A mask of width x height codes in the last bytes of `world`, whose pixels
// are dead until write_RedMaskWorld fills them: that writes the world from
// the top row down, and each world row ends before the code rows it has not
// yet read. A world too narrow for that (under about 20 pixels) gets rows of
// its own. The codes are not cleared.
AnalysisMask analysisMaskIn(const PF_LayerDef &world, A_long width, A_long height);

// A mask with rows of its own, all codes 0.
AnalysisMask ownAnalysisMask(A_long width, A_long height);
