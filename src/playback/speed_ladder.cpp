#include "playback/speed_ladder.h"

#include "base/ui_text.h"

namespace ardelle::playback {
namespace {

float ForwardRate(SpeedCode code) {
    switch (code) {
        case kSpeedX2:
            return 2.0f;
        case kSpeedX4:
            return 4.0f;
        case kSpeedQuarter:
            return 0.25f;
        case kSpeedHalf:
            return 0.5f;
        default:
            return 1.0f;
    }
}

SpeedChoice ResolveToggle(SpeedCode current) {
    if (current == kSpeedX1) {
        return {kSpeedHalf, 0.5f};
    }
    if (current == kSpeedHalf) {
        return {kSpeedX1, 1.0f};
    }
    return {kSpeedToggle, 1.0f};
}

struct LadderRow {
    SpeedCode current;
    SpeedCode faster_forward_only;
    SpeedCode faster_backwards;
    SpeedCode slower_media_session;
    SpeedCode slower_filter_graph;
};

constexpr LadderRow kLadder[] = {
    {kSpeedX4, kSpeedX4, kSpeedX4, kSpeedX2, kSpeedX2},
    {kSpeedX2, kSpeedX2, kSpeedX4, kSpeedX1, kSpeedX1},
    {kSpeedX1, kSpeedX2, kSpeedX2, kSpeedToggle, kSpeedToggle},
    {kSpeedToggle, kSpeedX1, kSpeedX1, kSpeedHalf, kSpeedHalf},
    {kSpeedHalf, kSpeedX1, kSpeedToggle, kSpeedHalf, kSpeedQuarter},
    {kSpeedQuarter, kSpeedHalf, kSpeedHalf, kSpeedX1, kSpeedQuarter},
};

}  // namespace

SpeedChoice ResolveSpeed(SpeedCode current, SpeedCode requested, bool can_play_backwards) {
    if (can_play_backwards) {
        switch (requested) {
            case kSpeedQuarter:
                return {requested, -4.0f};
            case kSpeedHalf:
                return {requested, -2.0f};
            case kSpeedToggle:
                return {requested, -1.0f};
            default:
                return {requested, ForwardRate(requested)};
        }
    }
    if (requested == kSpeedToggle) {
        return ResolveToggle(current);
    }
    return {requested, ForwardRate(requested)};
}

SpeedCode NextSpeedCode(PlayerState state, SpeedCode current, bool faster, bool can_play_backwards,
                        BackendKind backend) {
    if (state != PlayerState::kPlaying) {
        return kSpeedX1;
    }
    for (const LadderRow& row : kLadder) {
        if (row.current != current) {
            continue;
        }
        if (faster) {
            return can_play_backwards ? row.faster_backwards : row.faster_forward_only;
        }
        return backend == BackendKind::kMediaSession ? row.slower_media_session
                                                     : row.slower_filter_graph;
    }
    return kSpeedX1;
}

std::string SpeedLabel(SpeedCode code) {
    switch (code) {
        case kSpeedX1:
            return base::UiString(57);
        case kSpeedX2:
            return base::UiString(58);
        case kSpeedX4:
            return base::UiString(59);
        case kSpeedHalf:
            return base::UiString(60);
        case kSpeedQuarter:
            return base::UiString(61);
        default:
            return {};
    }
}

bool WantsThinning(float rate) {
    return rate >= 2.0f;
}

}  // namespace ardelle::playback
