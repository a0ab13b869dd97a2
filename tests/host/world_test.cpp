// Worlds from new_world: depth, honest rowbytes, the mark on uncleared
// pixels, and disposal bookkeeping.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstring>
#include <set>

#include "fake_effect.h"

namespace {

// Creates one world inside a command and hands a copy of its bytes out.
struct WorldSnapshot {
    PF_Err err = PF_Err_NONE;
    PF_LayerDef layer{};
    std::vector<std::uint8_t> bytes;
};

WorldSnapshot makeWorld(EffectHost &host, A_long width, A_long height, PF_NewWorldFlags flags) {
    WorldSnapshot snapshot;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        snapshot.err =
            call.in->utils->new_world(call.in->effect_ref, width, height, flags, &snapshot.layer);
        if (snapshot.err != PF_Err_NONE) return snapshot.err;
        auto *first = reinterpret_cast<const std::uint8_t *>(snapshot.layer.data);
        snapshot.bytes.assign(first, first + std::size_t(snapshot.layer.rowbytes) * height);
        return call.in->utils->dispose_world(call.in->effect_ref, &snapshot.layer);
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    return snapshot;
}

TEST(HostWorlds, DepthFlagsAndRowbytesFollowTheRequest) {
    EffectHost host(fakeEntry);
    WorldSnapshot eight = makeWorld(host, 7, 3, PF_NewWorldFlag_NONE);
    ASSERT_EQ(eight.err, PF_Err_NONE);
    EXPECT_EQ(eight.layer.world_flags & PF_WorldFlag_DEEP, 0);
    EXPECT_EQ(eight.layer.width, 7);
    EXPECT_EQ(eight.layer.height, 3);
    EXPECT_EQ(eight.layer.rowbytes, 7 * 4 + kDefaultRowPaddingBytes);

    WorldSnapshot deep = makeWorld(host, 7, 3, PF_NewWorldFlag_DEEP_PIXELS);
    ASSERT_EQ(deep.err, PF_Err_NONE);
    EXPECT_NE(deep.layer.world_flags & PF_WorldFlag_DEEP, 0);
    EXPECT_EQ(deep.layer.rowbytes, 7 * 8 + kDefaultRowPaddingBytes);

    host.settings().rowPaddingBytes = 0;
    WorldSnapshot tight = makeWorld(host, 5, 2, PF_NewWorldFlag_DEEP_PIXELS);
    EXPECT_EQ(tight.layer.rowbytes, 5 * 8);
}

TEST(HostWorlds, UnclearedWorldsCarryTheMarkEverywhere) {
    EffectHost host(fakeEntry);
    for (PF_NewWorldFlags flags : {PF_NewWorldFlag_NONE, PF_NewWorldFlag_DEEP_PIXELS}) {
        WorldSnapshot world = makeWorld(host, 9, 4, flags);
        ASSERT_FALSE(world.bytes.empty());
        for (std::uint8_t byte : world.bytes) ASSERT_EQ(byte, kUnclearedWorldByte);
    }
    // A 16-bit channel of the mark is above full scale, so it cannot pass for
    // any legitimate pixel value.
    EXPECT_GT((kUnclearedWorldByte << 8) | kUnclearedWorldByte, PF_MAX_CHAN16);
}

// Pages of the process faulted in so far.
long pageFaultsSoFar() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

TEST(HostWorlds, ClearPixelsGiveZerosAndProductionWorldsCostOnlyTouchedPages) {
    EffectHost host(fakeEntry);
    WorldSnapshot cleared =
        makeWorld(host, 9, 4, PF_NewWorldFlag_CLEAR_PIXELS | PF_NewWorldFlag_DEEP_PIXELS);
    for (std::uint8_t byte : cleared.bytes) ASSERT_EQ(byte, 0);

    // A production host writes no byte of a new world the effect did not
    // ask to clear, and clears fresh memory without writing it either: pages
    // the effect never touches are never faulted in.
    host.settings().markUnclearedWorlds = false;
    const A_long width = 4096, height = 2048;  // 64 MB deep
    const long pages = long(width) * 8 * height / 4096;
    long unclearedFaults = 0, clearedFaults = 0;
    bool zeros = true;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        PF_LayerDef uncleared{}, zeroed{};
        long before = pageFaultsSoFar();
        PF_Err err = call.in->utils->new_world(call.in->effect_ref, width, height,
                                               PF_NewWorldFlag_DEEP_PIXELS, &uncleared);
        unclearedFaults = pageFaultsSoFar() - before;
        before = pageFaultsSoFar();
        if (err == PF_Err_NONE) {
            err = call.in->utils->new_world(
                call.in->effect_ref, width, height,
                PF_NewWorldFlag_DEEP_PIXELS | PF_NewWorldFlag_CLEAR_PIXELS, &zeroed);
        }
        clearedFaults = pageFaultsSoFar() - before;
        if (err != PF_Err_NONE) return err;
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(zeroed.data);
        for (std::size_t i = 0; i < std::size_t(zeroed.rowbytes) * height; i += 512)
            zeros &= bytes[i] == 0;
        call.in->utils->dispose_world(call.in->effect_ref, &uncleared);
        return call.in->utils->dispose_world(call.in->effect_ref, &zeroed);
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_TRUE(zeros);
    EXPECT_LT(unclearedFaults, pages / 4);
    EXPECT_LT(clearedFaults, pages / 4);
}

// The benchmarks' pool: a disposed world's memory comes back, as it was left,
// for the next world of the same geometry; any other geometry, or a request
// to clear, gets fresh memory as before.
TEST(HostWorlds, RecycledWorldsComeBackUnfilledForTheSameGeometry) {
    EffectHost host(fakeEntry);
    host.settings().recycleWorlds = true;
    PF_LayerDef first{};
    runInside(host, [&](const FakeCall &call) -> PF_Err {
        PF_Err err = call.in->utils->new_world(call.in->effect_ref, 6, 4,
                                               PF_NewWorldFlag_DEEP_PIXELS, &first);
        if (err != PF_Err_NONE) return err;
        std::memset(first.data, 0x3C, std::size_t(first.rowbytes) * 4);
        return call.in->utils->dispose_world(call.in->effect_ref, &first);
    });
    WorldSnapshot again = makeWorld(host, 6, 4, PF_NewWorldFlag_DEEP_PIXELS);
    EXPECT_EQ(again.layer.data, first.data);
    for (std::uint8_t byte : again.bytes) ASSERT_EQ(byte, 0x3C);

    WorldSnapshot otherDepth = makeWorld(host, 6, 4, PF_NewWorldFlag_NONE);
    for (std::uint8_t byte : otherDepth.bytes) ASSERT_EQ(byte, kUnclearedWorldByte);
    WorldSnapshot cleared =
        makeWorld(host, 6, 4, PF_NewWorldFlag_DEEP_PIXELS | PF_NewWorldFlag_CLEAR_PIXELS);
    for (std::uint8_t byte : cleared.bytes) ASSERT_EQ(byte, 0);
}

// Every pixel addressed through rowbytes must have storage of its own: a
// value written to each pixel reads back unchanged after all were written.
TEST(HostWorlds, RowsAddressedByRowbytesDoNotOverlap) {
    EffectHost host(fakeEntry);
    const A_long width = 13, height = 6;
    bool allDistinct = true;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        PF_LayerDef world{};
        PF_Err err = call.in->utils->new_world(call.in->effect_ref, width, height,
                                               PF_NewWorldFlag_DEEP_PIXELS, &world);
        if (err != PF_Err_NONE) return err;
        auto *base = reinterpret_cast<std::uint8_t *>(world.data);
        auto at = [&](A_long x, A_long y) {
            return reinterpret_cast<PF_Pixel16 *>(base + y * world.rowbytes) + x;
        };
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x)
                *at(x, y) = PF_Pixel16{A_u_short(y), A_u_short(x), A_u_short(x + y), 1};
        for (A_long y = 0; y < height; ++y)
            for (A_long x = 0; x < width; ++x)
                allDistinct &= at(x, y)->alpha == y && at(x, y)->red == x;
        return call.in->utils->dispose_world(call.in->effect_ref, &world);
    });
    EXPECT_TRUE(report.clean()) << report.describe();
    EXPECT_TRUE(allDistinct);
}

TEST(HostWorlds, SizesOutsideTheHostLimitsAreRefused) {
    EffectHost host(fakeEntry);
    for (auto size : {std::pair<A_long, A_long>{0, 5}, {5, -1}, {PF_MAX_WORLD_WIDTH + 1, 1}}) {
        WorldSnapshot world = makeWorld(host, size.first, size.second, PF_NewWorldFlag_NONE);
        EXPECT_EQ(world.err, PF_Err_BAD_CALLBACK_PARAM) << size.first << "x" << size.second;
    }
}

TEST(HostWorlds, UndisposedAndTwiceDisposedWorldsAreReported) {
    EffectHost host(fakeEntry);
    PF_Err secondDisposal = PF_Err_NONE;
    CommandReport report = runInside(host, [&](const FakeCall &call) -> PF_Err {
        PF_LayerDef kept{}, twice{};
        call.in->utils->new_world(call.in->effect_ref, 4, 4, PF_NewWorldFlag_NONE, &kept);
        call.in->utils->new_world(call.in->effect_ref, 4, 4, PF_NewWorldFlag_NONE, &twice);
        call.in->utils->dispose_world(call.in->effect_ref, &twice);
        secondDisposal = call.in->utils->dispose_world(call.in->effect_ref, &twice);
        return PF_Err_NONE;
    });
    EXPECT_EQ(report.worldsLeft, 1);
    EXPECT_EQ(report.unknownWorldDisposals, 1);
    EXPECT_EQ(secondDisposal, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(report.newWorldFlags.size(), 2u);
    EXPECT_FALSE(report.clean());

    // The host took the leaked world back: the next command starts clean.
    CommandReport next = runInside(host, [](const FakeCall &) -> PF_Err { return PF_Err_NONE; });
    EXPECT_TRUE(next.clean()) << next.describe();
}

TEST(OwnedWorlds, MoveKeepsThePixelsAndEmptiesTheSource) {
    OwnedWorld source(3, 2, PixelDepth::Eight, 8, 0x11);
    source.pixel8(2, 1)->green = 200;
    const PF_PixelPtr data = source.layer().data;
    OwnedWorld moved(std::move(source));
    EXPECT_EQ(moved.layer().data, data);
    EXPECT_EQ(moved.pixel8(2, 1)->green, 200);
    EXPECT_EQ(moved.pixel8(0, 0)->alpha, 0x11);
    EXPECT_EQ(moved.rowbytes(), 3 * 4 + 8);
    EXPECT_EQ(source.layer().data, nullptr);
    EXPECT_EQ(source.width(), 0);
}

TEST(OwnedWorlds, FillLeavesRowPaddingAlone) {
    OwnedWorld world(2, 2, PixelDepth::Sixteen, 8, 0x7F);
    world.fill(PF_Pixel16{32768, 1, 2, 3});
    EXPECT_EQ(world.pixel16(1, 1)->alpha, 32768);
    EXPECT_EQ(world.pixel16(0, 1)->blue, 3);
    // The padding of row 0 is the one pixel after its last.
    EXPECT_EQ(world.pixel16(2, 0)->alpha, 0x7F7F);
    EXPECT_TRUE(world.deep());
}

TEST(OwnedWorlds, PaddingMustKeepPixelsAligned) {
    EXPECT_THROW(OwnedWorld(4, 4, PixelDepth::Sixteen, 4), std::invalid_argument);
    EXPECT_THROW(OwnedWorld(-1, 4, PixelDepth::Eight), std::invalid_argument);
    EXPECT_NO_THROW(OwnedWorld(4, 4, PixelDepth::Eight, 4));
    OwnedWorld empty(0, 7, PixelDepth::Eight);
    EXPECT_EQ(empty.layer().data, nullptr);
}

}  // namespace
