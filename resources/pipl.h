// The effect's plug-in property list (PiPL): the records the host reads
// before loading the module (kind, name, category, entry point, versions,
// global flags, match name), and their byte forms for Windows and macOS.
#pragma once

#include <cstdint>
#include <vector>

enum class PiplPlatform { WINDOWS, MACOS };

// How a property's data is laid out.
enum class PiplData {
    FOUR_CHAR_CODE,  // 32-bit code
    PASCAL_STRING,   // length byte, then the characters
    ENTRY_POINT,     // the entry function's name, in the platform's string form
    TWO_SHORTS,      // two 16-bit numbers (major, minor)
    LONG,            // 32-bit number
    SHORT,           // 16-bit number
};

struct PiplProperty {
    uint32_t key;
    PiplData data;
    uint32_t number;   // FOUR_CHAR_CODE, LONG, SHORT; TWO_SHORTS: major << 16 | minor
    const char *text;  // PASCAL_STRING, ENTRY_POINT
};

// A four-character code as the host's multi-character constant: the first
// character in the high byte.
constexpr uint32_t fourCharCode(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(code[3]));
}

inline constexpr uint32_t PIPL_RESOURCE_TYPE = fourCharCode("PiPL");
inline constexpr int16_t PIPL_RESOURCE_ID = 16000;
inline constexpr uint16_t PIPL_RESOURCE_LANGUAGE = 0x0409;  // English (United States)

// The properties in the order the host expects them. Windows carries one
// entry point (x86-64); macOS carries two (Intel and Apple silicon), so its
// list is one longer.
std::vector<PiplProperty> piplProperties(PiplPlatform platform);

// The resource's bytes. Windows: little-endian, a 16-bit 1 before the list
// version, codes as little-endian numbers, string lengths counting their
// padding, the entry point as a terminated string. macOS: big-endian, no
// prefix, codes in natural order, string lengths without padding, the entry
// points as length-prefixed strings.
std::vector<uint8_t> encodePipl(PiplPlatform platform);
