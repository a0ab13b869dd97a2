// The renderer's memory estimate, which refuses frames no machine could
// render before a pixel of them is read.
#include "cli/memory_budget.h"

#include <gtest/gtest.h>

#include "cli/cli_error.h"

namespace {

// The shared window of input frames (seven around each of the frames that
// may be in flight: 2 x jobs + 6), as worlds and as their files hold them;
// and per job the effect's eleven worlds (twice as wide under Premiere Pro)
// and three more for the output, each 8 bytes a pixel.
TEST(MemoryBudget, EstimateCountsTheSharedWindowAndEveryJobsWorlds) {
    EXPECT_EQ(estimate_RenderBytes(100, 10, 0, HostApp::AfterEffects, 1), 1000u * 8 * (8 + 14));
    EXPECT_EQ(estimate_RenderBytes(100, 10, 0, HostApp::Premiere, 1), 1000u * 8 * (8 + 25));
    EXPECT_EQ(estimate_RenderBytes(100, 10, 4000, HostApp::AfterEffects, 1),
              1000u * 8 * (8 + 14) + 4000u * 8);
    EXPECT_EQ(estimate_RenderBytes(100, 10, 0, HostApp::AfterEffects, 2),
              1000u * 8 * (10 + 2 * 14));
    // The host's largest world does not overflow the count.
    EXPECT_EQ(estimate_RenderBytes(30000, 30000, 0, HostApp::AfterEffects, 1),
              std::uint64_t(900000000) * 8 * 22);
}

TEST(MemoryBudget, RefusesOnlyWhatExceedsTheAvailableMemory) {
    const std::uint64_t oneJob = estimate_RenderBytes(640, 480, 0, HostApp::AfterEffects, 1);
    const std::uint64_t twoJobs = estimate_RenderBytes(640, 480, 0, HostApp::AfterEffects, 2);
    EXPECT_NO_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 1, oneJob));
    EXPECT_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 1, oneJob - 1),
        CliError);
    // Jobs render side by side, each with its own worlds.
    EXPECT_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 2, twoJobs - 1),
        CliError);
    EXPECT_NO_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 2, twoJobs));
    try {
        check_RenderFitsInMemory("in/f.0001.png", 29000, 29000, 0, HostApp::AfterEffects, 1,
                                 std::uint64_t(16) << 30);
        FAIL() << "a 29000 x 29000 render fitted in 16 GiB";
    } catch (const CliError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "in/f.0001.png: 29000 x 29000 needs about 138 GiB of memory to render (1 "
                  "job(s)); 16 GiB is available");
        EXPECT_EQ(error.exitCode, EXIT_RUN_ERROR);
    }
}

TEST(MemoryBudget, AvailableMemoryIsKnown) {
    // Any machine that runs these tests has more than 64 MiB.
    EXPECT_GT(available_MemoryBytes(), std::uint64_t(64) << 20);
}

}  // namespace
