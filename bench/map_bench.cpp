// The map under playback: how long a position change takes to move the page's marker
// (p95, against one 30 ms tick), what one tick's bridge work costs the UI thread, the
// process memory with the map hidden and shown, and how long the first show takes.
// Runs on an Xvfb display of its own with the real web engine and a local tile server.
#include <dirent.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "map/map_bridge.h"
#include "map/map_fakes.h"
#include "map/map_host_window.h"
#include "map/page_wait.h"
#include "map/test_processes.h"

namespace {

using namespace ardelle;
using Clock = std::chrono::steady_clock;
using map::testing::Evaluate;
using map::testing::WaitFor;

constexpr double kTickMs = 30.0;
constexpr int kTrackRecords = 4600;
constexpr int kTicks = 400;

long RssKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// This process and every process below it (the engine's helper processes), leaving out
// the display and tile server the benchmark started.
long TreeRssKiB(int root, const std::vector<int>& excluded) {
    std::map<int, int> parents;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const int pid = std::atoi(entry->d_name);
            if (pid <= 0)
                continue;
            std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
            std::string text;
            std::getline(stat, text);
            const size_t close = text.rfind(')');
            if (close == std::string::npos)
                continue;
            std::istringstream rest(text.substr(close + 2));
            char state = 0;
            int parent = 0;
            rest >> state >> parent;
            parents[pid] = parent;
        }
        closedir(proc);
    }
    long total = 0;
    for (const auto& [pid, parent] : parents) {
        for (int p = pid; p > 1; p = parents.count(p) ? parents[p] : 0) {
            if (std::find(excluded.begin(), excluded.end(), p) != excluded.end())
                break;
            if (p == root) {
                total += RssKiB(pid);
                break;
            }
        }
    }
    return total;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(
        values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())));
    return values[index];
}

double EpochMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

// Threads that keep the processor busy while the ticks run, as decoding and the other
// programs of a busy machine do.
class BusyLoad {
  public:
    explicit BusyLoad(int threads) {
        for (int i = 0; i < threads; ++i) {
            workers_.emplace_back([this] {
                volatile std::uint64_t sink = 0;
                while (!stop_.load(std::memory_order_relaxed)) {
                    for (int k = 0; k < 100000; ++k)
                        sink = sink + static_cast<std::uint64_t>(k);
                }
            });
        }
    }
    ~BusyLoad() {
        stop_ = true;
        for (std::thread& worker : workers_)
            worker.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

int LoadThreads(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--load")
            return std::max(0, std::atoi(argv[i + 1]));
    }
    return 0;
}

int main(int argc, char** argv) {
    const int load_threads = LoadThreads(argc, argv);
    setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);  // benchmark only, never the program
    setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    map::testing::XvfbDisplay display;
    if (!display.Start()) {
        std::fprintf(stderr, "map-bench: Xvfb did not start\n");
        return 1;
    }
    map::testing::ChildProcess tile_server;
    if (!tile_server.Start({"node", ARDELLE_TILE_SERVER, ARDELLE_MAP_PAGE_DIR, "300"}))
        return 1;
    const std::string port_line = tile_server.ReadLine(30000);
    if (port_line.rfind("port ", 0) != 0)
        return 1;

    QApplication app(argc, argv);
    map::testing::RecordingSink sink;
    map::testing::FakeProbe probe;
    map::testing::StraightTrack tracks(kTrackRecords, 35.60, 139.70, 0.00003, 0.00004);
    map::CGoogleMapDlgWrap bridge(sink, probe);
    bridge.AttachTracks(&tracks);
    map::MapHostWindow window(
        bridge, {"http://127.0.0.1:" + port_line.substr(5) + "/tiles/{z}/{x}/{y}.png", "local"});
    bridge.AttachHost(&window);
    window.resize(800, 600);
    QCoreApplication::processEvents();
    const int self = static_cast<int>(QCoreApplication::applicationPid());
    const std::vector<int> helpers{display.pid(), tile_server.pid()};
    const long hidden_rss = RssKiB(self);
    const long hidden_tree = TreeRssKiB(self, helpers);

    const auto show_start = Clock::now();
    bridge.ShowMap(1);
    const double engine_ms =
        std::chrono::duration<double, std::milli>(Clock::now() - show_start).count();
    if (!WaitFor([&] { return bridge.page_ready() == 1; }, 120000)) {
        std::fprintf(stderr, "map-bench: the page never got ready\n");
        return 1;
    }
    const double first_show_ms =
        std::chrono::duration<double, std::milli>(Clock::now() - show_start).count();

    bridge.SetCurrentFrame(0);
    bridge.LoadRecordingIntoMap(0, false, {}, 0x3FFF);
    QWebEngineView* view = window.view();
    WaitFor(
        [&] {
            return Evaluate(view, "orbitgrplist.gridlist.points.length").toInt() == kTrackRecords;
        },
        60000);
    Evaluate(view,
             "window.__moves = []; document.addEventListener('ardelle-marker-moved', (e) =>"
             " window.__moves.push([e.detail.frame, performance.timeOrigin + performance.now()]));"
             " window.__work = []; const moveNow = orbitgrplist.MoveMarkerNow;"
             " orbitgrplist.MoveMarkerNow = async function () { const t = performance.now();"
             " await moveNow.call(this); window.__work.push(performance.now() - t); };");

    // Playback: every tick the main window writes the frame and the position.
    std::map<int, double> sent_at;
    std::vector<double> tick_work_ms;
    int tick = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const int frame = 300 + tick * 2;
        const auto& sample = tracks.track[static_cast<size_t>(frame / 3)];
        sent_at[frame] = EpochMs();
        const auto start = Clock::now();
        bridge.SetCurrentFrame(frame);
        bridge.SetMapValues({sample.longitude, sample.latitude, "", -1});
        tick_work_ms.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (++tick == kTicks)
            timer.stop();
    });
    {
        BusyLoad load(load_threads);
        timer.start(static_cast<int>(kTickMs));
        WaitFor([&] { return !timer.isActive(); }, 120000);
    }
    QElapsedTimer settle;
    settle.start();
    WaitFor([&] { return settle.elapsed() > 1500; }, 5000);

    const long shown_rss = RssKiB(self);
    const long shown_tree = TreeRssKiB(self, helpers);
    const QVariantList moves = Evaluate(view, "window.__moves").toList();
    std::vector<double> latencies;
    for (const QVariant& entry : moves) {
        const QVariantList pair = entry.toList();
        if (pair.size() != 2)
            continue;
        // The first move that shows a frame; later ones (the page's own timer) repeat it.
        auto it = sent_at.find(pair[0].toInt());
        if (it == sent_at.end())
            continue;
        latencies.push_back(pair[1].toDouble() - it->second);
        sent_at.erase(it);
    }
    // The first second follows the loading of the track, while the page still paints it and
    // its tiles; it is reported apart from the steady state.
    const size_t warm_up = std::min(latencies.size(), static_cast<size_t>(1000.0 / kTickMs));
    const std::vector<double> first_second(
        latencies.begin(), latencies.begin() + static_cast<std::ptrdiff_t>(warm_up));
    latencies.erase(latencies.begin(), latencies.begin() + static_cast<std::ptrdiff_t>(warm_up));
    const double p95 = Percentile(latencies, 0.95);
    std::vector<double> page_work;
    for (const QVariant& v : Evaluate(view, "window.__work").toList())
        page_work.push_back(v.toDouble());
    std::printf("  page work per move: p50 %.1f ms, p95 %.1f ms\n", Percentile(page_work, 0.5),
                Percentile(page_work, 0.95));
    std::printf(
        "map-bench: %d ticks of %.0f ms with a %d-record track, %d busy threads; %zu of the "
        "frames shown by a move\n",
        kTicks, kTickMs, kTrackRecords, load_threads, latencies.size());
    std::printf(
        "  position change -> marker move (steady): p50 %.1f ms, p95 %.1f ms = %.2f ticks (goal <= "
        "1)\n",
        Percentile(latencies, 0.5), p95, p95 / kTickMs);
    std::printf("  the first second after loading the track: p50 %.1f ms, max %.1f ms\n",
                Percentile(first_second, 0.5), Percentile(first_second, 1.0));
    std::printf("  bridge work per tick on the UI thread: p50 %.3f ms, p95 %.3f ms = %.3f ticks\n",
                Percentile(tick_work_ms, 0.5), Percentile(tick_work_ms, 0.95),
                Percentile(tick_work_ms, 0.95) / kTickMs);
    std::printf("  first show: engine made in %.0f ms, page ready after %.0f ms\n", engine_ms,
                first_show_ms);
    std::printf("  RSS map hidden: %ld MiB (with engine processes %ld MiB)\n", hidden_rss / 1024,
                hidden_tree / 1024);
    std::printf("  RSS map shown:  %ld MiB (with engine processes %ld MiB)\n", shown_rss / 1024,
                shown_tree / 1024);
    return 0;
}
