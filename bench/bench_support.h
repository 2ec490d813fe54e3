#pragma once

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace ardelle::bench {

// A scratch folder with a generated card in card(), made once and removed at exit.
class GeneratedCard {
  public:
    GeneratedCard(const std::string& tool, const std::string& card_arguments) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ardelle-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        std::filesystem::create_directory(out());
        const std::string command = tool + " '" + card() + "' " + card_arguments + " > /dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "bench: could not make the card (%s)\n", command.c_str());
            std::exit(1);
        }
    }
    ~GeneratedCard() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    GeneratedCard(const GeneratedCard&) = delete;
    GeneratedCard& operator=(const GeneratedCard&) = delete;

    const std::string& root() const { return root_; }
    std::string card() const { return root_ + "/card"; }
    std::string out() const { return root_ + "/out"; }

  private:
    std::string root_;
};

// Runs a command line per iteration and reads all its output, as a caller of the tool would.
inline void RunAndDrain(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[65536];
        std::size_t total = 0;
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
            total += got;
        }
        if (::pclose(pipe) != 0 || total == 0) {
            state.SkipWithError("the command failed");
            return;
        }
        benchmark::DoNotOptimize(total);
    }
}

// User and system CPU seconds this process used so far.
inline double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace ardelle::bench
