#include <gtest/gtest.h>

#include "render/worlds/disposal_list.h"
#include "render/worlds/memory_container.h"
#include "support/fake_host.h"

TEST(DisposalList, FillsFromSlotOneAndRefusesTheFiftiethWorld) {
    DisposalList list{};
    PF_LayerDef worlds[DISPOSAL_LIST_CAPACITY + 1]{};
    for (A_long i = 0; i < DISPOSAL_LIST_CAPACITY; ++i)
        ASSERT_EQ(ADD_WorldToDISPOSElist(&worlds[i], list), PF_Err_NONE);
    EXPECT_EQ(list.worlds[1], &worlds[0]);
    EXPECT_EQ(ADD_WorldToDISPOSElist(&worlds[49], list), PF_Err_OUT_OF_MEMORY);
    EXPECT_EQ(list.count, DISPOSAL_LIST_CAPACITY);
}

TEST(DisposalList, DisposesWorldsWithPixelsOnceAndOrsTheResults) {
    FakeHost host;
    DisposalList list{};
    PF_LayerDef a{}, b{}, empty{}, c{};
    for (PF_LayerDef *w : {&a, &b, &c})
        host.in_data.utils->new_world(host.in_data.effect_ref, 4, 2, 2, w);
    for (PF_LayerDef *w : {&a, &b, &empty, &c}) ADD_WorldToDISPOSElist(w, list);
    host.disposeResults = {PF_Err_NONE, 512, 4};
    EXPECT_EQ(Dispose_OfAllWorldsOnDisposalList(&host.in_data, list), 512 | 4);
    EXPECT_EQ(host.disposeCalls, 3);  // the world without pixels is skipped
    EXPECT_TRUE(host.live.empty());
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(Dispose_OfAllWorldsOnDisposalList(&host.in_data, list), PF_Err_NONE);
    EXPECT_EQ(host.disposeCalls, 3);
}

TEST(MemoryContainer, StartsZeroedWithAnEmptyListAndFreshSeeds) {
    HolvaneMemoryContainerPtr container = allocate_HolvaneMemoryContainer();
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->disposalList.count, 0);
    EXPECT_EQ(container->seedStack.count, 0);
    const Seed &last = container->seedStack.seeds[SEED_STACK_CAPACITY - 1];
    EXPECT_FALSE(last.upDone);
    EXPECT_EQ(last.cursor, 0);
    EXPECT_EQ(container->fillTags.tags[FILL_TAG_CAPACITY - 1].minX, 0);  // zeroed, not reset
}
