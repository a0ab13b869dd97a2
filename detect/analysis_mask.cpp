#include "detect/analysis_mask.h"

#include <cstdint>

namespace {

constexpr A_long ROW_ALIGNMENT = 64;

A_long alignedStride(A_long width) {
    return (width + ROW_ALIGNMENT - 1) / ROW_ALIGNMENT * ROW_ALIGNMENT;
}

}  // namespace

AnalysisMask ownAnalysisMask(A_long width, A_long height) {
    AnalysisMask mask;
    mask.width = width;
    mask.height = height;
    mask.stride = alignedStride(width);
    // One row of slack, so the first row can start on the boundary.
    mask.own.assign(static_cast<std::size_t>(mask.stride) * (height + 1), 0);
    const auto address = reinterpret_cast<std::uintptr_t>(mask.own.data());
    mask.data = mask.own.data() + (ROW_ALIGNMENT - address % ROW_ALIGNMENT) % ROW_ALIGNMENT;
    return mask;
}

// World row y is written over bytes [y R, y R + 8 width), code row y is read
// from [P + y S, P + (y + 1) S). With P = R h - S h less up to 63 bytes of
// alignment, rows 0..y of the world end before code row y + 1 starts as long
// as R - S is at least 64; row y itself is read before it is overwritten.
AnalysisMask analysisMaskIn(const PF_LayerDef &world, A_long width, A_long height) {
    const A_long stride = alignedStride(width);
    if (world.data == nullptr || world.height < height || world.rowbytes - stride < ROW_ALIGNMENT)
        return ownAnalysisMask(width, height);
    auto *bytes = reinterpret_cast<std::uint8_t *>(world.data);
    const std::size_t codeBytes = static_cast<std::size_t>(stride) * height;
    const auto end =
        reinterpret_cast<std::uintptr_t>(bytes) + static_cast<std::size_t>(world.rowbytes) * height;
    const std::uintptr_t start = (end - codeBytes) / ROW_ALIGNMENT * ROW_ALIGNMENT;
    AnalysisMask mask;
    mask.width = width;
    mask.height = height;
    mask.stride = stride;
    mask.data = bytes + (start - reinterpret_cast<std::uintptr_t>(bytes));
    return mask;
}
