// The basic suite: hands out the function suites by name and version and
// counts every acquire against its release.
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/host_state.h"

namespace {

struct SuiteEntry {
    const char *name;
    int32_t version;
    const void *(*table)();
};

const SuiteEntry kSuites[] = {
    {kPFANSISuite, kPFANSISuiteVersion1, [] { return (const void *)&ansiSuite(); }},
    {kPFHandleSuite, kPFHandleSuiteVersion1, [] { return (const void *)&handleSuite(); }},
    {kPFColorParamSuite, kPFColorParamSuiteVersion1,
     [] { return (const void *)&colorParamSuite(); }},
    {kPFUtilitySuite, kPFUtilitySuiteVersion4, [] { return (const void *)&utilitySuite(); }},
    {kPFPixelFormatSuite, kPFPixelFormatSuiteVersion1,
     [] { return (const void *)&pixelFormatSuite(); }},
};

const SuiteEntry *findSuite(const char *name, int32_t version) {
    if (name == nullptr) return nullptr;
    for (const SuiteEntry &entry : kSuites)
        if (entry.version == version && std::strcmp(entry.name, name) == 0) return &entry;
    return nullptr;
}

std::string suiteKey(const SuiteEntry &entry) {
    return std::string(entry.name) + " v" + std::to_string(entry.version);
}

SPErr acquireSuite(const char *name, int32_t version, const void **suite) {
    if (suite == nullptr) return kSPSuiteNotFoundError;
    *suite = nullptr;
    HostState *host = currentHost();
    const SuiteEntry *entry = findSuite(name, version);
    if (host == nullptr || entry == nullptr || host->faults.refusedSuites.count(name) != 0)
        return kSPSuiteNotFoundError;
    ++host->suiteCounts[suiteKey(*entry)];
    *suite = entry->table();
    return kSPNoError;
}

SPErr releaseSuite(const char *name, int32_t version) {
    HostState *host = currentHost();
    const SuiteEntry *entry = findSuite(name, version);
    if (host == nullptr || entry == nullptr) return kSPSuiteNotFoundError;
    auto count = host->suiteCounts.find(suiteKey(*entry));
    if (count == host->suiteCounts.end()) {
        ++host->report.unmatchedReleases;
        return kSPSuiteNotFoundError;
    }
    if (--count->second == 0) host->suiteCounts.erase(count);
    return kSPNoError;
}

SPBoolean isEqual(const char *a, const char *b) {
    return a != nullptr && b != nullptr && std::strcmp(a, b) == 0;
}

SPErr allocateBlock(size_t size, void **block) {
    if (block == nullptr) return kSPSuiteNotFoundError;
    *block = std::malloc(size == 0 ? 1 : size);
    return *block != nullptr ? SPErr(kSPNoError) : SPErr(PF_Err_OUT_OF_MEMORY);
}

SPErr freeBlock(void *block) {
    std::free(block);
    return kSPNoError;
}

SPErr reallocateBlock(void *block, size_t newSize, void **newBlock) {
    if (newBlock == nullptr) return kSPSuiteNotFoundError;
    *newBlock = std::realloc(block, newSize == 0 ? 1 : newSize);
    return *newBlock != nullptr ? SPErr(kSPNoError) : SPErr(PF_Err_OUT_OF_MEMORY);
}

SPErr undefinedCall() { return kSPSuiteNotFoundError; }

}  // namespace

void fillBasicSuite(SPBasicSuite &basic) {
    basic.AcquireSuite = acquireSuite;
    basic.ReleaseSuite = releaseSuite;
    basic.IsEqual = isEqual;
    basic.AllocateBlock = allocateBlock;
    basic.FreeBlock = freeBlock;
    basic.ReallocateBlock = reallocateBlock;
    basic.Undefined = undefinedCall;
}
