#pragma once

#include <QWidget>

#include "base/messages.h"

namespace ardelle::skin {

// The position and volume slider: a track whose played part is coloured and a thumb; a
// press, each move while pressed and the release are posted to the owner's sink with
// wparam = control id and lparam = the position (0x8066, 0x8065, 0x8067).
class CSkinSliderCtrl : public QWidget {
  public:
    CSkinSliderCtrl(int control_id, MessageSink* owner, QWidget* parent);

    void SetRange(int min, int max);
    void SetPos(int pos);
    int pos() const { return pos_; }
    int min() const { return min_; }
    int max() const { return max_; }
    int control_id() const { return control_id_; }
    // While clear, input only ends a drag, without a message.
    void SetEnabledFlag(bool enabled);
    bool dragging() const { return dragging_; }
    // The last press was beside the thumb (more than the margin away from it).
    bool pressed_beside_thumb() const { return beside_thumb_; }
    // Ends a drag from outside (the tab switch), without a message.
    void EndDrag();
    int ThumbWidth() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void Notify(AppMessage id);
    void SetPosFromX(int x);

    int control_id_;
    MessageSink* owner_;
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    bool enabled_flag_ = true;
    bool dragging_ = false;
    bool beside_thumb_ = false;
};

}  // namespace ardelle::skin
