#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/surface_rules.h"
#include "app/viewer_view.h"
#include "base/messages.h"
#include "catalogue/recording_entry.h"
#include "playback/player_pair.h"

namespace ardelle::app {

// The viewer's decisions on the UI thread as far as the window goes today: opening the
// first recording of a source paused at its start frame, counting the players' ready
// notifications, the display switch, zoom mode and clicks, mirror, display mode, the
// full-window view and shutdown. The window forwards input and messages here and
// implements ViewerView.
class ViewerController {
  public:
    ViewerController(ViewerView& view, double layout_scale);
    ~ViewerController();
    ViewerController(const ViewerController&) = delete;
    ViewerController& operator=(const ViewerController&) = delete;

    // Binds the players to the view's surfaces (start-up step 11); false when neither
    // player could be initialised.
    bool InitPlayers(bool keep_aspect);
    // Opens the source and its first recording, paused at start_frame (front frames).
    // False (with the error shown) when nothing could be opened.
    bool OpenSource(const std::string& path, std::int64_t start_frame);
    bool OpenRecording(const catalogue::RecordingEntry& entry, std::int64_t start_frame);

    void OnMessage(const PostedMessage& message);
    // A command of a button, the menu or the keyboard.
    void OnCommand(int id);
    void OnSurfaceClicked(int surface_index, const QPoint& point);
    void OnSurfaceDoubleClicked(int surface_index);
    // The layout changed: the zoom records of the main surface are reset and re-applied.
    void OnLayoutChanged();
    // A new layout scale (the zoom centres follow it).
    void SetLayoutScale(double layout_scale) { scale_ = layout_scale; }
    SurfacePaint PaintRule(int surface_index) const;
    // The position display while playing (the window's 30 ms timer calls it).
    void Tick();

    // Stops playback, closes the files and uninitialises the players (shutdown steps).
    void Shutdown();

    // For the main controller, which runs the open sequence itself: the loaded flag, the
    // display modes and zoom of a recording that became ready, the display's reset when
    // the list closes or the source vanished (front in the main area, zoom off, the
    // full-window view left), and the full-window view from the keyboard.
    void SetLoaded(bool loaded) { loaded_ = loaded; }
    void ApplyDisplayModes();
    void ResetDisplay();
    void LeaveZoomAndFullWindow();
    void FullWindowKey(bool leave_only);
    ViewerView& view() { return view_; }

    bool loaded() const { return loaded_; }
    // Every player that opened the recording reported its end.
    bool all_ended() const { return opened_count_ > 0 && ended_count_ >= opened_count_; }
    bool full_window() const { return full_window_; }
    int main_surface() const { return main_surface_; }
    int movie_surface() const { return 1 - main_surface_; }
    bool zoom_mode() const { return zoom_mode_; }
    bool keep_aspect() const { return keep_aspect_; }
    const SurfaceZoom& zoom(int surface_index) const {
        return zooms_[static_cast<std::size_t>(surface_index)];
    }
    const catalogue::RecordingEntry& current() const { return current_; }
    playback::PlayerPair& pair() { return pair_; }
    // Called once a recording was opened and every opened player reported ready.
    void SetOnReady(std::function<void()> on_ready) { on_ready_ = std::move(on_ready); }

  private:
    bool HasFile(int player) const;
    int ShownPlayer() const;
    void ApplyZoom();
    void ResetZooms(int surface_index);
    void SwitchDisplay();
    void ToggleZoomMode();
    void ToggleMirror();
    void ToggleDisplayMode();
    void ToggleFullWindow(bool force);
    void AllReady();

    ViewerView& view_;
    double scale_;
    std::array<playback::PlayerContext, 2> players_{};
    playback::PlayerPair pair_;
    std::array<SurfaceZoom, 2> zooms_{};
    catalogue::RecordingEntry current_;
    bool initialised_ = false;
    bool loaded_ = false;
    bool full_window_ = false;
    bool zoom_mode_ = false;
    bool keep_aspect_ = true;
    bool maximised_ = false;
    int main_surface_ = 0;
    int expected_ready_ = 0;
    int ready_count_ = 0;
    int opened_count_ = 0;
    int ended_count_ = 0;
    std::int64_t start_frame_ = 0;
    std::function<void()> on_ready_;
};

}  // namespace ardelle::app
