#pragma once

#include <cstdint>
#include <string>

#include "playback/player_context.h"

namespace ardelle::playback {

// The operations of one player instance, in the order of the recorder's operation table;
// every one takes the instance first. "Gated" operations return 0 at once, without
// locking, while the session exists but has not yet shown its first picture; "locked" ones
// hold the player lock throughout. Failure is 0.
struct PlayerOps {
    int (*Init)(PlayerContext& player, const VideoWindow& video_window);
    int (*Uninit)(PlayerContext& player);
    int (*ProbeFile)(PlayerContext& player, const std::string& path);  // locked
    // 0 failed, 1 opened, 2 too short to play (2.0 s or less); locked.
    int (*OpenFile)(PlayerContext& player, const std::string& path);
    int (*CloseFile)(PlayerContext& player);                               // locked
    int (*LoadTelemetry)(PlayerContext& player, const std::string& path);  // locked
    int (*ReleaseTelemetry)(PlayerContext& player);                        // locked
    int (*Play)(PlayerContext& player);                                    // gated, locked
    int (*SeekWhilePlaying)(PlayerContext& player, std::int64_t frame);    // gated, locked
    int (*PlayFromFrame)(PlayerContext& player, std::int64_t frame);       // gated, locked
    int (*Pause)(PlayerContext& player);                                   // gated, locked
    int (*Stop)(PlayerContext& player);                                    // gated, locked
    // The frame number playing, -1 when the clock cannot be read; gated, locked.
    int (*GetPositionFrames)(PlayerContext& player);
    // Shows exactly that frame and stands still there; gated, locked.
    int (*SeekFrame)(PlayerContext& player, std::int64_t frame);
    int (*SeekFrame2)(PlayerContext& player, std::int64_t frame);  // the same again
    int (*SetSpeed)(PlayerContext& player, SpeedCode code);
    int (*SetDisplayMode)(PlayerContext& player, int mode);
    std::int64_t (*GetDurationFrames)(PlayerContext& player);   // locked
    std::int64_t (*GetDurationFrames2)(PlayerContext& player);  // the same again
    float (*GetFrameInterval)(PlayerContext& player);
    int (*GetVideoSize)(PlayerContext& player, int& width, int& height);
    int (*SetVolume)(PlayerContext& player, int volume);
    int (*SetZoom)(PlayerContext& player, int zoom_x, int zoom_y, int zoom_offset_x,
                   int zoom_offset_y, float zoom_factor, int fit);  // gated, locked
    int (*SaveSnapshot)(PlayerContext& player, const std::string& path);
    int (*RepaintFrame)(PlayerContext& player);
    // The new mirror flag (1 mirrored); gated, locked.
    int (*ToggleMirror)(PlayerContext& player);
};

// The table of the GStreamer media-session back-end; both instances use it.
const PlayerOps& MediaSessionOps();

// The session gave up on its file (it could not be prerolled, not even without sound), so
// no kPlayerReady will come; callers waiting for it can stop early.
bool SessionFailed(const PlayerContext& player);

// The presenter's count of frames handed to the frame target of the open file.
std::uint64_t PresentedFrames(const PlayerContext& player);

namespace ops {
// Stops a read-ahead of the spare reader that is still running and waits for it to end.
void CancelReadAhead(PlayerContext& player);

int Init(PlayerContext& player, const VideoWindow& video_window);
int Uninit(PlayerContext& player);
int ProbeFile(PlayerContext& player, const std::string& path);
int OpenFile(PlayerContext& player, const std::string& path);
int CloseFile(PlayerContext& player);
int LoadTelemetry(PlayerContext& player, const std::string& path);
int ReleaseTelemetry(PlayerContext& player);
int Play(PlayerContext& player);
int SeekWhilePlaying(PlayerContext& player, std::int64_t frame);
int PlayFromFrame(PlayerContext& player, std::int64_t frame);
int Pause(PlayerContext& player);
int Stop(PlayerContext& player);
int GetPositionFrames(PlayerContext& player);
int SeekFrame(PlayerContext& player, std::int64_t frame);
int SetSpeed(PlayerContext& player, SpeedCode code);
int SetDisplayMode(PlayerContext& player, int mode);
std::int64_t GetDurationFrames(PlayerContext& player);
float GetFrameInterval(PlayerContext& player);
int GetVideoSize(PlayerContext& player, int& width, int& height);
int SetVolume(PlayerContext& player, int volume);
int SetZoom(PlayerContext& player, int zoom_x, int zoom_y, int zoom_offset_x, int zoom_offset_y,
            float zoom_factor, int fit);
int SaveSnapshot(PlayerContext& player, const std::string& path);
int RepaintFrame(PlayerContext& player);
int ToggleMirror(PlayerContext& player);
}  // namespace ops

}  // namespace ardelle::playback
