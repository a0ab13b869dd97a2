// The module ships only what the render reaches: its whole symbol table (not
// only the exported entry point) holds no straightforward form of
// reference/, and no function only tests called.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Symbol {
    char kind;         // as nm shows it: T global text, t local text, ...
    std::string name;  // demangled
};

std::vector<Symbol> definedSymbols(const std::string &file) {
    std::vector<Symbol> symbols;
    FILE *nm = popen(("nm -C --defined-only '" + file + "' 2>/dev/null").c_str(), "r");
    if (!nm) return symbols;
    char line[4096];
    while (std::fgets(line, sizeof line, nm)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (!(fields >> address >> kind)) continue;
        std::getline(fields >> std::ws, name);
        if (kind.size() == 1) symbols.push_back(Symbol{kind[0], name});
    }
    pclose(nm);
    return symbols;
}

bool isText(char kind) { return kind == 'T' || kind == 't' || kind == 'W' || kind == 'w'; }

std::string modulePath() {
    const char *path = std::getenv("HOLVANE_MODULE");
    return path ? path : "";
}

std::vector<std::string> referenceObjects() {
    std::vector<std::string> files;
    std::istringstream list(HOLVANE_REFERENCE_OBJECTS);
    for (std::string file; std::getline(list, file, '|');)
        if (!file.empty()) files.push_back(file);
    return files;
}

// The names of the functions reference/ defines in namespace reference
// (its own helpers aside), without the namespace.
std::set<std::string> referenceFunctionNames() {
    std::set<std::string> names;
    const std::string prefix = "reference::";
    for (const std::string &object : referenceObjects())
        for (const Symbol &s : definedSymbols(object)) {
            if (s.kind != 'T' || s.name.rfind(prefix, 0) != 0) continue;
            const std::string name = s.name.substr(prefix.size(), s.name.find('(') - prefix.size());
            if (name.find("::") == std::string::npos) names.insert(name);
        }
    return names;
}

// The module's function symbols that name `function` (the function itself,
// an overload, or anything defined within it).
std::vector<std::string> moduleFunctionsNamed(const std::vector<Symbol> &module,
                                              const std::string &function) {
    const std::regex named("(^|[\\s:<,])" + function + "\\(");
    std::vector<std::string> found;
    for (const Symbol &s : module)
        if (isText(s.kind) && std::regex_search(s.name, named)) found.push_back(s.name);
    return found;
}

// The fast forms the module ships under the name of the plain form they are
// checked against (tests/equivalence).
const std::set<std::string> FAST_FORMS = {
    "Render",
    "bridge_EdgeGapsInRedMask",
    "floodFillHolesRemoveChaffLogInFillTagList",
    "growShrink_JustBlueInRedMaskBlocky",
    "make_EdgeMultiplyerMaskOnRedRedMask",
    "blur_FromBlueAddOrSubtract",
    "run_FillChain",
    "compose_OutputView",
};

// Functions the render stopped reaching, which only tests went on calling.
const std::vector<std::string> TEST_ONLY = {
    "UtilitySuite4",
    "PixelFormatSuite1",
    "featherBySubtracting",
    "convertGapMarksToBand",
};

class ModuleSymbols : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(modulePath().empty()) << "set HOLVANE_MODULE to the built Holvane module";
        module_ = definedSymbols(modulePath());
        // The full table, hidden and local functions included: a stripped
        // or unreadable module would pass everything below.
        ASSERT_FALSE(moduleFunctionsNamed(module_, "Render").empty());
        ASSERT_FALSE(moduleFunctionsNamed(module_, "floodPocketRuns").empty());
    }
    std::vector<Symbol> module_;
};

TEST_F(ModuleSymbols, HoldNothingOfNamespaceReference) {
    for (const Symbol &s : module_)
        EXPECT_EQ(s.name.find("reference::"), std::string::npos) << s.name;
}

TEST_F(ModuleSymbols, HoldOnlyTheFastFormsOfThePlainOnes) {
    const std::set<std::string> plain = referenceFunctionNames();
    ASSERT_GT(plain.size(), FAST_FORMS.size()) << "no reference objects read";
    for (const std::string &name : plain) {
        const std::vector<std::string> found = moduleFunctionsNamed(module_, name);
        if (FAST_FORMS.count(name))
            EXPECT_FALSE(found.empty()) << name << ": listed as a fast form the module ships";
        else
            EXPECT_TRUE(found.empty())
                << name << " is a plain form, yet the module holds " << found.front();
    }
    for (const std::string &name : FAST_FORMS)
        EXPECT_TRUE(plain.count(name)) << name << ": listed as a fast form, but has no plain one";
}

TEST_F(ModuleSymbols, HoldNoFunctionOnlyTestsCalled) {
    for (const std::string &name : TEST_ONLY) {
        const std::vector<std::string> found = moduleFunctionsNamed(module_, name);
        EXPECT_TRUE(found.empty()) << found.front();
    }
}

}  // namespace
