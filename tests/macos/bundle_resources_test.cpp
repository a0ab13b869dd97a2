// The bundle's property list: a classic resource file named after the
// bundle's executable, holding resource 'PiPL' 16000, whose records are the
// Windows module's records with the two macOS entry points (Intel and Apple
// silicon) in place of the Windows one.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "plist_reader.h"
#include "support/pipl_records.h"

namespace {

const std::string kContents = std::string(HOLVANE_BUNDLE_DIR) + "/Contents";

PiplBytes readBytes(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t big(const PiplBytes &b, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value = value << 8 | (at + i < b.size() ? b[at + i] : 0);
    return value;
}

// The data of one resource in a classic resource file: the header gives the
// data and map offsets, the map's type list leads to the type's reference
// list, whose entries hold the id and a 3-byte offset into the data.
bool findClassicResource(const PiplBytes &file, const std::string &type, std::uint16_t id,
                         PiplBytes &data, std::string &error) {
    const std::uint32_t dataStart = big(file, 0, 4), map = big(file, 4, 4);
    if (file.size() < 16 || map + 28 > file.size() || dataStart > map) {
        error = "header offsets out of range";
        return false;
    }
    const std::uint32_t typeList = map + big(file, map + 24, 2);
    const std::uint32_t types = big(file, typeList, 2) + 1;
    for (std::uint32_t t = 0; t < types; ++t) {
        const std::uint32_t entry = typeList + 2 + 8 * t;
        if (std::string(file.begin() + entry, file.begin() + entry + 4) != type) continue;
        const std::uint32_t count = big(file, entry + 4, 2) + 1;
        const std::uint32_t refs = typeList + big(file, entry + 6, 2);
        for (std::uint32_t r = 0; r < count; ++r) {
            const std::uint32_t ref = refs + 12 * r;
            if (big(file, ref, 2) != id) continue;
            const std::uint32_t at = dataStart + big(file, ref + 5, 3);
            const std::uint32_t length = big(file, at, 4);
            if (at + 4 + std::size_t(length) > map) break;
            data.assign(file.begin() + at + 4, file.begin() + at + 4 + length);
            return true;
        }
    }
    error = "no resource " + type + " " + std::to_string(id);
    return false;
}

PiplList macList() {
    PiplBytes data;
    PiplList list;
    std::string error;
    const PiplBytes file = readBytes(kContents + "/Resources/Holvane.rsrc");
    EXPECT_TRUE(findClassicResource(file, "PiPL", 16000, data, error)) << error;
    EXPECT_TRUE(decodePipl(data, PiplForm::MacOS, list, error)) << error;
    return list;
}

PiplList windowsList() {
    std::ifstream in(std::string(HOLVANE_PIPL_DIR) + "/Holvane.rc", std::ios::binary);
    const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    PiplBytes data;
    PiplList list;
    std::string error;
    EXPECT_TRUE(resourceScriptData(script, data, error)) << error;
    EXPECT_TRUE(decodePipl(data, PiplForm::Windows, list, error)) << error;
    return list;
}

TEST(MacBundleResources, FileIsNamedAfterTheBundleExecutable) {
    std::ifstream in(kContents + "/Info.plist", std::ios::binary);
    PlistValue info;
    std::string error;
    ASSERT_TRUE(readPlist({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()},
                          info, error))
        << error;
    const PlistValue *executable = info.find("CFBundleExecutable");
    ASSERT_NE(executable, nullptr);
    EXPECT_EQ(executable->text + ".rsrc", "Holvane.rsrc");
    EXPECT_FALSE(readBytes(kContents + "/Resources/" + executable->text + ".rsrc").empty());
}

TEST(MacBundleResources, HoldTheWindowsRecordsWithBothMacEntryPoints) {
    const PiplList mac = macList(), windows = windowsList();
    EXPECT_EQ(mac.version, 0u);
    ASSERT_EQ(mac.records.size(), 13u);
    ASSERT_EQ(windows.records.size(), 12u);

    const PiplRecord *intel = findPiplRecord(mac, "mi64");
    const PiplRecord *arm = findPiplRecord(mac, "ma64");
    const PiplRecord *windowsEntry = findPiplRecord(windows, "8664");
    ASSERT_TRUE(intel != nullptr && arm != nullptr && windowsEntry != nullptr);
    EXPECT_EQ(intel->text, windowsEntry->text);
    EXPECT_EQ(arm->text, windowsEntry->text);

    // Apart from the entry points, record for record the same values.
    std::vector<PiplRecord> macRest, windowsRest;
    for (const PiplRecord &r : mac.records)
        if (r.key != "mi64" && r.key != "ma64") macRest.push_back(r);
    for (const PiplRecord &r : windows.records)
        if (r.key != "8664") windowsRest.push_back(r);
    EXPECT_EQ(macRest, windowsRest);
    // The entry points sit where the Windows one does, after the category.
    EXPECT_EQ(mac.records[3].key, "mi64");
    EXPECT_EQ(mac.records[4].key, "ma64");
    EXPECT_EQ(windows.records[3].key, "8664");
}

// The linker's list of exported symbols names the function the property
// list names (with the Mach-O leading underscore), and nothing else.
TEST(MacBundleResources, ExportListNamesTheEntryPoint) {
    const PiplList mac = macList();
    const PiplRecord *entry = findPiplRecord(mac, "ma64");
    ASSERT_NE(entry, nullptr);
    std::ifstream in(HOLVANE_MACOS_EXPORTS);
    std::vector<std::string> symbols;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) symbols.push_back(line);
    EXPECT_EQ(symbols, std::vector<std::string>{"_" + entry->text});
}

}  // namespace
