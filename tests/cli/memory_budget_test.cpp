// The renderer's memory estimate, which refuses frames no machine could
// render before a pixel of them is read.
#include "cli/memory_budget.h"

#include <gtest/gtest.h>

#include "cli/cli_error.h"

namespace {

// Per job: seven neighbouring frames, the effect's eleven worlds (twice as
// wide under Premiere Pro) and three more for the output and file samples,
// each 8 bytes a pixel; and the seven frames as their files hold them.
TEST(MemoryBudget, EstimateCountsEveryWorldAJobHolds) {
    EXPECT_EQ(estimate_RenderBytesPerJob(100, 10, 0, HostApp::AfterEffects), 1000u * 8 * 21);
    EXPECT_EQ(estimate_RenderBytesPerJob(100, 10, 0, HostApp::Premiere), 1000u * 8 * 32);
    EXPECT_EQ(estimate_RenderBytesPerJob(100, 10, 4000, HostApp::AfterEffects),
              1000u * 8 * 21 + 4000u * 7);
    // The host's largest world does not overflow the count.
    EXPECT_EQ(estimate_RenderBytesPerJob(30000, 30000, 0, HostApp::AfterEffects),
              std::uint64_t(900000000) * 8 * 21);
}

TEST(MemoryBudget, RefusesOnlyWhatExceedsTheAvailableMemory) {
    const std::uint64_t oneJob = estimate_RenderBytesPerJob(640, 480, 0, HostApp::AfterEffects);
    EXPECT_NO_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 1, oneJob));
    EXPECT_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 1, oneJob - 1),
        CliError);
    // Jobs render side by side, each with its own worlds.
    EXPECT_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 2, 2 * oneJob - 1),
        CliError);
    EXPECT_NO_THROW(
        check_RenderFitsInMemory("f.png", 640, 480, 0, HostApp::AfterEffects, 2, 2 * oneJob));
    try {
        check_RenderFitsInMemory("in/f.0001.png", 29000, 29000, 0, HostApp::AfterEffects, 1,
                                 std::uint64_t(16) << 30);
        FAIL() << "a 29000 x 29000 render fitted in 16 GiB";
    } catch (const CliError &error) {
        EXPECT_EQ(std::string(error.what()),
                  "in/f.0001.png: 29000 x 29000 needs about 132 GiB of memory to render (1 "
                  "job(s)); 16 GiB is available");
        EXPECT_EQ(error.exitCode, EXIT_RUN_ERROR);
    }
}

TEST(MemoryBudget, AvailableMemoryIsKnown) {
    // Any machine that runs these tests has more than 64 MiB.
    EXPECT_GT(available_MemoryBytes(), std::uint64_t(64) << 20);
}

}  // namespace
