#include "playback/playback_tick.h"

#include <algorithm>

namespace ardelle::playback {

int TickLookAhead(SpeedCode reference_code) {
    switch (reference_code) {
        case kSpeedX1:
            return 2;
        case kSpeedX2:
            return 8;
        default:
            return 1;
    }
}

std::int64_t PendingSeekMargin(std::int64_t duration_frames) {
    return duration_frames / 1000 + 30;
}

TickResult PlaybackTick(const TickInput& input) {
    TickResult result{std::nullopt, input.pending_seek};
    const bool standing = input.addressed_state == PlayerState::kStopped ||
                          input.addressed_state == PlayerState::kPaused;
    if (standing || input.position <= 0) {
        return result;
    }
    const std::int64_t margin = PendingSeekMargin(input.duration);
    const std::int64_t pending = input.pending_seek;
    const bool reached =
        pending == -1 || (pending - margin < input.position && input.position < pending + margin);
    if (reached) {
        result.shown = input.position + 3 * TickLookAhead(input.reference_code);
        result.pending_seek = -1;
    }
    return result;
}

SeekPlan PlanSeek(std::int64_t requested, std::int64_t slider_min, std::int64_t slider_max,
                  SpeedCode reference_code) {
    const std::int64_t end_margin = reference_code == kSpeedX2   ? 40
                                    : reference_code == kSpeedX4 ? 80
                                                                 : 20;
    SeekPlan plan;
    // A recording shorter than the margin would otherwise be sent before its first frame.
    plan.target = std::max(slider_min, std::min(requested, slider_max - end_margin));
    plan.shown = std::clamp(requested, slider_min, std::max(slider_min, slider_max - 1));
    return plan;
}

}  // namespace ardelle::playback
