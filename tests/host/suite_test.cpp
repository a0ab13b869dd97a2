// The basic suite hands out the five suites by name and version and counts
// every acquire against its release; the suites' own functions.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_effect.h"

namespace {

struct SuiteName {
    const char *name;
    int32_t version;
};

const SuiteName kOffered[] = {
    {"PF ANSI Suite", 1},    {"PF Handle Suite", 2},       {"PF ColorParamSuite", 1},
    {"PF Utility Suite", 4}, {"PF Pixel Format Suite", 1},
};

TEST(HostSuites, EachOfferedSuiteComesByItsNameAndVersionOnly) {
    EffectHost host(fakeEntry);
    for (const SuiteName &offered : kOffered) {
        SPErr exact = -1, older = -1, newer = -1;
        const void *suite = nullptr, *wrong = &host;
        CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
            SPBasicSuite *basic = call.in->pica_basicP;
            exact = basic->AcquireSuite(offered.name, offered.version, &suite);
            if (exact == kSPNoError) basic->ReleaseSuite(offered.name, offered.version);
            older = basic->AcquireSuite(offered.name, offered.version - 1, &wrong);
            newer = basic->AcquireSuite(offered.name, offered.version + 1, &wrong);
            return PF_Err_NONE;
        });
        EXPECT_EQ(exact, kSPNoError) << offered.name;
        EXPECT_NE(suite, nullptr) << offered.name;
        EXPECT_EQ(older, kSPSuiteNotFoundError) << offered.name;
        EXPECT_EQ(newer, kSPSuiteNotFoundError) << offered.name;
        EXPECT_EQ(wrong, nullptr) << offered.name;
        EXPECT_TRUE(report.clean()) << report.describe();
    }
}

TEST(HostSuites, UnknownNamesAndCallsOutsideACommandFindNothing) {
    EffectHost host(fakeEntry);
    SPErr unknown = kSPNoError, nearMiss = kSPNoError;
    SPBasicSuite *basic = nullptr;
    runInside(host, [&](const FakeCall &call) -> PF_Err {
        basic = call.in->pica_basicP;
        const void *suite = nullptr;
        unknown = basic->AcquireSuite("PF World Suite", 1, &suite);
        nearMiss = basic->AcquireSuite("PF ColorParam Suite", 1, &suite);
        return PF_Err_NONE;
    });
    EXPECT_EQ(unknown, kSPSuiteNotFoundError);
    EXPECT_EQ(nearMiss, kSPSuiteNotFoundError);
    // No command runs on this thread now: there is no host to count against.
    const void *suite = nullptr;
    EXPECT_EQ(basic->AcquireSuite(kPFANSISuite, kPFANSISuiteVersion1, &suite),
              kSPSuiteNotFoundError);
}

TEST(HostSuites, UnreleasedAndUnmatchedSuitesAreReported) {
    EffectHost host(fakeEntry);
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        SPBasicSuite *basic = call.in->pica_basicP;
        const void *suite = nullptr;
        basic->AcquireSuite(kPFANSISuite, kPFANSISuiteVersion1, &suite);
        basic->AcquireSuite(kPFANSISuite, kPFANSISuiteVersion1, &suite);
        basic->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
        basic->AcquireSuite(kPFHandleSuite, kPFHandleSuiteVersion1, &suite);
        basic->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
        basic->ReleaseSuite(kPFUtilitySuite, kPFUtilitySuiteVersion4);
        return PF_Err_NONE;
    });
    EXPECT_EQ(report.suitesLeft, (std::map<std::string, int>{{"PF ANSI Suite v1", 1}}));
    EXPECT_EQ(report.unmatchedReleases, 1);
    EXPECT_FALSE(report.clean());
    EXPECT_NE(report.describe().find("PF ANSI Suite v1"), std::string::npos);

    CommandReport next = runInside(host, [](const FakeCall &) -> PF_Err { return 0; });
    EXPECT_TRUE(next.clean()) << next.describe();
}

TEST(HostSuites, ColourParameterBecomesFloatChannelsOver255) {
    EffectHost host(fakeEntry);
    PF_ParamDef colour{};
    colour.param_type = PF_Param_COLOR;
    colour.u.cd.value = PF_Pixel{255, 0, 51, 128};
    PF_PixelFloat result{-1, -1, -1, -1};
    PF_Err wrongType = PF_Err_NONE;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        auto *suite =
            acquire<PF_ColorParamSuite1>(call, kPFColorParamSuite, kPFColorParamSuiteVersion1);
        if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        suite->PF_GetFloatingPointColorFromColorDef(call.in->effect_ref, &colour, &result);
        PF_ParamDef slider{};
        slider.param_type = PF_Param_SLIDER;
        PF_PixelFloat unused{};
        wrongType =
            suite->PF_GetFloatingPointColorFromColorDef(call.in->effect_ref, &slider, &unused);
        call.in->pica_basicP->ReleaseSuite(kPFColorParamSuite, kPFColorParamSuiteVersion1);
        return PF_Err_NONE;
    });
    ASSERT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(result.alpha, 1.0f);
    EXPECT_EQ(result.red, 0.0f);
    EXPECT_EQ(result.green, 0.2f);  // 51 / 255 is exactly 1/5
    EXPECT_FLOAT_EQ(result.blue, 0.50196078f);
    EXPECT_EQ(wrongType, PF_Err_BAD_CALLBACK_PARAM);
}

TEST(HostSuites, PixelFormatSuiteRecordsFormatsAndNamesWorldDepths) {
    EffectHost host(fakeEntry);
    OwnedWorld eight(2, 2, PixelDepth::Eight), deep(2, 2, PixelDepth::Sixteen);
    PrPixelFormat eightFormat = 0, deepFormat = 0;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        auto *suite =
            acquire<PF_PixelFormatSuite1>(call, kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1);
        if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        suite->AddSupportedPixelFormat(call.in->effect_ref, PrPixelFormat_BGRA_4444_8u);
        suite->ClearSupportedPixelFormats(call.in->effect_ref);
        suite->AddSupportedPixelFormat(call.in->effect_ref, PrPixelFormat_ARGB_4444_16u);
        suite->AddSupportedPixelFormat(call.in->effect_ref, PrPixelFormat_ARGB_4444_32f);
        suite->GetPixelFormat(&eight.layer(), &eightFormat);
        suite->GetPixelFormat(&deep.layer(), &deepFormat);
        call.in->pica_basicP->ReleaseSuite(kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1);
        return PF_Err_NONE;
    });
    ASSERT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(host.supportedPixelFormats(), (std::vector<PrPixelFormat>{0x62677241, 0x62675241}));
    // The bytes in memory spell the format's name.
    EXPECT_EQ(std::memcmp(&eightFormat, "argb", 4), 0);
    EXPECT_EQ(std::memcmp(&deepFormat, "Argb", 4), 0);
}

TEST(HostSuites, UtilitySuiteRecordsTheRequestForMatchingCheckouts) {
    EffectHost host(fakeEntry);
    EXPECT_EQ(host.matchingCheckoutRequests(), 0);
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        auto *suite = acquire<PF_UtilitySuite4>(call, kPFUtilitySuite, kPFUtilitySuiteVersion4);
        if (suite == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
        PF_Err err =
            suite->EffectWantsCheckedOutFramesToMatchRenderPixelFormat(call.in->effect_ref);
        call.in->pica_basicP->ReleaseSuite(kPFUtilitySuite, kPFUtilitySuiteVersion4);
        return err;
    });
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_EQ(host.matchingCheckoutRequests(), 1);
}

}  // namespace
