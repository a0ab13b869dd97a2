// Host handles and the ANSI callbacks.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "fake_effect.h"

namespace {

TEST(HostHandles, RoundTripThroughTheUtilityCallbacksAndTheSuite) {
    EffectHost host(fakeEntry);
    A_u_longlong sizeSeen = 0, suiteSize = 0;
    bool lockGivesBlock = false;
    std::string readBack;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        PF_UtilCallbacks *utils = call.in->utils;
        PF_Handle handle = utils->host_new_handle(28);
        if (handle == nullptr) return PF_Err_OUT_OF_MEMORY;
        char *bytes = static_cast<char *>(utils->host_lock_handle(handle));
        lockGivesBlock = bytes == *handle;
        std::strcpy(bytes, "twenty-seven characters....");
        utils->host_unlock_handle(handle);
        sizeSeen = utils->host_get_handle_size(handle);
        readBack = static_cast<const char *>(*handle);
        utils->host_dispose_handle(handle);

        auto *suite = acquire<PF_HandleSuite1>(call, kPFHandleSuite, kPFHandleSuiteVersion1);
        if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        PF_Handle viaSuite = suite->host_new_handle(5);
        suiteSize = suite->host_get_handle_size(viaSuite);
        suite->host_dispose_handle(viaSuite);
        call.in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
        return PF_Err_NONE;
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_TRUE(lockGivesBlock);
    EXPECT_EQ(sizeSeen, 28u);
    EXPECT_EQ(suiteSize, 5u);
    EXPECT_EQ(readBack, "twenty-seven characters....");
}

TEST(HostHandles, LeftHandlesAreLeaksUnlessHandedOverAsDependencies) {
    EffectHost host(fakeEntry);
    CommandReport leak = runInside(host, [](const FakeCall &call) -> PF_Err {
        call.in->utils->host_new_handle(8);
        return PF_Err_NONE;
    });
    EXPECT_EQ(leak.handlesLeft, 1);

    tFakeBody = [](const FakeCall &call) -> PF_Err {
        auto *request = static_cast<PF_ExtDependenciesExtra *>(call.extra);
        request->dependencies_strH = call.in->utils->host_new_handle(4);
        std::strcpy(static_cast<char *>(*request->dependencies_strH), "abc");
        return PF_Err_NONE;
    };
    DependencyReply reply = host.dependencies(PF_DepCheckType_ALL_DEPENDENCIES);
    tFakeBody = nullptr;
    EXPECT_TRUE(reply.report.clean()) << reply.report.describe();
    EXPECT_EQ(reply.text, "abc");
    EXPECT_EQ(reply.handleSize, 4u);
    EXPECT_EQ(host.ownedHandleCount(), 1u);
}

TEST(HostHandles, DisposingAnUnknownHandleIsReported) {
    EffectHost host(fakeEntry);
    CommandReport report = runInside(host, [](const FakeCall &call) -> PF_Err {
        PF_Handle handle = call.in->utils->host_new_handle(8);
        call.in->utils->host_dispose_handle(handle);
        call.in->utils->host_dispose_handle(handle);
        return PF_Err_NONE;
    });
    EXPECT_EQ(report.unknownHandleDisposals, 1);
    EXPECT_EQ(report.handlesLeft, 0);
}

TEST(HostAnsi, SprintfTakesVariadicArgumentsOfEveryKind) {
    EffectHost host(fakeEntry);
    char message[PF_MAX_EFFECT_MSG_LEN + 1] = {};
    char viaSuite[PF_MAX_EFFECT_MSG_LEN + 1] = {};
    int written = 0;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        written = call.in->utils->ansi.sprintf(message, "%s, v%d.%d|%.2f|%c|%lld", "Name", 1, 4,
                                               0.25, 'x', 1LL << 40);
        auto *suite = acquire<PF_ANSICallbacksSuite1>(call, kPFANSISuite, kPFANSISuiteVersion1);
        if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        suite->sprintf(viaSuite, "%s v%d.%d", "Name", 1, 4);
        call.in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
        return PF_Err_NONE;
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_STREQ(message, "Name, v1.4|0.25|x|1099511627776");
    EXPECT_EQ(written, int(std::strlen(message)));
    EXPECT_STREQ(viaSuite, "Name v1.4");
}

TEST(HostAnsi, SprintfStaysInsideTheMessageAndReportsTheCut) {
    EffectHost host(fakeEntry);
    char buffer[400];
    std::memset(buffer, '#', sizeof buffer);
    const std::string longText(300, 'a');
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        call.in->utils->ansi.sprintf(buffer, "%s", longText.c_str());
        return PF_Err_NONE;
    });
    EXPECT_EQ(std::strlen(buffer), std::size_t(PF_MAX_EFFECT_MSG_LEN));
    EXPECT_EQ(buffer[PF_MAX_EFFECT_MSG_LEN + 1], '#');
    EXPECT_EQ(report.truncatedTexts, 1);
}

// Two-argument functions must keep their argument order.
TEST(HostAnsi, MathsCallbacksKeepArgumentOrder) {
    EffectHost host(fakeEntry);
    PF_ANSICallbacks ansi{};
    char copied[8] = {};
    runInside(host, [&](const FakeCall &call) -> PF_Err {
        ansi = call.in->utils->ansi;
        call.in->utils->ansi.strcpy(copied, "Set");
        return PF_Err_NONE;
    });
    EXPECT_DOUBLE_EQ(ansi.atan2(1.0, 0.0), M_PI / 2);
    EXPECT_DOUBLE_EQ(ansi.pow(2.0, 10.0), 1024.0);
    EXPECT_DOUBLE_EQ(ansi.fmod(7.0, 3.0), 1.0);
    EXPECT_DOUBLE_EQ(ansi.hypot(3.0, 4.0), 5.0);
    EXPECT_DOUBLE_EQ(ansi.sqrt(2.0) * ansi.sqrt(2.0), 2.0);
    EXPECT_DOUBLE_EQ(ansi.exp(ansi.log(3.0)), 3.0);
    EXPECT_DOUBLE_EQ(ansi.floor(-1.5) + ansi.ceil(-1.5), -3.0);
    EXPECT_STREQ(copied, "Set");
}

}  // namespace
