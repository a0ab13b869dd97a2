// The times at which a render fetches the neighbouring frames, at the far
// ends of the host's 32-bit time line: a late current time or a large step
// must give the nearest time that exists, never a wrapped one.
#include <climits>
#include <vector>

#include "frame/params/params.h"
#include "loaded_module.h"

namespace {

using FrameTimeTest = ModuleTest;

std::vector<A_long> checkoutTimes(PF_FilterProc entry, A_long currentTime, A_long timeStep) {
    HostSettings settings;
    settings.currentTime = currentTime;
    settings.timeStep = timeStep;
    EffectHost host(entry, settings);
    host.paramsSetup();
    OwnedWorld input(4, 200, PixelDepth::Eight, 0, 0x80);
    OwnedWorld output(4, 200, PixelDepth::Eight);
    const CommandReport report = host.render(defaultParamValues(), input.layer(), output.layer());
    EXPECT_EQ(report.err, PF_Err_NONE);
    EXPECT_TRUE(report.clean()) << report.describe();
    std::vector<A_long> times;
    for (const CheckoutRecord &checkout : report.checkouts) times.push_back(checkout.time);
    return times;
}

// Offsets +1..+3 lie past the last time a 32-bit count can name; they are
// fetched at that last time (wrapping would have made them negative, then 0).
TEST_F(FrameTimeTest, FramesPastTheEndOfTheTimeLineAreFetchedAtItsEnd) {
    EXPECT_EQ(checkoutTimes(entry(), INT_MAX - 1, 1),
              (std::vector<A_long>{INT_MAX - 4, INT_MAX - 3, INT_MAX - 2, INT_MAX - 1, INT_MAX,
                                   INT_MAX, INT_MAX}));
}

// A negative step of -1416432601 from time 50 (a fuzzer's find): offset -3
// would be 50 + 4249297803 and offset -2 50 + 2832865202, both past the end;
// offset -1 is 1416432651; the later offsets fall before 0.
TEST_F(FrameTimeTest, AHugeNegativeStepNeitherWrapsNorGoesBeforeZero) {
    EXPECT_EQ(checkoutTimes(entry(), 50, -1416432601),
              (std::vector<A_long>{INT_MAX, INT_MAX, 1416432651, 50, 0, 0, 0}));
}

}  // namespace
