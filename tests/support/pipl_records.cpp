#include "support/pipl_records.h"

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

namespace {

enum class ValueForm { Code, PascalString, EntryPoint, TwoShorts, Long, Short };

bool valueFormFor(const std::string &key, ValueForm &form) {
    static const std::set<std::string> pascal{"name", "catg", "eMNA", "eURL"};
    static const std::set<std::string> entryPoints{"8664", "wx86", "mi64", "ma64", "mi32"};
    static const std::set<std::string> longs{"eVER", "eGLO", "eGL2", "aeFL"};
    if (key == "kind")
        form = ValueForm::Code;
    else if (pascal.count(key))
        form = ValueForm::PascalString;
    else if (entryPoints.count(key))
        form = ValueForm::EntryPoint;
    else if (key == "ePVR" || key == "eSVR")
        form = ValueForm::TwoShorts;
    else if (longs.count(key))
        form = ValueForm::Long;
    else if (key == "eINF")
        form = ValueForm::Short;
    else
        return false;
    return true;
}

std::size_t roundUp4(std::size_t n) { return (n + 3) / 4 * 4; }

struct Cursor {
    const PiplBytes &bytes;
    bool bigEndian;

    bool has(std::size_t at, std::size_t count) const { return at + count <= bytes.size(); }
    std::uint32_t number(std::size_t at, std::size_t size) const {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t index = bigEndian ? at + i : at + size - 1 - i;
            value = value << 8 | bytes[index];
        }
        return value;
    }
    // A four-character code stored as a number of the platform's byte order.
    std::string code(std::size_t at) const {
        const std::uint32_t value = number(at, 4);
        return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    }
};

// A Pascal string's declared length counts its padding on Windows and not on
// macOS; a C string (Windows entry point) is terminated inside the length.
bool decodeString(const Cursor &in, std::size_t at, std::uint32_t length, bool pascal,
                  PiplForm form, std::string &text) {
    if (pascal) {
        if (length == 0) return false;
        const std::size_t count = in.bytes[at];
        const std::size_t expected = form == PiplForm::Windows ? roundUp4(1 + count) : 1 + count;
        if (length != expected) return false;
        text.assign(in.bytes.begin() + long(at) + 1, in.bytes.begin() + long(at + 1 + count));
        return std::all_of(in.bytes.begin() + long(at + 1 + count),
                           in.bytes.begin() + long(at + length), [](auto b) { return b == 0; });
    }
    const auto begin = in.bytes.begin() + long(at), end = begin + length;
    const auto terminator = std::find(begin, end, 0);
    if (terminator == end) return false;
    text.assign(begin, terminator);
    return length == roundUp4(text.size() + 1) &&
           std::all_of(terminator, end, [](auto b) { return b == 0; });
}

bool decodeValue(const Cursor &in, std::size_t at, std::uint32_t length, PiplForm form,
                 PiplRecord &record) {
    ValueForm value;
    if (!valueFormFor(record.key, value)) return false;
    switch (value) {
        case ValueForm::Code:
            record.text = in.code(at);
            return length == 4;
        case ValueForm::PascalString:
            return decodeString(in, at, length, true, form, record.text);
        case ValueForm::EntryPoint:
            return decodeString(in, at, length, form == PiplForm::MacOS, form, record.text);
        case ValueForm::TwoShorts:
            record.number = in.number(at, 2) << 16 | in.number(at + 2, 2);
            return length == 4;
        case ValueForm::Long:
            record.number = in.number(at, 4);
            return length == 4;
        case ValueForm::Short:
            record.number = in.number(at, 2);
            return length == 2;
    }
    return false;
}

// One record from `at`; returns the offset of the next one, or 0 on error.
std::size_t decodeRecord(const Cursor &in, std::size_t at, PiplForm form, PiplRecord &record,
                         std::string &error) {
    if (!in.has(at, 16)) {
        error = "record header past the end at " + std::to_string(at);
        return 0;
    }
    record.key = in.code(at + 4);
    const std::uint32_t length = in.number(at + 12, 4);
    const std::size_t data = at + 16, next = data + roundUp4(length);
    if (in.code(at) != "8BIM" || in.number(at + 8, 4) != 0) {
        error = "record " + record.key + ": vendor is not 8BIM or id is not 0";
    } else if (!in.has(data, next - data)) {
        error = "record " + record.key + ": data past the end";
    } else if (!decodeValue(in, data, length, form, record)) {
        error = "record " + record.key + ": unknown key or malformed value (length " +
                std::to_string(length) + ")";
    } else if (!std::all_of(in.bytes.begin() + long(data + length), in.bytes.begin() + long(next),
                            [](auto b) { return b == 0; })) {
        error = "record " + record.key + ": non-zero padding";
    }
    return error.empty() ? next : 0;
}

}  // namespace

bool decodePipl(const PiplBytes &bytes, PiplForm form, PiplList &list, std::string &error) {
    error.clear();
    const Cursor in{bytes, form == PiplForm::MacOS};
    // Windows lists start with a 16-bit 1 before the version.
    const std::size_t prefix = form == PiplForm::Windows ? 2 : 0;
    if (!in.has(0, prefix + 8) || (prefix != 0 && in.number(0, 2) != 1)) {
        error = "missing or wrong list header";
        return false;
    }
    list.version = in.number(prefix, 4);
    const std::uint32_t count = in.number(prefix + 4, 4);
    list.records.clear();
    std::size_t at = prefix + 8;
    for (std::uint32_t i = 0; i < count; ++i) {
        PiplRecord record;
        at = decodeRecord(in, at, form, record, error);
        if (at == 0) return false;
        list.records.push_back(record);
    }
    if (at != bytes.size()) {
        error = std::to_string(bytes.size() - at) + " bytes after the last record";
        return false;
    }
    return true;
}

const PiplRecord *findPiplRecord(const PiplList &list, const std::string &key) {
    for (const PiplRecord &record : list.records)
        if (record.key == key) return &record;
    return nullptr;
}

bool resourceScriptData(const std::string &script, PiplBytes &bytes, std::string &error) {
    const std::size_t begin = script.find("\nBEGIN\n"), end = script.find("\nEND");
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        error = "no BEGIN ... END block";
        return false;
    }
    std::istringstream block(script.substr(begin + 7, end - begin - 7));
    const std::regex number(R"(^(0x[0-9a-fA-F]+|\d+)(L?)$)");
    bytes.clear();
    std::string token;
    while (block >> token) {
        if (token.back() == ',') token.pop_back();
        std::smatch match;
        if (!std::regex_match(token, match, number)) {
            error = "unexpected token in the data block: " + token;
            return false;
        }
        const unsigned long value = std::stoul(match[1], nullptr, 0);
        const int size = match[2].length() != 0 ? 4 : 2;
        for (int i = 0; i < size; ++i) bytes.push_back(std::uint8_t(value >> (8 * i)));
    }
    return true;
}
