// The records a command receives: the input record as each application
// fills it, the render's parameter array, checkouts from the frame source.
#include <gtest/gtest.h>

#include <cstring>
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

TEST(HostRender, ParamArrayCarriesInputLayerValuesAndTheControlTable) {
    EffectHost host(fakeEntry);
    OwnedWorld input(6, 5, PixelDepth::Sixteen), output(6, 5, PixelDepth::Sixteen);
    ParamValues values = defaultParamValues();
    values.number[PARAM_HOLE_SIZE] = 17;
    values.colour[PARAM_SET_COLOR] = PF_Pixel{255, 1, 2, 3};
    std::vector<PF_ParamDef> seen;
    PF_LayerDef *outputSeen = nullptr;
    A_long inWidth = 0;
    tFakeBody = [&](const FakeCall &call) -> PF_Err {
        for (int i = 0; i < PARAM_COUNT; ++i) seen.push_back(*call.params[i]);
        outputSeen = call.output;
        inWidth = call.in->width;
        return PF_Err_NONE;
    };
    CommandReport report = host.render(values, input.layer(), output.layer());
    tFakeBody = nullptr;
    EXPECT_EQ(report.cmd, PF_Cmd_RENDER);
    ASSERT_EQ(seen.size(), std::size_t(PARAM_COUNT));
    EXPECT_EQ(outputSeen, &output.layer());
    EXPECT_EQ(inWidth, 6);
    EXPECT_EQ(seen[PARAM_INPUT].u.ld.data, input.layer().data);
    EXPECT_EQ(seen[PARAM_INPUT].u.ld.rowbytes, input.rowbytes());
    EXPECT_EQ(seen[PARAM_HOLE_SIZE].u.sd.value, 17);
    EXPECT_EQ(seen[PARAM_HOLE_SIZE].u.sd.dephault, paramSpec(PARAM_HOLE_SIZE).dephault);
    EXPECT_EQ(seen[PARAM_CLOSE_EDGE_GAPS].u.sd.value, paramSpec(PARAM_CLOSE_EDGE_GAPS).dephault);
    EXPECT_EQ(seen[PARAM_FILL_WITH].u.pd.value, paramSpec(PARAM_FILL_WITH).dephault);
    EXPECT_EQ(seen[PARAM_FILL_WITH].u.pd.num_choices, 10);
    EXPECT_EQ(seen[PARAM_SET_COLOR].u.cd.value.blue, 3);
    EXPECT_EQ(seen[PARAM_SET_COLOR].u.cd.dephault.blue, 255);
    EXPECT_EQ(seen[PARAM_DECONTAM_COLOR].u.cd.value.red, 128);
    for (int i = 1; i < PARAM_COUNT; ++i) {
        EXPECT_EQ(seen[i].uu.id, i);
        EXPECT_EQ(seen[i].param_type, PARAM_SPECS[i - 1].type);
        EXPECT_STREQ(seen[i].name, PARAM_SPECS[i - 1].name);
    }
}

TEST(HostRender, CheckoutsComeFromTheFrameSourceOrElseTheRenderInput) {
    EffectHost host(fakeEntry);
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
    CommandReport plain = host.render(defaultParamValues(), input.layer(), output.layer());
    ASSERT_EQ(layers.size(), 3u);
    for (const PF_LayerDef &layer : layers) EXPECT_EQ(layer.data, input.layer().data);

    // A source that has the clip only up to time 5, and no frame after it.
    layers.clear();
    host.settings().frameSource = [&](A_long time) -> const PF_LayerDef * {
        return time <= 5 ? &other.layer() : nullptr;
    };
    CommandReport sourced = host.render(defaultParamValues(), input.layer(), output.layer());
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
    CommandReport report = host.render(defaultParamValues(), input.layer(), output.layer());
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
