#pragma once

#include <QWidget>

namespace ardelle::skin {

// The frame shown while a window is resized by its own drag handling: a top-level window
// of which only a thin coloured rim is visible (the rest is masked out).
class CResizeFrameWindow : public QWidget {
  public:
    CResizeFrameWindow();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace ardelle::skin
