// libFuzzer's entry: every input is one fuzz case run against the effect's
// entry point, linked into this executable. A broken promise aborts, so the
// fuzzer keeps the input that shows it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "frame/entry_point.h"
#include "fuzz/render_fuzz_case.h"

// HOLVANE_FUZZ_DESCRIBE=1 prints every case before it runs (to study a slow
// or failing input).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const bool describe = std::getenv("HOLVANE_FUZZ_DESCRIBE") != nullptr;
    if (describe) std::fputs(describeFuzzCase(decodeFuzzCase(data, size)).c_str(), stderr);
    const std::string problems = runFuzzInput(EntryPointFunc, data, size);
    if (!problems.empty()) {
        std::fprintf(stderr, "holvane fuzz case failed:\n%s%s", problems.c_str(),
                     describeFuzzCase(decodeFuzzCase(data, size)).c_str());
        std::abort();
    }
    return 0;
}
