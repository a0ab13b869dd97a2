// Build-time generator: writes the property-list resources into a directory.
//   holvane_pipl_tool <output-dir>
// Holvane.rc    resource script for the Windows module
// Holvane.rsrc  classic resource file for the macOS bundle's Resources
// Info.plist, PkgInfo  for the macOS bundle's Contents
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "resources/pipl.h"
#include "resources/resource_files.h"

namespace {

bool writeFile(const std::string &path, const void *data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) std::fprintf(stderr, "holvane_pipl_tool: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

bool writeText(const std::string &path, const std::string &text) {
    return writeFile(path, text.data(), text.size());
}

bool writeBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    return writeFile(path, bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: holvane_pipl_tool <output-dir>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const std::vector<uint8_t> macPipl = encodePipl(PiplPlatform::MACOS);
    const bool written =
        writeText(dir + "Holvane.rc", windowsResourceScript(encodePipl(PiplPlatform::WINDOWS))) &&
        writeBytes(dir + "Holvane.rsrc",
                   classicResourceFile(PIPL_RESOURCE_TYPE, PIPL_RESOURCE_ID, macPipl)) &&
        writeText(dir + "Info.plist", bundleInfoPlist()) &&
        writeText(dir + "PkgInfo", bundlePkgInfo());
    return written ? 0 : 1;
}
