// What the loaded effect module declares about its controls, learnt as a host
// learns it: by applying the effect once.
#pragma once

#include <vector>

#include "api/effect_api.h"
#include "host/host_types.h"

// Runs global setup and parameter setup on a host of its own and returns the
// controls the effect added, in order. Throws CliError when either fails.
std::vector<CollectedParam> read_DeclaredControls(PF_FilterProc entry);
