#pragma once

#include <optional>
#include <string>

#include "playback/player_types.h"

namespace ardelle::app {

// The main window's timers by number.
namespace timer {
inline constexpr int kTick = 100;        // 30 ms, the playback tick
inline constexpr int kOpen = 101;        // 500 ms one-shot, open the selected recording
inline constexpr int kWatchdog = 102;    // 5000 ms one-shot, stop waiting for the players
inline constexpr int kIdle = 103;        // 1000 ms, the application's idle processing
inline constexpr int kRefresh = 104;     // one-shot, refresh the buttons
inline constexpr int kSpeedGuard = 106;  // 1000 ms one-shot, admit the next speed change
inline constexpr int kTickMs = 30;
inline constexpr int kOpenDelayMs = 500;
inline constexpr int kWatchdogMs = 5000;
inline constexpr int kSpeedGuardMs = 1000;
}  // namespace timer

// Starts and kills the controller's numbered timers; an expired timer comes back as
// MainController::OnTimer(id) on the UI thread. The window runs them on QTimers, tests
// on a clock they advance themselves. Starting a running timer restarts it.
class ControllerTimers {
  public:
    virtual ~ControllerTimers() = default;
    virtual void Start(int id, int period_ms, bool single_shot) = 0;
    virtual void Kill(int id) = 0;
};

// What the main window's controller asks of the window beyond the video surfaces: the
// wait cursor, the slider, the buttons, the floating windows and the dialogs it owns.
// Every call runs on the UI thread.
class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;
    virtual void SetWaitCursor(bool waiting) = 0;
    virtual void SetPositionSliderEnabled(bool enabled) = 0;
    // Ends a drag of the slider's thumb (the selection moved away under it).
    virtual void EndSliderCapture() = 0;
    // Closes an open popup menu (the guard refused, or a recording opened).
    virtual void CloseMenus() = 0;
    virtual void RaiseMovieWindow() = 0;
    virtual void ShowSpeed(playback::SpeedCode code) = 0;
    virtual void RefreshButtons() = 0;
    // The map display switch changed; first_time when it goes on for the first time (the
    // map window is then placed).
    virtual void SetMapDisplay(bool on, bool first_time) = 0;
    // The source selection dialog: the chosen source, nothing when cancelled.
    virtual std::optional<std::string> ChooseSource() = 0;
    // Whether the program's own executable file still exists (it may lie on the card).
    virtual bool ProgramFileExists() const = 0;
    // Ends the message loop after the shutdown.
    virtual void Quit() = 0;
};

}  // namespace ardelle::app
