// The viewer window's benchmarks, each against its baseline in the same run:
// - start to first picture: from starting `ardelle --source CARD` to the first frames painted
//   in both windows, against a cold `ardelle-cli frame` of the same frame (goal <= 2x);
// - painting while playing: the 1080p30 front + 720p rear pair played to its end in the
//   windows at x1 and x2, the process CPU against the headless pair playing the same files
//   (goal <= 1.3x), with the presented and painted counts and the peak memory.
// The benchmark starts its own X server (Xvfb) for the windows.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <sstream>
#include <string>

#include "bench_support.h"
#include "playback/notification_queue.h"
#include "playback/player_pair.h"
#include "ratio_reporter.h"

namespace {

using namespace ardelle;
using namespace std::chrono_literals;

constexpr int kPairSeconds = 20;

const bench::GeneratedCard& DemoCard() {
    static const bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD, "--count 1 --front 1280x720 --rear 640x360 --seconds 10");
    return card;
}

const bench::GeneratedCard& PairCard() {
    static const bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD,
        "--count 1 --front 1920x1080 --rear 1280x720 --seconds " + std::to_string(kPairSeconds));
    return card;
}

std::string Front(const bench::GeneratedCard& card) {
    return card.card() + "/Normal/Front/A___-240608-093000-000101F.MP4";
}
std::string Rear(const bench::GeneratedCard& card) {
    return card.card() + "/Normal/Rear/A___-240608-093000-000101R.MP4";
}

// An X server of its own for the whole run on a display number nobody uses; DISPLAY points
// at it once its socket is there.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        int number = 150;
        while (number < 400 &&
               (::access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0 ||
                ::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)) {
            ++number;
        }
        const std::string display = ":" + std::to_string(number);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1920x1080x24", "-nolisten",
                     "tcp", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        for (int waited = 0; waited < 200 && pid_ > 0; ++waited) {
            if (::access(socket.c_str(), F_OK) == 0) {
                display_ = display;
                ::setenv("DISPLAY", display_.c_str(), 1);
                break;
            }
            ::usleep(50000);
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool ok() const { return !display_.empty(); }

  private:
    pid_t pid_ = -1;
    std::string display_;
};

const VirtualDisplay& Display() {
    static const VirtualDisplay display;
    return display;
}

std::int64_t MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Runs a command and returns its standard output.
std::string Output(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, got);
    }
    ::pclose(pipe);
    return output;
}

// The viewer with a tour script, its settings in a scratch folder.
std::string ViewerCommand(const std::string& source, const std::string& script) {
    return "ARDELLE_APP_FOLDER='" + DemoCard().out() + "' " + ARDELLE_VIEWER + " --source '" +
           source + "' --scale 1 --tour '" + DemoCard().out() + "/shots' --script '" + script +
           "' 2>/dev/null";
}

// The value after a word in a line of the tour's output.
std::map<std::string, double> Fields(const std::string& output, const std::string& line_word) {
    std::map<std::string, double> fields;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        words >> word;
        if (word != line_word) {
            continue;
        }
        if (line_word == "painted") {
            words >> fields["ns"];
            continue;
        }
        std::string key;
        double value = 0;
        while (words >> key >> value) {
            fields[key] = value;
        }
    }
    return fields;
}

void BM_FirstPictureCliFrame(benchmark::State& state) {
    const std::string command = std::string(ARDELLE_CLI) + " frame '" + Front(DemoCard()) +
                                "' --frame 0 --out '" + DemoCard().out() + "/frame.jpg'";
    std::system(command.c_str());  // warm the cache
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("ardelle-cli frame failed");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_FirstPictureCliFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_FirstPictureViewer(benchmark::State& state) {
    if (!Display().ok()) {
        state.SkipWithError("no Xvfb");
        return;
    }
    const std::string command = ViewerCommand(DemoCard().card(), "painted;quit");
    Output(command);  // warm the cache
    for (auto _ : state) {
        const std::int64_t start = MonotonicNs();
        const auto fields = Fields(Output(command), "painted");
        if (fields.count("ns") == 0) {
            state.SkipWithError("the viewer painted no picture");
            return;
        }
        state.SetIterationTime(static_cast<double>(fields.at("ns") - static_cast<double>(start)) /
                               1e9);
    }
}
BENCHMARK(BM_FirstPictureViewer)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// The pair played to its end in the windows; the measured time is the process CPU.
void PaintWhilePlaying(benchmark::State& state, int speed_code) {
    if (!Display().ok()) {
        state.SkipWithError("no Xvfb");
        return;
    }
    const std::string command =
        ViewerCommand(Front(PairCard()), "painted;speed:" + std::to_string(speed_code) +
                                             ";mark;play;ended;stats;quit");
    for (auto _ : state) {
        const auto stats = Fields(Output(command), "stats");
        if (stats.count("cpu_s") == 0 || stats.at("ended") != 1) {
            state.SkipWithError("the viewer did not play the pair to its end");
            return;
        }
        state.SetIterationTime(stats.at("cpu_s"));
        for (const char* key : {"presented0", "painted0", "presented1", "painted1", "wall_s"}) {
            state.counters[key] = stats.at(key);
        }
        state.counters["peak_rss_mb"] = stats.at("peak_rss_kb") / 1024.0;
        state.counters["cpu_percent"] = stats.at("cpu_s") / stats.at("wall_s") * 100.0;
    }
}

void BM_PaintWhilePlayingX1(benchmark::State& state) {
    PaintWhilePlaying(state, playback::kSpeedX1);
}
void BM_PaintWhilePlayingX2(benchmark::State& state) {
    PaintWhilePlaying(state, playback::kSpeedX2);
}
BENCHMARK(BM_PaintWhilePlayingX1)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PaintWhilePlayingX2)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

// A frame target that only takes the frames, as a window that shows nothing would.
class IdleTarget : public playback::FrameTarget {
  public:
    playback::VideoRect ClientRect() const override { return {0, 0, 656, 371}; }
    void PresentFrame(const playback::SharedFrame&, const playback::VideoRect&, bool) override {}
};

// The same pair played headless in this process; the measured time is its CPU.
void HeadlessPair(benchmark::State& state, int speed_code) {
    IdleTarget targets[2];
    playback::NotificationQueue queues[2];
    playback::PlayerContext players[2];
    playback::PlayerPair pair(players[0], players[1], playback::MediaSessionOps(),
                              playback::MediaSessionOps());
    pair.Init({&targets[0], &queues[0]}, {&targets[1], &queues[1]});
    for (auto _ : state) {
        if (pair.Open(Front(PairCard()), Rear(PairCard())) != 1 ||
            !queues[0].WaitFor(AppMessage::kPlayerReady, 10s) ||
            !queues[1].WaitFor(AppMessage::kPlayerReady, 10s)) {
            state.SkipWithError("the pair did not open");
            break;
        }
        pair.SetSpeed(speed_code);
        const double before = bench::CpuSeconds();
        pair.Play(playback::PlayerTarget::kBoth);
        const bool ended = queues[0].WaitFor(AppMessage::kPlayerEnded, 120s) &&
                           queues[1].WaitFor(AppMessage::kPlayerEnded, 10s);
        state.SetIterationTime(bench::CpuSeconds() - before);
        pair.Close();
        if (!ended) {
            state.SkipWithError("the pair did not reach its end");
            break;
        }
    }
    pair.Uninit();
}

void BM_HeadlessPairX1(benchmark::State& state) {
    HeadlessPair(state, playback::kSpeedX1);
}
void BM_HeadlessPairX2(benchmark::State& state) {
    HeadlessPair(state, playback::kSpeedX2);
}
BENCHMARK(BM_HeadlessPairX1)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_HeadlessPairX2)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter({
        {"start to first picture / ardelle-cli frame",
         "BM_FirstPictureViewer/iterations:5/manual_time",
         "BM_FirstPictureCliFrame/iterations:5/manual_time", 2.0},
        {"CPU playing in the windows x1 / headless pair x1",
         "BM_PaintWhilePlayingX1/iterations:1/manual_time",
         "BM_HeadlessPairX1/iterations:1/manual_time", 1.3},
        {"CPU playing in the windows x2 / headless pair x2",
         "BM_PaintWhilePlayingX2/iterations:1/manual_time",
         "BM_HeadlessPairX2/iterations:1/manual_time", 1.3},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
