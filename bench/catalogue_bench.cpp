// Listing a 1000-recording card, against find walking and sizing the same files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench_support.h"
#include "ratio_reporter.h"

namespace {

using ardelle::bench::RunAndDrain;

// A card of 1000 short recordings, made once per run and removed at exit.
const ardelle::bench::GeneratedCard& Card() {
    static const ardelle::bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD, "--count 1000 --fast --seconds 1 --front 320x180 --rear 160x90");
    return card;
}

void BM_FindSizes(benchmark::State& state) {
    RunAndDrain(state, "find '" + Card().card() + "' -type f -printf '%s %p\\n'");
}
void BM_ListCard(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().card() + "'");
}
void BM_ListCardGroup(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().card() +
                           "/Normal' --group 240608_0001");
}
void BM_CollectCard(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().card() + "' --collect");
}
BENCHMARK(BM_FindSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCardGroup)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectCard)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Card();  // made before timing; its first walk also warms the page cache
    ardelle::bench::RatioReporter reporter({
        {"list 1000-recording card / find -printf", "BM_ListCard", "BM_FindSizes", 3.0},
        {"list card + first group / find -printf", "BM_ListCardGroup", "BM_FindSizes", 0},
        {"collect all 1000 with sizes / find -printf", "BM_CollectCard", "BM_FindSizes", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
