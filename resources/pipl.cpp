#include "resources/pipl.h"

#include <cstring>

#include "frame/effect_info.h"

namespace {

constexpr uint32_t VENDOR_CODE = fourCharCode("8BIM");
constexpr uint32_t EFFECT_KIND = fourCharCode("eFKT");
constexpr uint32_t PIPL_LIST_VERSION = 0;
constexpr uint32_t PIPL_VERSION = 2u << 16 | 0u;         // property-list format 2.0
constexpr uint32_t EFFECT_API_VERSION = 13u << 16 | 9u;  // the effect API level built for
constexpr uint32_t EFFECT_INFO_FLAGS = 0;
constexpr uint32_t RESERVED_INFO = 8;

// Writes numbers in one byte order and keeps each record's data aligned.
struct ByteWriter {
    bool bigEndian;
    std::vector<uint8_t> bytes;

    void put16(uint32_t value) {
        const uint8_t hi = static_cast<uint8_t>(value >> 8), lo = static_cast<uint8_t>(value);
        if (bigEndian)
            bytes.insert(bytes.end(), {hi, lo});
        else
            bytes.insert(bytes.end(), {lo, hi});
    }
    void put32(uint32_t value) {
        if (bigEndian) {
            put16(value >> 16);
            put16(value & 0xFFFFu);
        } else {
            put16(value & 0xFFFFu);
            put16(value >> 16);
        }
    }
};

std::size_t paddedToFour(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

// The data of one property before padding, and the length its record
// declares.
struct PropertyData {
    std::vector<uint8_t> bytes;
    uint32_t declaredLength;
};

// A length-prefixed or terminated string. Windows counts the padding in the
// declared length; macOS does not.
PropertyData stringData(const char *text, bool lengthPrefixed, PiplPlatform platform) {
    const std::size_t length = std::strlen(text);
    PropertyData data{{}, 0};
    if (lengthPrefixed) data.bytes.push_back(static_cast<uint8_t>(length));
    data.bytes.insert(data.bytes.end(), text, text + length);
    if (!lengthPrefixed) data.bytes.push_back(0);
    const std::size_t declared =
        platform == PiplPlatform::WINDOWS ? paddedToFour(data.bytes.size()) : data.bytes.size();
    data.declaredLength = static_cast<uint32_t>(declared);
    return data;
}

PropertyData numberData(const PiplProperty &property, bool bigEndian) {
    ByteWriter writer{bigEndian, {}};
    switch (property.data) {
        case PiplData::TWO_SHORTS:
            writer.put16(property.number >> 16);
            writer.put16(property.number & 0xFFFFu);
            break;
        case PiplData::SHORT:
            writer.put16(property.number);
            break;
        default:  // FOUR_CHAR_CODE, LONG
            writer.put32(property.number);
            break;
    }
    return {writer.bytes, static_cast<uint32_t>(writer.bytes.size())};
}

PropertyData propertyData(const PiplProperty &property, PiplPlatform platform) {
    const bool mac = platform == PiplPlatform::MACOS;
    switch (property.data) {
        case PiplData::PASCAL_STRING:
            return stringData(property.text, true, platform);
        case PiplData::ENTRY_POINT:
            return stringData(property.text, mac, platform);
        default:
            return numberData(property, mac);
    }
}

void appendProperty(ByteWriter &writer, const PiplProperty &property, PiplPlatform platform) {
    const PropertyData data = propertyData(property, platform);
    writer.put32(VENDOR_CODE);
    writer.put32(property.key);
    writer.put32(0);  // property id
    writer.put32(data.declaredLength);
    writer.bytes.insert(writer.bytes.end(), data.bytes.begin(), data.bytes.end());
    writer.bytes.resize(writer.bytes.size() + paddedToFour(data.bytes.size()) - data.bytes.size(),
                        0);
}

}  // namespace

std::vector<PiplProperty> piplProperties(PiplPlatform platform) {
    std::vector<PiplProperty> list = {
        {fourCharCode("kind"), PiplData::FOUR_CHAR_CODE, EFFECT_KIND, nullptr},
        {fourCharCode("name"), PiplData::PASCAL_STRING, 0, EFFECT_NAME},
        {fourCharCode("catg"), PiplData::PASCAL_STRING, 0, EFFECT_CATEGORY},
    };
    if (platform == PiplPlatform::WINDOWS) {
        list.push_back({fourCharCode("8664"), PiplData::ENTRY_POINT, 0, EFFECT_ENTRY_POINT_NAME});
    } else {
        list.push_back({fourCharCode("mi64"), PiplData::ENTRY_POINT, 0, EFFECT_ENTRY_POINT_NAME});
        list.push_back({fourCharCode("ma64"), PiplData::ENTRY_POINT, 0, EFFECT_ENTRY_POINT_NAME});
    }
    const std::vector<PiplProperty> rest = {
        {fourCharCode("ePVR"), PiplData::TWO_SHORTS, PIPL_VERSION, nullptr},
        {fourCharCode("eSVR"), PiplData::TWO_SHORTS, EFFECT_API_VERSION, nullptr},
        {fourCharCode("eVER"), PiplData::LONG, EFFECT_VERSION, nullptr},
        {fourCharCode("eINF"), PiplData::SHORT, EFFECT_INFO_FLAGS, nullptr},
        {fourCharCode("eGLO"), PiplData::LONG, static_cast<uint32_t>(EFFECT_OUT_FLAGS), nullptr},
        {fourCharCode("eGL2"), PiplData::LONG, static_cast<uint32_t>(EFFECT_OUT_FLAGS2), nullptr},
        {fourCharCode("eMNA"), PiplData::PASCAL_STRING, 0, EFFECT_MATCH_NAME},
        {fourCharCode("aeFL"), PiplData::LONG, RESERVED_INFO, nullptr},
    };
    list.insert(list.end(), rest.begin(), rest.end());
    return list;
}

std::vector<uint8_t> encodePipl(PiplPlatform platform) {
    const std::vector<PiplProperty> properties = piplProperties(platform);
    ByteWriter writer{platform == PiplPlatform::MACOS, {}};
    // Windows records carry a 16-bit 1 first, so their properties start at
    // byte 10 and their 4-byte alignment counts from there.
    if (platform == PiplPlatform::WINDOWS) writer.put16(1);
    writer.put32(PIPL_LIST_VERSION);
    writer.put32(static_cast<uint32_t>(properties.size()));
    for (const PiplProperty &property : properties) appendProperty(writer, property, platform);
    return writer.bytes;
}
