// Reads the generated property-list files back with a decoder written apart
// from the generator, so its bytes are checked against the host's rules
// rather than against itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "frame/effect_info.h"

namespace {

using Bytes = std::vector<uint8_t>;

// What the host reads: version 1.4.0 release build 1, the four global flags
// (bits 1, 9, 24, 25) and flags2 0x81.
constexpr uint32_t VERSION = 656897;
constexpr uint32_t OUT_FLAGS = 0x03000202;
constexpr uint32_t OUT_FLAGS2 = 0x81;

Bytes readGenerated(const std::string &name) {
    std::ifstream in(std::string(HOLVANE_PIPL_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << name;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
Bytes text(const std::string &s) { return Bytes(s.begin(), s.end()); }
std::string asText(const Bytes &b) { return std::string(b.begin(), b.end()); }
Bytes pascal(const std::string &s) { return text(static_cast<char>(s.size()) + s); }
Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Big- or little-endian numbers, zero (and a failure) past the end.
uint32_t number(const Bytes &b, std::size_t at, std::size_t size, bool bigEndian) {
    if (at + size > b.size()) {
        ADD_FAILURE() << "read past the end at " << at;
        return 0;
    }
    uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value |= uint32_t{b[at + i]} << 8 * (bigEndian ? size - 1 - i : i);
    return value;
}
Bytes encoded(uint32_t value, std::size_t size, bool bigEndian) {
    Bytes b;
    for (std::size_t i = 0; i < size; ++i)
        b.push_back(uint8_t(value >> 8 * (bigEndian ? size - 1 - i : i)));
    return b;
}

struct Property {
    std::string vendor, key;  // as stored
    uint32_t id;
    Bytes data;     // the declared length
    Bytes padding;  // up to the next 4-byte boundary
};

std::vector<Property> decodeProperties(const Bytes &b, bool bigEndian, std::size_t at) {
    const uint32_t count = number(b, at - 4, 4, bigEndian);
    std::vector<Property> list;
    for (uint32_t i = 0; i < count && at + 16 <= b.size(); ++i) {
        const uint32_t length = number(b, at + 12, 4, bigEndian);
        const std::size_t next = std::min(b.size(), at + 16 + (length + 3) / 4 * 4);
        const auto data = b.begin() + at + 16, pad = std::min(data + length, b.begin() + next);
        list.push_back({asText(Bytes(b.begin() + at, b.begin() + at + 4)),
                        asText(Bytes(b.begin() + at + 4, data - 8)),
                        number(b, at + 8, 4, bigEndian), Bytes(data, pad),
                        Bytes(pad, b.begin() + next)});
        at = next;
    }
    EXPECT_EQ(at, b.size()) << "bytes after the last property";
    return list;
}

// The records by platform: the entry points differ, then byte order and
// whether a string's declared length counts its padding.
void expectProperties(const std::vector<Property> &decoded, bool mac) {
    struct Expected {
        std::string key;
        Bytes data;
        std::size_t padding;
    };
    std::vector<Expected> expected = {
        {"kind", mac ? text("eFKT") : text("TKFe"), 0},
        {"name", pascal("Holvane"), 0},
        {"catg", pascal("Tarnwell") + Bytes(mac ? 0 : 3, 0), mac ? 3u : 0u}};
    if (mac) expected.push_back({"mi64", pascal("EntryPointFunc"), 1});
    if (mac) expected.push_back({"ma64", pascal("EntryPointFunc"), 1});
    if (!mac) expected.push_back({"8664", text("EntryPointFunc") + Bytes(2, 0), 0});
    expected.insert(expected.end(), {{"ePVR", encoded(2, 2, mac) + encoded(0, 2, mac), 0},
                                     {"eSVR", encoded(13, 2, mac) + encoded(9, 2, mac), 0},
                                     {"eVER", encoded(VERSION, 4, mac), 0},
                                     {"eINF", Bytes(2, 0), 2},
                                     {"eGLO", encoded(OUT_FLAGS, 4, mac), 0},
                                     {"eGL2", encoded(OUT_FLAGS2, 4, mac), 0},
                                     {"eMNA", pascal("Holvane"), 0},
                                     {"aeFL", encoded(8, 4, mac), 0}});
    ASSERT_EQ(decoded.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected &e = expected[i];
        SCOPED_TRACE(e.key);
        EXPECT_EQ(decoded[i].vendor, mac ? "8BIM" : "MIB8");
        EXPECT_EQ(decoded[i].key, mac ? e.key : std::string(e.key.rbegin(), e.key.rend()));
        EXPECT_EQ(decoded[i].id, 0u);
        EXPECT_EQ(decoded[i].data, e.data);
        EXPECT_EQ(decoded[i].padding, Bytes(e.padding, 0));
    }
}

// The same values GlobalSetup sets: eVER, eGLO, eGL2 follow the code record(s).
void expectGlobalSetupValues(const std::vector<Property> &decoded, bool mac) {
    const std::size_t eVER = mac ? 7 : 6;
    ASSERT_GT(decoded.size(), eVER + 3);
    EXPECT_EQ(number(decoded[eVER].data, 0, 4, mac), EFFECT_VERSION);
    EXPECT_EQ(number(decoded[eVER + 2].data, 0, 4, mac), uint32_t(EFFECT_OUT_FLAGS));
    EXPECT_EQ(number(decoded[eVER + 3].data, 0, 4, mac), uint32_t(EFFECT_OUT_FLAGS2));
}

// The raw data block of the resource script: 16-bit words, little-endian.
Bytes scriptBytes(const std::string &script) {
    const std::size_t begin = script.find("\nBEGIN\n"), end = script.find("\nEND\n");
    Bytes bytes;
    const std::regex word("0x([0-9a-f]{4})(L?)");
    const std::string block = script.substr(begin, end - begin);
    for (auto m = std::sregex_iterator(block.begin(), block.end(), word);
         m != std::sregex_iterator(); ++m) {
        EXPECT_EQ((*m)[2].str(), "") << "32-bit value in the block";
        bytes = bytes + encoded(std::stoul((*m)[1].str(), nullptr, 16), 2, false);
    }
    return bytes;
}

TEST(WindowsPipl, ScriptHoldsTheLittleEndianListUnderId16000InUsEnglish) {
    const std::string script = asText(readGenerated("Holvane.rc"));
    EXPECT_NE(script.find("LANGUAGE 0x09, 0x01\n"), std::string::npos);
    EXPECT_NE(script.find("\n16000 PiPL\nBEGIN\n"), std::string::npos);
    const Bytes bytes = scriptBytes(script);
    EXPECT_EQ(number(bytes, 0, 2, false), 1u);
    EXPECT_EQ(number(bytes, 2, 4, false), 0u);
    EXPECT_EQ(number(bytes, 6, 4, false), 12u);
    const std::vector<Property> decoded = decodeProperties(bytes, false, 10);
    expectProperties(decoded, false);
    expectGlobalSetupValues(decoded, false);
}

TEST(WindowsPipl, ResourceCompilerAcceptsTheScript) {
    const std::string windres = HOLVANE_WINDRES;
    if (windres.empty()) GTEST_SKIP() << "no Windows resource compiler";
    const std::string res = ::testing::TempDir() + "holvane_pipl_check.res";
    const std::string command =
        "'" + windres + "' -i '" + HOLVANE_PIPL_DIR + "/Holvane.rc' -O res -o '" + res + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(res, std::ios::binary);
    const Bytes compiled{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(res.c_str());
    // The type name upper-cased in UTF-16, then the data byte for byte.
    const Bytes type = text(std::string("P\0I\0P\0L\0\0\0", 10));
    const Bytes data = scriptBytes(asText(readGenerated("Holvane.rc")));
    EXPECT_NE(std::search(compiled.begin(), compiled.end(), type.begin(), type.end()),
              compiled.end());
    EXPECT_NE(std::search(compiled.begin(), compiled.end(), data.begin(), data.end()),
              compiled.end());
}

// The classic resource file: header, data at 256, and a map with one 'PiPL'
// type holding resource 16000 without a name. Returns the resource's bytes.
Bytes resourceFromClassicFile(const Bytes &file) {
    auto n = [&](std::size_t at, std::size_t size) { return number(file, at, size, true); };
    const uint32_t dataOffset = n(0, 4), map = n(4, 4), dataLength = n(8, 4), mapLength = n(12, 4);
    EXPECT_EQ(dataOffset, 256u);
    EXPECT_EQ(map, dataOffset + dataLength);
    EXPECT_EQ(file.size(), std::size_t{map} + mapLength);
    EXPECT_EQ(Bytes(file.begin() + 16, file.begin() + 256), Bytes(240, 0));
    EXPECT_EQ(Bytes(file.begin() + map, file.begin() + map + 16),
              Bytes(file.begin(), file.begin() + 16));
    EXPECT_EQ(n(map + 24, 2), 28u);
    const uint32_t types = map + 28;
    EXPECT_EQ(n(types, 2), 0u);  // one type
    EXPECT_EQ(asText(Bytes(file.begin() + types + 2, file.begin() + types + 6)), "PiPL");
    EXPECT_EQ(n(types + 6, 2), 0u);  // one resource
    const uint32_t reference = types + n(types + 8, 2);
    EXPECT_EQ(n(reference, 2), 16000u);
    EXPECT_EQ(n(reference + 2, 2), 0xFFFFu);
    const uint32_t at = dataOffset + n(reference + 5, 3), length = n(at, 4);
    EXPECT_LE(std::size_t{at} + 4 + length, map);
    return Bytes(file.begin() + at + 4, file.begin() + at + 4 + length);
}

TEST(MacPipl, ResourceFileHoldsTheBigEndianListWithBothEntryPoints) {
    const Bytes bytes = resourceFromClassicFile(readGenerated("Holvane.rsrc"));
    EXPECT_EQ(number(bytes, 0, 4, true), 0u);
    EXPECT_EQ(number(bytes, 4, 4, true), 13u);
    const std::vector<Property> decoded = decodeProperties(bytes, true, 8);
    expectProperties(decoded, true);
    expectGlobalSetupValues(decoded, true);
}

TEST(MacBundle, InfoPlistAndPkgInfo) {
    const std::string plist = asText(readGenerated("Info.plist"));
    for (const char *pair : {"<key>CFBundleExecutable</key>\n\t<string>Holvane</string>",
                             "<key>CFBundlePackageType</key>\n\t<string>eFKT</string>",
                             "<key>CFBundleSignature</key>\n\t<string>FXTC</string>",
                             "<key>CFBundleShortVersionString</key>\n\t<string>1.4.0</string>",
                             "<key>LSRequiresCarbon</key>\n\t<true/>"}) {
        EXPECT_NE(plist.find(pair), std::string::npos) << pair;
    }
    EXPECT_EQ(readGenerated("PkgInfo"), text("eFKTFXTC"));
}

}  // namespace
