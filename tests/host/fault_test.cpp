// Fault injection: each kind of call is refused at exactly the nth call
// counted from when the plan was set, with the chosen error.
#include <gtest/gtest.h>

#include "fake_effect.h"

namespace {

std::vector<PF_Err> newWorldResults(EffectHost &host, int calls) {
    std::vector<PF_Err> results;
    runInside(host, [&](const FakeCall &call) -> PF_Err {
        for (int i = 0; i < calls; ++i) {
            PF_LayerDef world{};
            PF_Err err =
                call.in->utils->new_world(call.in->effect_ref, 2, 2, PF_NewWorldFlag_NONE, &world);
            results.push_back(err);
            if (err == PF_Err_NONE) call.in->utils->dispose_world(call.in->effect_ref, &world);
        }
        return PF_Err_NONE;
    });
    return results;
}

TEST(HostFaults, NewWorldRefusedAtExactlyTheNthCall) {
    EffectHost host(fakeEntry);
    FaultPlan plan;
    plan.newWorld.nth = 3;
    host.setFaults(plan);
    EXPECT_EQ(newWorldResults(host, 5), (std::vector<PF_Err>{0, 0, PF_Err_OUT_OF_MEMORY, 0, 0}));
    // Counting goes on across commands: the refused call is gone for good.
    EXPECT_EQ(newWorldResults(host, 2), (std::vector<PF_Err>{0, 0}));
    // Setting a plan again starts the count afresh, with the chosen error.
    plan.newWorld = FaultAt{1, PF_Err_INTERNAL_STRUCT_DAMAGED};
    host.setFaults(plan);
    EXPECT_EQ(newWorldResults(host, 2), (std::vector<PF_Err>{PF_Err_INTERNAL_STRUCT_DAMAGED, 0}));
}

TEST(HostFaults, AddParamRefusalKeepsTheRefusedDefinitionOut) {
    EffectHost host(fakeEntry);
    FaultPlan plan;
    plan.addParam.nth = 2;
    host.setFaults(plan);
    std::vector<PF_Err> results;
    CommandReport report = runInside(
        host,
        [&](const FakeCall &call) -> PF_Err {
            for (A_long id = 1; id <= 3; ++id) {
                PF_ParamDef def{};
                def.param_type = PF_Param_SLIDER;
                def.uu.id = id;
                results.push_back(call.in->inter.add_param(call.in->effect_ref, -1, &def));
            }
            return PF_Err_NONE;
        },
        PF_Cmd_PARAMS_SETUP);
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(results, (std::vector<PF_Err>{0, PF_Err_OUT_OF_MEMORY, 0}));
    ASSERT_EQ(host.collectedParams().size(), 2u);
    EXPECT_EQ(host.collectedParams()[0].def.uu.id, 1);
    EXPECT_EQ(host.collectedParams()[1].def.uu.id, 3);
}

TEST(HostFaults, CheckoutRefusedAtTheNthCallLeavesNothingCheckedOut) {
    EffectHost host(fakeEntry);
    OwnedWorld frame(4, 4, PixelDepth::Eight);
    host.settings().frameSource = [&](A_long) { return &frame.layer(); };
    FaultPlan plan;
    plan.checkout = FaultAt{2, PF_Err_BAD_CALLBACK_PARAM};
    host.setFaults(plan);
    std::vector<PF_Err> results;
    std::vector<PF_PixelPtr> data;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        for (int i = 0; i < 3; ++i) {
            PF_ParamDef layer{};
            results.push_back(
                call.in->inter.checkout_param(call.in->effect_ref, 0, i, 1, 24, &layer));
            data.push_back(layer.u.ld.data);
            call.in->inter.checkin_param(call.in->effect_ref, &layer);
        }
        return PF_Err_NONE;
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(results, (std::vector<PF_Err>{0, PF_Err_BAD_CALLBACK_PARAM, 0}));
    EXPECT_EQ(data, (std::vector<PF_PixelPtr>{frame.layer().data, nullptr, frame.layer().data}));
    EXPECT_EQ(report.checkouts.size(), 3u);
}

TEST(HostFaults, RefusedHandleIsNull) {
    EffectHost host(fakeEntry);
    FaultPlan plan;
    plan.newHandleNth = 2;
    host.setFaults(plan);
    std::vector<bool> granted;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        for (int i = 0; i < 3; ++i) {
            PF_Handle handle = call.in->utils->host_new_handle(16);
            granted.push_back(handle != nullptr);
            if (handle != nullptr) call.in->utils->host_dispose_handle(handle);
        }
        return PF_Err_NONE;
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(granted, (std::vector<bool>{true, false, true}));
}

TEST(HostFaults, RefusedSuiteIsNotFoundAtAnyVersionWhileOthersStillCome) {
    EffectHost host(fakeEntry);
    FaultPlan plan;
    plan.refusedSuites = {kPFPixelFormatSuite};
    host.setFaults(plan);
    SPErr refused = kSPNoError;
    const void *refusedSuite = &plan;  // must be reset to null by the refusal
    const void *utility = nullptr;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        SPBasicSuite *basic = call.in->pica_basicP;
        refused =
            basic->AcquireSuite(kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1, &refusedSuite);
        if (basic->AcquireSuite(kPFUtilitySuite, kPFUtilitySuiteVersion4, &utility) == kSPNoError)
            basic->ReleaseSuite(kPFUtilitySuite, kPFUtilitySuiteVersion4);
        return PF_Err_NONE;
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_EQ(refused, kSPSuiteNotFoundError);
    EXPECT_EQ(refusedSuite, nullptr);
    EXPECT_NE(utility, nullptr);
}

}  // namespace
