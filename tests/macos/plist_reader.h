// A strict reader for XML property lists of the kind a bundle's Info.plist
// is: the XML declaration, the plist document type, one <plist> holding a
// value; values are dict, array, string, integer, true and false. Anything
// that is not well-formed (unbalanced or unknown tags, a raw '<' or '&' in
// text, a key without a value, trailing content) is refused, so a check
// built on it can tell a valid file from a broken one.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct PlistValue {
    enum class Kind { Dict, Array, String, Integer, Boolean };
    Kind kind = Kind::String;
    std::string text;   // string and integer values, entities decoded
    bool flag = false;  // boolean values
    std::vector<std::pair<std::string, PlistValue>> entries;  // dict, in file order
    std::vector<PlistValue> items;                            // array

    // The dict entry with the key, or null.
    const PlistValue *find(const std::string &key) const;
};

bool readPlist(const std::string &document, PlistValue &root, std::string &error);
