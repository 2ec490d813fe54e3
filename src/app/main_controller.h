#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/controller_ports.h"
#include "app/key_commands.h"
#include "app/list_window_port.h"
#include "app/recording_views.h"
#include "app/viewer_controller.h"
#include "base/messages.h"
#include "base/user_dialogs.h"

namespace ardelle::app {

// The command ids the main controller handles beyond the viewer's own.
namespace command {
inline constexpr int kFirstFrame = 38000;
inline constexpr int kPrevious = 38001;
inline constexpr int kSlower = 38003;
inline constexpr int kFaster = 38004;
inline constexpr int kNext = 38005;
inline constexpr int kSnapshot = 38006;
inline constexpr int kJoin = 38007;
inline constexpr int kDownload = 38008;
inline constexpr int kBrowse = 38012;
inline constexpr int kDelete = 38013;
inline constexpr int kSettings = 38014;
inline constexpr int kCsv = 38015;
inline constexpr int kFirstFilter = 38700;
inline constexpr int kLastFilter = 38707;
inline constexpr int kPositionSlider = 38100;
inline constexpr int kVolumeSlider = 38101;
}  // namespace command

// Everything the main controller talks to.
struct MainCollaborators {
    ViewerController& display;  // the players, the surfaces and their display rules
    ListWindowPort& list;       // the videos list window
    RecordingViews& views;      // info panel, graph and map
    MainWindowPort& window;
    ControllerTimers& timers;
    MessageSink& sink;  // where the read-ahead worker posts its notification
    base::MessageBoxes& boxes;
    base::FolderPicker& picker;
};

// The main window's decisions on the UI thread: which recording is selected and when it
// opens, counting the players' notifications, loading its telemetry on a worker, playing,
// seeking and the playback tick, moving to the previous or next recording and into the
// next group, the guard that refuses commands near the end or while an operation runs,
// and the source vanishing. The window forwards commands, messages, timers and keys.
class MainController {
  public:
    explicit MainController(const MainCollaborators& collaborators);
    ~MainController();
    MainController(const MainController&) = delete;
    MainController& operator=(const MainController&) = delete;

    // A command of a button, a menu or the keyboard (the same path for all three).
    void OnCommand(int id);
    void OnMessage(const PostedMessage& message);
    void OnTimer(int id);
    void OnKey(const KeyCommand& key);
    // The list window reports that row became selected.
    void OnRecordingSelected(int row, bool automatic = false);
    // Opens a source through the list window; its first recording is opened paused at
    // start_frame (front frames) once the players are ready.
    bool OpenSource(const std::string& path, std::int64_t start_frame = 0);
    // A long file operation starts or ends: while it runs the guard refuses every command
    // (except the first-frame command, which then ends the operation through on_stop).
    void SetOperationRunning(bool running, std::function<void()> on_stop = {});
    // The commands handled elsewhere (snapshot, join, download, delete, settings, CSV):
    // called after the guard admitted them.
    void SetDelegatedCommands(std::function<void(int)> handler) { delegated_ = std::move(handler); }
    // Closes the players' files and clears the list (shutdown, a new source, an operation
    // that changed the source).
    void CloseRecordingList();
    // The voltage-trace flag of the info panel from the opened source.
    void UpdateVoltageTrace();
    void Shutdown();
    // The recording selected in the movie list, or an empty entry when none is.
    catalogue::RecordingEntry SelectedEntry() const;
    // Opens the selected recording again at frame (a file operation closed the players).
    void ReopenSelection(std::int64_t frame);

    // The command guard: false (the command is refused) while an operation runs or the
    // playing recording is within its end margin.
    bool Guard();
    bool busy() const { return operation_running_ || end_margin_busy_; }
    bool loaded() const { return loaded_; }
    bool ready() const { return ready_; }
    bool opening() const { return opening_; }
    bool speed_guard() const { return speed_guard_; }
    int selection() const { return selection_; }
    std::int64_t shown_frame() const { return shown_frame_; }
    bool map_display() const { return map_display_; }
    // Every player that opened the recording reported its end.
    bool all_ended() const { return expected_ > 0 && ended_ >= expected_; }
    // The number of opens run (timer 101 reaching the players), for tests and benchmarks.
    int opens() const { return opens_; }

    ViewerController& display() { return display_; }
    playback::PlayerPair& pair() { return display_.pair(); }
    int main_surface() const { return display_.main_surface(); }
    void OnSurfaceDoubleClicked(int surface_index) {
        display_.OnSurfaceDoubleClicked(surface_index);
    }
    // Called once, when the first opened recording became ready (the scripted tour starts).
    void SetOnReady(std::function<void()> on_ready) { on_ready_ = std::move(on_ready); }

  private:
    // Selection and the open sequence (main_controller.cpp).
    void ScheduleOpen();
    void OpenSelected();
    void OnPlayerReady();
    void OnPlayerEnded();
    void OnTelemetryRead(std::int64_t generation);
    void StartViews();
    void Watchdog();
    void StartReadAhead();
    void JoinWorkers();
    void OnNodeChosen();
    void OnSourceVanished();
    void Filter(int filter);
    void SelectRow(int row);
    void StopPlayback();
    bool SelectionValid() const;
    const catalogue::RecordingEntry* Selected() const;
    // Transport (main_transport.cpp).
    void FirstFrame();
    void Previous();
    void Next(bool at_end);
    void PlayPause();
    void Speed(bool faster);
    void Tick();
    void ShowPosition(std::int64_t frame);
    void SeekTo(std::int64_t frame);
    void MarkJump(bool forward);
    void OnSlider(const PostedMessage& message);
    void ToggleMapDisplay();
    void Browse();
    void StepFrames(std::int64_t frames);
    void StepSeconds(int seconds);
    playback::PlayerTarget Reference() const;
    playback::PlayerState ReferenceState();
    std::int64_t Duration();
    playback::SpeedCode DefaultSpeedOfSelection() const;
    void RebuildMarks();

    ViewerController& display_;
    ListWindowPort& list_;
    RecordingViews& views_;
    MainWindowPort& window_;
    ControllerTimers& timers_;
    MessageSink& sink_;
    base::MessageBoxes& boxes_;
    base::FolderPicker& picker_;
    std::function<void(int)> delegated_;
    std::function<void()> stop_operation_;
    std::function<void()> on_ready_;

    // The selection lock guards selection_ and the paths the read-ahead workers copy.
    mutable std::mutex selection_lock_;
    std::string selected_front_;
    std::string selected_rear_;
    std::string next_front_;
    std::string next_rear_;
    // Held while the event marks are rebuilt or searched; always before a player's lock.
    std::mutex mark_lock_;

    int selection_ = -1;
    bool ready_ = true;
    bool opening_ = false;
    bool operation_running_ = false;
    bool end_margin_busy_ = false;
    bool loaded_ = false;
    bool start_requested_ = false;
    bool stop_at_end_ = false;
    bool list_end_ = false;
    bool automatic_ = false;
    bool into_next_node_ = false;
    bool speed_guard_ = false;
    bool map_display_ = false;
    bool map_placed_ = false;
    bool slider_was_playing_ = false;
    std::int64_t pending_seek_ = -1;
    std::int64_t shown_frame_ = 0;
    std::int64_t start_frame_ = 0;
    int expected_ = 0;
    int ready_count_ = 0;
    int ended_ = 0;
    int opens_ = 0;
    int volume_ = 65535;
    // Numbers each open; a read-ahead that finishes for an earlier one is ignored.
    std::int64_t generation_ = 0;
    std::thread selected_worker_;
    std::thread next_worker_;
};

}  // namespace ardelle::app
