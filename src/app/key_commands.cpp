#include "app/key_commands.h"

#include <Qt>

#include "app/main_controller.h"

namespace ardelle::app {

KeyCommand KeyToCommand(int qt_key, bool shift) {
    using Kind = KeyCommand::Kind;
    switch (qt_key) {
        case Qt::Key_Space:
            return {Kind::kCommand, command::kPlayPause};
        case Qt::Key_Left:
            return shift ? KeyCommand{Kind::kSecondStep, -5} : KeyCommand{Kind::kFrameStep, -1};
        case Qt::Key_Right:
            return shift ? KeyCommand{Kind::kSecondStep, 5} : KeyCommand{Kind::kFrameStep, 1};
        case Qt::Key_PageUp:
            return {Kind::kCommand, command::kPrevious};
        case Qt::Key_PageDown:
            return {Kind::kCommand, command::kNext};
        case Qt::Key_Home:
            return {Kind::kCommand, command::kFirstFrame};
        case Qt::Key_F:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return {Kind::kFullWindow, 0};
        case Qt::Key_Escape:
            return {Kind::kLeaveFullWindow, 0};
        case Qt::Key_M:
            return {Kind::kCommand, command::kMirror};
        case Qt::Key_D:
            return {Kind::kCommand, command::kDisplaySwitch};
        case Qt::Key_S:
            return {Kind::kCommand, command::kSnapshot};
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            return {Kind::kCommand, command::kFaster};
        case Qt::Key_Minus:
            return {Kind::kCommand, command::kSlower};
        default:
            return {};
    }
}

}  // namespace ardelle::app
