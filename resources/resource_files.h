// The files that carry the property list into each deliverable: a resource
// script for the Windows resource compiler, and for the macOS bundle a
// classic resource file, Info.plist and PkgInfo.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A resource script declaring one raw resource of type "PiPL", id 16000,
// language 1033, holding exactly the given bytes (an even count).
std::string windowsResourceScript(const std::vector<uint8_t> &pipl);

// A classic resource file (big-endian, data at offset 256) holding one
// resource of the given type and id.
std::vector<uint8_t> classicResourceFile(uint32_t type, int16_t id,
                                         const std::vector<uint8_t> &data);

// Info.plist and PkgInfo for Holvane.plugin; the executable is "Holvane" and
// its resource file Contents/Resources/Holvane.rsrc.
std::string bundleInfoPlist();
std::string bundlePkgInfo();
