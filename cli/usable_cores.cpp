#include "cli/usable_cores.h"

#include <sched.h>

#include <algorithm>
#include <thread>

int usable_Cores() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0) {
        return std::max(1, CPU_COUNT(&allowed));
    }
    return std::max(1, int(std::thread::hardware_concurrency()));
}
