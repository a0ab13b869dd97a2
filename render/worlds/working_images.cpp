#include "render/worlds/working_images.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "detect/row_bits.h"
#include "frame/suites.h"
#include "render/row_workers.h"
#include "render/worlds/pixels.h"
#include "render/worlds/world_ops.h"

namespace {

// A missing suite throws A_Err_MISSING_SUITE out of the scoper, which ends
// the render call with it.
PF_Err readPremiereBitDepth(const PF_InData *in_data, PF_OutData *out_data,
                            const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor) {
    AEFX_SuiteScoper<PF_PixelFormatSuite1> suite(in_data, kPFPixelFormatSuite,
                                                 kPFPixelFormatSuiteVersion1, out_data);
    PrPixelFormat format = PrPixelFormat_ARGB_4444_16u;
    suite->GetPixelFormat(const_cast<PF_LayerDef *>(output), &format);
    if (format == PrPixelFormat_ARGB_4444_16u) {
        sizeFactor = 2;
        eightBit = false;
    } else if (format == PrPixelFormat_ARGB_4444_8u) {
        sizeFactor = 2;
        eightBit = true;
    }
    // Any other format leaves both as the render set them.
    return PF_Err_NONE;
}

bool isPremiere(const PF_InData *in_data) { return in_data->appl_id == PF_ApplId_PREMIERE; }

bool hasPixels(const PF_LayerDef &world) {
    return world.data != nullptr && world.width > 0 && world.height > 0;
}

// The time of the frame offset steps away, never before 0. Worked out wide:
// a late current time at a fine time scale, or a large step, would overflow
// 32 bits.
A_long frameTime(const PF_InData *in_data, A_long offset) {
    const std::int64_t time =
        std::int64_t(in_data->current_time) + std::int64_t(offset) * in_data->time_step;
    return A_long(std::clamp<std::int64_t>(time, 0, std::numeric_limits<A_long>::max()));
}

bool covers(const PF_LayerDef &source, const PF_LayerDef &world) {
    return source.width >= world.width && source.height >= world.height;
}

// Whether a checked-out layer is the input's own memory, read the same way
// and covering the world its copy would fill.
bool isTheInput(const PF_LayerDef &layer, bool layerIs8Bit, const InputLayer16 &input,
                const PF_LayerDef &world) {
    return input.layer != nullptr && layer.data == input.layer->data &&
           layer.rowbytes == input.layer->rowbytes && layerIs8Bit == input.eightBit &&
           covers(layer, world) && covers(*input.layer, world);
}

// Zeroes the record, creates a 16-bit world and lists it. When the list
// refuses it, the world is given back here so that nothing leaks.
PF_Err createListedWorld16(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                           A_long width, A_long sizeFactor, A_long height) {
    world = PF_LayerDef{};
    if (in_data->utils == nullptr || in_data->utils->new_world == nullptr)
        return PF_Err_INVALID_CALLBACK;
    PF_Err err = in_data->utils->new_world(in_data->effect_ref, width * sizeFactor, height,
                                           PF_NewWorldFlag_DEEP_PIXELS, &world);
    if (err != PF_Err_NONE) return err;
    err = ADD_WorldToDISPOSElist(&world, list);
    if (err != PF_Err_NONE) {
        in_data->utils->dispose_world(in_data->effect_ref, &world);
        world = PF_LayerDef{};
    }
    return err;
}

// Fills a freshly created world from a layer of the given depth. A layer that
// does not cover the world leaves part of it as the host made it, so the
// world is cleared first and no uninitialised pixel is ever read.
void fillWorldFromLayer(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit,
                        RowThreads threads) {
    if (!hasPixels(layer) || !covers(layer, world))
        clearWorldToTransparentBlack(world, world.width, world.height, threads);
    if (layerIs8Bit)
        copy8To16BitWorld(layer, world, threads);
    else
        copyWorldToWorld(layer, world, threads);
}

// The region's rows (clipped to the world and the row tables), each copied
// from the same row alone: bands of them are worked on at once.
template <typename RowCopy>
void forEachRegionRow(RowThreads threads, const PF_LayerDef &world, const FillLimitsArray &region,
                      const RowCopy &copyRow) {
    const A_long firstRow = std::max<A_long>(0, region.firstRow);
    const A_long lastRow = std::min({region.lastRow, world.height - 1, FILL_LIMITS_MAX_ROWS - 1});
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        for (A_long y = firstRow + first; y < firstRow + end; ++y) copyRow(y);
    });
}

// The pixels of the region (clipped to the world), as fillWorldFromLayer
// leaves them: the layer's where it reaches, transparent black elsewhere.
void fillRegionFromLayer(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit,
                         const FillLimitsArray &region, RowThreads threads) {
    const bool layerHasPixels = hasPixels(layer);
    forEachRegionRow(threads, world, region, [&](A_long y) {
        PF_Pixel16 *to = getPixel16(world, 0, y);
        const A_long left = std::max<A_long>(0, region.left[y]);
        const A_long right = std::min(world.width - 1, region.right[y]);
        const bool rowInLayer = layerHasPixels && y < layer.height;
        const A_long shared = rowInLayer ? std::min(right, layer.width - 1) : left - 1;
        if (layerIs8Bit) {
            const PF_Pixel *from = rowInLayer ? getPixel8(layer, 0, y) : nullptr;
            for (A_long x = left; x <= shared; ++x) to[x] = convertPix8To16(from[x]);
        } else {
            const PF_Pixel16 *from = rowInLayer ? getPixel16(layer, 0, y) : nullptr;
            for (A_long x = left; x <= shared; ++x) to[x] = from[x];
        }
        for (A_long x = std::max(left, shared + 1); x <= right; ++x) to[x] = PF_Pixel16{0, 0, 0, 0};
    });
}

// The region's 8-bit pixels (clipped to the world and the layer) copied as
// they are into the start of each row of the 16-bit world: half the bytes of
// a converted copy. Readers convert them as copy8To16BitWorld would.
// Returns false, copying nothing, when the world's rows cannot hold them.
bool copyRegionAsItIs(const PF_LayerDef &world, const PF_LayerDef &layer,
                      const FillLimitsArray &region, RowThreads threads) {
    if (world.rowbytes < world.width * static_cast<A_long>(sizeof(PF_Pixel16))) return false;
    forEachRegionRow(threads, world, region, [&](A_long y) {
        const A_long left = std::max<A_long>(0, region.left[y]);
        const A_long right = std::min(region.right[y], world.width - 1);
        if (left > right) return;
        PF_Pixel *to = reinterpret_cast<PF_Pixel *>(getPixel16(world, 0, y));
        // Where the layer does not reach, the copy holds transparent black.
        const A_long shared = y < layer.height ? std::min(right, layer.width - 1) : left - 1;
        if (shared >= left)
            std::memcpy(to + left, getPixel8(layer, left, y),
                        static_cast<std::size_t>(shared - left + 1) * sizeof(PF_Pixel));
        for (A_long x = std::max(left, shared + 1); x <= right; ++x) to[x] = PF_Pixel{0, 0, 0, 0};
    });
    return true;
}

// Columns first..last of row y copied from the layer (transparent black past
// `reach`, the layer's last column on this row): packed as the 8-bit pixels
// are, or converted to 16 bits.
void copyRun(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit, bool packed,
             A_long y, A_long first, A_long last, A_long reach) {
    const A_long shared = std::min(last, reach);
    if (packed) {
        PF_Pixel *to = getPixel8(world, 0, y);
        if (shared >= first)
            std::memcpy(to + first, getPixel8(layer, first, y),
                        static_cast<std::size_t>(shared - first + 1) * sizeof(PF_Pixel));
        for (A_long x = std::max(first, shared + 1); x <= last; ++x) to[x] = PF_Pixel{0, 0, 0, 0};
        return;
    }
    PF_Pixel16 *to = getPixel16(world, 0, y);
    if (layerIs8Bit) {
        const PF_Pixel *from = shared >= first ? getPixel8(layer, 0, y) : nullptr;
        for (A_long x = first; x <= shared; ++x) to[x] = convertPix8To16(from[x]);
    } else if (shared >= first) {
        std::memcpy(to + first, getPixel16(layer, first, y),
                    static_cast<std::size_t>(shared - first + 1) * sizeof(PF_Pixel16));
    }
    for (A_long x = std::max(first, shared + 1); x <= last; ++x) to[x] = PF_Pixel16{0, 0, 0, 0};
}

// The set bits of `bits` as runs: visit(first, last) for each, lowest first.
template <typename Visit>
void forEachRunOfBits(BitWord bits, Visit visit) {
    while (bits != 0) {
        const A_long start = __builtin_ctzll(bits);
        const BitWord ones = ~(bits >> start);  // its lowest 0: the run's end
        const A_long length = ones == 0 ? BITS_PER_WORD : __builtin_ctzll(ones);
        visit(start, start + length - 1);
        bits = start + length >= BITS_PER_WORD ? 0 : bits & (~BitWord{0} << (start + length));
    }
}

// The blocks of row y within the region that hold a fill pixel, into
// blocks[0 .. FILL_BLOCK_WORDS).
void findFillBlocksOfRow(const FillLimitsArray &region, const BlueBits &fillPixels, A_long width,
                         A_long blockWidth, A_long y, BitWord *blocks) {
    std::fill(blocks, blocks + FILL_BLOCK_WORDS, 0);
    const A_long left = std::max<A_long>(0, region.left[y]);
    const A_long right = std::min(region.right[y], width - 1);
    if (left > right) return;
    const BitWord *fill = fillPixels.fillRow(y);
    for (A_long w = left / BITS_PER_WORD; w <= right / BITS_PER_WORD; ++w) {
        forEachRunOfBits(fill[w] & columnBits(w, left, right), [&](A_long a, A_long b) {
            const A_long last = (w * BITS_PER_WORD + b) / blockWidth;
            for (A_long j = (w * BITS_PER_WORD + a) / blockWidth; j <= last; ++j)
                blocks[j / BITS_PER_WORD] |= BitWord{1} << (j % BITS_PER_WORD);
        });
    }
}

// The blocks of row y copied from the layer, each cut to the region; where
// the layer does not reach, the copy holds transparent black.
void copyFillBlocksOfRow(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit,
                         bool packed, const FillLimitsArray &region, A_long width,
                         A_long blockWidth, A_long y, const BitWord *blocks) {
    const A_long left = std::max<A_long>(0, region.left[y]);
    const A_long right = std::min(region.right[y], width - 1);
    const A_long reach = y < layer.height ? std::min(right, layer.width - 1) : left - 1;
    for (A_long w = 0; w < FILL_BLOCK_WORDS; ++w) {
        forEachRunOfBits(blocks[w], [&](A_long first, A_long last) {
            const A_long from = (w * BITS_PER_WORD + first) * blockWidth;
            const A_long to = (w * BITS_PER_WORD + last) * blockWidth + blockWidth - 1;
            copyRun(world, layer, layerIs8Bit, packed, y, std::max(left, from), std::min(right, to),
                    reach);
        });
    }
}

}  // namespace

PF_Err populate_BitDepthAndSizing(const PF_InData *in_data, PF_OutData *out_data,
                                  const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor) {
    if (isPremiere(in_data))
        return readPremiereBitDepth(in_data, out_data, output, eightBit, sizeFactor);
    sizeFactor = 1;
    eightBit = (output->world_flags & PF_WorldFlag_DEEP) == 0;
    return PF_Err_NONE;
}

PF_Err populate_FrameArrayFramesNoMatterWhat(PF_LayerDef frameStorage[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef &fallback, const PF_InData *in_data,
                                             DisposalList &list, A_long width, A_long sizeFactor,
                                             A_long height, bool eightBit, A_long framesBefore,
                                             A_long framesAfter, FrameCapturePlan *plan) {
    // Offsets beyond -10..+10 have no slot.
    const A_long first = -std::min(framesBefore, FRAME_ARRAY_CENTRE);
    const A_long last = std::min(framesAfter, FRAME_ARRAY_SLOTS - 1 - FRAME_ARRAY_CENTRE);
    PF_Err err = PF_Err_NONE;
    for (A_long offset = first; offset <= last; ++offset) {
        const A_long slot = offset + FRAME_ARRAY_CENTRE;
        err |= createListedWorld16(frameStorage[slot], in_data, list, width, sizeFactor, height);

        PF_ParamDef checkedOut{};
        err |= in_data->inter.checkout_param(in_data->effect_ref, 0, frameTime(in_data, offset),
                                             in_data->time_step, in_data->time_scale, &checkedOut);
        if (err != PF_Err_NONE) {
            in_data->inter.checkin_param(in_data->effect_ref, &checkedOut);
            return err;
        }

        const PF_LayerDef &layer = checkedOut.u.ld;
        // Premiere Pro hands frames in the render's depth; After Effects in
        // the layer's own.
        const bool layerIs8Bit =
            isPremiere(in_data) ? eightBit : (layer.world_flags & PF_WorldFlag_DEEP) == 0;
        if (hasPixels(layer) && hasPixels(frameStorage[slot])) {
            // Workers copy while the frame is checked out; the check-in
            // waits for them.
            const RowThreads threads = plan == nullptr ? 1 : plan->threads;
            if (plan == nullptr)
                fillWorldFromLayer(frameStorage[slot], layer, layerIs8Bit, threads);
            else if (plan->wanted[slot] && plan->region == nullptr)
                fillWorldFromLayer(frameStorage[slot], layer, layerIs8Bit, threads);
            else if (plan->wanted[slot] && plan->onlyFillPixels != nullptr &&
                     isTheInput(layer, layerIs8Bit, plan->input, frameStorage[slot]))
                plan->sharesInput[slot] = true;
            else if (plan->wanted[slot] && plan->onlyFillPixels != nullptr)
                plan->packedEightBit[slot] = capture_FramePixelsWhereBlue(
                    frameStorage[slot], layer, layerIs8Bit, *plan->region, *plan->onlyFillPixels,
                    plan->fillBlocks, threads);
            else if (plan->wanted[slot])
                plan->packedEightBit[slot] = capture_FrameRegion(
                    frameStorage[slot], layer, layerIs8Bit, *plan->region, threads);
            frameArray[slot] = &frameStorage[slot];
        } else {
            // No pixels to copy: the slot shows the fallback instead of an
            // uninitialised world.
            frameArray[slot] = &fallback;
            if (plan != nullptr && plan->wanted[slot]) plan->fallbackUsed = true;
        }
        in_data->inter.checkin_param(in_data->effect_ref, &checkedOut);
    }
    return err;
}

PF_Err setup_OutputPointer(PF_LayerDef *&outputWorld, PF_LayerDef &temporary,
                           PF_LayerDef *hostOutput, const PF_InData *in_data, DisposalList &list,
                           A_long width, A_long sizeFactor, A_long height, bool eightBit) {
    if (!eightBit) {
        outputWorld = hostOutput;
        return PF_Err_NONE;
    }
    const PF_Err err = createListedWorld16(temporary, in_data, list, width, sizeFactor, height);
    outputWorld = &temporary;
    return err;
}

PF_Err create_ListedWorld16(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height) {
    return createListedWorld16(world, in_data, list, width, sizeFactor, height);
}

void fill_WorkingInputWorld(const PF_LayerDef &world, const PF_LayerDef &source,
                            bool convertFrom8Bit, bool setAlpha, A_long width, A_long height,
                            const FillLimitsArray *region, RowThreads threads) {
    if (region == nullptr) {
        fillWorldFromLayer(world, source, convertFrom8Bit, threads);
        if (setAlpha) setWorldToAlpha32760(world, width, height, threads);
        return;
    }
    fillRegionFromLayer(world, source, convertFrom8Bit, *region, threads);
    if (!setAlpha) return;
    const A_long lastRow = std::min({region->lastRow, height - 1, world.height - 1});
    for (A_long y = std::max<A_long>(0, region->firstRow); y <= lastRow; ++y) {
        PF_Pixel16 *row = getPixel16(world, 0, y);
        const A_long right = std::min({region->right[y], width - 1, world.width - 1});
        for (A_long x = std::max<A_long>(0, region->left[y]); x <= right; ++x) row[x].alpha = 32760;
    }
}

bool capture_FrameRegion(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit,
                         const FillLimitsArray &region, RowThreads threads) {
    if (layerIs8Bit && copyRegionAsItIs(world, layer, region, threads)) return true;
    fillRegionFromLayer(world, layer, layerIs8Bit, region, threads);
    return false;
}

bool capture_FramePixelsWhereBlue(const PF_LayerDef &world, const PF_LayerDef &layer,
                                  bool layerIs8Bit, const FillLimitsArray &region,
                                  const BlueBits &fillPixels, FillBlocks &blocks,
                                  RowThreads threads) {
    const bool packed =
        layerIs8Bit && world.rowbytes >= world.width * static_cast<A_long>(sizeof(PF_Pixel16));
    const A_long width = std::min(world.width, fillPixels.width);
    const A_long firstRow = std::max<A_long>(0, region.firstRow);
    const A_long lastRow =
        std::min({region.lastRow, world.height - 1, fillPixels.rows - 1, FILL_LIMITS_MAX_ROWS - 1});
    // FILL_BLOCK_WORDS words of blocks cover the row.
    const A_long blockWidth = std::max<A_long>(
        1, (width + FILL_BLOCK_WORDS * BITS_PER_WORD - 1) / (FILL_BLOCK_WORDS * BITS_PER_WORD));
    const bool known = blocks.known && blocks.width == width;
    if (!known) {
        blocks.rows.assign(static_cast<std::size_t>(FILL_LIMITS_MAX_ROWS) * FILL_BLOCK_WORDS, 0);
        blocks.width = width;
    }
    forEachRowBand(threads, lastRow - firstRow + 1, [&](A_long first, A_long end) {
        for (A_long y = firstRow + first; y < firstRow + end; ++y) {
            BitWord *rowBlocks =
                blocks.rows.data() + static_cast<std::size_t>(y) * FILL_BLOCK_WORDS;
            if (!known) findFillBlocksOfRow(region, fillPixels, width, blockWidth, y, rowBlocks);
            copyFillBlocksOfRow(world, layer, layerIs8Bit, packed, region, width, blockWidth, y,
                                rowBlocks);
        }
    });
    blocks.known = true;
    return packed;
}
