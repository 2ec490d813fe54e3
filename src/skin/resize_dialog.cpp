#include "skin/resize_dialog.h"

#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>

#include "base/settings.h"
#include "skin/resize_frame_window.h"
#include "skin/skin.h"

namespace ardelle::skin {
namespace {
// The own drag moves the frame at most this often (the historical 0.08888 s).
constexpr qint64 kFrameUpdateMs = 89;
}  // namespace

CResizeDialog::CResizeDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {
    setMouseTracking(true);
}

CResizeDialog::~CResizeDialog() = default;

void CResizeDialog::SetBaseSize(const QSize& base) {
    base_ = base;
    setMinimumSize(base_);
}

void CResizeDialog::SetScales(double scale_x, double scale_y) {
    scale_x_ = scale_x;
    scale_y_ = scale_y;
}

QSize CResizeDialog::ScaledSize() const {
    return {static_cast<int>(std::trunc(base_.width() * scale_x_)),
            static_cast<int>(std::trunc(base_.height() * scale_y_))};
}

void CResizeDialog::SetSection(const QString& section) {
    section_ = section;
    const std::string name = section.toStdString();
    if (const auto x = base::ScaleFromSetting(base::ReadSetting(name, "SCALEX"))) {
        scale_x_ = *x;
    }
    if (const auto y = base::ScaleFromSetting(base::ReadSetting(name, "SCALEY"))) {
        scale_y_ = *y;
    }
    resize(ScaledSize());
}

void CResizeDialog::SaveScale() const {
    if (section_.isEmpty()) {
        return;
    }
    const std::string name = section_.toStdString();
    base::WriteSetting(name, "SCALEX", base::FormatScaleSetting(scale_x_));
    base::WriteSetting(name, "SCALEY", base::FormatScaleSetting(scale_y_));
}

HitArea CResizeDialog::HitAt(const QPoint& local) const {
    return HitTestResizeArea(size(), local, Skin::Instance().layout_scale(), locked_, maximised_);
}

QSize CResizeDialog::MonitorSize() const {
    const QScreen* monitor = screen();
    return monitor != nullptr ? monitor->geometry().size() : QSize(1 << 16, 1 << 16);
}

void CResizeDialog::UpdateCursor(HitArea area) {
    switch (area) {
        case HitArea::kLeft:
        case HitArea::kRight:
            setCursor(Qt::SizeHorCursor);
            break;
        case HitArea::kTop:
        case HitArea::kBottom:
            setCursor(Qt::SizeVerCursor);
            break;
        case HitArea::kTopLeft:
        case HitArea::kBottomRight:
            setCursor(Qt::SizeFDiagCursor);
            break;
        case HitArea::kTopRight:
        case HitArea::kBottomLeft:
            setCursor(Qt::SizeBDiagCursor);
            break;
        default:
            unsetCursor();
            break;
    }
}

void CResizeDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    button_down_ = true;
    press_global_ = event->globalPosition().toPoint();
    press_window_pos_ = pos();
    maximised_title_press_ = maximised_ && HitAt(event->position().toPoint()) == HitArea::kTitle;
    if (maximised_) {
        return;
    }
    const HitArea area = HitAt(event->position().toPoint());
    move_drag_ = area == HitArea::kTitle;
    own_move_ = false;
    resize_direction_ = 0;
    QWindow* window = windowHandle();
    if (move_drag_) {
        own_move_ = window == nullptr || !window->startSystemMove();
        return;
    }
    const int direction = ResizeDirection(area);
    if (direction == 0) {
        return;
    }
    if (window != nullptr && window->startSystemResize(ResizeEdges(direction))) {
        return;
    }
    // The window system cannot: the drag frame shows the new size until the release.
    resize_direction_ = direction;
    frame_start_ = geometry();
    if (!frame_) {
        frame_ = std::make_unique<CResizeFrameWindow>();
    }
    frame_->setGeometry(frame_start_);
    frame_->show();
    frame_->raise();
    last_frame_update_.start();
}

void CResizeDialog::mouseMoveEvent(QMouseEvent* event) {
    if (!button_down_) {
        UpdateCursor(HitAt(event->position().toPoint()));
        return;
    }
    const QPoint global = event->globalPosition().toPoint();
    if (maximised_title_press_ && maximised_ &&
        TitleDragRestores(press_global_, global, Skin::Instance().layout_scale())) {
        maximised_title_press_ = false;
        button_down_ = false;
        TitleDraggedWhileMaximised();
        return;
    }
    if (own_move_ && !locked_ && !maximised_) {
        move(press_window_pos_ + (global - press_global_));
    } else if (resize_direction_ != 0 && frame_ && last_frame_update_.elapsed() >= kFrameUpdateMs) {
        frame_->setGeometry(
            ConstrainResize(frame_start_, resize_direction_, global, base_, MonitorSize()).rect);
        last_frame_update_.restart();
    }
}

void CResizeDialog::FinishOwnResize(const QPoint& global) {
    const ConstrainedResize done =
        ConstrainResize(frame_start_, resize_direction_, global, base_, MonitorSize());
    frame_->hide();
    scale_x_ = done.scale_x;
    scale_y_ = done.scale_y;
    setGeometry(done.rect);
    Relayout();
    SaveScale();
}

void CResizeDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !button_down_) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    button_down_ = false;
    const bool was_resize = resize_direction_ != 0;
    if (was_resize && frame_ && !maximised_) {
        FinishOwnResize(event->globalPosition().toPoint());
    }
    resize_direction_ = 0;
    own_move_ = false;
    DragFinished(was_resize);
}

void CResizeDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    button_down_ = false;
    resize_direction_ = 0;
    if (frame_) {
        frame_->hide();
    }
    if (HitAt(event->position().toPoint()) == HitArea::kTitle) {
        TitleDoubleClicked();
    }
}

void CResizeDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!maximised_ && !locked_ && base_.width() > 0 && base_.height() > 0 &&
        resize_direction_ == 0 && !isFullScreen()) {
        // A resize the window system made: the scales follow the new size.
        scale_x_ = std::max(1.0, static_cast<double>(width()) / base_.width());
        scale_y_ = std::max(1.0, static_cast<double>(height()) / base_.height());
    }
    Relayout();
}

}  // namespace ardelle::skin
