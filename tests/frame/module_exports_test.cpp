#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The names in the built module's dynamic symbol table that it defines.
std::vector<std::string> definedDynamicSymbols(const std::string &module) {
    std::vector<std::string> names;
    FILE *nm = popen(("nm -D --defined-only '" + module + "' 2>/dev/null").c_str(), "r");
    if (!nm) return names;
    char line[512];
    while (std::fgets(line, sizeof line, nm)) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) names.push_back(name);
    }
    pclose(nm);
    return names;
}

TEST(Module, ExportsOnlyTheEntryPoint) {
    const char *module = std::getenv("HOLVANE_MODULE");
    if (!module || !std::ifstream(module).good()) GTEST_SKIP() << "no built module";
    EXPECT_EQ(definedDynamicSymbols(module), std::vector<std::string>{"EntryPointFunc"});
}

}  // namespace
