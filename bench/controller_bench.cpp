// The main controller's benchmarks, headless with the real players on a generated card:
// - recording switch: from the "next" command to the first picture of the new recording
//   presented, p50 and p95 over 20 switches, against the bare GStreamer pipeline's open to
//   first frame of the same two files, opened side by side (goal p95 <= 1.5x). The open
//   timer's deliberate 500 ms (several presses within it open only the last) is run on the
//   fake clock at once and is not part of the figure;
// - tick cost: the 30 ms playback tick's own time on the calling thread while the pair
//   plays with its telemetry loaded, p99 as a share of the period (goal <= 10 %), beside
//   the one position read it makes (the player sleeps 10 ms after each clock read).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "app/controller_fakes.h"
#include "base/settings.h"
#include "bench_support.h"
#include "catalogue/recording_entry.h"
#include "playback_baseline/bare_pipeline.h"
#include "ratio_reporter.h"

namespace {

using namespace ardelle;
using namespace ardelle::app::fakes;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kSwitches = 20;
constexpr int kTicks = 200;

const bench::GeneratedCard& DemoCard() {
    static const bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD, "--count 40 --front 1280x720 --rear 640x360 --seconds 10 --fast");
    return card;
}

catalogue::RecordingList DemoRecordings() {
    namespace fs = std::filesystem;
    std::vector<std::string> fronts;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(DemoCard().card() + "/Normal/Front")) {
        // The card's too-short clips (a fraction of the others' size) cannot be played.
        if (entry.path().extension() == ".MP4" && entry.file_size() > 400 * 1024) {
            fronts.push_back(entry.path().string());
        }
    }
    std::sort(fronts.begin(), fronts.end());
    catalogue::RecordingList list;
    for (const std::string& front : fronts) {
        std::string rear = front;
        rear.replace(rear.find("/Front/"), 7, "/Rear/");
        rear.replace(rear.size() - 5, 1, "R");
        catalogue::AddMovieEntry(front, fs::exists(rear) ? rear : std::string(), list);
    }
    return list;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The controller with its fakes and the real players.
class Harness {
  public:
    Harness() {
        base::SetAppFolder(DemoCard().out());
        ok_ = display_.InitPlayers(true);
        list_.nodes = {DemoRecordings()};
    }
    ~Harness() { controller_.Shutdown(); }
    bool ok() const { return ok_ && list_.Records().size() > kSwitches; }

    template <class Done>
    bool PumpUntil(Done done, std::chrono::milliseconds timeout = 20s) {
        return app::fakes::PumpUntil(queue_, controller_, done, timeout);
    }
    bool Load(int row) {
        controller_.OnRecordingSelected(row);
        timers_.Advance(controller_, app::timer::kOpenDelayMs);
        return PumpUntil([this] { return controller_.loaded(); });
    }

    TestQueue queue_;
    FakeView view_{queue_};
    app::ViewerController display_{view_, 1.0};
    FakeList list_{queue_};
    FakeViews views_;
    FakeWindow window_;
    FakeTimers timers_;
    RecordingBoxes boxes_;
    FixedPicker picker_;
    app::MainController controller_{
        {display_, list_, views_, window_, timers_, queue_, boxes_, picker_}};
    bool ok_ = false;
};

void ReportPercentiles(benchmark::State& state, const std::vector<double>& seconds) {
    state.counters["p50_ms"] = Percentile(seconds, 0.5) * 1e3;
    state.counters["p95_ms"] = Percentile(seconds, 0.95) * 1e3;
}

void BM_SwitchController(benchmark::State& state) {
    Harness harness;
    if (!harness.ok() || !harness.Load(0)) {
        state.SkipWithError("the demo card's first recording did not load");
        return;
    }
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 0; i < kSwitches; ++i) {
            const auto start = Clock::now();
            harness.controller_.OnCommand(app::command::kNext);
            const std::int64_t before = harness.view_.targets[0].presented();
            harness.timers_.Advance(harness.controller_, app::timer::kOpenDelayMs);
            if (!harness.PumpUntil([&] { return harness.view_.targets[0].presented() > before; })) {
                state.SkipWithError("no picture of the next recording");
                return;
            }
            latencies.push_back(Seconds(Clock::now() - start));
            if (!harness.PumpUntil([&] { return harness.controller_.loaded(); })) {
                state.SkipWithError("the next recording did not load");
                return;
            }
        }
        state.SetIterationTime(Percentile(latencies, 0.95));
    }
    ReportPercentiles(state, latencies);
}
BENCHMARK(BM_SwitchController)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SwitchBarePipeline(benchmark::State& state) {
    const catalogue::RecordingList recordings = DemoRecordings();
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 1; i <= kSwitches && static_cast<std::size_t>(i) < recordings.size(); ++i) {
            const catalogue::RecordingEntry& entry = recordings[static_cast<std::size_t>(i)];
            const auto start = Clock::now();
            bool front_ok = false;
            bool rear_ok = entry.rear_path.empty();
            std::thread rear([&] {
                if (!entry.rear_path.empty()) {
                    rear_ok = baseline::BarePipeline(entry.rear_path).ok();
                }
            });
            front_ok = baseline::BarePipeline(entry.front_path).ok();
            rear.join();
            if (!front_ok || !rear_ok) {
                state.SkipWithError("the bare pipeline did not preroll");
                return;
            }
            latencies.push_back(Seconds(Clock::now() - start));
        }
        state.SetIterationTime(Percentile(latencies, 0.95));
    }
    ReportPercentiles(state, latencies);
}
BENCHMARK(BM_SwitchBarePipeline)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TickWhilePlaying(benchmark::State& state) {
    Harness harness;
    if (!harness.ok() || !harness.Load(0)) {
        state.SkipWithError("the demo card's first recording did not load");
        return;
    }
    harness.controller_.OnCommand(app::command::kPlayPause);
    std::vector<double> costs;
    std::vector<double> reads;
    for (auto _ : state) {
        costs.clear();
        auto next = Clock::now();
        for (int i = 0; i < kTicks; ++i) {
            next += std::chrono::milliseconds(app::timer::kTickMs);
            std::this_thread::sleep_until(next);
            while (auto message = harness.queue_.Take()) {
                harness.controller_.OnMessage(*message);
            }
            const auto start = Clock::now();
            harness.controller_.OnTimer(app::timer::kTick);
            costs.push_back(Seconds(Clock::now() - start));
            if (i % 10 == 5) {
                const auto read = Clock::now();
                harness.controller_.pair().GetPositionFrames(playback::PlayerTarget::kBoth);
                reads.push_back(Seconds(Clock::now() - read));
            }
        }
        state.SetIterationTime(Percentile(costs, 0.99));
    }
    state.counters["p50_us"] = Percentile(costs, 0.5) * 1e6;
    state.counters["p99_us"] = Percentile(costs, 0.99) * 1e6;
    state.counters["position_read_p50_us"] = Percentile(reads, 0.5) * 1e6;
    state.counters["p99_share_of_period_pct"] =
        Percentile(costs, 0.99) * 1e3 / app::timer::kTickMs * 100.0;
}
BENCHMARK(BM_TickWhilePlaying)->UseManualTime()->Iterations(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    DemoCard();
    bench::RatioReporter reporter({
        {"recording switch p95: controller / bare pipeline",
         "BM_SwitchController/iterations:1/manual_time",
         "BM_SwitchBarePipeline/iterations:1/manual_time", 1.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
