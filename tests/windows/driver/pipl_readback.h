// Reading the property list out of a built Windows module the way a host
// does before it runs any of the module's code: as a data file, through the
// system's resource functions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PiplReadback {
    std::vector<std::uint8_t> bytes;  // the resource's data
    std::vector<unsigned> languages;  // every language the resource exists in
};

// Finds the "PiPL" resource with id 16000 in the module (in the first of its
// languages, US English when present). Returns false with error set when the
// module or the resource is missing.
bool readPiplResource(const std::string &modulePath, PiplReadback &readback, std::string &error);
