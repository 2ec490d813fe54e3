#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "playback/frame_target.h"
#include "playback/player_types.h"
#include "telemetry/telemetry_file.h"

namespace ardelle::playback {

class CPlayer;

// One player instance: its file's media session, its telemetry readers, its locks and its
// display parameters. The main window keeps two for the life of the program (0 front,
// 1 rear) and works on them only through their PlayerOps and the PlayerPair.
struct PlayerContext {
    PlayerContext();
    ~PlayerContext();
    PlayerContext(const PlayerContext&) = delete;
    PlayerContext& operator=(const PlayerContext&) = delete;

    int volume = 0;  // 0..65535, last given to SetVolume
    VideoWindow video_window;
    float frame_interval_ms = 0.0f;  // 0 until a file is open
    int can_play_backwards = 0;
    SpeedCode speed_code = kSpeedX1;
    DisplayMode display_mode = DisplayMode::kKeepAspect;
    int zoom_x = 0;
    int zoom_y = 0;
    float zoom_factor = 1.0f;
    VideoRect last_video_rect;
    int zoom_offset_x = 0;
    int zoom_offset_y = 0;
    float bitrate = 0.0f;  // bit/s of the open file
    PlayerState state = PlayerState::kClosed;
    std::int64_t last_position = 0;
    int initialised = 0;
    int telemetry_loaded = 0;
    int opened = 0;

    // Made by Init, destroyed by Uninit. The player lock guards the instance, its session and
    // its probe and telemetry readers, and is taken again by operations it calls; the
    // prefetch lock guards the spare reader and is always taken first.
    std::unique_ptr<std::recursive_mutex> player_lock;
    std::unique_ptr<std::mutex> prefetch_lock;
    std::unique_ptr<telemetry::TelemetryFile> probe_reader;
    std::unique_ptr<telemetry::TelemetryFile> telemetry_reader;
    std::unique_ptr<telemetry::TelemetryFile> spare_reader;

    std::unique_ptr<CPlayer> backend;
    SavedDisplayFlags saved_display;  // the mirror flags carried from one file to the next
    int player_index = 0;
};

}  // namespace ardelle::playback
