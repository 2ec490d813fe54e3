#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace ardelle::bench {

// Prints the usual console table, then each named ratio of two benchmarks measured in
// the same run (time of the first / time of the second).
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Ratio {
        std::string label, numerator, denominator;
        double goal = 0;  // 0: no goal, else the ratio should stay at or below it
    };
    explicit RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // A run that failed has no time; a ratio over it would read as a goal met.
            if (!run.error_occurred) {
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const Ratio& ratio : ratios_) {
            const auto a = times_.find(ratio.numerator);
            const auto b = times_.find(ratio.denominator);
            if (a == times_.end() || b == times_.end() || b->second <= 0) {
                continue;
            }
            PrintRatio(ratio.label, a->second / b->second, ratio.goal);
        }
    }

  protected:
    // One line of the ratio table; goal 0 prints no verdict.
    static void PrintRatio(const std::string& label, double value, double goal) {
        std::printf("ratio %-50s %8.2f", label.c_str(), value);
        if (goal > 0) {
            std::printf("  (goal <= %.1f: %s)", goal, value <= goal ? "met" : "NOT met");
        }
        std::printf("\n");
    }

  private:
    std::vector<Ratio> ratios_;
    std::map<std::string, double> times_;
};

}  // namespace ardelle::bench
