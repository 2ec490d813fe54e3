// The list window on a 2000-recording card: from the source chosen to the list painted,
// against the command-line collection of the same card; and paging through 2000 rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "bench_support.h"
#include "browser/filer_container_dlg.h"
#include "ratio_reporter.h"

namespace {

using ardelle::bench::RunAndDrain;
using ardelle::browser::CFilerContainerDlg;

const ardelle::bench::GeneratedCard& Card() {
    static const ardelle::bench::GeneratedCard card(
        ARDELLE_SAMPLE_CARD, "--count 2000 --fast --seconds 1 --front 320x180 --rear 160x90");
    return card;
}

QApplication& Application() {
    static int argc = 1;
    static char name[] = "browser-bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

void BM_CollectCli(benchmark::State& state) {
    RunAndDrain(state, std::string(ARDELLE_CLI) + " list '" + Card().card() + "' --collect");
}

// The source chosen: the card scanned, the preferred group loaded, the window painted.
void BM_OpenCardAndPaint(benchmark::State& state) {
    Application();
    CFilerContainerDlg window(false);
    window.resize(340, 700);
    window.show();
    for (auto _ : state) {
        if (!window.OpenSource(Card().card(), ardelle::catalogue::SourceKind::kCard)) {
            state.SkipWithError("the card did not open");
            return;
        }
        window.repaint();
        window.tree()->viewport()->repaint();
        window.list()->viewport()->repaint();
        benchmark::DoNotOptimize(window.list()->RowCount());
    }
    state.counters["rows"] = window.list()->RowCount();
}

// Every recording of the card in the list, paged through to the end; each page's paint
// timed on its own (p95 against one 60 Hz frame, 16.7 ms).
void BM_PageDownWholeList(benchmark::State& state) {
    Application();
    CFilerContainerDlg window(false);
    window.resize(340, 700);
    window.show();
    window.OpenSource(Card().card(), ardelle::catalogue::SourceKind::kCard);
    const auto all = window.CollectSourceRecords();
    window.list()->model_rows().Refill(all, ardelle::catalogue::kAllTriggersOn);
    std::vector<double> pages;
    for (auto _ : state) {
        window.list()->scrollToTop();
        window.list()->setCurrentIndex(window.list()->model_rows().index(0));
        QScrollBar* bar = window.list()->verticalScrollBar();
        while (bar->value() < bar->maximum()) {
            QKeyEvent page(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            const auto start = std::chrono::steady_clock::now();
            QApplication::sendEvent(window.list(), &page);
            window.list()->viewport()->repaint();
            pages.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(pages.begin(), pages.end());
    if (!pages.empty()) {
        state.counters["pages"] = static_cast<double>(pages.size());
        state.counters["p95_ms"] = pages[pages.size() * 95 / 100];
        state.counters["max_ms"] = pages.back();
        state.counters["p95_per_frame"] = pages[pages.size() * 95 / 100] / (1000.0 / 60.0);
    }
    state.counters["rows"] = static_cast<double>(all.size());
}

BENCHMARK(BM_CollectCli)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCardAndPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDownWholeList)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Card();  // made before timing; its first walk also warms the page cache
    ardelle::bench::RatioReporter reporter({
        {"source chosen -> list painted / cli list --collect", "BM_OpenCardAndPaint",
         "BM_CollectCli", 1.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
