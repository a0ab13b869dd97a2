// Names of the error codes an effect can return, for messages.
#pragma once

#include <string>

#include "api/effect_api.h"

// "PF_Err_OUT_OF_MEMORY"; codes without a name read "error 1234".
std::string effectErrorName(PF_Err err);
