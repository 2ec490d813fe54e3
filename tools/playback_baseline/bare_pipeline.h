#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace ardelle::baseline {

// The least GStreamer needs to show one frame of a recording: filesrc, qtdemux, h264parse,
// avdec_h264, videoconvert to BGRx and an appsink, paused. The benchmarks measure the
// player's seeks against the same accurate seeks here.
class BarePipeline {
  public:
    explicit BarePipeline(const std::string& path);
    ~BarePipeline();
    BarePipeline(const BarePipeline&) = delete;
    BarePipeline& operator=(const BarePipeline&) = delete;

    // False when the pipeline could not be built or did not preroll.
    bool ok() const { return ok_; }

    // A flushing, accurate seek to time_ns; waits for the prerolled frame and returns its
    // position in nanoseconds, or -1 when none came.
    std::int64_t SeekAndWait(std::int64_t time_ns);

  private:
    struct Elements;
    std::unique_ptr<Elements> elements_;
    bool ok_ = false;
};

}  // namespace ardelle::baseline
