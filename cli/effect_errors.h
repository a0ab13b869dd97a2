// Names of the error codes an effect can return, for messages.
#pragma once

#include <string>

#include "api/effect_api.h"
#include "host/host_types.h"

// "PF_Err_OUT_OF_MEMORY"; codes without a name read "error 1234".
std::string effectErrorName(PF_Err err);

// Throws CliError "effect: WHAT failed with CODE" when the command failed.
void requireEffectSuccess(const CommandReport &report, const char *what);
