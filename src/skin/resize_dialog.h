#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <memory>

#include "skin/resize_geometry.h"

namespace ardelle::skin {

class CResizeFrameWindow;

// A frameless top-level window that moves and resizes itself: a press on its title band
// moves it, a press on an edge or corner resizes it. The window system does the drag where
// it can (startSystemMove / startSystemResize); where it cannot (X11 without a window
// manager) the window drags itself, showing the drag frame while resizing. Its size is its
// base size times its scale factors, which are kept in a settings section.
class CResizeDialog : public QDialog {
  public:
    explicit CResizeDialog(QWidget* parent = nullptr);
    ~CResizeDialog() override;

    void SetBaseSize(const QSize& base);
    QSize base_size() const { return base_; }
    double scale_x() const { return scale_x_; }
    double scale_y() const { return scale_y_; }
    void SetScales(double scale_x, double scale_y);
    // Reads SCALEX and SCALEY of the section (values not above 0 are ignored) and sizes the
    // window to base x scale at its position.
    void SetSection(const QString& section);
    const QString& section() const { return section_; }
    // Writes the scales as "%f" under the section.
    void SaveScale() const;
    // The size base x scale, truncated.
    QSize ScaledSize() const;

    void SetLocked(bool locked) { locked_ = locked; }
    void SetMaximisedFlag(bool maximised) { maximised_ = maximised; }
    bool maximised_flag() const { return maximised_; }
    // The last press was on the title band (a move, not a resize).
    bool move_drag_mark() const { return move_drag_; }
    void ClearMoveDragMark() { move_drag_ = false; }
    // The window's own drag handling resizes (the drag frame is shown).
    bool own_resize_active() const { return resize_direction_ != 0; }

    // What a press at local does; a window with its own caption rule refines it.
    virtual HitArea HitAt(const QPoint& local) const;

  protected:
    // Lays the children out for the current size; called after every resize.
    virtual void Relayout() {}
    // A double click on the title band (the main window maximises, floating windows reset).
    virtual void TitleDoubleClicked() {}
    // A maximised window's title was dragged far enough to restore it.
    virtual void TitleDraggedWhileMaximised() {}
    // The end of a move or resize drag.
    virtual void DragFinished(bool was_resize) { (void)was_resize; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void UpdateCursor(HitArea area);
    void FinishOwnResize(const QPoint& global);
    QSize MonitorSize() const;

    QSize base_{1120, 697};
    double scale_x_ = 1.0;
    double scale_y_ = 1.0;
    QString section_;
    bool locked_ = false;
    bool maximised_ = false;
    bool button_down_ = false;
    bool move_drag_ = false;
    bool maximised_title_press_ = false;
    bool own_move_ = false;
    int resize_direction_ = 0;
    QPoint press_global_;
    QPoint press_window_pos_;
    QRect frame_start_;
    QElapsedTimer last_frame_update_;
    std::unique_ptr<CResizeFrameWindow> frame_;
};

}  // namespace ardelle::skin
