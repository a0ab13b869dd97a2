#include "frame/suites.h"

#include <gtest/gtest.h>

#include "support/fake_host.h"

namespace {

template <typename F>
PF_Err errorThrownBy(F &&f) {
    try {
        f();
    } catch (PF_Err err) {
        return err;
    }
    return -1;
}

using Counts = std::map<std::string, int>;

TEST(SuiteHandler, RefusesAMissingBasicSuite) {
    EXPECT_EQ(errorThrownBy([] { AEGP_SuiteHandler suites(nullptr); }), PF_Err_BAD_CALLBACK_PARAM);
}

// The fake host offers each suite at one version only, so a wrong name or
// version shows up as a missing suite.
TEST(SuiteHandler, AcquiresEachSuiteOnFirstUseAndReleasesAllAtTheEnd) {
    FakeHost host;
    {
        AEGP_SuiteHandler suites(&host.basic);
        EXPECT_TRUE(host.acquired.empty());
        EXPECT_EQ(suites.ANSICallbacksSuite1(), &host.ansiSuite);
        EXPECT_EQ(suites.ANSICallbacksSuite1(), &host.ansiSuite);
        EXPECT_EQ(suites.HandleSuite1(), &host.handleSuite);
        EXPECT_EQ(suites.ColorParamSuite1(), &host.colorParamSuite);
        EXPECT_EQ(
            host.acquired,
            (Counts{{"PF ANSI Suite", 1}, {"PF Handle Suite", 1}, {"PF ColorParamSuite", 1}}));
        EXPECT_TRUE(host.released.empty());
    }
    EXPECT_EQ(host.released, host.acquired);
}

TEST(SuiteHandler, MissingSuiteThrowsAndTheOthersAreStillReleased) {
    FakeHost host;
    host.refusedSuites = {"PF Handle Suite"};
    EXPECT_EQ(errorThrownBy([&] {
                  AEGP_SuiteHandler suites(&host.basic);
                  suites.ANSICallbacksSuite1();
                  suites.HandleSuite1();
              }),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.released, (Counts{{"PF ANSI Suite", 1}}));
}

// A host that reports success without a table has still counted the acquire.
SPErr acquireWithoutTable(const char *, int32_t, const void **suite) {
    *suite = nullptr;
    ++FakeHost::active->acquired["any"];
    return kSPNoError;
}

TEST(SuiteHandler, SuccessWithoutATableIsAMissingSuiteAndIsBalanced) {
    FakeHost host;
    host.basic.AcquireSuite = acquireWithoutTable;
    EXPECT_EQ(errorThrownBy([&] { AEGP_SuiteHandler(&host.basic).ANSICallbacksSuite1(); }),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.outstandingSuites(), 0);
}

TEST(SuiteScoper, HoldsItsSuiteForItsScope) {
    FakeHost host;
    {
        AEFX_SuiteScoper<PF_PixelFormatSuite1> formats(&host.in_data, kPFPixelFormatSuite,
                                                       kPFPixelFormatSuiteVersion1);
        EXPECT_EQ(formats.get(), &host.pixelFormatSuite);
        EXPECT_EQ(host.acquired, (Counts{{"PF Pixel Format Suite", 1}}));
        EXPECT_TRUE(host.released.empty());
    }
    EXPECT_EQ(host.released, host.acquired);
}

// With the output record the message is shown (see GlobalSetup's tests);
// without it the scoper only throws.
TEST(SuiteScoper, MissingSuiteWithoutTheOutputRecordOnlyThrows) {
    FakeHost host;
    host.refusedSuites = {"PF Pixel Format Suite"};
    EXPECT_EQ(errorThrownBy([&] {
                  AEFX_SuiteScoper<PF_PixelFormatSuite1> formats(&host.in_data, kPFPixelFormatSuite,
                                                                 kPFPixelFormatSuiteVersion1);
              }),
              A_Err_MISSING_SUITE);
    EXPECT_EQ(host.utilsSprintfCalls, 0);
    EXPECT_TRUE(host.released.empty());
}

}  // namespace
