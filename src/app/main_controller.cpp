// The main controller's selection, open sequence, notifications and source changes.
#include "app/main_controller.h"

#include "app/command_guard.h"
#include "catalogue/source_open.h"
#include "fileops/repaired_folder.h"
#include "platform/files.h"

namespace ardelle::app {
namespace {

using playback::PlayerState;
using playback::PlayerTarget;

constexpr int kTextOpenFailed = 96;
constexpr int kTextTooShort = 97;
constexpr int kTextFrontCamera = 145;
constexpr int kTextRearCamera = 146;
constexpr int kSourceKindCard = 1;

}  // namespace

MainController::MainController(const MainCollaborators& c)
    : display_(c.display),
      list_(c.list),
      views_(c.views),
      window_(c.window),
      timers_(c.timers),
      sink_(c.sink),
      boxes_(c.boxes),
      picker_(c.picker) {}

MainController::~MainController() {
    JoinWorkers();
}

void MainController::Shutdown() {
    for (int id : {timer::kTick, timer::kOpen, timer::kWatchdog, timer::kSpeedGuard}) {
        timers_.Kill(id);
    }
    JoinWorkers();
    display_.Shutdown();
}

void MainController::JoinWorkers() {
    for (std::thread* worker : {&selected_worker_, &next_worker_}) {
        if (worker->joinable()) {
            worker->join();
        }
    }
}

bool MainController::SelectionValid() const {
    return selection_ >= 0 && static_cast<std::size_t>(selection_) < list_.Records().size();
}

const catalogue::RecordingEntry* MainController::Selected() const {
    return SelectionValid() ? &list_.Records()[static_cast<std::size_t>(selection_)] : nullptr;
}

catalogue::RecordingEntry MainController::SelectedEntry() const {
    const catalogue::RecordingEntry* entry = Selected();
    return entry != nullptr ? *entry : catalogue::RecordingEntry{};
}

void MainController::ReopenSelection(std::int64_t frame) {
    const int row = selection_;
    if (row < 0) {
        return;
    }
    {
        std::lock_guard lock(selection_lock_);
        selection_ = -1;  // the same row counts as a new choice
    }
    start_frame_ = std::max<std::int64_t>(0, frame);
    OnRecordingSelected(row);
}

void MainController::SelectRow(int row) {
    // Under the selection lock: the read-ahead workers copy these paths.
    std::lock_guard lock(selection_lock_);
    selection_ = row;
    const catalogue::RecordingEntry* entry = Selected();
    selected_front_ = entry != nullptr ? entry->front_path : std::string();
    selected_rear_ = entry != nullptr ? entry->rear_path : std::string();
    const bool has_next =
        entry != nullptr && static_cast<std::size_t>(row) + 1 < list_.Records().size();
    const catalogue::RecordingEntry* next =
        has_next ? &list_.Records()[static_cast<std::size_t>(row) + 1] : nullptr;
    next_front_ = next != nullptr ? next->front_path : std::string();
    next_rear_ = next != nullptr ? next->rear_path : std::string();
}

void MainController::StopPlayback() {
    if (ReferenceState() == PlayerState::kPlaying) {
        pair().Stop(PlayerTarget::kBoth);
        views_.MapStop();
    }
}

bool MainController::OpenSource(const std::string& path, std::int64_t start_frame) {
    start_frame_ = std::max<std::int64_t>(0, start_frame);
    if (!list_.OpenSource(path, catalogue::DetectSourceKind(path))) {
        return false;
    }
    // The list window reports its chosen node (0x8456): its first recording opens then.
    UpdateVoltageTrace();
    return true;
}

void MainController::OnRecordingSelected(int row, bool automatic) {
    if (row == selection_) {
        return;
    }
    SelectRow(row);
    automatic_ = automatic;
    if (!automatic) {
        // A recording the user chose plays on from there again.
        stop_at_end_ = false;
        list_end_ = false;
        start_requested_ = false;
    }
    pair().SetVolume(PlayerTarget::kBoth, 0);
    StopPlayback();
    loaded_ = false;
    display_.SetLoaded(false);
    views_.Reset();
    window_.RefreshButtons();
    ScheduleOpen();
    const catalogue::RecordingEntry* entry = Selected();
    if (!automatic && entry != nullptr && display_.pair().player(0).initialised != 0) {
        const playback::SpeedCode speed = DefaultSpeed(entry->primary_name());
        if (pair().GetSpeedCode(Reference()) != speed) {
            pair().SetSpeed(speed);
            window_.ShowSpeed(speed);
        }
    }
}

void MainController::ScheduleOpen() {
    timers_.Kill(timer::kOpen);
    if (opening_) {
        timers_.Kill(timer::kWatchdog);
        opening_ = false;
        window_.SetWaitCursor(false);
    }
    timers_.Kill(timer::kRefresh);
    if (!ready_) {
        return;
    }
    opening_ = true;
    window_.SetWaitCursor(true);
    views_.Reset();
    timers_.Start(timer::kWatchdog, timer::kWatchdogMs, true);
    timers_.Start(timer::kOpen, timer::kOpenDelayMs, true);
}

void MainController::OpenSelected() {
    timers_.Kill(timer::kOpen);
    if (!ready_) {
        window_.SetWaitCursor(false);
        return;
    }
    ready_ = false;
    views_.Reset();
    const catalogue::RecordingEntry* entry = Selected();
    if (entry == nullptr) {
        // Nothing to open: the window is ready again at once rather than after the watchdog.
        timers_.Kill(timer::kWatchdog);
        opening_ = false;
        ready_ = true;
        window_.SetWaitCursor(false);
        return;
    }
    ++opens_;
    ++generation_;
    timers_.Kill(timer::kTick);
    timers_.Kill(timer::kWatchdog);
    pair().Close();
    loaded_ = false;
    display_.SetLoaded(false);
    ready_count_ = 0;
    ended_ = 0;
    const int result = pair().Open(entry->front_path, entry->rear_path);
    timers_.Start(timer::kWatchdog, timer::kWatchdogMs, true);
    const bool was_automatic = automatic_;
    automatic_ = false;
    if ((result & 1) != 0) {
        expected_ = pair().player(0).opened + pair().player(1).opened;
        display_.view().RepaintSurfaces();
        display_.view().PlaceSurfaces(main_surface(),
                                      main_surface() == 0 ? kTextRearCamera : kTextFrontCamera);
        window_.CloseMenus();
    } else {
        expected_ = 0;
        timers_.Kill(timer::kWatchdog);
        window_.SetWaitCursor(false);
        views_.Reset();
        if (list_end_) {
            stop_at_end_ = true;
        } else if (!was_automatic) {
            display_.view().RepaintSurfaces();
            display_.view().ShowError((result & 2) != 0 ? kTextTooShort : kTextOpenFailed);
        }
    }
    opening_ = false;
    list_end_ = list_end_ || static_cast<std::size_t>(selection_) + 1 >= list_.Records().size();
    ready_ = true;
    if ((result & 1) == 0 && was_automatic && !stop_at_end_) {
        // An automatic advance skips what cannot be played.
        Next(true);
    }
}

void MainController::OnPlayerReady() {
    if (expected_ == 0) {
        return;
    }
    if (++ready_count_ < expected_) {
        timers_.Start(timer::kWatchdog, timer::kWatchdogMs, true);
        return;
    }
    ready_count_ = 0;
    timers_.Kill(timer::kOpen);
    timers_.Kill(timer::kWatchdog);
    ready_ = true;
    end_margin_busy_ = false;
    window_.SetWaitCursor(false);
    window_.ShowSpeed(pair().GetSpeedCode(Reference()));
    display_.ApplyDisplayModes();
    shown_frame_ = start_frame_;
    pair().SeekFrame(PlayerTarget::kBoth, start_frame_);
    start_frame_ = 0;
    if (into_next_node_) {
        into_next_node_ = false;
        start_requested_ = true;
        OnTelemetryRead(generation_);
    } else {
        StartReadAhead();
    }
    window_.RaiseMovieWindow();
    if (on_ready_) {
        // Once: the recordings that follow by themselves must not start the tour again.
        std::function<void()> on_ready = std::move(on_ready_);
        on_ready_ = nullptr;
        on_ready();
    }
}

void MainController::StartReadAhead() {
    if (selected_worker_.joinable()) {
        selected_worker_.join();
    }
    selected_worker_ = std::thread([this, generation = generation_] {
        std::string front;
        std::string rear;
        {
            std::lock_guard lock(selection_lock_);
            front = selected_front_;
            rear = selected_rear_;
        }
        pair().PrefetchTelemetry(front, rear);
        sink_.Post({AppMessage::kTelemetryRead, generation, 0});
    });
}

void MainController::OnTelemetryRead(std::int64_t generation) {
    if (loaded_ || generation != generation_ || expected_ == 0) {
        return;
    }
    loaded_ = true;
    display_.SetLoaded(true);
    window_.SetWaitCursor(false);
    const catalogue::RecordingEntry* entry = Selected();
    const bool telemetry =
        entry != nullptr && pair().LoadTelemetry(entry->front_path, entry->rear_path) != 0;
    if (entry != nullptr) {
        pair().SetVolume(PlayerTarget::kBoth, volume_);
        pair().SetSpeed(DefaultSpeed(entry->primary_name()));
    }
    bool playing = false;
    // Only a start request plays at once (the play command found the recording loading, or
    // the end rule moved into the next group); the last entry of a list, like any other,
    // waits at its first frame.
    if (start_requested_) {
        start_requested_ = false;
        list_end_ = false;
        stop_at_end_ = false;
        playing =
            pair().Play(PlayerTarget::kBoth) != 0 && ReferenceState() == PlayerState::kPlaying;
    }
    display_.view().SetPlayButton(playing);
    if (entry != nullptr && telemetry) {
        views_.StartRecording(pair(), *entry, selection_);
    }
    StartViews();
}

void MainController::StartViews() {
    RebuildMarks();
    window_.ShowSpeed(pair().GetSpeedCode(Reference()));
    ShowPosition(shown_frame_);
    views_.MoveMapMarker();
    pending_seek_ = -1;
    timers_.Start(timer::kTick, timer::kTickMs, false);
    // The next recording's telemetry is read meanwhile, so that advancing finds it ready.
    if (next_worker_.joinable()) {
        next_worker_.join();
    }
    next_worker_ = std::thread([this] {
        std::string front;
        std::string rear;
        {
            std::lock_guard lock(selection_lock_);
            front = next_front_;
            rear = next_rear_;
        }
        if (!front.empty() || !rear.empty()) {
            pair().PrefetchTelemetry(front, rear);
        }
    });
}

void MainController::RebuildMarks() {
    if (!loaded_ || !SelectionValid()) {
        return;
    }
    std::lock_guard lock(mark_lock_);
    views_.RebuildMarks(pair(), selection_);
}

void MainController::Watchdog() {
    // A player that never reports leaves the window usable.
    timers_.Kill(timer::kWatchdog);
    opening_ = false;
    ready_ = true;
    ready_count_ = 0;
    window_.SetWaitCursor(false);
    display_.view().RepaintSurfaces();
}

void MainController::OnPlayerEnded() {
    if (expected_ == 0) {
        return;
    }
    if (++ended_ < expected_) {
        timers_.Start(timer::kWatchdog, timer::kWatchdogMs, true);
        return;
    }
    timers_.Kill(timer::kWatchdog);
    display_.view().SetPlayButton(false);
    if (stop_at_end_) {
        return;
    }
    Next(true);
    if (!list_end_) {
        return;
    }
    if (list_.HasNextNode()) {
        into_next_node_ = true;
        list_.SelectNextNode();
    } else {
        list_end_ = false;
        display_.LeaveZoomAndFullWindow();
    }
}

void MainController::OnNodeChosen() {
    if (list_.ClearingTree()) {
        return;
    }
    StopPlayback();
    pair().Stop(PlayerTarget::kBoth);
    SelectRow(-1);
    loaded_ = false;
    display_.SetLoaded(false);
    views_.Reset();
    if (!list_.Records().empty()) {
        list_.SelectRecording(0, false);
        OnRecordingSelected(0, into_next_node_);
    }
}

void MainController::OnSourceVanished() {
    if (ReferenceState() != PlayerState::kPaused) {
        StopPlayback();
    }
    for (int id : {timer::kTick, timer::kOpen, timer::kWatchdog}) {
        timers_.Kill(id);
    }
    pair().Stop(PlayerTarget::kBoth);
    pair().Close();
    expected_ = 0;
    opening_ = false;
    ready_ = true;
    loaded_ = false;
    list_end_ = false;
    stop_at_end_ = false;
    into_next_node_ = false;
    display_.SetLoaded(false);
    window_.SetWaitCursor(false);
    list_.ClearSource();
    SelectRow(-1);
    views_.Reset();
    views_.MapStop();
    display_.ResetDisplay();
    display_.view().SetPlayButton(false);
    fileops::OfferToKeepRepairedFiles(boxes_, picker_);
    if (!window_.ProgramFileExists()) {
        Shutdown();
        window_.Quit();
    }
}

void MainController::CloseRecordingList() {
    timers_.Kill(timer::kTick);
    timers_.Kill(timer::kOpen);
    pair().Close();
    expected_ = 0;
    loaded_ = false;
    display_.SetLoaded(false);
    display_.ResetDisplay();
    SelectRow(-1);
    list_.ClearSource();
    window_.SetPositionSliderEnabled(true);
    views_.Reset();
    display_.view().SetPlayButton(false);
    window_.RefreshButtons();
    fileops::OfferToKeepRepairedFiles(boxes_, picker_);
}

void MainController::UpdateVoltageTrace() {
    const bool trace = list_.SourceKind() == kSourceKindCard &&
                       platform::PathExists(list_.SourcePath() + "/pvtrace.txt");
    views_.SetVoltageTrace(trace);
}

void MainController::Filter(int filter) {
    if (filter < 0 || filter > 6) {
        return;
    }
    // The list is refilled: the selection follows its recording to its new row.
    const catalogue::RecordingEntry* entry = Selected();
    const std::string shown = entry != nullptr ? entry->primary_path() : std::string();
    list_.SetTriggerFilter(filter, !list_.TriggerFilter(filter));
    const catalogue::RecordingList& records = list_.Records();
    if (records.empty()) {
        StopPlayback();
        pair().Stop(PlayerTarget::kBoth);
        SelectRow(-1);
        views_.Reset();
        return;
    }
    int row = -1;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!shown.empty() && records[i].primary_path() == shown) {
            row = static_cast<int>(i);
        }
    }
    SelectRow(row);
    RebuildMarks();
}

void MainController::SetOperationRunning(bool running, std::function<void()> on_stop) {
    operation_running_ = running;
    stop_operation_ = running ? std::move(on_stop) : std::function<void()>();
}

}  // namespace ardelle::app
