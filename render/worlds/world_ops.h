// Whole-world passes. Each row is written from the same row alone, so
// `threads` bands of rows are worked on at once (render/row_workers.h).
// Copies cover only the part the two worlds share, and every pass is limited
// to the frame extent it is given, so nothing reads or writes outside a world
// (under Premiere Pro created worlds are twice the frame's width).
#pragma once

#include "api/effect_api.h"
#include "render/row_threads.h"

void copyWorldToWorld(const PF_LayerDef &source, const PF_LayerDef &destination,
                      RowThreads threads = 1);
void copy8To16BitWorld(const PF_LayerDef &source8, const PF_LayerDef &destination16,
                       RowThreads threads = 1);

// width and height: the frame extent, clipped to the world's own size.
void clearWorldToTransparentBlack(const PF_LayerDef &world, A_long width, A_long height,
                                  RowThreads threads = 1);
void setWorldToAlpha32760(const PF_LayerDef &world, A_long width, A_long height,
                          RowThreads threads = 1);
