// The control table test: the nine controls as users know them, written out
// here once, against what the loaded module declares at parameter setup
// (every field the host reads, the popup strings), and a refused add.
#include "frame/params/params.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "loaded_module.h"

namespace {

struct ExpectedControl {
    PF_ParamType type;
    const char *name;  // null: the name is shortened to fit (checked apart)
    A_long validMin, validMax, sliderMin, sliderMax, dephault;
    PF_Pixel colour;  // alpha, red, green, blue
};

const ExpectedControl kControls[] = {
    {PF_Param_POPUP, "Process", 0, 0, 0, 0, 1, {}},
    {PF_Param_SLIDER, ">Close edge gaps", 0, 30, 0, 15, 10, {}},
    {PF_Param_SLIDER, nullptr, 0, 4000, 0, 4000, 200, {}},
    {PF_Param_SLIDER, "Fill holes below alpha", 0, 100, 0, 100, 98, {}},
    {PF_Param_POPUP, ">Fill with", 0, 0, 0, 0, 3, {}},
    {PF_Param_COLOR, "Set color", 0, 0, 0, 0, 0, {255, 255, 255, 255}},
    {PF_Param_SLIDER, "Feather in", 0, 100, 0, 100, 2, {}},
    {PF_Param_SLIDER, "Shrink<->grow fill areas", -50, 50, -20, 20, 0, {}},
    {PF_Param_COLOR, ">Decontam from background color", 0, 0, 0, 0, 0, {255, 128, 128, 128}},
};

const char kProcessChoices[] = "1 Show result |2 Show only changes |3 Show alpha |4 Show info |";
const char kFillWithChoices[] =
    "Set color|Existing > Set color|Existing > +/-1 Frame > Set color|Existing > +/-3 Frames "
    "> Set color|Existing > +/-3 Frames > Adjacent blur|Existing > Adjacent blur> Set "
    "color|+/-1 Frame > Set color|+/-3 Frames > Set color|+/-3 Frames > Adjacent "
    "blur|Adjacent blur > Set color|";

bool terminatedWithinField(const char (&field)[32]) {
    return std::memchr(field, '\0', sizeof field) != nullptr;
}

void expectCommonFields(const CollectedParam &param, A_long id, const ExpectedControl &want) {
    const PF_ParamDef &def = param.def;
    EXPECT_EQ(param.indexAsked, -1);
    EXPECT_EQ(def.uu.id, id);
    EXPECT_EQ(def.param_type, want.type);
    EXPECT_EQ(def.flags, 0);
    EXPECT_EQ(def.ui_flags, 0);
    EXPECT_EQ(def.ui_width, 0);
    EXPECT_EQ(def.ui_height, 0);
    ASSERT_TRUE(terminatedWithinField(def.name));
    if (want.name != nullptr) {
        EXPECT_STREQ(def.name, want.name);
    } else {
        // The full 45-character name cannot fit the 31-character field.
        EXPECT_EQ(std::strncmp(def.name, ">Only fill holes", 16), 0) << def.name;
    }
}

void expectTypeFields(const CollectedParam &param, const ExpectedControl &want) {
    const PF_ParamDefUnion &u = param.def.u;
    switch (want.type) {
        case PF_Param_SLIDER:
            EXPECT_EQ(u.sd.valid_min, want.validMin);
            EXPECT_EQ(u.sd.valid_max, want.validMax);
            EXPECT_EQ(u.sd.slider_min, want.sliderMin);
            EXPECT_EQ(u.sd.slider_max, want.sliderMax);
            EXPECT_EQ(u.sd.dephault, want.dephault);
            EXPECT_EQ(u.sd.value, want.dephault);
            EXPECT_STREQ(u.sd.value_str, "");
            EXPECT_STREQ(u.sd.value_desc, "");
            break;
        case PF_Param_POPUP:
            EXPECT_EQ(u.pd.dephault, want.dephault);
            EXPECT_EQ(u.pd.value, want.dephault);
            break;
        case PF_Param_COLOR:
            EXPECT_TRUE(sameBytes(&u.cd.value, &want.colour, sizeof(PF_Pixel)));
            EXPECT_TRUE(sameBytes(&u.cd.dephault, &want.colour, sizeof(PF_Pixel)));
            break;
        default:
            ADD_FAILURE() << "unexpected type " << want.type;
    }
}

using ParamsTest = ModuleTest;

TEST_F(ParamsTest, NineControlsInOrderWithEveryField) {
    for (HostApp app : kBothHosts) {
        EffectHost host(entry(), settingsFor(app));
        ParamsSetupReply reply = host.paramsSetup();
        EXPECT_EQ(reply.report.err, PF_Err_NONE);
        EXPECT_TRUE(reply.report.clean()) << reply.report.describe();
        EXPECT_EQ(host.outData().num_params, 10);
        ASSERT_EQ(reply.params.size(), 9u);
        for (std::size_t i = 0; i < reply.params.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i + 1));
            expectCommonFields(reply.params[i], A_long(i + 1), kControls[i]);
            expectTypeFields(reply.params[i], kControls[i]);
        }
    }
}

TEST_F(ParamsTest, PopupsCarryTheirChoiceStrings) {
    EffectHost host(entry());
    ParamsSetupReply reply = host.paramsSetup();
    ASSERT_EQ(reply.params.size(), 9u);
    const CollectedParam &process = reply.params[PARAM_PROCESS - 1];
    EXPECT_EQ(process.def.u.pd.num_choices, 4);
    EXPECT_EQ(process.choices, kProcessChoices);
    const CollectedParam &fillWith = reply.params[PARAM_FILL_WITH - 1];
    EXPECT_EQ(fillWith.def.u.pd.num_choices, 10);
    EXPECT_EQ(fillWith.choices, kFillWithChoices);
    EXPECT_EQ(fillWith.choices.size(), 276u);
    // Each popup's count equals its number of "|"-ended names.
    for (const CollectedParam *popup : {&process, &fillWith}) {
        const auto bars = std::count(popup->choices.begin(), popup->choices.end(), '|');
        EXPECT_EQ(bars, popup->def.u.pd.num_choices);
        EXPECT_EQ(popup->choices.back(), '|');
    }
}

TEST_F(ParamsTest, RefusedFifthAddStopsWithTheHostsError) {
    for (PF_Err refusal : {PF_Err(PF_Err_OUT_OF_MEMORY), PF_Err(PF_Err_INTERNAL_STRUCT_DAMAGED)}) {
        EffectHost host(entry());
        const PF_OutData marked = markedOutData();
        host.setOutDataTemplate(marked);
        FaultPlan plan;
        plan.addParam = FaultAt{5, refusal};
        host.setFaults(plan);
        ParamsSetupReply reply = host.paramsSetup();
        EXPECT_EQ(reply.report.err, refusal);
        EXPECT_TRUE(reply.report.clean()) << reply.report.describe();
        ASSERT_EQ(reply.params.size(), 4u);
        for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(reply.params[i].def.uu.id, A_long(i + 1));
        // num_params is left as the host gave it.
        EXPECT_EQ(host.outData().num_params, marked.num_params);
    }
}

}  // namespace
