// Our declarations of the host's effect API: everything the effect and our
// own host need, with the layouts pinned.
#pragma once

#include "pf_basic_types.h"
#include "pf_constants.h"
#include "pf_layout_checks.h"
#include "pf_records.h"
#include "pf_suites.h"
