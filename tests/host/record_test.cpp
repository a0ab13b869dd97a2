// The records a command receives: the input record as each application
// fills it, the render's parameter array, checkouts from the frame source.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "fake_effect.h"
#include "host/effect_module.h"

namespace {

TEST(HostInData, EachApplicationIdentifiesItselfAndPassesTheSettings) {
    for (HostApp app : {HostApp::AfterEffects, HostApp::Premiere}) {
        HostSettings settings;
        settings.app = app;
        settings.currentTime = 48;
        settings.timeStep = 2;
        settings.timeScale = 50;
        settings.downsampleY = PF_RationalScale{1, 3};
        EffectHost host(fakeEntry, settings);
        PF_InData seen{};
        runInside(host, [&](const FakeCall &call) -> PF_Err {
            seen = *call.in;
            return PF_Err_NONE;
        });
        EXPECT_EQ(seen.appl_id, app == HostApp::Premiere ? 0x50724D72 : 0x46585443);
        EXPECT_EQ(seen.current_time, 48);
        EXPECT_EQ(seen.time_step, 2);
        EXPECT_EQ(seen.time_scale, 50u);
        EXPECT_EQ(seen.downsample_y.num, 1);
        EXPECT_EQ(seen.downsample_y.den, 3u);
        EXPECT_EQ(seen.downsample_x.den, 1u);
        EXPECT_NE(seen.effect_ref, nullptr);
        EXPECT_NE(seen.pica_basicP, nullptr);
        ASSERT_NE(seen.utils, nullptr);
        EXPECT_NE(seen.utils->new_world, nullptr);
        EXPECT_NE(seen.inter.checkout_param, nullptr);
    }
}

TEST(HostInData, CallbacksRefuseAnotherHostsEffectRef) {
    EffectHost first(fakeEntry), second(fakeEntry);
    PF_ProgPtr firstRef = nullptr;
    runInside(first, [&](const FakeCall &call) -> PF_Err {
        firstRef = call.in->effect_ref;
        return PF_Err_NONE;
    });
    PF_Err err = PF_Err_NONE;
    CommandReport report = runInside(second, [&](const FakeCall &call) -> PF_Err {
        PF_LayerDef world{};
        err = call.in->utils->new_world(firstRef, 2, 2, PF_NewWorldFlag_NONE, &world);
        return PF_Err_NONE;
    });
    EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(report.badEffectRefs, 1);
    EXPECT_EQ(report.worldsLeft, 0);
}

TEST(HostInData, OutDataStartsFromTheTemplateEveryCommand) {
    EffectHost host(fakeEntry);
    PF_OutData outTemplate;
    std::memset(&outTemplate, 0xA5, sizeof outTemplate);
    host.setOutDataTemplate(outTemplate);
    runInside(host, [](const FakeCall &call) -> PF_Err {
        call.out->my_version = 7;
        return PF_Err_NONE;
    });
    EXPECT_EQ(host.outData().my_version, 7u);
    runInside(host, [](const FakeCall &) -> PF_Err { return PF_Err_NONE; });
    EXPECT_EQ(std::memcmp(&host.outData(), &outTemplate, sizeof outTemplate), 0);
}

// A control record as an effect fills it before add_param.
PF_ParamDef declaredControl(PF_ParamType type, A_long id, const char *name) {
    PF_ParamDef def{};
    def.param_type = type;
    def.uu.id = id;
    std::strncpy(def.name, name, sizeof def.name - 1);
    return def;
}

// An effect unlike Holvane: three controls whose ids are not their places,
// the popup's choice string built for the add call alone and wiped after it,
// as an effect that frees it does.
PF_Err declareThreeControls(const FakeCall &call) {
    if (call.cmd != PF_Cmd_PARAMS_SETUP) return PF_Err_NONE;
    PF_ParamDef slider = declaredControl(PF_Param_SLIDER, 70, "Radius");
    slider.u.sd.valid_min = slider.u.sd.slider_min = -5;
    slider.u.sd.valid_max = slider.u.sd.slider_max = 5;
    slider.u.sd.value = slider.u.sd.dephault = 1;
    PF_ParamDef colour = declaredControl(PF_Param_COLOR, 12, "Tint");
    colour.u.cd.value = colour.u.cd.dephault = PF_Pixel{255, 10, 20, 30};
    PF_ParamDef popup = declaredControl(PF_Param_POPUP, 3, "Mode");
    popup.u.pd.num_choices = 2;
    popup.u.pd.value = popup.u.pd.dephault = 2;
    char choices[] = "Fast|Slow|";
    popup.u.pd.u.namesptr = choices;
    for (PF_ParamDef *def : {&slider, &colour, &popup}) {
        const PF_Err err = call.in->inter.add_param(call.in->effect_ref, -1, def);
        if (err != PF_Err_NONE) return err;
    }
    std::memset(choices, 'x', sizeof choices - 1);
    return PF_Err_NONE;
}

TEST(HostRender, ParamArrayHoldsWhatTheEffectDeclaredWithTheCurrentValues) {
    EffectHost host(fakeEntry);
    OwnedWorld input(6, 5, PixelDepth::Sixteen), output(6, 5, PixelDepth::Sixteen);
    std::vector<PF_ParamDef> seen;
    std::string choicesSeen;
    PF_LayerDef *outputSeen = nullptr;
    A_long inWidth = 0, numParams = 0, numParamsAtSetup = 0;
    tFakeBody = [&](const FakeCall &call) -> PF_Err {
        if (call.cmd == PF_Cmd_PARAMS_SETUP) {
            numParamsAtSetup = call.in->num_params;
            return declareThreeControls(call);
        }
        numParams = call.in->num_params;
        for (A_long i = 0; i < numParams; ++i) seen.push_back(*call.params[i]);
        choicesSeen = call.params[3]->u.pd.u.namesptr;
        outputSeen = call.output;
        inWidth = call.in->width;
        return PF_Err_NONE;
    };
    const ParamsSetupReply setup = host.paramsSetup();
    ASSERT_EQ(setup.report.err, PF_Err_NONE);
    ParamValues values;
    values.number[70] = -4;
    values.number[99] = 8;                      // no such control
    values.colour[3] = PF_Pixel{255, 1, 2, 3};  // the popup takes no colour
    CommandReport report = host.render(values, input.layer(), output.layer());
    tFakeBody = nullptr;
    EXPECT_EQ(report.cmd, PF_Cmd_RENDER);
    EXPECT_EQ(numParamsAtSetup, 1);
    EXPECT_EQ(numParams, 4);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(outputSeen, &output.layer());
    EXPECT_EQ(inWidth, 6);
    EXPECT_EQ(seen[0].param_type, PF_Param_LAYER);
    EXPECT_EQ(seen[0].u.ld.data, input.layer().data);
    EXPECT_EQ(seen[0].u.ld.rowbytes, input.rowbytes());
    // In the order declared, each as declared, with its current value.
    EXPECT_EQ(seen[1].uu.id, 70);
    EXPECT_STREQ(seen[1].name, "Radius");
    EXPECT_EQ(seen[1].u.sd.value, -4);
    EXPECT_EQ(seen[1].u.sd.valid_min, -5);
    EXPECT_EQ(seen[1].u.sd.dephault, 1);
    EXPECT_EQ(seen[2].uu.id, 12);
    EXPECT_EQ(seen[2].param_type, PF_Param_COLOR);
    EXPECT_EQ(seen[2].u.cd.value.blue, 30);
    EXPECT_EQ(seen[3].uu.id, 3);
    EXPECT_EQ(seen[3].u.pd.value, 2);
    EXPECT_EQ(seen[3].u.pd.num_choices, 2);
    // The host's copy of the choices, taken during the add call.
    EXPECT_EQ(choicesSeen, "Fast|Slow|");

    const ParamValues defaults = host.defaultValues();
    EXPECT_EQ(defaults.number.at(70), 1);
    EXPECT_EQ(defaults.number.at(3), 2);
    EXPECT_EQ(defaults.colour.at(12).red, 10);
    EXPECT_EQ(defaults.number.size() + defaults.colour.size(), 3u);
}

TEST(HostRender, ARenderNeedsASuccessfulParameterSetup) {
    EffectHost host(fakeEntry);
    OwnedWorld input(4, 4, PixelDepth::Eight), output(4, 4, PixelDepth::Eight);
    EXPECT_THROW(host.render(ParamValues{}, input.layer(), output.layer()), std::logic_error);
    tFakeBody = declareThreeControls;
    FaultPlan refuseSecond;
    refuseSecond.addParam = FaultAt{2, PF_Err_OUT_OF_MEMORY};
    host.setFaults(refuseSecond);
    EXPECT_EQ(host.paramsSetup().report.err, PF_Err_OUT_OF_MEMORY);
    EXPECT_THROW(host.render(ParamValues{}, input.layer(), output.layer()), std::logic_error);
    host.setFaults(FaultPlan{});
    EXPECT_EQ(host.paramsSetup().report.err, PF_Err_NONE);
    EXPECT_NO_THROW(host.render(ParamValues{}, input.layer(), output.layer()));
    tFakeBody = nullptr;
}

TEST(HostRender, CheckoutsComeFromTheFrameSourceOrElseTheRenderInput) {
    EffectHost host(fakeEntry);
    host.paramsSetup();  // an effect without controls
    OwnedWorld input(4, 4, PixelDepth::Eight), output(4, 4, PixelDepth::Eight);
    OwnedWorld other(4, 4, PixelDepth::Sixteen);
    std::vector<PF_LayerDef> layers;
    tFakeBody = [&](const FakeCall &call) -> PF_Err {
        for (A_long time : {0, 5, 9}) {
            PF_ParamDef param{};
            PF_Err err = call.in->inter.checkout_param(
                call.in->effect_ref, 0, time, call.in->time_step, call.in->time_scale, &param);
            if (err != PF_Err_NONE) return err;
            layers.push_back(param.u.ld);
            call.in->inter.checkin_param(call.in->effect_ref, &param);
        }
        return PF_Err_NONE;
    };
    CommandReport plain = host.render(ParamValues{}, input.layer(), output.layer());
    ASSERT_EQ(layers.size(), 3u);
    for (const PF_LayerDef &layer : layers) EXPECT_EQ(layer.data, input.layer().data);

    // A source that has the clip only up to time 5, and no frame after it.
    layers.clear();
    host.settings().frameSource = [&](A_long time) -> const PF_LayerDef * {
        return time <= 5 ? &other.layer() : nullptr;
    };
    CommandReport sourced = host.render(ParamValues{}, input.layer(), output.layer());
    tFakeBody = nullptr;
    EXPECT_TRUE(plain.clean()) << plain.describe();
    EXPECT_TRUE(sourced.clean()) << sourced.describe();
    ASSERT_EQ(layers.size(), 3u);
    EXPECT_EQ(layers[1].data, other.layer().data);
    EXPECT_NE(layers[1].world_flags & PF_WorldFlag_DEEP, 0);
    EXPECT_EQ(layers[2].data, nullptr);
    EXPECT_EQ(layers[2].width, 0);
    ASSERT_EQ(sourced.checkouts.size(), 3u);
    EXPECT_EQ(sourced.checkouts[2].time, 9);
    EXPECT_EQ(sourced.checkouts[2].timeScale, 24u);
}

TEST(HostRender, LayersLeftCheckedOutOrCheckedInTwiceAreReported) {
    EffectHost host(fakeEntry);
    host.paramsSetup();  // an effect without controls
    OwnedWorld input(4, 4, PixelDepth::Eight), output(4, 4, PixelDepth::Eight);
    PF_Err otherIndex = PF_Err_NONE;
    tFakeBody = [&](const FakeCall &call) -> PF_Err {
        PF_ParamDef kept{}, twice{};
        call.in->inter.checkout_param(call.in->effect_ref, 0, 0, 1, 24, &kept);
        call.in->inter.checkout_param(call.in->effect_ref, 0, 1, 1, 24, &twice);
        PF_ParamDef copy = twice;  // checking in a copy of the record is fine
        call.in->inter.checkin_param(call.in->effect_ref, &copy);
        call.in->inter.checkin_param(call.in->effect_ref, &twice);
        PF_ParamDef slider{};
        otherIndex = call.in->inter.checkout_param(call.in->effect_ref, 3, 0, 1, 24, &slider);
        return PF_Err_NONE;
    };
    CommandReport report = host.render(ParamValues{}, input.layer(), output.layer());
    tFakeBody = nullptr;
    EXPECT_EQ(report.checkoutsLeft, 1);
    EXPECT_EQ(report.unknownCheckins, 1);
    EXPECT_EQ(otherIndex, PF_Err_INVALID_INDEX);
}

// Hosts on different threads share nothing: each counts only its own
// effect's calls, with the callbacks finding their host per thread.
TEST(HostThreads, HostsOnSeveralThreadsKeepTheirOwnBooks) {
    auto work = [](int worlds, CommandReport &report) {
        EffectHost host(fakeEntry);
        report = runInside(host, [worlds](const FakeCall &call) -> PF_Err {
            std::vector<PF_LayerDef> made(worlds);
            for (PF_LayerDef &world : made)
                call.in->utils->new_world(call.in->effect_ref, 64, 64, PF_NewWorldFlag_DEEP_PIXELS,
                                          &world);
            const void *suite = nullptr;
            call.in->pica_basicP->AcquireSuite(kPFANSISuite, kPFANSISuiteVersion1, &suite);
            return PF_Err_NONE;
        });
    };
    CommandReport a, b;
    std::thread first(work, 3, std::ref(a)), second(work, 5, std::ref(b));
    first.join();
    second.join();
    EXPECT_EQ(a.worldsLeft, 3);
    EXPECT_EQ(b.worldsLeft, 5);
    EXPECT_EQ(a.suitesLeft.at("PF ANSI Suite v1"), 1);
    EXPECT_EQ(b.suitesLeft.at("PF ANSI Suite v1"), 1);
}

TEST(HostEffectEscape, AnExceptionLeavingTheEntryPointIsReported) {
    EffectHost host(fakeEntry);
    CommandReport report =
        runInside(host, [](const FakeCall &) -> PF_Err { throw std::runtime_error("escaped"); });
    EXPECT_TRUE(report.exceptionEscaped);
    EXPECT_NE(report.err, PF_Err_NONE);
}

TEST(HostModuleLoader, MissingFilesAndModulesWithoutTheEntryPointAreRefused) {
    EffectModule module;
    EXPECT_FALSE(module.open("/nonexistent/Holvane.so"));
    EXPECT_FALSE(module.isOpen());
    EXPECT_FALSE(module.error().empty());
    // The C library is a loadable module with no effect entry point.
    EXPECT_FALSE(module.open("libc.so.6"));
    EXPECT_NE(module.error().find(kEffectEntryPointName), std::string::npos);
    EXPECT_EQ(module.entry(), nullptr);
}

}  // namespace
