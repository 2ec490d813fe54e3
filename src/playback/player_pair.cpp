#include "playback/player_pair.h"

#include <mutex>

#include "playback/playback_tick.h"
#include "playback/speed_ladder.h"

namespace ardelle::playback {

PlayerPair::PlayerPair(PlayerContext& front, PlayerContext& rear, const PlayerOps& front_ops,
                       const PlayerOps& rear_ops)
    : players_{&front, &rear}, ops_{&front_ops, &rear_ops} {}

template <class Call>
int PlayerPair::Apply(PlayerTarget target, const Call& call) {
    if (target != PlayerTarget::kBoth) {
        return call(static_cast<int>(target));
    }
    int result = 0;
    for (int index = 0; index < 2; ++index) {
        if (player(index).initialised != 0 && call(index) != 0) {
            result = 1;
        }
    }
    return result;
}

int PlayerPair::Addressed(PlayerTarget target) const {
    return target == PlayerTarget::kBoth ? ReferencePlayer() : static_cast<int>(target);
}

int PlayerPair::ReferencePlayer() const {
    return players_[0]->telemetry_loaded != 0 ? 0 : 1;
}

int PlayerPair::Init(const VideoWindow& front_window, const VideoWindow& rear_window) {
    int result = 0;
    for (int index = 0; index < 2; ++index) {
        PlayerContext& context = player(index);
        const int initialised = ops(index).Init(context, index == 0 ? front_window : rear_window);
        context.initialised = initialised;
        context.telemetry_loaded = 0;
        result |= initialised;
    }
    return result;
}

int PlayerPair::Uninit() {
    for (int index = 0; index < 2; ++index) {
        ops(index).Uninit(player(index));
    }
    return 1;
}

int PlayerPair::Open(const std::string& front_path, const std::string& rear_path) {
    int result = 0;
    for (int index = 0; index < 2; ++index) {
        PlayerContext& context = player(index);
        if (context.initialised == 0) {
            continue;
        }
        const std::string& path = index == 0 ? front_path : rear_path;
        context.opened = 0;
        context.player_index = index;
        const int opened = path.empty() ? 0 : ops(index).OpenFile(context, path);
        context.opened = opened == 1 ? 1 : 0;
        result |= opened == 1 ? 1 : opened == 2 ? 2 : 0;
    }
    return result;
}

int PlayerPair::Close() {
    return Apply(PlayerTarget::kBoth, [this](int index) {
        PlayerContext& context = player(index);
        context.telemetry_loaded = 0;
        context.opened = 0;
        return ops(index).CloseFile(context);
    });
}

int PlayerPair::LoadTelemetry(const std::string& front_path, const std::string& rear_path) {
    for (int index = 0; index < 2; ++index) {
        PlayerContext& context = player(index);
        if (context.initialised == 0 || context.opened == 0) {
            continue;
        }
        if (ops(index).LoadTelemetry(context, index == 0 ? front_path : rear_path) != 0) {
            context.telemetry_loaded = 1;
            return 1;
        }
    }
    return 0;
}

int PlayerPair::ReleaseTelemetry() {
    return Apply(PlayerTarget::kBoth, [this](int index) {
        PlayerContext& context = player(index);
        context.telemetry_loaded = 0;
        context.opened = 0;
        return ops(index).ReleaseTelemetry(context);
    });
}

void PlayerPair::PrefetchTelemetry(const std::string& front_path, const std::string& rear_path) {
    const int index = front_path.empty() ? 1 : 0;
    PlayerContext& context = player(index);
    if (context.initialised == 0 || context.prefetch_lock == nullptr) {
        return;
    }
    ops::CancelReadAhead(context);
    std::lock_guard lock(*context.prefetch_lock);
    context.spare_reader->Clear();
    context.spare_reader->Open(index == 0 ? front_path : rear_path);
}

int PlayerPair::Play(PlayerTarget target) {
    return Apply(target, [this](int index) { return ops(index).Play(player(index)); });
}

int PlayerPair::Pause(PlayerTarget target) {
    return Apply(target, [this](int index) { return ops(index).Pause(player(index)); });
}

int PlayerPair::Stop(PlayerTarget target) {
    return Apply(target, [this](int index) { return ops(index).Stop(player(index)); });
}

bool PlayerPair::ConvertsFrames() const {
    // Without both files open the intervals may belong to an earlier recording.
    return players_[1]->frame_interval_ms != 0.0f && players_[0]->frame_interval_ms != 0.0f &&
           players_[0]->opened != 0 && players_[1]->opened != 0;
}

std::int64_t PlayerPair::RearFrame(std::int64_t front_frame) const {
    if (!ConvertsFrames()) {
        return front_frame;
    }
    const float ratio = players_[0]->frame_interval_ms / players_[1]->frame_interval_ms;
    return static_cast<std::int64_t>(static_cast<float>(front_frame) * ratio);
}

std::int64_t PlayerPair::FrontFrame(std::int64_t rear_frame) const {
    if (!ConvertsFrames()) {
        return rear_frame;
    }
    const float ratio = players_[1]->frame_interval_ms / players_[0]->frame_interval_ms;
    return static_cast<std::int64_t>(static_cast<float>(rear_frame) * ratio);
}

int PlayerPair::SeekFrame(PlayerTarget target, std::int64_t frame) {
    return Apply(target, [this, frame](int index) {
        return ops(index).SeekFrame(player(index), index == 0 ? frame : RearFrame(frame));
    });
}

int PlayerPair::SeekWhilePlaying(PlayerTarget target, std::int64_t frame) {
    return Apply(target, [this, frame](int index) {
        return ops(index).SeekWhilePlaying(player(index), index == 0 ? frame : RearFrame(frame));
    });
}

int PlayerPair::PlayFromFrame(PlayerTarget target, std::int64_t frame) {
    return Apply(target, [this, frame](int index) {
        return ops(index).PlayFromFrame(player(index), index == 0 ? frame : RearFrame(frame));
    });
}

int PlayerPair::SetSpeed(SpeedCode code) {
    return Apply(PlayerTarget::kBoth,
                 [this, code](int index) { return ops(index).SetSpeed(player(index), code); });
}

SpeedCode PlayerPair::NextSpeedCode(int index, bool faster) {
    const PlayerContext& context = player(index);
    return playback::NextSpeedCode(context.state, context.speed_code, faster,
                                   context.can_play_backwards != 0, BackendKind::kMediaSession);
}

int PlayerPair::SetVolume(PlayerTarget target, int volume) {
    PlayerContext& front = player(0);
    PlayerContext& rear = player(1);
    switch (target) {
        case PlayerTarget::kFront:
            ops(0).SetVolume(front, volume);
            return ops(1).SetVolume(rear, 0);
        case PlayerTarget::kRear:
            ops(1).SetVolume(rear, volume);
            return ops(0).SetVolume(front, 0);
        case PlayerTarget::kBoth:
            break;
    }
    if (ReferencePlayer() == 1) {
        return ops(1).SetVolume(rear, volume);  // the front player keeps its volume
    }
    ops(0).SetVolume(front, volume);
    return ops(1).SetVolume(rear, 0);
}

int PlayerPair::SetDisplayMode(PlayerTarget target, int mode) {
    return Apply(
        target, [this, mode](int index) { return ops(index).SetDisplayMode(player(index), mode); });
}

int PlayerPair::SetZoom(const std::array<ZoomSpec, 2>& zoom_specs, int fit) {
    return Apply(PlayerTarget::kBoth, [&](int index) {
        const ZoomSpec& zoom = zoom_specs[static_cast<std::size_t>(index)];
        return ops(index).SetZoom(player(index), zoom.zoom_x, zoom.zoom_y, zoom.zoom_offset_x,
                                  zoom.zoom_offset_y, zoom.zoom_factor, fit);
    });
}

int PlayerPair::RepaintFrame(PlayerTarget target) {
    return Apply(target, [this](int index) { return ops(index).RepaintFrame(player(index)); });
}

int PlayerPair::ToggleMirror(PlayerTarget target) {
    return Apply(target, [this](int index) { return ops(index).ToggleMirror(player(index)); });
}

int PlayerPair::SaveSnapshot(PlayerTarget target, const std::string& path) {
    const int index = Addressed(target);
    return ops(index).SaveSnapshot(player(index), path);
}

int PlayerPair::GetPositionFrames(PlayerTarget target) {
    const int index = Addressed(target);
    return player(index).initialised != 0 ? ops(index).GetPositionFrames(player(index)) : 0;
}

std::int64_t PlayerPair::GetDurationFrames(PlayerTarget target) {
    const int index = Addressed(target);
    return player(index).initialised != 0 ? ops(index).GetDurationFrames(player(index)) : 0;
}

float PlayerPair::GetFrameInterval(PlayerTarget target) {
    const int index = Addressed(target);
    return player(index).initialised != 0 ? ops(index).GetFrameInterval(player(index)) : 0.0f;
}

int PlayerPair::GetVideoSize(PlayerTarget target, int& width, int& height) {
    const int index = Addressed(target);
    return ops(index).GetVideoSize(player(index), width, height);
}

SpeedCode PlayerPair::GetSpeedCode(PlayerTarget target) {
    return player(Addressed(target)).speed_code;
}

PlayerState PlayerPair::GetState(PlayerTarget target) {
    return player(Addressed(target)).state;
}

SpeedCode PlayerPair::ChangeSpeedWhilePlaying(PlayerTarget addressed, bool faster) {
    const int index = Addressed(addressed);
    const SpeedCode next = NextSpeedCode(index, faster);
    if (next == player(ReferencePlayer()).speed_code) {
        return next;
    }
    SetSpeed(next);
    const std::int64_t position = ops(index).GetPositionFrames(player(index));
    // The rear player counts its own frames; the pair takes front frames.
    SeekWhilePlaying(addressed, index == 1 ? FrontFrame(position) : position);
    return player(ReferencePlayer()).speed_code;
}

std::int64_t PlayerPair::SeekTo(PlayerTarget addressed, std::int64_t requested,
                                std::int64_t slider_min, std::int64_t slider_max) {
    const SeekPlan plan =
        PlanSeek(requested, slider_min, slider_max, player(ReferencePlayer()).speed_code);
    const PlayerState state = GetState(addressed);
    if (state == PlayerState::kStopped || state == PlayerState::kPaused) {
        SeekFrame(addressed, plan.target);
    } else if (state == PlayerState::kPlaying) {
        Pause(addressed);
        SeekFrame(addressed, plan.target);
        Play(addressed);
    }
    return plan.shown;
}

}  // namespace ardelle::playback
