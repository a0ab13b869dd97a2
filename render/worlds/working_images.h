// Bit depth, the 16-bit working copies of the input layer and its
// neighbouring frames, and the world the render writes into.
#pragma once

#include <cstdint>
#include <vector>

#include "api/effect_api.h"
#include "detect/fill_limits.h"
#include "fill/blue_bits.h"
#include "render/row_threads.h"
#include "render/worlds/disposal_list.h"

constexpr A_long FRAME_ARRAY_SLOTS = 21;  // frame offsets -10..+10, slot = offset + 10
constexpr A_long FRAME_ARRAY_CENTRE = 10;

PF_Err populate_BitDepthAndSizing(const PF_InData *in_data, PF_OutData *out_data,
                                  const PF_LayerDef *output, bool &eightBit, A_long &sizeFactor);

// Which blocks of each row hold a fill pixel (FILL_BLOCK_WORDS words a row;
// bit j of them: the j-th of as many equal blocks of columns), found by the
// first capture of a render and used by the rest, so the mask is read once
// however many frames are captured. A fixed table by row, as the limits are.
constexpr A_long FILL_BLOCK_WORDS = 4;
struct FillBlocks {
    std::vector<std::uint64_t> rows;  // FILL_BLOCK_WORDS words per row; empty until known
    A_long width = 0;                 // the columns the blocks were found over
    bool known = false;
};

// Which of the neighbouring frames the render reads after the check-outs, and
// where. The world of every slot is still created and every frame checked
// out and in, in the same order; only the copies nobody reads are left out.
struct FrameCapturePlan {
    bool wanted[FRAME_ARRAY_SLOTS] = {};
    // The pixels copied; null: the whole frame.
    const FillLimitsArray *region = nullptr;
    // Set when a wanted slot shows the fallback world, which must then hold
    // its copy of the input where the region lies.
    bool fallbackUsed = false;
    // When set: only the region's fill pixels in these planes (those of a
    // finished red mask) are copied.
    const BlueBits *onlyFillPixels = nullptr;
    FillBlocks fillBlocks;
    // The render's input layer. With onlyFillPixels, a frame checked out as
    // the input's own pixels (the same memory, as a host may give the
    // current frame) is not copied: the slot is read from the input, which
    // lives through the render (sharesInput).
    InputLayer16 input{};
    bool sharesInput[FRAME_ARRAY_SLOTS] = {};
    // Set for the slots whose world holds the 8-bit pixels as they came,
    // 4 bytes to a pixel at the 8-bit addresses (getPixel8 on the world),
    // rather than converted: an 8-bit frame copied over a region is copied
    // that way.
    bool packedEightBit[FRAME_ARRAY_SLOTS] = {};
    // Bands of rows copied at once (render/row_workers.h).
    RowThreads threads = 1;
};

// plan: null copies every frame whole.
PF_Err populate_FrameArrayFramesNoMatterWhat(PF_LayerDef frameStorage[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef *frameArray[FRAME_ARRAY_SLOTS],
                                             PF_LayerDef &fallback, const PF_InData *in_data,
                                             DisposalList &list, A_long width, A_long sizeFactor,
                                             A_long height, bool eightBit, A_long framesBefore,
                                             A_long framesAfter, FrameCapturePlan *plan = nullptr);

PF_Err setup_OutputPointer(PF_LayerDef *&outputWorld, PF_LayerDef &temporary,
                           PF_LayerDef *hostOutput, const PF_InData *in_data, DisposalList &list,
                           A_long width, A_long sizeFactor, A_long height, bool eightBit);

// Zeroes the record, creates a 16-bit world (width * sizeFactor by height)
// and lists it, without filling it: for worlds whose every pixel is written
// before it is read.
PF_Err create_ListedWorld16(PF_LayerDef &world, const PF_InData *in_data, DisposalList &list,
                            A_long width, A_long sizeFactor, A_long height);

// A working copy of source: its pixels (converted when convertFrom8Bit),
// transparent black where it does not reach, the alpha forced to 32760 when
// setAlpha; over the region only (null: all of it).
void fill_WorkingInputWorld(const PF_LayerDef &world, const PF_LayerDef &source,
                            bool convertFrom8Bit, bool setAlpha, A_long width, A_long height,
                            const FillLimitsArray *region, RowThreads threads = 1);

// A frame's pixels over the region, for a reader that reads only there: an
// 8-bit layer's as they are (returns true: packed, 4 bytes to a pixel from
// the row's start), a 16-bit one's as copyWorldToWorld puts them.
bool capture_FrameRegion(const PF_LayerDef &world, const PF_LayerDef &layer, bool layerIs8Bit,
                         const FillLimitsArray &region, RowThreads threads = 1);

// The same over the blocks of the region that hold a fill pixel (the rest
// of a block may be copied too). blocks: found from the fill plane when not
// yet known, else reused: every capture of one render passes the same region
// and planes.
bool capture_FramePixelsWhereBlue(const PF_LayerDef &world, const PF_LayerDef &layer,
                                  bool layerIs8Bit, const FillLimitsArray &region,
                                  const BlueBits &fillPixels, FillBlocks &blocks,
                                  RowThreads threads = 1);
