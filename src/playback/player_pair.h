#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "playback/player_ops.h"

namespace ardelle::playback {

// The pair facade: applies player operations to the front, the rear or both players. For
// both, player 0 runs first and an uninitialised player is skipped; queries for both read
// the reference player. Frame numbers the caller passes are front-file frames and are
// converted for the rear player.
class PlayerPair {
  public:
    PlayerPair(PlayerContext& front, PlayerContext& rear, const PlayerOps& front_ops,
               const PlayerOps& rear_ops);

    // Init of both players as the main window runs it at start-up.
    int Init(const VideoWindow& front_window, const VideoWindow& rear_window);
    int Uninit();

    // Bit 0: a player opened; bit 1: a player's recording is too short. An empty path fails.
    int Open(const std::string& front_path, const std::string& rear_path);
    int Close();
    // The first opened player (front first) whose telemetry loads becomes the reference.
    int LoadTelemetry(const std::string& front_path, const std::string& rear_path);
    int ReleaseTelemetry();
    // Reads the recording's telemetry into the spare reader of the front player (the rear
    // one when there is no front path); meant for a worker thread.
    void PrefetchTelemetry(const std::string& front_path, const std::string& rear_path);

    int Play(PlayerTarget target);
    int Pause(PlayerTarget target);
    int Stop(PlayerTarget target);
    int SeekFrame(PlayerTarget target, std::int64_t frame);
    int SeekWhilePlaying(PlayerTarget target, std::int64_t frame);
    int PlayFromFrame(PlayerTarget target, std::int64_t frame);
    int SetSpeed(SpeedCode code);  // always both players
    SpeedCode NextSpeedCode(int player, bool faster);
    int SetVolume(PlayerTarget target, int volume);
    int SetDisplayMode(PlayerTarget target, int mode);
    int SetZoom(const std::array<ZoomSpec, 2>& zoom_specs, int fit);
    int RepaintFrame(PlayerTarget target);
    int ToggleMirror(PlayerTarget target);
    int SaveSnapshot(PlayerTarget target, const std::string& path);

    int GetPositionFrames(PlayerTarget target);
    std::int64_t GetDurationFrames(PlayerTarget target);
    float GetFrameInterval(PlayerTarget target);
    int GetVideoSize(PlayerTarget target, int& width, int& height);
    SpeedCode GetSpeedCode(PlayerTarget target);
    PlayerState GetState(PlayerTarget target);

    // Player 0 when its file supplied the telemetry, else player 1.
    int ReferencePlayer() const;

    // A speed step while playing, as the main window takes it: both players get the next
    // code and restart together where the addressed one stands. The new code.
    SpeedCode ChangeSpeedWhilePlaying(PlayerTarget addressed, bool faster);
    // A seek from the slider, the graph or the map; the frame the views show.
    std::int64_t SeekTo(PlayerTarget addressed, std::int64_t requested, std::int64_t slider_min,
                        std::int64_t slider_max);

    PlayerContext& player(int index) { return *players_[static_cast<std::size_t>(index)]; }

  private:
    const PlayerOps& ops(int index) const { return *ops_[static_cast<std::size_t>(index)]; }
    int Addressed(PlayerTarget target) const;
    // Frame numbers are converted between the files only while both are open.
    bool ConvertsFrames() const;
    std::int64_t RearFrame(std::int64_t front_frame) const;
    std::int64_t FrontFrame(std::int64_t rear_frame) const;
    template <class Call>
    int Apply(PlayerTarget target, const Call& call);

    std::array<PlayerContext*, 2> players_;
    std::array<const PlayerOps*, 2> ops_;
};

}  // namespace ardelle::playback
