#include "sample_card/card_writer.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "sample_card/card_files.h"
#include "sample_card/gst_encoder.h"
#include "sample_card/mp4_times.h"
#include "sample_card/telemetry_block.h"

namespace ardelle::samplecard {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

fs::path TempPath(const fs::path& final_path, const char* suffix) {
    return final_path.parent_path() / ("." + final_path.filename().string() + suffix);
}

Bytes ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return bytes;
}

// Writes the parts to a temporary name beside path, then renames it into place.
void WriteAtomically(const fs::path& path, const std::vector<const Bytes*>& parts) {
    const fs::path temp = TempPath(path, ".part");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const Bytes* part : parts) {
            out.write(reinterpret_cast<const char*>(part->data()),
                      static_cast<std::streamsize>(part->size()));
        }
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temp, ignored);
            throw std::runtime_error("cannot write " + path.string());
        }
    }
    std::error_code error;
    fs::rename(temp, path, error);
    if (error) {
        fs::remove(temp, error);
        throw std::runtime_error("cannot rename into " + path.string());
    }
}

void WriteText(const fs::path& path, const std::string& text) {
    const Bytes bytes(text.begin(), text.end());
    WriteAtomically(path, {&bytes});
}

FrameSize SizeOf(const CardOptions& o, Camera camera) {
    return camera == Camera::kFront ? o.front : o.rear;
}

Bytes EncodeToMemory(const CardOptions& options, const Recording& r, Camera camera,
                     const fs::path& final_path) {
    const FrameSize size = SizeOf(options, camera);
    ClipSettings clip{camera,
                      size.width,
                      size.height,
                      r.Fps(camera),
                      r.FrameCount(camera),
                      r.seconds,
                      camera == Camera::kFront,
                      r.start};
    const fs::path temp = TempPath(final_path, ".encoding.mp4");
    try {
        EncodeClip(clip, temp.string());
        Bytes bytes = ReadAll(temp);
        fs::remove(temp);
        return bytes;
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
}

// Encoded clips shared by all recordings in fast mode, one per camera and length.
class ClipCache {
  public:
    const Bytes& Get(const CardOptions& options, const Recording& r, Camera camera,
                     const fs::path& final_path) {
        const auto key = std::make_pair(camera == Camera::kFront, r.seconds);
        std::unique_lock lock(mutex_);
        auto& slot = clips_[key];
        if (!slot.second) {
            slot.second = true;
            // Encoding runs under the lock: a second worker wanting the same clip waits.
            Recording neutral = r;
            neutral.start = CivilTime{2000, 1, 1, 0, 0, 0};
            slot.first = EncodeToMemory(options, neutral, camera, final_path);
        }
        return slot.first;
    }

  private:
    std::mutex mutex_;
    std::map<std::pair<bool, double>, std::pair<Bytes, bool>> clips_;
};

void WriteMovie(const CardOptions& options, const Recording& r, Camera camera, ClipCache& cache) {
    const fs::path path = fs::path(options.out) / r.RelativePath(camera);
    Bytes movie = options.fast ? cache.Get(options, r, camera, path)
                               : EncodeToMemory(options, r, camera, path);
    if (PatchMovieTimes(movie, ToMp4Seconds(r.start)) == 0) {
        throw std::runtime_error("no movie header found in the encoded " + path.string());
    }
    const Bytes block =
        camera == Camera::kFront ? BuildTelemetryBlock(r, options.plan.seed) : Bytes{};
    WriteAtomically(path, {&movie, &block});
}

void WriteStill(const CardOptions& options, const Still& s, Camera camera) {
    const FrameSize size = SizeOf(options, camera);
    const Bytes jpeg = EncodeJpeg(camera, size.width, size.height, s.time);
    const std::string trailer_text = StillTrailer(s);
    const Bytes trailer(trailer_text.begin(), trailer_text.end());
    WriteAtomically(fs::path(options.out) / s.Folder(camera) / s.FileName(camera),
                    {&jpeg, &trailer});
}

// Runs the jobs on a few threads; the first failure is rethrown after all have stopped.
void RunJobs(const std::vector<std::function<void()>>& jobs) {
    const unsigned workers = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr first_error;
    std::mutex error_mutex;
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < workers; ++w) {
        threads.emplace_back([&] {
            for (size_t i = next++; i < jobs.size() && !failed; i = next++) {
                try {
                    jobs[i]();
                } catch (...) {
                    std::lock_guard lock(error_mutex);
                    if (!first_error) {
                        first_error = std::current_exception();
                    }
                    failed = true;
                }
            }
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    if (first_error) {
        std::rethrow_exception(first_error);
    }
}

void WriteHiddenLists(const CardOptions& options, const CardPlan& plan) {
    for (const std::string& folder : plan.Folders()) {
        std::string text;
        for (const std::string& name : plan.HiddenNames(folder)) {
            text += name + "\n";
        }
        if (!text.empty()) {
            WriteText(fs::path(options.out) / folder / ".hidden", text);
        }
    }
}

}  // namespace

void WriteCard(const CardOptions& options) {
    const CardPlan plan = MakeCardPlan(options.plan);
    const fs::path root(options.out);
    std::error_code error;
    for (const std::string& folder : plan.Folders()) {
        fs::create_directories(root / folder, error);
        if (error) {
            throw std::runtime_error("cannot create " + (root / folder).string() + ": " +
                                     error.message());
        }
    }
    InitGStreamer();
    const Bytes dfc = BuildDfc(plan.dfc);
    WriteAtomically(root / "DRFormatConfig.dfc", {&dfc});
    WriteText(root / "pvtrace.txt", BuildVoltageTrace(plan));
    ClipCache cache;
    std::vector<std::function<void()>> jobs;
    for (const Recording& r : plan.recordings) {
        for (const Camera camera : {Camera::kFront, Camera::kRear}) {
            if (r.HasFile(camera)) {
                jobs.emplace_back([&, camera] { WriteMovie(options, r, camera, cache); });
            }
        }
    }
    for (const Still& s : plan.stills) {
        jobs.emplace_back([&] { WriteStill(options, s, Camera::kFront); });
        if (s.has_rear) {
            jobs.emplace_back([&] { WriteStill(options, s, Camera::kRear); });
        }
    }
    RunJobs(jobs);
    WriteHiddenLists(options, plan);
}

}  // namespace ardelle::samplecard
