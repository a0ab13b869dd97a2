// Red masks of random codes for the stage equivalence tests: dense, noisy
// patterns reach the corners of a stage (image borders, limit columns, every
// offset) that smooth frames seldom do.
#pragma once

#include <cstdint>
#include <memory>

#include "detect/fill_limits.h"
#include "host/owned_world.h"

// A fixed-sequence generator, the same on every platform.
struct TestRng {
    std::uint64_t state;
    std::uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state >> 33);
    }
    // 0..n-1
    A_long below(A_long n) { return static_cast<A_long>(next() % static_cast<std::uint32_t>(n)); }
    bool chance(double p) { return next() < p * 2147483648.0; }
};

// Limits whose rows start and end at random columns (some rows a single
// column, some empty), between random first and last rows.
std::unique_ptr<FillLimitsArray> randomLimits(TestRng &rng, A_long width, A_long height);

// The whole image as the region.
std::unique_ptr<FillLimitsArray> wholeLimits(A_long width, A_long height);

// A cleared 16-bit mask (padded rows) whose red is 32768 with probability
// `band` and 0 otherwise, in blobs: each choice covers a run of up to
// `blob` pixels.
OwnedWorld randomBandMask(TestRng &rng, A_long width, A_long height, double band, A_long blob);
