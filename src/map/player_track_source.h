#pragma once

#include <vector>

#include "map/map_bridge.h"
#include "playback/player_context.h"

namespace ardelle::map {

// The map's tracks read from the two players: the group track the main window collected
// (guarded by the first player's lock) and the GPS list of the player holding the
// recording's telemetry. Locks are taken first player first, as everywhere.
class PlayerTrackSource : public TrackSource {
  public:
    PlayerTrackSource(playback::PlayerContext& first, playback::PlayerContext& second,
                      const std::vector<telemetry::GpsSample>& group_track)
        : first_(first), second_(second), group_track_(group_track) {}

    bool CopyGroupTrack(std::vector<telemetry::GpsSample>& track) override;
    bool CopyRecordingTrack(std::vector<telemetry::GpsSample>& track) override;

  private:
    playback::PlayerContext& first_;
    playback::PlayerContext& second_;
    const std::vector<telemetry::GpsSample>& group_track_;
};

}  // namespace ardelle::map
