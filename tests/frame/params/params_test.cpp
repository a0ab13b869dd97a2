#include "frame/params/params.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "frame/entry_point.h"
#include "support/fake_host.h"

namespace {

// The control table itself (every control's type, name, range, default and
// choices) is checked once, as the module declares it, in
// tests/module/params_test.cpp; here only how ParamsSetup calls the host.

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

TEST_F(ParamsSetupCall, AddsEachControlInOrderThroughOneReusedRecord) {
    EXPECT_EQ(setup(), PF_Err_NONE);
    ASSERT_EQ(host.addedParams.size(), 9u);
    for (A_long id = 1; id <= 9; ++id) {
        SCOPED_TRACE(id);
        const FakeHost::AddedParam &added = host.addedParams[id - 1];
        EXPECT_EQ(added.effect_ref, host.in_data.effect_ref);
        EXPECT_EQ(added.index, -1);
        EXPECT_EQ(added.def.uu.id, id);
        EXPECT_EQ(added.def.param_type, paramSpec(ParamIndex(id)).type);
        // One record reused for every control.
        EXPECT_EQ(added.address, host.addedParams[0].address);
    }
    // The names are copied with the input record's strcpy.
    EXPECT_EQ(host.utilsStrcpyCalls, 9);
    EXPECT_EQ(host.out_data.num_params, 10);
}

}  // namespace
