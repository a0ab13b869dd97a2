// The effect's command handling, driven through the loaded module: dispatch
// of every code, global setup, about and the dependency report, in both host
// applications; every command leaves the host nothing to reclaim.
#include <string>

#include "frame/params/params.h"
#include "loaded_module.h"

namespace {

constexpr PF_OutFlags kGlobalFlags = PF_OutFlag_WIDE_TIME_INPUT | PF_OutFlag_I_EXPAND_BUFFER |
                                     PF_OutFlag_I_HAVE_EXTERNAL_DEPENDENCIES |
                                     PF_OutFlag_DEEP_COLOR_AWARE;
constexpr PF_OutFlags2 kGlobalFlags2 =
    PF_OutFlag2_SUPPORTS_QUERY_DYNAMIC_FLAGS | PF_OutFlag2_REVEALS_ZERO_ALPHA;
// Major 1, minor 4, fix 0, stage release, build 1, in the host's packing.
constexpr A_u_long kVersion = (1u << 19) | (4u << 15) | (0u << 11) | (3u << 9) | 1u;

using CommandTest = ModuleTest;

// Codes 0..25 other than render, with a full parameter array, an output
// world and an extra block. Only about, global setup and parameter setup
// write the out record; none touches the output world; only the dependency
// request writes the extra block.
TEST_F(CommandTest, EveryCommandCodeSucceedsAndTouchesOnlyWhatItOwns) {
    for (HostApp app : kBothHosts) {
        EffectHost host(entry(), settingsFor(app));
        const PF_OutData marked = markedOutData();
        host.setOutDataTemplate(marked);
        OwnedWorld input(8, 8, PixelDepth::Eight, 0, 0x40);
        OwnedWorld output(8, 8, PixelDepth::Eight, 0, 0x3C);
        const std::vector<std::uint8_t> outputBefore = worldBytes(output);
        // The commands below set the parameters up again; the array keeps
        // its own copy of the declarations.
        const std::vector<CollectedParam> declared = host.paramsSetup().params;
        ParamArray params;
        buildParamArray(declared, defaultParamValues(), input.layer(), params);
        for (PF_Cmd cmd = 0; cmd <= 25; ++cmd) {
            if (cmd == PF_Cmd_RENDER) continue;
            SCOPED_TRACE("command " + std::to_string(cmd));
            alignas(8) unsigned char extra[256] = {};
            CommandReport report = host.command(cmd, extra, params.list.data(), &output.layer());
            EXPECT_EQ(report.err, PF_Err_NONE);
            EXPECT_TRUE(report.clean()) << report.describe();
            EXPECT_TRUE(report.newWorldFlags.empty());
            EXPECT_EQ(worldBytes(output), outputBefore);
            const bool writesOut =
                cmd == PF_Cmd_ABOUT || cmd == PF_Cmd_GLOBAL_SETUP || cmd == PF_Cmd_PARAMS_SETUP;
            EXPECT_EQ(sameBytes(&host.outData(), &marked, sizeof marked), !writesOut);
            const unsigned char zeros[sizeof extra] = {};
            if (cmd != PF_Cmd_GET_EXTERNAL_DEPENDENCIES) {
                EXPECT_TRUE(sameBytes(extra, zeros, sizeof extra));
            }
        }
    }
}

TEST_F(CommandTest, GlobalSetupInAfterEffectsDeclaresVersionAndFlagsOnly) {
    EffectHost host(entry(), settingsFor(HostApp::AfterEffects));
    CommandReport report = host.globalSetup();
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(host.outData().my_version, 656897u);
    EXPECT_EQ(host.outData().my_version, kVersion);
    EXPECT_EQ(host.outData().out_flags, kGlobalFlags);
    EXPECT_EQ(host.outData().out_flags, 0x03000202);
    EXPECT_EQ(host.outData().out_flags2, 0x81);
    EXPECT_TRUE(host.supportedPixelFormats().empty());
    EXPECT_EQ(host.matchingCheckoutRequests(), 0);
}

TEST_F(CommandTest, GlobalSetupInPremiereOffersExactlyTheSixteenBitFormat) {
    EffectHost host(entry(), settingsFor(HostApp::Premiere));
    CommandReport report = host.globalSetup();
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(host.outData().my_version, kVersion);
    EXPECT_EQ(host.outData().out_flags, kGlobalFlags);
    EXPECT_EQ(host.outData().out_flags2, kGlobalFlags2);
    EXPECT_EQ(host.supportedPixelFormats(), (std::vector<PrPixelFormat>{0x62677241}));
    EXPECT_EQ(host.matchingCheckoutRequests(), 1);
}

// A scoped suite that Premiere cannot supply ends global setup with 13 and
// the message, after version and flags are already in place.
TEST_F(CommandTest, GlobalSetupInPremiereWithoutASuiteShowsTheMessage) {
    for (const char *missing : {kPFPixelFormatSuite, kPFUtilitySuite}) {
        SCOPED_TRACE(missing);
        EffectHost host(entry(), settingsFor(HostApp::Premiere));
        FaultPlan plan;
        plan.refusedSuites = {missing};
        host.setFaults(plan);
        CommandReport report = host.globalSetup();
        EXPECT_EQ(report.err, A_Err_MISSING_SUITE);
        EXPECT_TRUE(report.clean()) << report.describe();
        EXPECT_STREQ(host.outData().return_msg, "Not able to acquire AEFX Suite.");
        EXPECT_EQ(host.outData().out_flags, kGlobalFlags | PF_OutFlag_DISPLAY_ERROR_MESSAGE);
        EXPECT_EQ(host.outData().out_flags2, kGlobalFlags2);
        EXPECT_EQ(host.outData().my_version, kVersion);
    }
}

TEST_F(CommandTest, GlobalSetupInAfterEffectsNeedsNoPremiereSuite) {
    EffectHost host(entry(), settingsFor(HostApp::AfterEffects));
    FaultPlan plan;
    plan.refusedSuites = {kPFPixelFormatSuite, kPFUtilitySuite};
    host.setFaults(plan);
    CommandReport report = host.globalSetup();
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_EQ(host.outData().out_flags, kGlobalFlags);
}

TEST_F(CommandTest, AboutTextDiffersBetweenTheHosts) {
    EffectHost afterEffects(entry(), settingsFor(HostApp::AfterEffects));
    CommandReport report = afterEffects.about();
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_STREQ(afterEffects.outData().return_msg, "Holvane v1.4");

    EffectHost premiere(entry(), settingsFor(HostApp::Premiere));
    report = premiere.about();
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_STREQ(premiere.outData().return_msg, "Holvane, v1.4");
}

// The suite handler answers a missing suite with 516; no message is asked for.
TEST_F(CommandTest, AboutWithoutTheAnsiSuiteFailsCleanly) {
    EffectHost host(entry(), settingsFor(HostApp::AfterEffects));
    FaultPlan plan;
    plan.refusedSuites = {kPFANSISuite};
    host.setFaults(plan);
    CommandReport report = host.about();
    EXPECT_EQ(report.err, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(host.outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
}

TEST_F(CommandTest, DependencyReportsByCheckType) {
    for (HostApp app : kBothHosts) {
        EffectHost host(entry(), settingsFor(app));
        DependencyReply none = host.dependencies(PF_DepCheckType_NONE);
        EXPECT_EQ(none.report.err, PF_Err_NONE);
        EXPECT_TRUE(none.report.clean()) << none.report.describe();
        ASSERT_NE(none.handle, nullptr);
        EXPECT_EQ(none.handleSize, 1u);
        EXPECT_EQ(none.text, "");

        const std::string allText = "All Dependencies requested.";
        DependencyReply all = host.dependencies(PF_DepCheckType_ALL_DEPENDENCIES);
        EXPECT_TRUE(all.report.clean()) << all.report.describe();
        ASSERT_NE(all.handle, nullptr);
        EXPECT_EQ(all.text, allText);
        EXPECT_EQ(all.handleSize, allText.size() + 1);

        DependencyReply missing = host.dependencies(PF_DepCheckType_MISSING_DEPENDENCIES);
        EXPECT_EQ(missing.report.err, PF_Err_NONE);
        EXPECT_TRUE(missing.report.clean()) << missing.report.describe();
        EXPECT_EQ(missing.handle, nullptr);
        // The two texts handed over stay with the host.
        EXPECT_EQ(host.ownedHandleCount(), 2u);
    }
}

TEST_F(CommandTest, DependencyReportWithARefusedHandleFailsCleanly) {
    EffectHost host(entry(), settingsFor(HostApp::AfterEffects));
    FaultPlan plan;
    plan.newHandleNth = 1;
    host.setFaults(plan);
    DependencyReply reply = host.dependencies(PF_DepCheckType_ALL_DEPENDENCIES);
    EXPECT_EQ(reply.report.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_TRUE(reply.report.clean()) << reply.report.describe();
    EXPECT_EQ(reply.handle, nullptr);

    for (const char *missing : {kPFHandleSuite, kPFANSISuite}) {
        plan = FaultPlan{};
        plan.refusedSuites = {missing};
        host.setFaults(plan);
        reply = host.dependencies(PF_DepCheckType_ALL_DEPENDENCIES);
        EXPECT_EQ(reply.report.err, PF_Err_BAD_CALLBACK_PARAM) << missing;
        EXPECT_TRUE(reply.report.clean()) << reply.report.describe();
    }
}

}  // namespace
