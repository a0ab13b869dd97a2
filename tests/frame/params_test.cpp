#include "frame/params/params.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <tuple>

#include "frame/entry_point.h"
#include "support/fake_host.h"

namespace {

const char PROCESS_CHOICES[] = "1 Show result |2 Show only changes |3 Show alpha |4 Show info |";
const char FILL_WITH_CHOICES[] =
    "Set color|Existing > Set color|Existing > +/-1 Frame > Set color|Existing > +/-3 Frames > "
    "Set color|Existing > +/-3 Frames > Adjacent blur|Existing > Adjacent blur> Set "
    "color|+/-1 Frame > Set color|+/-3 Frames > Set color|+/-3 Frames > Adjacent "
    "blur|Adjacent blur > Set color|";

struct Expected {
    PF_ParamType type;
    std::string name;
    A_long validMin, validMax, sliderMin, sliderMax, dephault;
    PF_Pixel colour;
};

// The controls as users know them; the hole size's shortened name is
// checked apart.
const Expected EXPECTED[PARAM_COUNT - 1] = {
    {PF_Param_POPUP, "Process", 1, 4, 1, 4, 1, {}},
    {PF_Param_SLIDER, ">Close edge gaps", 0, 30, 0, 15, 10, {}},
    {PF_Param_SLIDER, "", 0, 4000, 0, 4000, 200, {}},
    {PF_Param_SLIDER, "Fill holes below alpha", 0, 100, 0, 100, 98, {}},
    {PF_Param_POPUP, ">Fill with", 1, 10, 1, 10, 3, {}},
    {PF_Param_COLOR, "Set color", 0, 0, 0, 0, 0, {255, 255, 255, 255}},
    {PF_Param_SLIDER, "Feather in", 0, 100, 0, 100, 2, {}},
    {PF_Param_SLIDER, "Shrink<->grow fill areas", -50, 50, -20, 20, 0, {}},
    {PF_Param_COLOR, ">Decontam from background color", 0, 0, 0, 0, 0, {255, 128, 128, 128}},
};

// The host's name field holds 31 characters and a terminator.
TEST(ParamTable, NamesFitTheHostsFieldAndHoleSizeKeepsItsSense) {
    for (const ParamSpec &control : PARAM_SPECS)
        EXPECT_LE(std::strlen(control.name), 31u) << control.name;
    EXPECT_EQ(std::string(paramSpec(PARAM_HOLE_SIZE).name).rfind(">Only fill holes", 0), 0u);
}

// Each choice name ends with "|"; the count must match.
TEST(ParamTable, PopupChoicesAreExactAndCounted) {
    for (auto [index, choices, count] : {std::tuple{PARAM_PROCESS, PROCESS_CHOICES, 4},
                                         std::tuple{PARAM_FILL_WITH, FILL_WITH_CHOICES, 10}}) {
        const ParamSpec &control = paramSpec(index);
        EXPECT_STREQ(control.choices, choices);
        EXPECT_EQ(control.numChoices, count);
        EXPECT_EQ(std::count(control.choices, control.choices + std::strlen(control.choices), '|'),
                  count);
    }
    EXPECT_EQ(std::strlen(FILL_WITH_CHOICES), 276u);
}

TEST(ParamTable, OnlyTheNineControlsHaveEntries) {
    for (A_long i = 1; i < PARAM_COUNT; ++i)
        EXPECT_EQ(&paramSpec(ParamIndex(i)), &PARAM_SPECS[i - 1]);
    EXPECT_THROW(paramSpec(PARAM_INPUT), std::out_of_range);
    EXPECT_THROW(paramSpec(PARAM_COUNT), std::out_of_range);
}

struct ParamsSetupCall : ::testing::Test {
    FakeHost host;
    PF_Err setup() {
        host.out_data.num_params = -7;
        return EntryPointFunc(PF_Cmd_PARAMS_SETUP, &host.in_data, &host.out_data, nullptr, nullptr,
                              nullptr);
    }
};

void expectControlFields(const FakeHost::AddedParam &added, A_long id) {
    const PF_ParamDef &def = added.def;
    const ParamSpec &control = paramSpec(static_cast<ParamIndex>(id));
    const Expected &e = EXPECTED[id - 1];
    EXPECT_EQ(def.uu.id, id);
    EXPECT_EQ(def.param_type, e.type);
    EXPECT_STREQ(def.name, e.name.empty() ? control.name : e.name.c_str());
    EXPECT_EQ(def.flags, 0);
    EXPECT_EQ(def.ui_flags, 0);
    EXPECT_EQ(def.ui_width, 0);
    EXPECT_EQ(def.ui_height, 0);
    if (e.type == PF_Param_SLIDER) {
        const PF_SliderDef &sd = def.u.sd;
        EXPECT_STREQ(sd.value_str, "");
        EXPECT_STREQ(sd.value_desc, "");
        EXPECT_EQ(sd.valid_min, e.validMin);
        EXPECT_EQ(sd.valid_max, e.validMax);
        EXPECT_EQ(sd.slider_min, e.sliderMin);
        EXPECT_EQ(sd.slider_max, e.sliderMax);
        EXPECT_EQ(sd.dephault, e.dephault);
        EXPECT_EQ(sd.value, e.dephault);
    } else if (e.type == PF_Param_POPUP) {
        EXPECT_EQ(def.u.pd.num_choices, e.validMax);
        EXPECT_EQ(def.u.pd.dephault, e.dephault);
        EXPECT_EQ(def.u.pd.value, e.dephault);
        EXPECT_EQ(added.choices, id == PARAM_PROCESS ? PROCESS_CHOICES : FILL_WITH_CHOICES);
    } else {
        EXPECT_EQ(std::memcmp(&def.u.cd.value, &e.colour, sizeof(PF_Pixel)), 0);
        EXPECT_EQ(std::memcmp(&def.u.cd.dephault, &e.colour, sizeof(PF_Pixel)), 0);
    }
}

TEST_F(ParamsSetupCall, AddsTheNineControlsInOrderWithEveryField) {
    EXPECT_EQ(setup(), PF_Err_NONE);
    ASSERT_EQ(host.addedParams.size(), 9u);
    for (A_long id = 1; id <= 9; ++id) {
        SCOPED_TRACE(id);
        const FakeHost::AddedParam &added = host.addedParams[id - 1];
        EXPECT_EQ(added.effect_ref, host.in_data.effect_ref);
        EXPECT_EQ(added.index, -1);
        // One record reused for every control.
        EXPECT_EQ(added.address, host.addedParams[0].address);
        expectControlFields(added, id);
    }
    EXPECT_EQ(host.utilsStrcpyCalls, 9);
    EXPECT_EQ(host.out_data.num_params, 10);
}

TEST_F(ParamsSetupCall, RefusedFifthAddStopsAndReturnsTheHostsError) {
    host.refuseAddParamAt = 5;
    host.refuseAddParamWith = PF_Interrupt_CANCEL;
    EXPECT_EQ(setup(), PF_Interrupt_CANCEL);
    EXPECT_EQ(host.addParamCalls, 5);
    EXPECT_EQ(host.addedParams.size(), 4u);
    EXPECT_EQ(host.out_data.num_params, -7);
}

}  // namespace
