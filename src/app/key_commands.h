#pragma once

namespace ardelle::app {

// What a key of the main window does: a command (the same path and guard as its button),
// a step of frames or seconds, or the full-window view.
struct KeyCommand {
    enum class Kind { kNone, kCommand, kFrameStep, kSecondStep, kFullWindow, kLeaveFullWindow };
    Kind kind = Kind::kNone;
    int value = 0;  // the command id, or the signed step

    friend bool operator==(const KeyCommand&, const KeyCommand&) = default;
};

// The key bindings: Space play/pause, Left/Right one frame (Shift: 5 s), Page Up/Down the
// previous/next recording, Home the first frame, F or Enter the full-window view, Esc
// leaves it, M mirror, D display switch, S snapshot, +/- speed. qt_key is a Qt::Key.
KeyCommand KeyToCommand(int qt_key, bool shift);

}  // namespace ardelle::app
