// The playback engine against baselines measured in the same run, on a generated pair of a
// 1920x1080 30 fps front and a 1280x720 15 fps rear movie of 20 s:
// - scrub latency: SeekFrame to random frames until the frame is presented, against a bare
//   GStreamer pipeline doing the same accurate seeks (median and 95th percentile);
// - ardelle-cli frame against ffmpeg -ss T -i FILE -frames:v 1 for the same frames;
// - pair playback at x1, x2 and x4 (thinning): frames presented against frames expected, and
//   the CPU time used per second of wall time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"
#include "playback/notification_queue.h"
#include "playback/player_pair.h"
#include "playback_baseline/bare_pipeline.h"
#include "ratio_reporter.h"
#include "sample_card/frame_code.h"

namespace {

using namespace ardelle;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kFrontFps = 30;
constexpr int kRearFps = 15;
constexpr int kSeconds = 20;
constexpr int kFrontFrames = kFrontFps * kSeconds;
constexpr int kScrubSeeks = 60;

const bench::GeneratedCard& Card() {
    static const bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD,
        "--count 1 --front 1920x1080 --rear 1280x720 --seconds " + std::to_string(kSeconds));
    return card;
}

std::string FrontPath() {
    return Card().card() + "/Normal/Front/A___-240608-093000-000101F.MP4";
}
std::string RearPath() {
    return Card().card() + "/Normal/Rear/A___-240608-093000-000101R.MP4";
}

// The same random frames for every engine.
const std::vector<int>& ScrubFrames() {
    static const std::vector<int> frames = [] {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pick(0, kFrontFrames - 1);
        std::vector<int> chosen(kScrubSeeks);
        for (int& frame : chosen) {
            frame = pick(random);
        }
        return chosen;
    }();
    return frames;
}

double Percentile(std::vector<double> values, double share) {
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1));
    return values[at];
}

// Reports each latency run as its 95th percentile, with the median as a counter.
void ReportLatencies(benchmark::State& state, const std::vector<double>& seconds) {
    state.counters["p50_ms"] = Percentile(seconds, 0.50) * 1000.0;
    state.counters["p95_ms"] = Percentile(seconds, 0.95) * 1000.0;
}

// A frame target that reads the frame code of what it is given and wakes a waiter.
class CountingTarget : public playback::FrameTarget {
  public:
    playback::VideoRect ClientRect() const override { return {0, 0, 1280, 720}; }
    void PresentFrame(const playback::SharedFrame& frame, const playback::VideoRect&,
                      bool) override {
        const auto index = frame == nullptr
                               ? std::nullopt
                               : samplecard::ReadFrameIndexPacked32(frame->pixels, frame->width,
                                                                    frame->height, frame->stride);
        {
            std::lock_guard lock(mutex_);
            last_ = index.value_or(-1);
            if (index) {
                seen_.insert(*index);
            }
        }
        changed_.notify_all();
    }
    bool WaitFor(int index, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return last_ == index; });
    }
    std::size_t distinct() {
        std::lock_guard lock(mutex_);
        return seen_.size();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        seen_.clear();
        last_ = -2;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int last_ = -2;
    std::set<int> seen_;
};

// The two players as the viewer wires them, opened on the bench pair.
class BenchPair {
  public:
    BenchPair() {
        pair_.Init({&targets_[0], &queues_[0]}, {&targets_[1], &queues_[1]});
        pair_.Open(FrontPath(), RearPath());
        ok_ = queues_[0].WaitFor(AppMessage::kPlayerReady, 10s) &&
              queues_[1].WaitFor(AppMessage::kPlayerReady, 10s) &&
              pair_.LoadTelemetry(FrontPath(), RearPath()) == 1;
    }
    ~BenchPair() {
        pair_.Close();
        pair_.Uninit();
    }
    bool ok() const { return ok_; }
    playback::PlayerPair& pair() { return pair_; }
    CountingTarget& target(int index) { return targets_[index]; }
    playback::NotificationQueue& queue(int index) { return queues_[index]; }

  private:
    CountingTarget targets_[2];
    playback::NotificationQueue queues_[2];
    playback::PlayerContext players_[2];
    playback::PlayerPair pair_{players_[0], players_[1], playback::MediaSessionOps(),
                               playback::MediaSessionOps()};
    bool ok_ = false;
};

void BM_ScrubBarePipeline(benchmark::State& state) {
    baseline::BarePipeline pipeline(FrontPath());
    if (!pipeline.ok()) {
        state.SkipWithError("the bare pipeline did not preroll");
        return;
    }
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (const int frame : ScrubFrames()) {
            const auto target = static_cast<std::int64_t>((frame + 0.25) * 1e9 / kFrontFps);
            const auto start = Clock::now();
            if (pipeline.SeekAndWait(target) < 0) {
                state.SkipWithError("a seek brought no frame");
                return;
            }
            latencies.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
        state.SetIterationTime(Percentile(latencies, 0.95));
    }
    ReportLatencies(state, latencies);
}
BENCHMARK(BM_ScrubBarePipeline)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ScrubPlayer(benchmark::State& state) {
    BenchPair bench;
    if (!bench.ok()) {
        state.SkipWithError("the pair did not open");
        return;
    }
    playback::PlayerContext& front = bench.pair().player(0);
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (const int frame : ScrubFrames()) {
            const auto start = Clock::now();
            playback::MediaSessionOps().SeekFrame(front, frame);
            if (!bench.target(0).WaitFor(frame, 10s)) {
                state.SkipWithError("the frame asked for was not presented");
                return;
            }
            latencies.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        }
        state.SetIterationTime(Percentile(latencies, 0.95));
    }
    ReportLatencies(state, latencies);
}
BENCHMARK(BM_ScrubPlayer)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Five of the scrub frames, one per iteration, cycling.
int CliFrame(std::int64_t iteration) {
    return ScrubFrames()[static_cast<std::size_t>(iteration % 5)];
}

bool Run(const std::string& command) {
    return std::system((command + " > /dev/null 2>&1").c_str()) == 0;
}

// Minor page faults of every child process waited for so far.
double ChildFaults() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_minflt);
}

std::string FfmpegCommand(int frame) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.4f", (frame + 0.25) / kFrontFps);
    return std::string("ffmpeg -v error -y -ss ") + seconds + " -i '" + FrontPath() +
           "' -frames:v 1 '" + Card().out() + "/ffmpeg.jpg'";
}

std::string CliCommand(int frame) {
    return std::string(ARDELLE_CLI) + " frame '" + FrontPath() + "' --frame " +
           std::to_string(frame) + " --out '" + Card().out() + "/cli.jpg'";
}

// Runs one command per iteration and reports its page faults: on virtual machines where a
// fault is dear they are a large part of a cold start.
void RunEachIteration(benchmark::State& state, std::string (*command)(int), const char* failure) {
    std::int64_t iteration = 0;
    const double faults_before = ChildFaults();
    for (auto _ : state) {
        if (!Run(command(CliFrame(iteration++)))) {
            state.SkipWithError(failure);
            return;
        }
    }
    state.counters["minor_faults"] =
        benchmark::Counter(ChildFaults() - faults_before, benchmark::Counter::kAvgIterations);
}

void BM_FrameFfmpeg(benchmark::State& state) {
    RunEachIteration(state, FfmpegCommand, "ffmpeg failed");
}
BENCHMARK(BM_FrameFfmpeg)->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_FrameCli(benchmark::State& state) {
    RunEachIteration(state, CliCommand, "ardelle-cli frame failed");
}
BENCHMARK(BM_FrameCli)->Iterations(10)->Unit(benchmark::kMillisecond);

// The two commands taking turns on the same frames (each going first every other round), so
// that a drift in the machine's speed falls on both alike; medians, so that one stalled run
// does not decide.
void BM_FrameTakingTurns(benchmark::State& state) {
    constexpr int kRounds = 15;
    std::vector<double> ffmpeg_ms;
    std::vector<double> cli_ms;
    double ffmpeg_faults = 0;
    double cli_faults = 0;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            for (const bool ffmpeg : {round % 2 == 0, round % 2 != 0}) {
                const double faults_before = ChildFaults();
                const auto start = Clock::now();
                if (!Run(ffmpeg ? FfmpegCommand(CliFrame(round)) : CliCommand(CliFrame(round)))) {
                    state.SkipWithError("a frame command failed");
                    return;
                }
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                (ffmpeg ? ffmpeg_ms : cli_ms).push_back(ms);
                (ffmpeg ? ffmpeg_faults : cli_faults) += ChildFaults() - faults_before;
            }
        }
    }
    state.counters["ffmpeg_p50_ms"] = Percentile(ffmpeg_ms, 0.5);
    state.counters["cli_p50_ms"] = Percentile(cli_ms, 0.5);
    state.counters["ffmpeg_faults"] = ffmpeg_faults / kRounds;
    state.counters["cli_faults"] = cli_faults / kRounds;
}
BENCHMARK(BM_FrameTakingTurns)->Iterations(1)->Unit(benchmark::kMillisecond);

// Plays the whole pair from its first frame at a speed code and counts what was presented.
void PlayPair(benchmark::State& state, playback::SpeedCode code, double rate) {
    BenchPair bench;
    if (!bench.ok()) {
        state.SkipWithError("the pair did not open");
        return;
    }
    playback::PlayerPair& pair = bench.pair();
    for (auto _ : state) {
        pair.SeekFrame(playback::PlayerTarget::kBoth, 0);
        bench.target(0).WaitFor(0, 5s);
        bench.target(1).WaitFor(0, 5s);
        bench.target(0).Reset();
        bench.target(1).Reset();
        pair.SetSpeed(code);
        const double cpu_before = bench::CpuSeconds();
        const auto start = Clock::now();
        pair.Play(playback::PlayerTarget::kBoth);
        const auto limit =
            std::chrono::milliseconds(static_cast<int>(kSeconds / rate * 1000)) + 10s;
        const bool ended = bench.queue(0).WaitFor(AppMessage::kPlayerEnded, limit) &&
                           bench.queue(1).WaitFor(AppMessage::kPlayerEnded, 5s);
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        if (!ended) {
            state.SkipWithError("the pair did not reach its end");
            return;
        }
        state.counters["front_presented"] = static_cast<double>(bench.target(0).distinct());
        state.counters["front_expected"] = kFrontFrames;
        state.counters["rear_presented"] = static_cast<double>(bench.target(1).distinct());
        state.counters["rear_expected"] = kRearFps * kSeconds;
        state.counters["cpu_percent"] = (bench::CpuSeconds() - cpu_before) / wall * 100.0;
        state.counters["wall_s"] = wall;
    }
}

void BM_PairPlayX1(benchmark::State& state) {
    PlayPair(state, playback::kSpeedX1, 1.0);
}
void BM_PairPlayX2(benchmark::State& state) {
    PlayPair(state, playback::kSpeedX2, 2.0);
}
void BM_PairPlayX4Thinning(benchmark::State& state) {
    PlayPair(state, playback::kSpeedX4, 4.0);
}
BENCHMARK(BM_PairPlayX1)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_PairPlayX2)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_PairPlayX4Thinning)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The ratio table, plus the ratios of medians: the two scrub runs' and the frame commands'
// taken in turns.
class PlaybackReporter : public bench::RatioReporter {
  public:
    using RatioReporter::RatioReporter;
    void ReportRuns(const std::vector<Run>& runs) override {
        RatioReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            for (const auto& [name, counter] : run.counters) {
                counters_[run.benchmark_name() + " " + name] = counter.value;
            }
        }
    }
    void Finalize() override {
        RatioReporter::Finalize();
        PrintCounterRatio("scrub median: player / bare pipeline",
                          "BM_ScrubPlayer/iterations:1/manual_time p50_ms",
                          "BM_ScrubBarePipeline/iterations:1/manual_time p50_ms", 0);
        PrintCounterRatio("frame medians, taking turns: ardelle-cli / ffmpeg",
                          "BM_FrameTakingTurns/iterations:1 cli_p50_ms",
                          "BM_FrameTakingTurns/iterations:1 ffmpeg_p50_ms", 1.0);
    }

  private:
    void PrintCounterRatio(const char* label, const std::string& numerator,
                           const std::string& denominator, double goal) const {
        const auto a = counters_.find(numerator);
        const auto b = counters_.find(denominator);
        if (a != counters_.end() && b != counters_.end() && b->second > 0) {
            PrintRatio(label, a->second / b->second, goal);
        }
    }

    std::map<std::string, double> counters_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Card();
    PlaybackReporter reporter({
        {"scrub p95: player / bare pipeline", "BM_ScrubPlayer/iterations:1/manual_time",
         "BM_ScrubBarePipeline/iterations:1/manual_time", 1.2},
        {"ardelle-cli frame / ffmpeg -ss -frames:v 1", "BM_FrameCli/iterations:10",
         "BM_FrameFfmpeg/iterations:10", 1.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
