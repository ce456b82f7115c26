#include "support/OwnFolders.h"

#include <benchmark/benchmark.h>

// The benchmarks run the real game and its stores: in folders of their own,
// never the player's.
int main(int argc, char** argv) {
    const OwnFolders folders;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
