#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>

#include "frame/entry_point.h"
#include "render/render.h"
#include "support/fake_host.h"

// The frame's tests link the frame alone; the render command reaches this
// recording stand-in, so routing and error handling are checked without the
// pipeline, which has its own tests.
namespace renderCall {
int count = 0;
std::vector<void *> arguments;
std::function<PF_Err()> behaviour;
}  // namespace renderCall

PF_Err Render(PF_InData *in_data, PF_OutData *out_data, PF_ParamDef *params[],
              PF_LayerDef *output) {
    ++renderCall::count;
    renderCall::arguments = {in_data, out_data, params, output};
    return renderCall::behaviour ? renderCall::behaviour() : PF_Err_NONE;
}

namespace {

struct Dispatch : ::testing::Test {
    FakeHost host;
    PF_ParamDef param{};
    PF_ParamDef *params[1] = {&param};
    PF_LayerDef output{};
    PF_ExtDependenciesExtra extra{PF_DepCheckType_ALL_DEPENDENCIES, nullptr};

    void SetUp() override { renderCall::count = 0; }
    PF_Err send(PF_Cmd cmd) {
        return EntryPointFunc(cmd, &host.in_data, &host.out_data, params, &output, &extra);
    }
};

// Frame setup and the dynamic-flags query have handlers that do nothing;
// every other code but the five below has no handler at all.
TEST_F(Dispatch, CommandsThatDoNothingLeaveEverythingUntouched) {
    std::vector<PF_Cmd> codes = {PF_Cmd_NUM_CMDS - 1, PF_Cmd_NUM_CMDS, 1000, -1};
    for (PF_Cmd cmd = 0; cmd <= 25; ++cmd) codes.push_back(cmd);
    std::memset(&host.out_data, 0xA5, sizeof host.out_data);
    const PF_OutData before = host.out_data;

    for (PF_Cmd cmd : codes) {
        if (cmd == PF_Cmd_ABOUT || cmd == PF_Cmd_GLOBAL_SETUP || cmd == PF_Cmd_PARAMS_SETUP ||
            cmd == PF_Cmd_RENDER || cmd == PF_Cmd_GET_EXTERNAL_DEPENDENCIES)
            continue;
        EXPECT_EQ(send(cmd), PF_Err_NONE) << "command " << cmd;
        EXPECT_EQ(std::memcmp(&before, &host.out_data, sizeof before), 0) << "command " << cmd;
    }
    EXPECT_EQ(host.utilsSprintfCalls + host.utilsStrcpyCalls, 0);
    EXPECT_TRUE(host.addedParams.empty());
    EXPECT_TRUE(host.acquired.empty());
    EXPECT_EQ(renderCall::count, 0);
    EXPECT_EQ(extra.dependencies_strH, nullptr);
}

TEST_F(Dispatch, RenderGetsTheHostsArgumentsAndItsResultIsReturned) {
    renderCall::behaviour = [] { return PF_Err_OUT_OF_MEMORY; };
    EXPECT_EQ(send(PF_Cmd_RENDER), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(renderCall::count, 1);
    EXPECT_EQ(renderCall::arguments,
              (std::vector<void *>{&host.in_data, &host.out_data, params, &output}));
}

// Nothing but an error code may reach the host.
TEST_F(Dispatch, ThrownFailuresBecomeErrorCodes) {
    const std::pair<std::function<PF_Err()>, PF_Err> cases[] = {
        {[]() -> PF_Err { throw PF_Err{A_Err_MISSING_SUITE}; }, A_Err_MISSING_SUITE},
        {[]() -> PF_Err { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; }, PF_Err_BAD_CALLBACK_PARAM},
        {[]() -> PF_Err { throw std::bad_alloc(); }, PF_Err_OUT_OF_MEMORY},
        {[]() -> PF_Err { throw std::runtime_error("broken"); }, PF_Err_INTERNAL_STRUCT_DAMAGED},
        {[]() -> PF_Err { throw 2.5; }, PF_Err_INTERNAL_STRUCT_DAMAGED},
    };
    for (const auto &[behaviour, expected] : cases) {
        renderCall::behaviour = behaviour;
        EXPECT_EQ(send(PF_Cmd_RENDER), expected);
    }
    renderCall::behaviour = nullptr;
}

}  // namespace
