#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "playback/custom_presenter.h"
#include "playback/frame_target.h"
#include "playback/player_types.h"

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace ardelle::playback {

// States of a media session.
enum class SessionState : int {
    kClosed = 0,
    kReady = 1,        // pipeline made, no file yet
    kOpenPending = 2,  // file handed to the pipeline, not yet prerolled
    kStarted = 3,
    kPaused = 4,
    kStopped = 5,
    kClosing = 6,
};

// What a session call reports.
enum class SessionStatus {
    kOk,
    kInvalidRequest,  // the call is not allowed in the current state
    kUnexpected,      // no pipeline
    kNoService,       // the file is not ready (no video yet) or has no audio
    kFailed,          // GStreamer refused
};

// Plays one file through a GStreamer pipeline: the presenter's sink for video, the system audio
// sink behind a volume element for sound. A bus thread of its own turns the first preroll into
// kPlayerReady and the end of the stream into kPlayerEnded (after 200 ms); it only posts.
class CPlayer {
  public:
    CPlayer(const VideoWindow& window, const SavedDisplayFlags& saved);
    ~CPlayer();
    CPlayer(const CPlayer&) = delete;
    CPlayer& operator=(const CPlayer&) = delete;

    // False when GStreamer or the presenter cannot start; the object is then unusable.
    bool valid() const { return presenter_ != nullptr && presenter_->sink() != nullptr; }

    // Hands path to a new pipeline; the file is playable only after kPlayerReady. duration
    // is what the container says, used until the pipeline knows better.
    SessionStatus OpenFile(const std::string& path, MediaTime duration);
    SessionStatus Play();
    SessionStatus StartAt(MediaTime time);
    // Shows the frame at time and stands still there.
    SessionStatus Scrub(MediaTime time);
    SessionStatus Pause();
    // Back to the first frame, standing still; also after the end of the file.
    SessionStatus Stop();
    SessionStatus Shutdown();

    SessionStatus SetVideoRect(const VideoRect& destination);
    SessionStatus SetAspectRatioMode(DisplayMode mode);
    SessionStatus Repaint();
    SessionStatus SetVolume(int volume);
    // Stored for the next Play, StartAt or Scrub.
    void SetRateParameters(float rate, bool thin);
    // The video decoder's threads for the next OpenFile (see DecoderThreadsFor).
    void SetDecoderThreads(int threads);

    // The playing position; nothing while there is no clock (not yet ready), -1 when the
    // pipeline cannot say.
    std::optional<MediaTime> ClockTime();
    MediaTime Duration() const { return duration_.load(); }
    bool NativeVideoSize(int& width, int& height);
    // The frame shown and its mirror flag (see CustomPresenter::CurrentFrame).
    SharedFrame CurrentFrame(bool& mirrored);
    // The new mirror flag.
    bool ToggleMirror();
    SavedDisplayFlags display_flags() const;

    // The video display service exists: the file prerolled with a picture.
    bool HasDisplayService() const { return ready_.load(); }
    // The file could not be prerolled, not even without audio; no kPlayerReady will come.
    bool HasFailed() const { return failed_.load(); }
    SessionState state() const { return state_.load(); }
    bool audio_disabled() const { return audio_disabled_.load(); }
    float rate() const;
    const CustomPresenter& presenter() const { return *presenter_; }

  private:
    bool BuildPipeline(const std::string& uri);
    void WatchBus();
    void HandleMessage(GstMessage* message);
    void OnError();
    void OnPrerolled();
    void OnPresentationEnded();
    static void OnElementSetup(GstElement* pipeline, GstElement* element, void* player);
    void RetryWithoutAudio();
    void StopBusThread();
    // A flushing, accurate seek; single_frame arms the presenter for that seek's frame.
    bool SeekLocked(MediaTime time, double rate, bool thin, bool single_frame);
    bool ApplyRateLocked();
    void Post(AppMessage id);

    VideoWindow window_;
    std::unique_ptr<CustomPresenter> presenter_;
    mutable std::mutex session_lock_;  // guards the pipeline, the volume element and the rate below
    GstElement* pipeline_ = nullptr;
    GstElement* volume_ = nullptr;
    float rate_ = 1.0f;
    bool thin_ = false;
    double applied_rate_ = 1.0;
    bool applied_thin_ = false;
    MediaTime last_seek_time_ = 0;
    bool played_since_seek_ = false;
    std::atomic<std::uint32_t> last_seek_seqnum_{0};
    int volume_level_ = 0;
    std::atomic<SessionState> state_{SessionState::kClosed};
    std::atomic<bool> ready_{false};
    std::atomic<bool> failed_{false};
    std::atomic<bool> audio_disabled_{false};
    std::atomic<MediaTime> duration_{0};
    std::atomic<int> decoder_threads_{0};  // read by the streaming thread that sets up the decoder

    std::thread bus_thread_;
    std::mutex bus_mutex_;  // guards stop_bus_ for the wait after the end of the stream
    std::condition_variable bus_wake_;
    bool stop_bus_ = false;
};

// Tests only: the next session's sound output refuses its first preroll, so that the retry
// without the audio stream runs.
void FailNextAudioPrerollForTesting();

}  // namespace ardelle::playback
