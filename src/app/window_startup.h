#pragma once

#include <QRect>
#include <optional>

#include "skin/skin.h"

namespace ardelle::app {

// The part of start-up that clears what an earlier run left: the folder of repaired copies
// goes to the Trash (silently) and start-up waits until it is gone. True when nothing of it
// is left.
bool RemoveLeftoverRepairedCopies();

// Where a maximised window lies: the work area, but where the taskbar hides itself one
// pixel on the taskbar's side stays uncovered so that the mouse can still call it up.
// taskbar is the auto-hiding taskbar's rectangle, none when it does not hide itself.
QRect MaximisedTarget(const QRect& work_area, const QRect& monitor,
                      const std::optional<QRect>& taskbar);

// The window system's auto-hiding taskbar, when it has one and says where it is. The
// desktops here keep auto-hiding panels to themselves, so there is none to ask about.
std::optional<QRect> AutoHidingTaskbar();

// Once the window is shown: on a work area lower than the design height at the layout
// scale, the font factor shrinks by the height ratio (the fonts keep the size they were
// made with until they are made again) and the window is to be maximised. Returns whether
// to maximise.
bool ApplyMonitorFit(int work_height);

// The picture left of the volume slider: [30] x [20] at (A.right - [155],
// A.bottom - [5] - ([38] + [12]) / 2) of the window's client area A.
QRect VolumeImageRect(const QSize& window, double scale);
// Which picture the volume slider's value shows: off at 0, soft up to half, loud above.
skin::IconRole VolumeImageFor(int volume, int volume_max);

}  // namespace ardelle::app
