#pragma once

#include <QAbstractButton>

#include "skin/skin.h"

namespace ardelle::skin {

// The four looks of an image button.
enum class ButtonFrame { kNormal = 0, kHover = 1, kPressed = 2, kDisabled = 3 };

// Disabled wins, then pressed or on, then the mouse over it.
ButtonFrame ButtonFrameFor(bool enabled, bool pressed, bool on, bool hover);

// An image button: a square icon on a face whose colour tells its state (normal, mouse
// over, pressed or on, disabled). Keys never press it; the owner reacts to clicked().
class CSkinButton : public QAbstractButton {
  public:
    CSkinButton(IconRole icon, int command_id, QWidget* parent);
    // A button that shows a text instead of an icon (the message dialog's answers).
    CSkinButton(const QString& text, int command_id, QWidget* parent);

    int command_id() const { return command_id_; }
    void SetIcon(IconRole icon);
    IconRole icon_role() const { return icon_; }
    // Shown as pressed while set (the owner's toggle state).
    void SetOn(bool on);
    bool on() const { return on_; }
    // Nothing is drawn while set.
    void SetNoDraw(bool no_draw);
    ButtonFrame frame() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    IconRole icon_ = IconRole::kClose;
    bool shows_text_ = false;
    int command_id_;
    bool on_ = false;
    bool no_draw_ = false;
    bool hover_ = false;
};

}  // namespace ardelle::skin
