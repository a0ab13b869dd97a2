#include "render/worlds/memory_container.h"

#include <cstdlib>
#include <new>

// The seed stack constructs itself; every other member keeps the zeros of the
// allocation.
HolvaneMemoryContainer::HolvaneMemoryContainer() { disposalList.count = 0; }

void HolvaneMemoryContainerDeleter::operator()(HolvaneMemoryContainer *container) const {
    if (container == nullptr) return;
    container->~HolvaneMemoryContainer();
    std::free(container);
}

HolvaneMemoryContainerPtr allocate_HolvaneMemoryContainer() {
    // About a megabyte: always on the heap, zero-filled before construction so
    // that the plain tables start at zero.
    void *block = std::calloc(1, sizeof(HolvaneMemoryContainer));
    if (block == nullptr) return HolvaneMemoryContainerPtr();
    return HolvaneMemoryContainerPtr(new (block) HolvaneMemoryContainer());
}
