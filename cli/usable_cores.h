// How many cores the renderer may use.
#pragma once

// The cores this process may run on (at least 1): a batch system's task, or
// a process pinned with taskset, is often given fewer than the machine has.
int usable_Cores();
