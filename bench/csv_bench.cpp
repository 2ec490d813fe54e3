// The CSV export of a 1000-recording card, against the catalogue scan of the same card.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/messages.h"
#include "base/user_dialogs.h"
#include "bench_support.h"
#include "catalogue/card_layout.h"
#include "catalogue/movie_resource.h"
#include "fileops/csv_export.h"
#include "fileops/operation_runner.h"
#include "ratio_reporter.h"

namespace {

using namespace ardelle;

// A card of 1000 short recordings and a folder for the lists.
using BenchCard = bench::GeneratedCard;

const BenchCard& Card() {
    static const BenchCard card(ARDELLE_SAMPLE_CARD,
                                "--count 1000 --fast --seconds 1 --front 320x180 --rear 160x90");
    return card;
}

// The scan `ardelle-cli list CARD --collect` runs: every movie of the card with its sizes.
catalogue::RecordingList CollectCard() {
    const catalogue::CMovieResource resource(nullptr);
    catalogue::ResetSequenceCounters();
    catalogue::SetGroupLimit(catalogue::GroupLimitFor(Card().card()));
    catalogue::RecordingList entries;
    int count = 0;
    if (!resource.CollectMovies(Card().card(), entries, count, 0)) {
        std::fprintf(stderr, "csv-bench: could not collect the card\n");
        std::exit(1);
    }
    return entries;
}

// The worker's messages, counted rather than kept.
class CountingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override {
        completed_ = completed_ || message.id == AppMessage::kCsvCompleted;
    }
    bool completed() const { return completed_; }

  private:
    bool completed_ = false;
};

class SilentMessages : public base::MessageBoxes {
  public:
    int Show(std::string_view, std::string_view, base::MessageStyle) override { return 1; }
};

using bench::RunAndDrain;

void BM_CollectCardCli(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().card() + "' --collect");
}

void BM_CollectCard(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(CollectCard().size());
    }
}

// Runs the export worker once; false when it did not complete.
bool ExportOnce(const fileops::CsvExportJob& job, fileops::FileHeaderReader& reader) {
    SilentMessages messages;
    std::atomic<bool> running{true};
    CountingSink sink;
    const fileops::OperationContext context(running, sink, messages);
    fileops::RunCsvExport(context, job, reader);
    return sink.completed();
}

// The export worker over the collected list, each run replacing the previous list.
void BM_CsvExport(benchmark::State& state) {
    const fileops::CsvExportJob job{CollectCard(), Card().out() + "/Dv_bench.csv", ""};
    state.counters["recordings"] = static_cast<double>(job.recordings.size());
    fileops::FileHeaderReader reader;
    for (auto _ : state) {
        if (!ExportOnce(job, reader)) {
            state.SkipWithError("the export failed");
            return;
        }
    }
}

// What a user runs: the card collected and exported in one go, against the CLI's scan.
void BM_CollectAndExport(benchmark::State& state) {
    fileops::FileHeaderReader reader;
    for (auto _ : state) {
        if (!ExportOnce({CollectCard(), Card().out() + "/Dv_bench.csv", ""}, reader)) {
            state.SkipWithError("the export failed");
            return;
        }
    }
}

BENCHMARK(BM_CollectCardCli)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectCard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollectAndExport)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    CollectCard();  // the card is made before timing; its first walk warms the page cache
    ardelle::bench::RatioReporter reporter({
        {"csv export of 1000 / list --collect (CLI)", "BM_CsvExport", "BM_CollectCardCli", 1.5},
        {"csv export of 1000 / collection scan (in process)", "BM_CsvExport", "BM_CollectCard",
         1.5},
        {"collect + export / list --collect (CLI)", "BM_CollectAndExport", "BM_CollectCardCli", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
