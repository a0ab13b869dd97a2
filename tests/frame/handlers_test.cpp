#include <gtest/gtest.h>

#include "frame/effect_info.h"
#include "frame/entry_point.h"
#include "support/fake_host.h"

namespace {

// Wide time input (bit 1), expand buffer (9), external dependencies (24),
// deep colour (25); flags2: dynamic-flags query (0), reveals zero alpha (7).
constexpr PF_OutFlags FOUR_FLAGS = (1 << 1) | (1 << 9) | (1 << 24) | (1 << 25);
constexpr PF_OutFlags2 FLAGS2 = 0x81;
// Major 1 << 19 | minor 4 << 15 | fix 0 << 11 | release 3 << 9 | build 1.
constexpr A_u_long VERSION_1_4 = 0x80000u | 0x20000u | 0x600u | 1u;

using Counts = std::map<std::string, int>;

PF_Err send(FakeHost &host, PF_Cmd cmd, void *extra = nullptr) {
    return EntryPointFunc(cmd, &host.in_data, &host.out_data, nullptr, nullptr, extra);
}

TEST(EffectVersion, PacksEachPartIntoItsOwnBits) {
    EXPECT_EQ(VERSION_1_4, 656897u);
    EXPECT_EQ(EFFECT_VERSION, VERSION_1_4);
    EXPECT_EQ(packEffectVersion(0, 0, 0, 0, 0x1FF), 0x1FFu);
    EXPECT_EQ(packEffectVersion(0, 0, 15, 3, 0), 0x7800u | 0x600u);
    EXPECT_EQ(packEffectVersion(7, 15, 0, 0, 0), 0x380000u | 0x78000u);
    EXPECT_EQ(packEffectVersion(127, 0, 0, 0, 0), (15u << 26) | (7u << 19));  // majors >= 8
}

void expectVersionAndFlags(const FakeHost &host, PF_OutFlags extraFlags = 0) {
    EXPECT_EQ(host.out_data.my_version, VERSION_1_4);
    EXPECT_EQ(host.out_data.out_flags, FOUR_FLAGS | extraFlags);
    EXPECT_EQ(host.out_data.out_flags2, FLAGS2);
}

TEST(GlobalSetup, AfterEffectsGetsVersionAndFlagsOnly) {
    FakeHost host(PF_ApplId_AFTER_EFFECTS);
    const std::vector<PrPixelFormat> formatsBefore = host.pixelFormats;
    EXPECT_EQ(send(host, PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    expectVersionAndFlags(host);
    EXPECT_TRUE(host.acquired.empty());
    EXPECT_EQ(host.pixelFormats, formatsBefore);
}

TEST(GlobalSetup, PremiereIsOfferedOnly16BitArgb) {
    FakeHost host(PF_ApplId_PREMIERE);
    EXPECT_EQ(send(host, PF_Cmd_GLOBAL_SETUP), PF_Err_NONE);
    expectVersionAndFlags(host);
    EXPECT_EQ(host.pixelFormats, std::vector<PrPixelFormat>{0x62677241});  // "Argb" in memory
    EXPECT_EQ(host.matchRenderFormatCalls, std::vector<PF_ProgPtr>{host.in_data.effect_ref});
    EXPECT_EQ(host.acquired, (Counts{{"PF Utility Suite", 1}, {"PF Pixel Format Suite", 1}}));
    EXPECT_EQ(host.released, host.acquired);
}

TEST(GlobalSetup, PremiereWithoutPixelFormatSuiteShowsTheMessageWithFlagsAlreadySet) {
    FakeHost host(PF_ApplId_PREMIERE);
    host.refusedSuites = {"PF Pixel Format Suite"};
    EXPECT_EQ(send(host, PF_Cmd_GLOBAL_SETUP), A_Err_MISSING_SUITE);
    EXPECT_STREQ(host.out_data.return_msg, "Not able to acquire AEFX Suite.");
    expectVersionAndFlags(host, PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_EQ(host.matchRenderFormatCalls.size(), 1u);
    EXPECT_EQ(host.released, (Counts{{"PF Utility Suite", 1}}));
}

TEST(GlobalSetup, PremiereWithoutUtilitySuiteStopsBeforeThePixelFormats) {
    FakeHost host(PF_ApplId_PREMIERE);
    host.refusedSuites = {"PF Utility Suite"};
    const std::vector<PrPixelFormat> formatsBefore = host.pixelFormats;
    EXPECT_EQ(send(host, PF_Cmd_GLOBAL_SETUP), A_Err_MISSING_SUITE);
    expectVersionAndFlags(host, PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    EXPECT_EQ(host.pixelFormats, formatsBefore);
    EXPECT_TRUE(host.acquired.empty());
}

TEST(About, AfterEffectsTextComesThroughTheAnsiSuite) {
    FakeHost host(PF_ApplId_AFTER_EFFECTS);
    EXPECT_EQ(send(host, PF_Cmd_ABOUT), PF_Err_NONE);
    EXPECT_STREQ(host.out_data.return_msg, "Holvane v1.4");
    EXPECT_EQ(host.suiteSprintfCalls, 1);
    EXPECT_EQ(host.acquired, (Counts{{"PF ANSI Suite", 1}}));
    EXPECT_EQ(host.released, host.acquired);
}

TEST(About, PremiereTextHasACommaAndUsesTheInputRecord) {
    FakeHost host(PF_ApplId_PREMIERE);
    EXPECT_EQ(send(host, PF_Cmd_ABOUT), PF_Err_NONE);
    EXPECT_STREQ(host.out_data.return_msg, "Holvane, v1.4");
    EXPECT_EQ(host.utilsSprintfCalls, 1);
    EXPECT_TRUE(host.acquired.empty());
}

TEST(About, MissingAnsiSuiteOrBasicSuiteIsABadCallbackParameter) {
    FakeHost host(PF_ApplId_AFTER_EFFECTS);
    host.refusedSuites = {"PF ANSI Suite"};
    EXPECT_EQ(send(host, PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
    host.in_data.pica_basicP = nullptr;
    EXPECT_EQ(send(host, PF_Cmd_ABOUT), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_STREQ(host.out_data.return_msg, "");
}

struct Dependencies : ::testing::Test {
    FakeHost host;
    PF_ExtDependenciesExtra request{};
    void *stale = &request;

    PF_Err ask(PF_DepCheckType type) {
        request.check_type = type;
        request.dependencies_strH = &stale;  // must be replaced, never kept
        return send(host, PF_Cmd_GET_EXTERNAL_DEPENDENCIES, &request);
    }
    // The text in the one handle handed over, with its terminator.
    std::string handedOverText() {
        EXPECT_EQ(host.handles.size(), 1u);
        if (host.handles.size() != 1) return "?";
        EXPECT_EQ(request.dependencies_strH, &host.handles[0].block);
        return std::string(host.handles[0].bytes.begin(), host.handles[0].bytes.end());
    }
};

TEST_F(Dependencies, TextByRequestType) {
    EXPECT_EQ(ask(PF_DepCheckType_ALL_DEPENDENCIES), PF_Err_NONE);
    EXPECT_EQ(handedOverText(), std::string("All Dependencies requested.", 28));
    EXPECT_EQ(host.suiteStrcpyCalls, 1);
    for (PF_DepCheckType type : std::initializer_list<PF_DepCheckType>{PF_DepCheckType_NONE, 7}) {
        host.handles.clear();
        EXPECT_EQ(ask(type), PF_Err_NONE);
        EXPECT_EQ(handedOverText(), std::string(1, '\0'));
    }
    EXPECT_EQ(host.released, host.acquired);
}

TEST_F(Dependencies, NothingIsEverMissing) {
    EXPECT_EQ(ask(PF_DepCheckType_MISSING_DEPENDENCIES), PF_Err_NONE);
    EXPECT_EQ(request.dependencies_strH, nullptr);
    EXPECT_TRUE(host.handles.empty());
    EXPECT_TRUE(host.acquired.empty());
}

TEST_F(Dependencies, RefusedHandleCopiesNothingAndReportsOutOfMemory) {
    host.refuseHandles = true;
    EXPECT_EQ(ask(PF_DepCheckType_ALL_DEPENDENCIES), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(request.dependencies_strH, nullptr);
    EXPECT_EQ(host.suiteStrcpyCalls, 0);
    EXPECT_EQ(host.outstandingSuites(), 0);
}

// No handle may be left behind that neither side owns.
TEST_F(Dependencies, MissingSuiteOrRequestRecordIsABadCallbackParameter) {
    for (const char *missing : {"PF Handle Suite", "PF ANSI Suite"}) {
        host.refusedSuites = {missing};
        EXPECT_EQ(ask(PF_DepCheckType_ALL_DEPENDENCIES), PF_Err_BAD_CALLBACK_PARAM) << missing;
        EXPECT_EQ(request.dependencies_strH, nullptr);
        EXPECT_TRUE(host.handles.empty()) << missing;
    }
    EXPECT_EQ(send(host, PF_Cmd_GET_EXTERNAL_DEPENDENCIES, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.outstandingSuites(), 0);
}

}  // namespace
