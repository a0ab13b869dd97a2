// The commands a host sends when it loads and applies the effect (global
// setup, parameter setup, about, the dependency queries and the small
// commands), run through our host, with every answer written as text that
// depends on nothing but the effect's behaviour: no addresses, no timings.
// The same text from the Linux and the Windows module means they answer
// alike.
#pragma once

#include <ostream>

#include "api/effect_api.h"
#include "host/host_types.h"

// Runs the round as the given application and writes it to out. Returns
// false when a command failed or left something unreleased (the text says
// which).
bool printCommandRound(std::ostream &out, PF_FilterProc entry, HostApp app);
