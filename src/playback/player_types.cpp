#include "playback/player_types.h"

namespace ardelle::playback {

MediaTime FramesToMediaTime(std::int64_t frame, float frame_interval_ms) {
    return static_cast<MediaTime>(static_cast<float>(frame) * frame_interval_ms *
                                  static_cast<float>(kMediaTimePerMs));
}

std::int64_t MediaTimeToFrames(MediaTime time, float frame_interval_ms) {
    if (!(frame_interval_ms > 0.0f)) {
        return 0;
    }
    return static_cast<std::int64_t>(static_cast<float>(time) /
                                     (frame_interval_ms * static_cast<float>(kMediaTimePerMs)));
}

MediaTime SeekTimeOfFrame(std::int64_t frame, float frame_interval_ms) {
    const std::int64_t first = frame < 0 ? 0 : frame;
    const auto quarter =
        static_cast<MediaTime>(frame_interval_ms * static_cast<float>(kMediaTimePerMs) / 4.0f);
    return FramesToMediaTime(first, frame_interval_ms) + quarter;
}

}  // namespace ardelle::playback
