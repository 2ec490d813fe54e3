#pragma once

#include <QPoint>
#include <QRect>
#include <vector>

#include "app/movie_menu.h"

#include "playback/frame_target.h"

namespace ardelle::app {

// The command ids of the main window's buttons and menus.
namespace command {
inline constexpr int kClose = 17;
inline constexpr int kMaximise = 18;
inline constexpr int kMinimise = 19;
inline constexpr int kFirstTool = 38000;  // 38000 + i is tool button i
inline constexpr int kPlayPause = 38002;
inline constexpr int kZoomMode = 38009;
inline constexpr int kMirror = 38010;
inline constexpr int kMapDisplay = 38011;
inline constexpr int kDisplaySwitch = 38016;
inline constexpr int kDisplayMode = 38200;
}  // namespace command

// What the viewer's controller asks of the main window; the Qt window implements it, tests
// implement it with a fake. Every call runs on the UI thread.
class ViewerView {
  public:
    virtual ~ViewerView() = default;
    // The video window of surface i (frames and notifications) for the players' Init.
    virtual playback::VideoWindow SurfaceWindow(int index) = 0;
    // Surface main_surface goes to the main window, the other to the movie window; the
    // movie window is titled by the UI text given; both windows are laid out again.
    virtual void PlaceSurfaces(int main_surface, int movie_title_text) = 0;
    virtual void SetZoomMode(bool zoom_mode) = 0;
    virtual void SetMirror(int surface_index, bool mirror) = 0;
    // The client rectangle of surface i.
    virtual QRect SurfaceClient(int index) const = 0;
    // Enters or leaves the full-window view with surface main_surface filling the monitor.
    virtual void ShowFullWindow(bool full_window, int main_surface) = 0;
    virtual void SetPlayButton(bool playing) = 0;
    // The position slider's range and position.
    virtual void ShowPosition(int frame, int frames) = 0;
    virtual void RepaintSurfaces() = 0;
    // A modal error message (caption "ERROR") with the UI text.
    virtual void ShowError(int text_id) = 0;
    virtual void Maximise(bool maximise) = 0;
    virtual void Minimise() = 0;
    // Ends the program's window (after the controller shut the players down).
    virtual void CloseWindow() = 0;
    // Shows the video context menu with these entries at a screen point and returns the
    // command chosen, 0 when it was dismissed. The controller carries the command out.
    virtual int ShowMovieMenu(const std::vector<MovieMenuEntry>& entries, bool full_window,
                              const QPoint& global) {
        (void)entries;
        (void)full_window;
        (void)global;
        return 0;
    }
};

}  // namespace ardelle::app
