#include "map/player_track_source.h"

#include <mutex>

namespace ardelle::map {

bool PlayerTrackSource::CopyGroupTrack(std::vector<telemetry::GpsSample>& track) {
    if (first_.initialised == 0 || !first_.player_lock)
        return false;
    std::lock_guard lock(*first_.player_lock);
    track = group_track_;
    return !track.empty();
}

bool PlayerTrackSource::CopyRecordingTrack(std::vector<telemetry::GpsSample>& track) {
    if (!first_.player_lock || !second_.player_lock)
        return false;
    std::unique_lock first_lock(*first_.player_lock);
    std::unique_lock second_lock(*second_.player_lock);
    playback::PlayerContext& holder = first_.telemetry_loaded != 0 ? first_ : second_;
    bool copied = false;
    if (holder.initialised != 0 && holder.telemetry_reader) {
        std::lock_guard holder_lock(*holder.player_lock);
        track = holder.telemetry_reader->gps();
        copied = !track.empty();
    }
    first_lock.unlock();
    second_lock.unlock();
    return copied;
}

}  // namespace ardelle::map
