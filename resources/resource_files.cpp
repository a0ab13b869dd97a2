#include "resources/resource_files.h"

#include <cstdio>
#include <stdexcept>

#include "frame/effect_info.h"
#include "resources/pipl.h"

namespace {

constexpr uint32_t RESOURCE_DATA_OFFSET = 256;  // bytes 16-255 stay zero by convention
constexpr uint16_t TYPE_LIST_OFFSET = 28;       // from the map's start
constexpr uint16_t NO_NAME = 0xFFFF;

void putBig16(std::vector<uint8_t> &out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void putBig32(std::vector<uint8_t> &out, uint32_t value) {
    putBig16(out, value >> 16);
    putBig16(out, value & 0xFFFFu);
}

void putFileHeader(std::vector<uint8_t> &out, uint32_t dataLength, uint32_t mapLength) {
    putBig32(out, RESOURCE_DATA_OFFSET);
    putBig32(out, RESOURCE_DATA_OFFSET + dataLength);
    putBig32(out, dataLength);
    putBig32(out, mapLength);
}

// The map: header copy, reserved handle and file reference, attributes,
// offsets to the type and name lists, one type with one reference.
std::vector<uint8_t> resourceMap(uint32_t type, int16_t id, uint32_t dataLength) {
    constexpr uint16_t TYPE_LIST_LENGTH = 2 + 8;
    constexpr uint16_t REFERENCE_LENGTH = 12;
    constexpr uint16_t MAP_LENGTH = TYPE_LIST_OFFSET + TYPE_LIST_LENGTH + REFERENCE_LENGTH;
    std::vector<uint8_t> map;
    putFileHeader(map, dataLength, MAP_LENGTH);
    putBig32(map, 0);  // next map handle
    putBig16(map, 0);  // file reference
    putBig16(map, 0);  // attributes
    putBig16(map, TYPE_LIST_OFFSET);
    putBig16(map, MAP_LENGTH);  // the name list is empty and starts at the end
    putBig16(map, 0);           // number of types - 1
    putBig32(map, type);
    putBig16(map, 0);                 // resources of this type - 1
    putBig16(map, TYPE_LIST_LENGTH);  // from the type list to the reference list
    putBig16(map, static_cast<uint16_t>(id));
    putBig16(map, NO_NAME);
    putBig32(map, 0);  // attributes byte and the 3-byte offset into the data
    putBig32(map, 0);  // reserved handle
    return map;
}

}  // namespace

std::string windowsResourceScript(const std::vector<uint8_t> &pipl) {
    // In a raw data block bare numbers are 16-bit words, so the bytes go in
    // as little-endian pairs; the block gets no padding of its own.
    if (pipl.size() % 2 != 0) throw std::invalid_argument("PiPL bytes must be an even count");
    std::string script =
        "// Generated at build time by holvane_pipl_tool from frame/effect_info.h and\n"
        "// resources/pipl.cpp; edit those instead.\n"
        "LANGUAGE 0x09, 0x01\n\n";
    script += std::to_string(PIPL_RESOURCE_ID) + " PiPL\nBEGIN\n";
    for (std::size_t i = 0; i < pipl.size(); i += 2) {
        char word[16];
        std::snprintf(word, sizeof word, "0x%04x", pipl[i] | pipl[i + 1] << 8);
        script += (i % 16 == 0) ? "    " : " ";
        script += word;
        const bool last = i + 2 >= pipl.size();
        script += last ? "\n" : (i % 16 == 14 ? ",\n" : ",");
    }
    script += "END\n";
    return script;
}

std::vector<uint8_t> classicResourceFile(uint32_t type, int16_t id,
                                         const std::vector<uint8_t> &data) {
    const uint32_t dataLength = static_cast<uint32_t>(4 + data.size());
    const std::vector<uint8_t> map = resourceMap(type, id, dataLength);
    std::vector<uint8_t> file;
    putFileHeader(file, dataLength, static_cast<uint32_t>(map.size()));
    file.resize(RESOURCE_DATA_OFFSET, 0);
    putBig32(file, static_cast<uint32_t>(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), map.begin(), map.end());
    return file;
}

std::string bundleInfoPlist() {
    const std::string version = std::to_string(EFFECT_MAJOR_VERSION) + "." +
                                std::to_string(EFFECT_MINOR_VERSION) + "." +
                                std::to_string(EFFECT_FIX_VERSION);
    const std::string name = EFFECT_NAME;
    auto entry = [](const std::string &key, const std::string &value) {
        return "\t<key>" + key + "</key>\n\t" + value + "\n";
    };
    auto text = [](const std::string &value) { return "<string>" + value + "</string>"; };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n" +
           entry("CFBundleExecutable", text(name)) +
           entry("CFBundleIdentifier", text("com.tarnwell." + name)) +
           entry("CFBundleInfoDictionaryVersion", text("6.0")) + entry("CFBundleName", text(name)) +
           entry("CFBundlePackageType", text("eFKT")) +
           entry("CFBundleShortVersionString", text(version)) +
           entry("CFBundleSignature", text("FXTC")) + entry("LSRequiresCarbon", "<true/>") +
           entry("NSAppleScriptEnabled", text("No")) + "</dict>\n</plist>\n";
}

// Package type (an effect) and the host's creator code, no newline.
std::string bundlePkgInfo() { return "eFKTFXTC"; }
