// The red mask: the analysis image of one render, a 16-bit world of the
// output's size, all zero before the hole mask is written. Its four channels
// carry exact codes from stage to stage (compared for equality, not used as
// intensities). Each stage (render/stages.h) leaves these codes:
//
// HoleMask       red   BAND_RED          hole band: alpha from the clear floor (660) up to
//                                        alphaLevel, exclusive
//                      POCKET_RED (0)    clear or solid; every pixel outside the region
// EdgeGaps       green GAP_MARK_GREEN    a clear or solid pixel in a narrow gap of the band;
//                                        within BRIDGE_BORDER of the image border it stays so,
//                                        further in it becomes the whole pixel BRIDGED
//                                        (alpha PAINTED_ALPHA, red BAND_RED)
//                alpha INNER_AREA_ALPHA  every pixel BRIDGE_BORDER or more from the border
//                                        (the plain form's scratch mark only)
// Classify       green EDGE_GREEN        an opaque pixel with a 4-neighbour of another alpha
//                      EDGE_BAND_GREEN   next to (8-neighbourhood) such an edge pixel
//                red   TAG_STEP * k      pocket k (1..599) while it is flooded; then replaced
//                                        by its verdict: accepted BAND_RED with blue
//                                        ACCEPTED_BLUE, rejected 0 with blue REJECTED_BLUE
//                alpha PAINTED_ALPHA     every flooded pixel
//                whole ABSORBED_CHAFF    a clear or solid speck absorbed into the band (blue
//                                        CHAFF_BLUE, above full scale); the plain form marks
//                                        the specks of an iteration with alpha CHAFF_MARK_ALPHA
// ClearRejected  whole 0                 rejected regions without a green mark
// Normalise      whole FILL_PIXEL        every other pixel with a code: a pixel to fill,
//                      GREEN_FILL_PIXEL  or, from a rejected region with the gap mark, one
//                                        that carries the green fill tag (green
//                                        GREEN_FILL_TAG); red is 0 everywhere in the region
// GrowShrink     blue  FILL_BLUE / 0     pixels added (red 0) or removed; the plain form
//                                        marks alpha MARK_SET (selected by the last pass)
//                                        or MARK_CLEAR
// EdgeMultiplier red   up to FULL_EDGE_MULTIPLIER on fill pixels: the share of matte or
//                                        fill around them (800 per sample of 25)
// Feather        blue  0..FULL_SCALE     the fill amount; the plain form marks alpha
//                                        MARK_SET on edge pixels, MARK_CLEAR elsewhere
//
// FillChain colours the fill pixels (isFillPixel); Compose tapers the fill
// amount by the edge multiplier and shows the codes as colours in the info
// view.
//
// From HoleMask to Classify the render holds these codes as the analysis
// mask (detect/analysis_mask.h), a byte per pixel; the world is written from
// it in one pass, with ClearRejected and Normalise applied
// (write_RedMaskWorld), before GrowShrink.
#pragma once

#include "detect/fill_tags.h"
#include "render/worlds/pixels.h"

// Red.
constexpr A_u_short BAND_RED = FULL_SCALE;
constexpr A_u_short POCKET_RED = 0;
constexpr A_u_short TAG_STEP = 32;  // pocket k is red TAG_STEP * k
constexpr A_u_short LAST_TAG_RED = (FILL_TAG_CAPACITY - 1) * TAG_STEP;
constexpr A_u_short FULL_EDGE_MULTIPLIER = 20000;

// Green.
constexpr A_u_short GAP_MARK_GREEN = 20000;
constexpr A_u_short EDGE_GREEN = FULL_SCALE;
constexpr A_u_short EDGE_BAND_GREEN = 32766;
constexpr A_u_short GREEN_FILL_TAG = GAP_MARK_GREEN;  // the gap mark, kept

// Blue.
constexpr A_u_short ACCEPTED_BLUE = 20000;
constexpr A_u_short REJECTED_BLUE = FULL_SCALE;
constexpr A_u_short CHAFF_BLUE = 37268;  // above full scale, as the info view shows it
constexpr A_u_short FILL_BLUE = FULL_SCALE;

// Alpha, each stage's scratch.
constexpr A_u_short PAINTED_ALPHA = FULL_SCALE;
constexpr A_u_short INNER_AREA_ALPHA = 19000;
constexpr A_u_short CHAFF_MARK_ALPHA = 10;
constexpr A_u_short MARK_SET = 30000;
constexpr A_u_short MARK_CLEAR = 10000;

// Whole pixels (alpha, red, green, blue).
constexpr PF_Pixel16 BRIDGED{PAINTED_ALPHA, BAND_RED, 0, 0};
constexpr PF_Pixel16 ABSORBED_CHAFF{0, BAND_RED, 0, CHAFF_BLUE};
constexpr PF_Pixel16 FILL_PIXEL{FULL_SCALE, 0, 0, FILL_BLUE};
constexpr PF_Pixel16 GREEN_FILL_PIXEL{FULL_SCALE, 0, GREEN_FILL_TAG, FILL_BLUE};

// Gap marks this close to the image border stay marks.
constexpr A_long BRIDGE_BORDER = 10;

// A pixel FillChain colours: blue above 0 and red not the band (by then red
// holds at most an edge multiplier, so band red is an unprocessed one).
// For a pixel or for eight (PixelLanes).
template <typename Pixel>
inline auto isFillPixel(const Pixel &m) {
    return (m.blue != 0) & (m.red != BAND_RED);
}
