#include "plist_reader.h"

#include <cctype>

namespace {

constexpr int kMaxDepth = 16;

class PlistParser {
  public:
    explicit PlistParser(const std::string &document) : doc_(document) {}

    bool document(PlistValue &root) {
        if (!literal("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) return false;
        skipSpace();
        if (doc_.compare(pos_, 9, "<!DOCTYPE") == 0 &&
            !literal("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"))
            return false;
        if (!literal("<plist version=\"1.0\">") || !value(root, 0) || !literal("</plist>"))
            return false;
        skipSpace();
        return pos_ == doc_.size() || fail("content after </plist>");
    }

    std::string error;

  private:
    void skipSpace() {
        while (pos_ < doc_.size() && std::isspace(static_cast<unsigned char>(doc_[pos_]))) ++pos_;
    }

    // The next non-blank text, which must be exactly `expected`.
    bool literal(const std::string &expected) {
        skipSpace();
        if (doc_.compare(pos_, expected.size(), expected) != 0) return fail("expected " + expected);
        pos_ += expected.size();
        return true;
    }

    bool next(const std::string &tag) {
        skipSpace();
        if (doc_.compare(pos_, tag.size(), tag) != 0) return false;
        pos_ += tag.size();
        return true;
    }

    bool fail(const std::string &what) {
        if (error.empty()) error = what + " at byte " + std::to_string(pos_);
        return false;
    }

    // Character data up to the next tag, which must be `closing`.
    bool text(const std::string &closing, std::string &out) {
        static const std::pair<const char *, char> entities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        out.clear();
        while (pos_ < doc_.size() && doc_[pos_] != '<') {
            if (doc_[pos_] != '&') {
                out += doc_[pos_++];
                continue;
            }
            bool known = false;
            for (const auto &entity : entities) {
                const std::string name = entity.first;
                if (doc_.compare(pos_, name.size(), name) == 0) {
                    out += entity.second;
                    pos_ += name.size();
                    known = true;
                    break;
                }
            }
            if (!known) return fail("bare '&' or unknown entity");
        }
        if (doc_.compare(pos_, closing.size(), closing) != 0) return fail("expected " + closing);
        pos_ += closing.size();
        return true;
    }

    bool dict(PlistValue &v, int depth) {
        v.kind = PlistValue::Kind::Dict;
        while (!next("</dict>")) {
            std::string key;
            PlistValue entry;
            if (!next("<key>")) return fail("expected <key> or </dict>");
            if (!text("</key>", key) || !value(entry, depth + 1)) return false;
            v.entries.emplace_back(key, entry);
        }
        return true;
    }

    bool array(PlistValue &v, int depth) {
        v.kind = PlistValue::Kind::Array;
        while (!next("</array>")) {
            PlistValue item;
            if (!value(item, depth + 1)) return false;
            v.items.push_back(item);
        }
        return true;
    }

    bool integer(PlistValue &v) {
        v.kind = PlistValue::Kind::Integer;
        if (!text("</integer>", v.text)) return false;
        std::size_t digits = v.text.find_first_not_of("+-") == 1 ? 1 : 0;
        if (digits == v.text.size()) return fail("empty integer");
        for (; digits < v.text.size(); ++digits)
            if (!std::isdigit(static_cast<unsigned char>(v.text[digits])))
                return fail("not an integer: " + v.text);
        return true;
    }

    bool value(PlistValue &v, int depth) {
        if (depth > kMaxDepth) return fail("nested too deeply");
        if (next("<dict>")) return dict(v, depth);
        if (next("<array>")) return array(v, depth);
        if (next("<integer>")) return integer(v);
        if (next("<string>")) {
            v.kind = PlistValue::Kind::String;
            return text("</string>", v.text);
        }
        if (next("<dict/>")) {
            v.kind = PlistValue::Kind::Dict;
        } else if (next("<array/>")) {
            v.kind = PlistValue::Kind::Array;
        } else if (next("<string/>")) {
            v.kind = PlistValue::Kind::String;
        } else if (next("<true/>") || next("<false/>")) {
            v.kind = PlistValue::Kind::Boolean;
            v.flag = doc_.compare(pos_ - 7, 7, "<true/>") == 0;
        } else {
            return fail("expected a value");
        }
        return true;
    }

    const std::string &doc_;
    std::size_t pos_ = 0;
};

}  // namespace

const PlistValue *PlistValue::find(const std::string &key) const {
    for (const auto &entry : entries)
        if (entry.first == key) return &entry.second;
    return nullptr;
}

bool readPlist(const std::string &document, PlistValue &root, std::string &error) {
    PlistParser parser(document);
    root = PlistValue{};
    const bool ok = parser.document(root);
    error = parser.error;
    return ok;
}
