// Joining ten one-minute 1080p recordings, against cat of the same files and against
// ffmpeg's concat demuxer with stream copy, measured in the same run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ratio_reporter.h"

namespace {

namespace fs = std::filesystem;

// Ten recordings per camera, made once per run (encoding takes a while) and removed at exit.
class BenchRecordings {
  public:
    BenchRecordings() {
        std::string pattern = (fs::temp_directory_path() / "ardelle-join-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        const std::string command = std::string(ARDELLE_SAMPLE_CARD) + " '" + root_ +
                                    "/card' --count 10 --fast --seconds 60 --front 1920x1080 "
                                    "--rear 1280x720 > /dev/null";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "join-bench: could not make the recordings\n");
            std::exit(1);
        }
        for (const char* camera : {"Front", "Rear"}) {
            std::vector<std::string>& files = camera[0] == 'F' ? fronts_ : rears_;
            for (const auto& entry : fs::directory_iterator(root_ + "/card/Normal/" + camera)) {
                if (entry.path().extension() == ".MP4") {
                    files.push_back(entry.path().string());
                }
            }
            std::sort(files.begin(), files.end());
            files.resize(std::min<std::size_t>(files.size(), 10));
        }
        fs::create_directories(root_ + "/out");
        WriteConcatList("front.txt", fronts_);
        WriteConcatList("rear.txt", rears_);
    }
    ~BenchRecordings() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const std::string& root() const { return root_; }
    const std::vector<std::string>& fronts() const { return fronts_; }
    const std::vector<std::string>& rears() const { return rears_; }
    std::string Quoted(const std::vector<std::string>& files) const {
        std::string text;
        for (const std::string& file : files) {
            text += " '" + file + "'";
        }
        return text;
    }
    std::uint64_t bytes() const {
        std::uint64_t total = 0;
        for (const auto* files : {&fronts_, &rears_}) {
            for (const std::string& file : *files) {
                total += fs::file_size(file);
            }
        }
        return total;
    }

  private:
    void WriteConcatList(const std::string& name, const std::vector<std::string>& files) const {
        std::ofstream list(root_ + "/" + name);
        for (const std::string& file : files) {
            list << "file '" << file << "'\n";
        }
    }
    std::string root_;
    std::vector<std::string> fronts_;
    std::vector<std::string> rears_;
};

const BenchRecordings& Recordings() {
    static const BenchRecordings recordings;
    return recordings;
}

void RunShell(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Recordings().bytes()));
}

std::string JoinCommand() {
    const auto& r = Recordings();
    return std::string(ARDELLE_CLI) + " join --overwrite --out '" + r.root() + "/out'" +
           r.Quoted(r.fronts()) + " > /dev/null 2>&1";
}

void BM_Cat(benchmark::State& state) {
    const auto& r = Recordings();
    RunShell(state, "cat" + r.Quoted(r.fronts()) + " > '" + r.root() + "/out/cat-front' && cat" +
                        r.Quoted(r.rears()) + " > '" + r.root() + "/out/cat-rear'");
}
// cat with the durability the join gives its outputs: flushed to disk before it ends.
void BM_CatSynced(benchmark::State& state) {
    const auto& r = Recordings();
    const std::string front = r.root() + "/out/cat-front";
    const std::string rear = r.root() + "/out/cat-rear";
    RunShell(state, "cat" + r.Quoted(r.fronts()) + " > '" + front + "' && cat" +
                        r.Quoted(r.rears()) + " > '" + rear + "' && sync '" + front + "' '" + rear +
                        "'");
}
void BM_Join(benchmark::State& state) {
    RunShell(state, JoinCommand());
}
void BM_FfmpegConcat(benchmark::State& state) {
    const auto& r = Recordings();
    const std::string concat = "ffmpeg -v error -y -f concat -safe 0 -i '" + r.root();
    RunShell(state, concat + "/front.txt' -c copy '" + r.root() + "/out/ff-front.mp4' && " +
                        concat + "/rear.txt' -c copy '" + r.root() + "/out/ff-rear.mp4'");
}
BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_CatSynced)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Join)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FfmpegConcat)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The peak resident memory of one join, from the kernel's account of the child.
long JoinPeakRssKib() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", JoinCommand().c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("join-bench: %zu + %zu recordings, %.1f MB\n", Recordings().fronts().size(),
                Recordings().rears().size(), static_cast<double>(Recordings().bytes()) / 1e6);
    ardelle::bench::RatioReporter reporter({
        {"join / cat of the same files (throughput >= 0.8x cat)", "BM_Join/min_time:2.000",
         "BM_Cat/min_time:2.000", 1.25},
        {"join / cat + fsync of the outputs (the same durability)", "BM_Join/min_time:2.000",
         "BM_CatSynced/min_time:2.000", 1.25},
        {"join / ffmpeg concat -c copy (>= 4x faster)", "BM_Join/min_time:2.000",
         "BM_FfmpegConcat/min_time:2.000", 0.25},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("join peak RSS: %.1f MiB (goal: 64 MiB plus the sample tables)\n",
                static_cast<double>(JoinPeakRssKib()) / 1024.0);
    benchmark::Shutdown();
    return 0;
}
