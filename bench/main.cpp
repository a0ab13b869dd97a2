// holvane_bench [--reference] [Google Benchmark flags]
//   --reference  also time every stage in its straightforward form.
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_registry.h"

int main(int argc, char **argv) {
    bool withReference = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--reference") == 0)
            withReference = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    registerRenderCases();
    registerStageCases(withReference);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
