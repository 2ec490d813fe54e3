// Player operations that play, seek, place and capture the picture of an open file.
#include "playback/player_ops.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

#include "playback/jpeg_writer.h"
#include "playback/media_session.h"
#include "playback/speed_ladder.h"
#include "playback/video_placement.h"

namespace ardelle::playback {
namespace ops {
namespace {

using PlayerLock = std::unique_lock<std::recursive_mutex>;

PlayerLock LockPlayer(PlayerContext& player) {
    return player.player_lock ? PlayerLock(*player.player_lock) : PlayerLock();
}

// The session exists but has not shown its first picture yet.
bool Gated(const PlayerContext& player) {
    return player.backend != nullptr && !player.backend->HasDisplayService();
}

constexpr int kClockReads = 10;
constexpr auto kClockReadPause = std::chrono::milliseconds(10);

bool Accepted(SessionStatus status) {
    // Before the first picture there is nothing to place yet; the place is kept for later.
    return status == SessionStatus::kOk || status == SessionStatus::kNoService;
}

// Places the picture for mode with the player's zoom; the zoom rectangle is remembered.
bool PositionVideo(PlayerContext& player, DisplayMode mode) {
    if (player.video_window.frames == nullptr) {
        return false;
    }
    const VideoRect client = player.video_window.frames->ClientRect();
    const ZoomSpec zoom{player.zoom_x, player.zoom_y, player.zoom_offset_x, player.zoom_offset_y,
                        player.zoom_factor};
    const std::optional<VideoRect> zoomed = ZoomRectangle(client, zoom);
    if (!zoomed) {
        return false;
    }
    player.last_video_rect = *zoomed;
    std::optional<VideoRect> placed = zoomed;
    if (mode == DisplayMode::kKeepAspect) {
        int width = 0;
        int height = 0;
        if (player.backend != nullptr) {
            player.backend->NativeVideoSize(width, height);
        }
        placed = AspectFit(client, *zoomed, width, height);
    }
    if (!placed) {
        return false;
    }
    if (player.backend != nullptr) {
        if (!Accepted(player.backend->SetVideoRect(*placed))) {
            return false;
        }
        player.backend->SetAspectRatioMode(mode);
    }
    if (player.state != PlayerState::kClosed) {
        RepaintFrame(player);
    }
    return true;
}

// Runs an operation of a player that has a media session, under the player lock; 0 while
// the player refuses calls, cannot take its lock or has no session.
template <class Operation>
int WithSession(PlayerContext& player, Operation operation) {
    if (Gated(player)) {
        return 0;
    }
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock() || player.backend == nullptr) {
        return 0;
    }
    return operation();
}

}  // namespace

int Play(PlayerContext& player) {
    return WithSession(player, [&] {
        if (player.state != PlayerState::kPlaying) {
            if (player.backend->Play() != SessionStatus::kOk) {
                return 0;
            }
            player.state = PlayerState::kPlaying;
        }
        return 1;
    });
}

int SeekWhilePlaying(PlayerContext& player, std::int64_t frame) {
    return WithSession(player, [&] {
        if (player.state == PlayerState::kPlaying) {
            player.backend->StartAt(SeekTimeOfFrame(frame, player.frame_interval_ms));
        }
        return 1;
    });
}

int PlayFromFrame(PlayerContext& player, std::int64_t frame) {
    return WithSession(player, [&] {
        if (player.state != PlayerState::kPlaying) {
            player.state = PlayerState::kPlaying;
            player.backend->StartAt(SeekTimeOfFrame(frame, player.frame_interval_ms));
        }
        return 1;
    });
}

int Pause(PlayerContext& player) {
    return WithSession(player, [&] {
        if (player.state != PlayerState::kPaused) {
            if (player.backend->state() == SessionState::kStarted &&
                player.backend->Pause() != SessionStatus::kOk) {
                return 0;
            }
            player.state = PlayerState::kPaused;
        }
        return 1;
    });
}

int Stop(PlayerContext& player) {
    return WithSession(player, [&] {
        if (player.state != PlayerState::kStopped) {
            if (player.backend->Stop() != SessionStatus::kOk) {
                return 0;
            }
            player.state = PlayerState::kStopped;
        }
        return 1;
    });
}

int GetPositionFrames(PlayerContext& player) {
    if (Gated(player)) {
        return 0;
    }
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock()) {
        return 0;
    }
    int position = 0;
    for (int read = 0; player.backend != nullptr && read < kClockReads; ++read) {
        const std::optional<MediaTime> time = player.backend->ClockTime();
        if (!time) {
            break;  // no clock yet
        }
        if (*time < 0) {
            position = -1;
            break;
        }
        std::this_thread::sleep_for(kClockReadPause);
        if (*time != 0) {
            position = static_cast<int>(MediaTimeToFrames(*time, player.frame_interval_ms));
            break;
        }
    }
    player.last_position = position;
    return position;
}

int SeekFrame(PlayerContext& player, std::int64_t frame) {
    return WithSession(player, [&] {
        // A seek to the end or past it would find no frame to show, and the picture, the
        // position and a snapshot would wait for one in vain: the last frame stands in.
        const std::int64_t frames = GetDurationFrames(player);
        const std::int64_t shown =
            frames > 0 ? std::clamp<std::int64_t>(frame, 0, frames - 1) : frame;
        if (player.backend->Scrub(SeekTimeOfFrame(shown, player.frame_interval_ms)) !=
            SessionStatus::kOk) {
            return 0;
        }
        RepaintFrame(player);
        return 1;
    });
}

int SetSpeed(PlayerContext& player, SpeedCode code) {
    const SpeedChoice choice =
        ResolveSpeed(player.speed_code, code, player.can_play_backwards != 0);
    player.speed_code = choice.code;
    if (player.backend != nullptr) {
        player.backend->SetVolume(choice.code == kSpeedX1 ? player.volume : 0);
        player.backend->SetRateParameters(choice.rate, WantsThinning(choice.rate));
    }
    return 1;
}

int SetDisplayMode(PlayerContext& player, int mode) {
    PlayerLock lock = LockPlayer(player);
    const DisplayMode display = mode == 1 ? DisplayMode::kKeepAspect : DisplayMode::kStretch;
    if (Gated(player)) {
        // Before the first picture its size is unknown and nothing can be placed; the mode
        // is kept for the placing that follows it (the zoom, the window's own placing).
        player.display_mode = display;
        return 1;
    }
    if (!PositionVideo(player, display)) {
        return 0;
    }
    player.display_mode = display;
    return 1;
}

std::int64_t GetDurationFrames(PlayerContext& player) {
    PlayerLock lock = LockPlayer(player);
    if (player.backend == nullptr) {
        return 0;
    }
    return MediaTimeToFrames(player.backend->Duration(), player.frame_interval_ms);
}

float GetFrameInterval(PlayerContext& player) {
    return player.frame_interval_ms;
}

int GetVideoSize(PlayerContext& player, int& width, int& height) {
    return player.backend != nullptr && player.backend->NativeVideoSize(width, height) ? 1 : 0;
}

int SetVolume(PlayerContext& player, int volume) {
    player.volume = volume;
    if (player.backend != nullptr) {
        player.backend->SetVolume(player.speed_code == kSpeedX1 ? volume : 0);
    }
    return 1;
}

int SetZoom(PlayerContext& player, int zoom_x, int zoom_y, int zoom_offset_x, int zoom_offset_y,
            float zoom_factor, int fit) {
    (void)fit;  // only a windowless filter-graph renderer repaints on its own
    if (Gated(player)) {
        return 0;
    }
    PlayerLock lock = LockPlayer(player);
    if (!lock.owns_lock()) {
        return 0;
    }
    player.zoom_x = zoom_x;
    player.zoom_y = zoom_y;
    player.zoom_offset_x = zoom_offset_x;
    player.zoom_offset_y = zoom_offset_y;
    player.zoom_factor = zoom_factor;
    return PositionVideo(player, player.display_mode) ? 1 : 0;
}

int SaveSnapshot(PlayerContext& player, const std::string& path) {
    int width = 0;
    int height = 0;
    if (GetVideoSize(player, width, height) == 0) {
        return 0;
    }
    bool mirrored = false;
    const SharedFrame frame = player.backend->CurrentFrame(mirrored);
    if (frame == nullptr || frame->width != width || frame->height != height) {
        return 0;
    }
    return SaveJpeg(*frame, mirrored, path, kSnapshotJpegQuality) ? 1 : 0;
}

int RepaintFrame(PlayerContext& player) {
    if (player.backend != nullptr) {
        player.backend->Repaint();
    }
    return 1;
}

int ToggleMirror(PlayerContext& player) {
    return WithSession(player, [&] { return player.backend->ToggleMirror() ? 1 : 0; });
}

}  // namespace ops

const PlayerOps& MediaSessionOps() {
    static const PlayerOps table{
        ops::Init,
        ops::Uninit,
        ops::ProbeFile,
        ops::OpenFile,
        ops::CloseFile,
        ops::LoadTelemetry,
        ops::ReleaseTelemetry,
        ops::Play,
        ops::SeekWhilePlaying,
        ops::PlayFromFrame,
        ops::Pause,
        ops::Stop,
        ops::GetPositionFrames,
        ops::SeekFrame,
        ops::SeekFrame,
        ops::SetSpeed,
        ops::SetDisplayMode,
        ops::GetDurationFrames,
        ops::GetDurationFrames,
        ops::GetFrameInterval,
        ops::GetVideoSize,
        ops::SetVolume,
        ops::SetZoom,
        ops::SaveSnapshot,
        ops::RepaintFrame,
        ops::ToggleMirror,
    };
    return table;
}

bool SessionFailed(const PlayerContext& player) {
    return player.backend != nullptr && player.backend->HasFailed();
}

std::uint64_t PresentedFrames(const PlayerContext& player) {
    return player.backend != nullptr ? player.backend->presenter().presented_count() : 0;
}

}  // namespace ardelle::playback
