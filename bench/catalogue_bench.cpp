// Listing a 1000-recording card, against find walking and sizing the same files.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ratio_reporter.h"

namespace {

// A card of 1000 short recordings, made once per run and removed at exit.
class BenchCard {
  public:
    BenchCard() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ardelle-bench-card-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        const std::string command = std::string(ARDELLE_SAMPLE_CARD) + " '" + root_ +
                                    "' --count 1000 --fast --seconds 1 --front 320x180 "
                                    "--rear 160x90 > /dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "catalogue-bench: could not make the card\n");
            std::exit(1);
        }
    }
    ~BenchCard() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const std::string& root() const { return root_; }

  private:
    std::string root_;
};

const BenchCard& Card() {
    static const BenchCard card;
    return card;
}

// Runs a command line and reads all its output, as a caller of the tool would.
void RunAndDrain(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[65536];
        size_t total = 0;
        while (const size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            total += got;
        }
        if (::pclose(pipe) != 0 || total == 0) {
            state.SkipWithError("the command failed");
            return;
        }
        benchmark::DoNotOptimize(total);
    }
}

void BM_FindSizes(benchmark::State& state) {
    RunAndDrain(state, "find '" + Card().root() + "' -type f -printf '%s %p\\n'");
}
void BM_ListCard(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().root() + "'");
}
void BM_ListCardGroup(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().root() +
                           "/Normal' --group 240608_0001");
}
void BM_CollectCard(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().root() + "' --collect");
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
