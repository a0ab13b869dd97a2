// Decoding a plug-in property list (PiPL) from its bytes into plain records,
// by the host's rules for each platform, so the Windows and the macOS lists
// can be compared value by value. Written apart from the generator in
// resources/: it knows the host's byte forms, not the generator's code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using PiplBytes = std::vector<std::uint8_t>;

enum class PiplForm {
    Windows,  // little-endian, 16-bit 1 first, codes reversed, C-string entry point
    MacOS,    // big-endian, codes in order, Pascal-string entry points
};

// One property with its value in a platform-neutral form: four-character
// codes and strings in `text`, numbers in `number` (two 16-bit numbers as
// major << 16 | minor).
struct PiplRecord {
    std::string key;  // in natural order, e.g. "kind", "8664"
    std::string text;
    std::uint32_t number = 0;

    bool operator==(const PiplRecord &other) const {
        return key == other.key && text == other.text && number == other.number;
    }
};

struct PiplList {
    std::uint32_t version = 0;
    std::vector<PiplRecord> records;
};

// Decodes the whole list. Fails (false, with the reason in error) on a
// wrong prefix, vendor or id, a key it does not know, a length that does not
// suit the key, non-zero padding, or bytes left over or missing.
bool decodePipl(const PiplBytes &bytes, PiplForm form, PiplList &list, std::string &error);

// The bytes of the raw data block in a Windows resource script (between
// BEGIN and END): bare numbers are 16-bit little-endian words, L-suffixed
// ones 32-bit. Fails on anything else in the block.
bool resourceScriptData(const std::string &script, PiplBytes &bytes, std::string &error);

// The record with the key, or null.
const PiplRecord *findPiplRecord(const PiplList &list, const std::string &key);
