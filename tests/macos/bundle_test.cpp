// The non-binary parts of Holvane.plugin as the layout step puts them in
// the bundle: Contents/Info.plist, Contents/PkgInfo and the property list in
// Contents/Resources/<executable>.rsrc. On Linux the layout runs alone; on a
// Mac these are the built bundle's files.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "plist_reader.h"

namespace {

const std::string kContents = std::string(HOLVANE_BUNDLE_DIR) + "/Contents";

std::string readText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

PlistValue bundleInfo() {
    PlistValue root;
    std::string error;
    EXPECT_TRUE(readPlist(readText(kContents + "/Info.plist"), root, error)) << error;
    return root;
}

std::string infoString(const PlistValue &info, const std::string &key) {
    const PlistValue *value = info.find(key);
    if (value == nullptr || value->kind != PlistValue::Kind::String) {
        ADD_FAILURE() << key << " is missing or not a string";
        return "";
    }
    return value->text;
}

TEST(MacBundleInfoPlist, IsAValidDictionaryWithEveryKeyTheHostReads) {
    const PlistValue info = bundleInfo();
    ASSERT_EQ(info.kind, PlistValue::Kind::Dict);
    std::set<std::string> keys;
    for (const auto &entry : info.entries)
        EXPECT_TRUE(keys.insert(entry.first).second) << entry.first;

    EXPECT_EQ(infoString(info, "CFBundleExecutable"), "Holvane");
    EXPECT_EQ(infoString(info, "CFBundleName"), "Holvane");
    EXPECT_EQ(infoString(info, "CFBundleInfoDictionaryVersion"), "6.0");
    // An effect (eFKT) for the compositor (FXTC).
    EXPECT_EQ(infoString(info, "CFBundlePackageType"), "eFKT");
    EXPECT_EQ(infoString(info, "CFBundleSignature"), "FXTC");
    EXPECT_EQ(infoString(info, "NSAppleScriptEnabled"), "No");
    const std::string identifier = infoString(info, "CFBundleIdentifier");
    EXPECT_NE(identifier.find('.'), std::string::npos) << "not a reverse-DNS name: " << identifier;
    const PlistValue *carbon = info.find("LSRequiresCarbon");
    ASSERT_NE(carbon, nullptr);
    EXPECT_EQ(carbon->kind, PlistValue::Kind::Boolean);
    EXPECT_TRUE(carbon->flag);
}

// The reader refuses what is not a well-formed property list, so the check
// above cannot pass on a broken file.
TEST(MacBundleInfoPlist, ReaderRefusesBrokenDocuments) {
    const std::string head =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    PlistValue root;
    std::string error;
    EXPECT_TRUE(readPlist(head + "<dict><key>A</key><string>x &amp; y</string></dict></plist>",
                          root, error))
        << error;
    EXPECT_EQ(root.find("A")->text, "x & y");
    for (const char *broken : {"<dict><key>A</key></dict></plist>",           // key without value
                               "<dict><key>A</key><string>x</dict></plist>",  // unclosed string
                               "<dict><key>A</key><string>x & y</string></dict></plist>",
                               "<dict><key>A</key><data>x</data></dict></plist>",
                               "<dict></dict>",  // no </plist>
                               "<dict></dict></plist><dict></dict>"}) {
        EXPECT_FALSE(readPlist(head + broken, root, error)) << broken;
    }
}

TEST(MacBundlePkgInfo, IsThePackageTypeThenTheSignature) {
    EXPECT_EQ(readText(kContents + "/PkgInfo"), "eFKTFXTC");
    const PlistValue info = bundleInfo();
    EXPECT_EQ(infoString(info, "CFBundlePackageType") + infoString(info, "CFBundleSignature"),
              readText(kContents + "/PkgInfo"));
}

}  // namespace
