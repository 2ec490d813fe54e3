// Player operations that open and close files and their telemetry.
#include <mutex>

#include "fileops/repaired_folder.h"
#include "platform/files.h"
#include "playback/decoder_threads.h"
#include "playback/media_detector.h"
#include "playback/media_session.h"
#include "playback/player_ops.h"
#include "telemetry/box_walks.h"

namespace ardelle::playback::ops {
namespace {

using PlayerLock = std::unique_lock<std::recursive_mutex>;

PlayerLock LockPlayer(PlayerContext& player) {
    return player.player_lock ? PlayerLock(*player.player_lock) : PlayerLock();
}

// Recordings of this length or shorter are refused.
constexpr float kShortestPlayableSeconds = 2.0f;

// What the movie's own boxes (or the media detector) say before playback.
struct MovieProbe {
    int result = 0;  // 0 unknown, 1 playable, 2 too short
    float frame_interval_ms = 0.0f;
    MediaTime duration = 0;
    std::uint64_t file_size = 0;
};

MovieProbe ProbeMovieBoxes(PlayerContext& player, const std::string& path) {
    PlayerLock inner = LockPlayer(player);
    telemetry::TelemetryFile& probe = *player.probe_reader;
    MovieProbe movie;
    movie.file_size = platform::FileSizeOf(path).value_or(0);
    if (const auto timing = telemetry::ReadMovieTiming(probe, path)) {
        movie.frame_interval_ms = timing->frame_duration_ms;
        movie.duration = static_cast<MediaTime>(static_cast<double>(timing->seconds) * 1e7);
        movie.result = timing->seconds <= kShortestPlayableSeconds ? 2 : 1;
    }
    probe.CloseMapping();
    probe.Clear();
    return movie;
}

void AskMediaDetector(const std::string& path, MovieProbe& movie) {
    const std::optional<DetectedVideo> video = DetectVideoStream(path);
    // A frame rate beyond what any video has comes from a corrupt file and would make
    // frame numbers overflow.
    if (video && video->frames_per_second > 0 &&
        1000.0 / video->frames_per_second >= double{telemetry::kShortestFrameIntervalMs}) {
        movie.frame_interval_ms = static_cast<float>(1000.0 / video->frames_per_second);
        movie.duration = video->duration;
        movie.result = 1;
    }
}

// The average size of a coded frame: the file's bytes over its frames (sound and telemetry
// are a small share of a recording); 0 when the probe could not tell.
double CodedBytesPerFrame(const MovieProbe& movie) {
    const std::int64_t frames = MediaTimeToFrames(movie.duration, movie.frame_interval_ms);
    return frames >= 1 ? static_cast<double>(movie.file_size) / static_cast<double>(frames) : 0.0;
}

bool StartSession(PlayerContext& player, const std::string& path, const MovieProbe& movie) {
    player.telemetry_reader->set_frame_duration_ms(player.frame_interval_ms);
    player.backend = std::make_unique<CPlayer>(player.video_window, player.saved_display);
    player.backend->SetDecoderThreads(DecoderThreadsFor(CodedBytesPerFrame(movie)));
    if (!player.backend->valid() ||
        player.backend->OpenFile(path, movie.duration) != SessionStatus::kOk) {
        return false;
    }
    player.backend->SetRateParameters(1.0f, false);
    player.can_play_backwards = 0;  // GStreamer is not asked to play backwards
    const std::int64_t frames = GetDurationFrames(player);
    if (frames <= 0) {
        return false;
    }
    player.bitrate = static_cast<float>(
        static_cast<double>(movie.file_size) * 8.0 * 1000.0 /
        (static_cast<double>(player.frame_interval_ms) * static_cast<double>(frames)));
    player.state = PlayerState::kStopped;
    return true;
}

}  // namespace

void CancelReadAhead(PlayerContext& player) {
    if (player.spare_reader == nullptr || player.prefetch_lock == nullptr) {
        return;
    }
    player.spare_reader->cancel_flag() = true;
    { std::lock_guard wait_for_reader(*player.prefetch_lock); }
    player.spare_reader->cancel_flag() = false;
}

int Init(PlayerContext& player, const VideoWindow& video_window) {
    Uninit(player);
    player.player_lock = std::make_unique<std::recursive_mutex>();
    player.prefetch_lock = std::make_unique<std::mutex>();
    player.video_window = video_window;
    player.speed_code = kSpeedX1;
    player.display_mode = DisplayMode::kKeepAspect;
    player.zoom_offset_x = 0;
    player.zoom_offset_y = 0;
    player.zoom_factor = 1.0f;
    player.state = PlayerState::kClosed;
    player.last_position = 0;
    player.probe_reader = std::make_unique<telemetry::TelemetryFile>();
    player.telemetry_reader = std::make_unique<telemetry::TelemetryFile>();
    player.spare_reader = std::make_unique<telemetry::TelemetryFile>();
    return 1;
}

int Uninit(PlayerContext& player) {
    CancelReadAhead(player);
    if (player.player_lock == nullptr || player.prefetch_lock == nullptr) {
        return 1;
    }
    CloseFile(player);  // a session must not outlive the readers and locks
    {
        std::lock_guard prefetch(*player.prefetch_lock);
        std::lock_guard lock(*player.player_lock);
        player.state = PlayerState::kClosed;
    }
    player.player_lock.reset();
    player.prefetch_lock.reset();
    player.probe_reader.reset();
    player.telemetry_reader.reset();
    player.spare_reader.reset();
    player.initialised = 0;
    return 1;
}

int ProbeFile(PlayerContext& player, const std::string& path) {
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock()) {
        return 0;
    }
    telemetry::TelemetryFile& probe = *player.probe_reader;
    const bool mapped = probe.OpenMapping(path) && probe.mapping().size() != 0;
    probe.CloseMapping();
    return mapped ? 1 : 0;
}

int OpenFile(PlayerContext& player, const std::string& path) {
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock()) {
        return 0;
    }
    if (player.backend != nullptr) {
        CloseFile(player);  // a new file always replaces the last one, keeping its mirror flags
    }
    if (ProbeFile(player, path) == 0) {
        return 0;
    }
    fileops::PrepareForPlayback(path);
    MovieProbe movie = ProbeMovieBoxes(player, path);
    if (movie.result == 0) {
        AskMediaDetector(path, movie);
    }
    if (movie.result != 0) {
        player.frame_interval_ms = movie.frame_interval_ms;
    }
    if (movie.result != 1) {
        return movie.result;
    }
    if (!StartSession(player, path, movie)) {
        player.backend.reset();
        player.state = PlayerState::kClosed;
        return 0;
    }
    return 1;
}

int CloseFile(PlayerContext& player) {
    PlayerLock lock = LockPlayer(player);
    if (player.backend != nullptr) {
        player.saved_display = player.backend->display_flags();
        player.backend->Shutdown();
        player.backend.reset();
    }
    player.state = PlayerState::kClosed;
    return 1;
}

int LoadTelemetry(PlayerContext& player, const std::string& path) {
    if (player.prefetch_lock == nullptr || player.player_lock == nullptr) {
        return 0;
    }
    std::lock_guard prefetch(*player.prefetch_lock);
    PlayerLock lock = LockPlayer(player);
    telemetry::TelemetryFile& spare = *player.spare_reader;
    telemetry::TelemetryFile& active = *player.telemetry_reader;
    bool have = false;
    if (spare.loaded() && spare.path() == path) {
        active.MoveFrom(spare);
        have = active.loaded();
    } else {
        spare.Clear();
        have = active.Open(path);
    }
    return have && active.BindToFrames(GetDurationFrames(player)) ? 1 : 0;
}

int ReleaseTelemetry(PlayerContext& player) {
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock()) {
        return 1;
    }
    player.probe_reader->CloseMapping();
    player.probe_reader->Clear();
    player.telemetry_reader->Clear();
    return 1;
}

}  // namespace ardelle::playback::ops
