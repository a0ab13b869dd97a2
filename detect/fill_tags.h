// One record per flooded pocket: its measurements and its verdict.
#pragma once

#include "api/effect_api.h"

constexpr A_long FILL_TAG_CAPACITY = 600;  // tags 1..599; tag 0 is never used

struct FillTag {
    A_long area;
    A_long minX;
    A_long maxX;
    A_long minY;
    A_long maxY;
    bool accepted;
    A_u_short tagValue;
    A_u_short blueOut;
    A_u_short redOut;
};

struct FillTagList {
    FillTag tags[FILL_TAG_CAPACITY];
    A_long count;
};

void clearFillTagList(FillTagList &list);
