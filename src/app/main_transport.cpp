// The main controller's commands, transport, playback tick, seeks and timers.
#include "app/command_guard.h"
#include "app/main_controller.h"
#include "playback/playback_tick.h"

namespace ardelle::app {
namespace {

using playback::PlayerState;
using playback::PlayerTarget;

bool IsNavigation(int id) {
    return id == command::kFirstFrame || id == command::kPrevious || id == command::kNext ||
           id == command::kSlower || id == command::kFaster;
}

}  // namespace

playback::PlayerTarget MainController::Reference() const {
    return PlayerTarget::kBoth;
}

playback::PlayerState MainController::ReferenceState() {
    if (pair().player(0).initialised == 0 && pair().player(1).initialised == 0) {
        return PlayerState::kClosed;
    }
    return pair().GetState(Reference());
}

std::int64_t MainController::Duration() {
    return pair().GetDurationFrames(Reference());
}

playback::SpeedCode MainController::DefaultSpeedOfSelection() const {
    const catalogue::RecordingEntry* entry = Selected();
    return entry != nullptr ? DefaultSpeed(entry->primary_name()) : playback::kSpeedX1;
}

bool MainController::Guard() {
    if (busy()) {
        return false;
    }
    if (ReferenceState() == PlayerState::kPlaying &&
        NearEnd(pair().GetPositionFrames(Reference()), Duration(), pair().GetSpeedCode(Reference()),
                pair().GetFrameInterval(Reference()))) {
        end_margin_busy_ = true;
        window_.CloseMenus();
        return false;
    }
    return true;
}

void MainController::OnCommand(int id) {
    if (id == command::kFirstFrame && operation_running_) {
        if (stop_operation_) {
            stop_operation_();
        }
        return;
    }
    if (id == command::kPlayPause) {
        PlayPause();
        return;
    }
    const bool unguarded = id == command::kClose || id == command::kMaximise ||
                           id == command::kMinimise || id == command::kDisplayMode ||
                           id == command::kBrowse ||
                           (id >= command::kFirstFilter && id <= command::kLastFilter);
    // A command that arrives while an operation runs is refused, never queued.
    if (!unguarded && !Guard()) {
        return;
    }
    if (operation_running_ && id != command::kClose && id != command::kMinimise &&
        id != command::kMaximise) {
        return;
    }
    if (IsNavigation(id) && !loaded_ && id != command::kNext && id != command::kPrevious) {
        return;
    }
    switch (id) {
        case command::kFirstFrame:
            FirstFrame();
            break;
        case command::kPrevious:
            Previous();
            break;
        case command::kSlower:
        case command::kFaster:
            Speed(id == command::kFaster);
            break;
        case command::kNext:
            Next(false);
            break;
        case command::kMapDisplay:
            ToggleMapDisplay();
            break;
        case command::kBrowse:
            Browse();
            break;
        case command::kSnapshot:
        case command::kJoin:
        case command::kDownload:
        case command::kDelete:
        case command::kSettings:
        case command::kCsv:
            if (delegated_) {
                delegated_(id);
            }
            break;
        default:
            if (id >= command::kFirstFilter && id <= command::kLastFilter) {
                Filter(id - command::kFirstFilter);
            } else {
                if (id == command::kClose) {
                    Shutdown();
                }
                display_.OnCommand(id);
            }
            break;
    }
}

void MainController::OnMessage(const PostedMessage& message) {
    switch (message.id) {
        case AppMessage::kSurfacePlayerReady:
            OnPlayerReady();
            break;
        case AppMessage::kSurfacePlayerEnded:
            OnPlayerEnded();
            break;
        case AppMessage::kTelemetryRead:
            OnTelemetryRead(message.wparam);
            break;
        case AppMessage::kSliderMoving:
        case AppMessage::kSliderButtonDown:
        case AppMessage::kSliderButtonUp:
            OnSlider(message);
            break;
        case AppMessage::kMapPointChosen:
            if (loaded_ && Guard()) {
                SeekTo(message.lparam);
            }
            break;
        case AppMessage::kGraphPreviousMark:
        case AppMessage::kGraphNextMark:
            MarkJump(message.id == AppMessage::kGraphNextMark);
            break;
        case AppMessage::kTreeNodeChosen:
            OnNodeChosen();
            break;
        case AppMessage::kSourceVanished:
            OnSourceVanished();
            break;
        default:
            display_.OnMessage(message);
            break;
    }
}

void MainController::OnTimer(int id) {
    switch (id) {
        case timer::kTick:
            Tick();
            break;
        case timer::kOpen:
            OpenSelected();
            break;
        case timer::kWatchdog:
            Watchdog();
            break;
        case timer::kRefresh:
            window_.RefreshButtons();
            break;
        case timer::kSpeedGuard:
            timers_.Kill(timer::kSpeedGuard);
            speed_guard_ = false;
            break;
        default:
            break;
    }
}

void MainController::OnKey(const KeyCommand& key) {
    switch (key.kind) {
        case KeyCommand::Kind::kCommand:
            OnCommand(key.value);
            break;
        case KeyCommand::Kind::kFrameStep:
            StepFrames(key.value);
            break;
        case KeyCommand::Kind::kSecondStep:
            StepSeconds(key.value);
            break;
        case KeyCommand::Kind::kFullWindow:
        case KeyCommand::Kind::kLeaveFullWindow:
            if (Guard()) {
                display_.FullWindowKey(key.kind == KeyCommand::Kind::kLeaveFullWindow);
            }
            break;
        case KeyCommand::Kind::kNone:
            break;
    }
}

void MainController::FirstFrame() {
    pair().SetSpeed(DefaultSpeedOfSelection());
    pair().SetVolume(PlayerTarget::kBoth, 0);
    pair().SeekFrame(PlayerTarget::kBoth, 0);
    ShowPosition(0);
    views_.MapStop();
    pair().Stop(PlayerTarget::kBoth);
    display_.view().SetPlayButton(false);
    window_.ShowSpeed(pair().GetSpeedCode(Reference()));
}

void MainController::Previous() {
    pair().Pause(PlayerTarget::kBoth);
    if (selection_ > 0 && SelectionValid()) {
        SelectRow(selection_ - 1);
        window_.EndSliderCapture();
        list_.SelectRecording(selection_, false);
        pair().Stop(PlayerTarget::kBoth);
        loaded_ = false;
        display_.SetLoaded(false);
        views_.Reset();
        ScheduleOpen();
    } else if (selection_ == 0) {
        pair().SetSpeed(DefaultSpeedOfSelection());
        pair().Stop(PlayerTarget::kBoth);
        pair().SeekFrame(PlayerTarget::kBoth, 0);
        ShowPosition(0);
        display_.view().SetPlayButton(false);
    }
}

void MainController::Next(bool at_end) {
    if (!at_end) {
        pair().Pause(PlayerTarget::kBoth);
        pair().Stop(PlayerTarget::kBoth);
    }
    const std::size_t count = list_.Records().size();
    if (selection_ < 0 || count == 0) {
        return;
    }
    if (static_cast<std::size_t>(selection_) + 1 < count) {
        const bool automatic = at_end;
        SelectRow(selection_ + 1);
        window_.EndSliderCapture();
        list_.SelectRecording(selection_, false);
        pair().Stop(PlayerTarget::kBoth);
        loaded_ = false;
        display_.SetLoaded(false);
        views_.Reset();
        automatic_ = automatic;
        // Playback runs on through the list, as it does into the next group.
        start_requested_ = start_requested_ || automatic;
        ScheduleOpen();
        return;
    }
    list_end_ = true;
    if (list_.HasNextNode()) {
        pair().Pause(PlayerTarget::kBoth);
        pair().SetVolume(PlayerTarget::kBoth, volume_);
        window_.ShowSpeed(pair().GetSpeedCode(Reference()));
        if (!at_end) {
            pair().Stop(PlayerTarget::kBoth);
        }
        return;
    }
    // The last recording of the last group opens again and waits at its start.
    pair().SetSpeed(DefaultSpeedOfSelection());
    stop_at_end_ = true;
    views_.Reset();
    loaded_ = false;
    display_.SetLoaded(false);
    ScheduleOpen();
}

void MainController::PlayPause() {
    if (operation_running_) {
        return;  // refused, never queued
    }
    const PlayerState state = ReferenceState();
    if (state == PlayerState::kPlaying) {
        // Near the end the recording plays out; the window advances by itself.
        if (!Guard()) {
            return;
        }
        pair().Pause(PlayerTarget::kBoth);
        display_.view().SetPlayButton(false);
        return;
    }
    if (!loaded_) {
        // Open and play: the start follows once the telemetry is loaded.
        if (selection_ < 0 && !list_.Records().empty()) {
            list_.SelectRecording(0, false);
            OnRecordingSelected(0);
        }
        start_requested_ = true;
        if (SelectionValid() && !opening_ && expected_ == 0) {
            ScheduleOpen();
        }
        return;
    }
    ended_ = 0;
    pair().SetVolume(PlayerTarget::kBoth, volume_);
    const bool playing =
        pair().Play(PlayerTarget::kBoth) != 0 && ReferenceState() == PlayerState::kPlaying;
    display_.view().SetPlayButton(playing);
    if (playing) {
        timers_.Start(timer::kTick, timer::kTickMs, false);
    }
}

void MainController::Speed(bool faster) {
    if (speed_guard_) {
        return;  // one speed change per second
    }
    speed_guard_ = true;
    timers_.Start(timer::kSpeedGuard, timer::kSpeedGuardMs, true);
    playback::SpeedCode code = 0;
    if (ReferenceState() == PlayerState::kPlaying) {
        code = pair().ChangeSpeedWhilePlaying(Reference(), faster);
    } else {
        code = pair().NextSpeedCode(pair().ReferencePlayer(), faster);
        pair().SetSpeed(code);
    }
    window_.ShowSpeed(code);
}

void MainController::Tick() {
    if (!loaded_) {
        return;
    }
    const PlayerState state = ReferenceState();
    if (state != PlayerState::kPlaying) {
        return;
    }
    const std::int64_t position = pair().GetPositionFrames(Reference());
    const std::int64_t duration = Duration();
    const playback::SpeedCode code = pair().GetSpeedCode(Reference());
    window_.SetPositionSliderEnabled(
        !busy() && !NearEnd(position, duration, code, pair().GetFrameInterval(Reference())));
    const playback::TickResult result =
        playback::PlaybackTick({state, position, duration, code, pending_seek_});
    if (result.shown) {
        ShowPosition(*result.shown);
    }
    pending_seek_ = result.pending_seek;
}

void MainController::ShowPosition(std::int64_t frame) {
    const std::int64_t duration = Duration();
    const std::int64_t shown =
        std::clamp<std::int64_t>(frame, 0, std::max<std::int64_t>(0, duration - 1));
    pending_seek_ = shown;
    shown_frame_ = shown;
    if (loaded_) {
        views_.ShowPosition(pair(), shown);
    }
    display_.view().ShowPosition(static_cast<int>(shown), static_cast<int>(duration));
}

void MainController::SeekTo(std::int64_t frame) {
    const PlayerState state = ReferenceState();
    const std::int64_t shown = pair().SeekTo(Reference(), frame, 0, Duration());
    ShowPosition(shown);
    if (state != PlayerState::kPlaying) {
        window_.RefreshButtons();
        views_.MoveMapMarker();
    }
}

void MainController::MarkJump(bool forward) {
    if (!loaded_ || !Guard()) {
        return;
    }
    std::optional<std::int64_t> target;
    {
        std::lock_guard lock(mark_lock_);
        target = views_.MarkJumpTarget(shown_frame_, forward, Duration());
    }
    if (!target) {
        return;
    }
    const bool stopped = ReferenceState() == PlayerState::kStopped;
    SeekTo(*target);
    if (stopped) {
        pair().Pause(PlayerTarget::kBoth);  // the mark's frame stays on screen
    }
}

void MainController::OnSlider(const PostedMessage& message) {
    const bool position = message.wparam == command::kPositionSlider;
    if (message.wparam == command::kVolumeSlider) {
        if (message.id != AppMessage::kSliderButtonDown) {
            volume_ = static_cast<int>(std::clamp<std::int64_t>(message.lparam, 0, 65535));
            pair().SetVolume(PlayerTarget::kBoth, volume_);
        }
        return;
    }
    if (!position || !loaded_) {
        return;
    }
    switch (message.id) {
        case AppMessage::kSliderMoving:
            ShowPosition(message.lparam);
            break;
        case AppMessage::kSliderButtonDown:
            pair().SetVolume(PlayerTarget::kBoth, 0);
            slider_was_playing_ = ReferenceState() == PlayerState::kPlaying;
            pair().Pause(PlayerTarget::kBoth);
            ShowPosition(message.lparam);
            break;
        default:
            SeekTo(message.lparam);
            pair().SetVolume(PlayerTarget::kBoth, volume_);
            if (slider_was_playing_) {
                slider_was_playing_ = false;
                pair().Play(PlayerTarget::kBoth);
            }
            break;
    }
}

void MainController::StepFrames(std::int64_t frames) {
    // Frame steps only while the picture stands still; the exact frame is the seek's.
    const PlayerState state = ReferenceState();
    if (!loaded_ || state == PlayerState::kPlaying || !Guard()) {
        return;
    }
    SeekTo(shown_frame_ + frames);
    if (state == PlayerState::kStopped) {
        pair().Pause(PlayerTarget::kBoth);
    }
}

void MainController::StepSeconds(int seconds) {
    if (!loaded_ || !Guard()) {
        return;
    }
    const float interval = pair().GetFrameInterval(Reference());
    const double frames = seconds * 1000.0 / (interval > 0.0f ? interval : 34.36426);
    SeekTo(shown_frame_ + static_cast<std::int64_t>(frames));
}

void MainController::ToggleMapDisplay() {
    map_display_ = !map_display_;
    const bool first_time = map_display_ && !map_placed_;
    map_placed_ = map_placed_ || map_display_;
    window_.SetMapDisplay(map_display_, first_time);
}

void MainController::Browse() {
    if (busy()) {
        return;
    }
    const std::optional<std::string> path = window_.ChooseSource();
    if (!path) {
        return;
    }
    CloseRecordingList();
    OpenSource(*path);
}

}  // namespace ardelle::app
