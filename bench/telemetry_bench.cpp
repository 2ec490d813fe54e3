// Telemetry reading speed, each against a baseline measured in the same run:
// - decoding a full 4600-record block against a plain checksum pass over its bytes;
// - the "mvhd" pattern scan of a movie with a 2 GB media box against one with 2 MB.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/files.h"
#include "ratio_reporter.h"
#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "telemetry/box_walks.h"
#include "telemetry/telemetry_block.h"
#include "telemetry/telemetry_file.h"

namespace {

using namespace ardelle;

const std::string& FullBlock() {
    static const std::string block = [] {
        std::vector<std::string> records;
        for (int i = 0; i < 4600; ++i) {
            // A realistic drive: ten records a second, moving position and speed.
            testing::RecordFields fields;
            fields.x = std::to_string(10000 + i % 900).substr(1);
            char text[16];
            std::snprintf(text, sizeof text, "2304151%02d%02d", i / 600 % 60, i / 10 % 60);
            fields.date_time = std::string("23041510") + (text + 7);
            std::snprintf(text, sizeof text, "3541.%04d", i % 10000);
            fields.latitude = text;
            std::snprintf(text, sizeof text, "%4.1f", (i % 800) / 10.0);
            fields.speed = text;
            records.push_back(testing::Record(fields));
        }
        return testing::Block(testing::HeaderBody({}), 4600, records, 4600);
    }();
    return block;
}

void BM_ChecksumFullBlock(benchmark::State& state) {
    const std::string& block = FullBlock();
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const char c : block) {
            sum = sum * 31 + static_cast<unsigned char>(c);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(BM_ChecksumFullBlock);

void BM_DecodeFullBlock(benchmark::State& state) {
    const std::string& block = FullBlock();
    const auto* body = reinterpret_cast<const std::uint8_t*>(block.data()) + 6;
    for (auto _ : state) {
        telemetry::SampleLists lists;
        const auto result =
            telemetry::DecodeRecords(body, block.size() - 6, "A___-230415-101500-000001F.MP4",
                                     100.0f, telemetry::DecodeParts::kAll, lists);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(lists.sensors.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
}
BENCHMARK(BM_DecodeFullBlock);

// A sparse movie: ftyp, a media box of media_bytes, moov with mvhd.
std::string SparseMovie(std::uint64_t media_bytes) {
    const std::string path = "/tmp/ardelle-bench-" + std::to_string(::getpid()) + "-" +
                             std::to_string(media_bytes) + ".MP4";
    const std::string head = testing::Box("ftyp", "isom") +
                             testing::Be32(static_cast<std::uint32_t>(media_bytes + 8)) + "mdat";
    const std::string moov =
        testing::Box("moov", testing::Box("free", std::string(4000, '\0')) +
                                 testing::Box("mvhd", testing::MvhdPayload(1000, 60000)));
    if (!testing::WriteSparseFile(path, head, head.size() + media_bytes, moov)) {
        std::abort();
    }
    return path;
}

void ScanFor(benchmark::State& state, std::uint64_t media_bytes) {
    const std::string path = SparseMovie(media_bytes);
    for (auto _ : state) {
        telemetry::TelemetryFile probe;
        probe.OpenMapping(path);
        telemetry::ScanPattern pattern{"mvhd"};
        bool found = false;
        telemetry::PatternScan(
            probe, pattern, [](const std::uint8_t*, std::size_t) { return true; }, &found);
        if (!found) {
            state.SkipWithError("mvhd not found");
        }
    }
    ::unlink(path.c_str());
}

void BM_ScanMvhdAfter2MB(benchmark::State& state) {
    ScanFor(state, 2'000'000);
}
void BM_ScanMvhdAfter2GB(benchmark::State& state) {
    ScanFor(state, 2'000'000'000);
}
BENCHMARK(BM_ScanMvhdAfter2MB);
BENCHMARK(BM_ScanMvhdAfter2GB);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    ardelle::bench::RatioReporter reporter({
        {"decode 4600 records / checksum of the same bytes", "BM_DecodeFullBlock",
         "BM_ChecksumFullBlock", 3.0},
        {"mvhd scan past 2 GB media / past 2 MB media", "BM_ScanMvhdAfter2GB",
         "BM_ScanMvhdAfter2MB", 0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
