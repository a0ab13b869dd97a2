// The per-render block of scratch structures: one zero-filled heap block per
// render call.
#pragma once

#include <memory>

#include "detect/fill_limits.h"
#include "detect/fill_tags.h"
#include "detect/seed_stack.h"
#include "render/worlds/disposal_list.h"

struct HolvaneMemoryContainer {
    DisposalList disposalList;
    FillLimitsArray fillLimits;
    FillTagList fillTags;
    SeedStack seedStack;

    HolvaneMemoryContainer();
};

struct HolvaneMemoryContainerDeleter {
    void operator()(HolvaneMemoryContainer *container) const;
};
using HolvaneMemoryContainerPtr =
    std::unique_ptr<HolvaneMemoryContainer, HolvaneMemoryContainerDeleter>;

// Allocates, zero-fills and constructs the container; null when out of memory.
HolvaneMemoryContainerPtr allocate_HolvaneMemoryContainer();
