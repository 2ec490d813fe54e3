// The main window's shell: what start-up clears, the update check, the end of a move or
// resize drag, the maximised placement and the rectangle a restore returns to.
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QStyleHints>

#include "app/tovel_dlg.h"
#include "app/window_startup.h"

namespace ardelle::app {
namespace {
constexpr std::int64_t kFloatingDragEnded = 2;
}  // namespace

void CTovelDlg::StartShell() {
    // Repaired copies an earlier run left behind go before the window is ready.
    RemoveLeftoverRepairedCopies();
    update_host_ = std::make_unique<UpdateNoticeHost>(
        UpdateNoticeHost::Options{ConfiguredUpdateEndpoints(), {}}, queue_.get());
    drag_end_timer_.setSingleShot(true);
    connect(&drag_end_timer_, &QTimer::timeout, this, [this] { FinishDrag(); });
}

void CTovelDlg::AfterInitialisationShell() {
    update_host_->Start(start_source_);
    TakeRestoreRect();
    // A monitor lower than the design: smaller text factor and a maximised window.
    if (const QScreen* monitor = screen(); fit_to_monitor_ && monitor != nullptr &&
                                           ApplyMonitorFit(monitor->availableGeometry().height())) {
        Maximise(true);
    }
    movie_window_->raise();
}

bool CTovelDlg::OnShellMessage(const PostedMessage& message) {
    switch (message.id) {
        case AppMessage::kUpdateNotice:
            update_host_->ShowNotice();
            return true;
        case AppMessage::kMovieWindowPainted:
            // The movie window painted over its surface's bands: the pictures are placed
            // again and the bands beside them painted black.
            controller_->pair().SetZoom(
                {ToZoomSpec(controller_->zoom(0)), ToZoomSpec(controller_->zoom(1))}, 0);
            return true;
        case AppMessage::kSliderMoving:
        case AppMessage::kSliderButtonUp:
            if (message.wparam == volume_slider_->control_id()) {
                update(VolumeImageRect(size(), scale()));  // the picture follows the volume
            }
            return false;  // the volume itself is the controller's
        case AppMessage::kMovieWindowClosed:
            return true;  // the window hid itself
        case AppMessage::kFloatingWindowMoved: {
            const bool from_movie_window = message.lparam == kFloatingDragEnded;
            // A move keeps the zoom; a resize resets that window's surface's and applies it
            // again. The stills are redrawn here, the videos re-placed by the controller.
            if (message.wparam != 0 && current_tab_ == 1) {
                const int surface = from_movie_window ? 1 - main_surface_ : main_surface_;
                still_views_->ResetZoom(surface, from_movie_window ? 1 : 0, scale());
                still_views_->Redraw();
            }
            if (from_movie_window) {
                return false;
            }
            if (message.wparam != 0) {
                controller_->OnLayoutChanged();
            }
            return true;
        }
        default:
            return false;
    }
}

void CTovelDlg::DragFinished(bool was_resize) {
    if (maximised_flag() || drag_end_timer_.isActive()) {
        return;
    }
    drag_was_resize_ = was_resize;
    // A quarter of the double-click time, so a double click on the title is not taken
    // for the end of a drag.
    drag_end_timer_.start(QGuiApplication::styleHints()->mouseDoubleClickInterval() / 4);
}

void CTovelDlg::PaintVolumeImage(QPainter& painter) const {
    const QRect area = VolumeImageRect(size(), scale());
    const skin::Skin& skin = skin::Skin::Instance();
    const skin::IconRole role = VolumeImageFor(volume_slider_->pos(), volume_slider_->max());
    const int side = area.height();
    painter.drawPixmap(area.left() + (area.width() - side) / 2, area.top(),
                       skin.Icon(role, side, skin.Colour(skin::ColourRole::kTitleText)));
}

void CTovelDlg::FinishDrag() {
    drag_end_timer_.stop();
    releaseMouse();
    const double s = scale();
    SetBaseSize(MainWindowBaseSize(s));
    if (drag_was_resize_) {
        LayoutMainWindow();
        SaveScale();
    }
    if (const QScreen* monitor = screen()) {
        RescaleToWorkArea(monitor->availableGeometry(),
                          static_cast<int>(monitor->logicalDotsPerInchX()),
                          static_cast<int>(monitor->logicalDotsPerInchY()));
    }
    TakeRestoreRect();
    if (drag_was_resize_) {
        queue_->Post({AppMessage::kFloatingWindowMoved, 1, main_surface_});
    }
    drag_was_resize_ = false;
}

void CTovelDlg::TakeRestoreRect() {
    if (restore_rect_protected_) {
        // The geometry that follows leaving the full-window view of a maximised window is
        // the monitor's, not one to restore to.
        restore_rect_protected_ = false;
        return;
    }
    if (!maximised_flag() && !isMinimized() && !full_window_) {
        restore_rect_ = geometry();
    }
}

skin::HitArea CTovelDlg::HitAt(const QPoint& local) const {
    const skin::HitArea area = CResizeDialog::HitAt(local);
    if (maximised_flag() || full_window_) {
        return area;  // the own drag handling sees a maximised window's title press
    }
    const bool caption = skin::MainWindowCaptionAt(size(), local, scale(), full_window_, false);
    if (caption && area == skin::HitArea::kClient) {
        return skin::HitArea::kTitle;
    }
    if (!caption && area == skin::HitArea::kTitle) {
        return skin::HitArea::kClient;
    }
    return area;
}

QRect CTovelDlg::MaximisedPlacement() const {
    const QScreen* monitor = screen();
    if (monitor == nullptr) {
        return geometry();
    }
    return MaximisedTarget(monitor->availableGeometry(), monitor->geometry(), AutoHidingTaskbar());
}

void CTovelDlg::moveEvent(QMoveEvent* event) {
    CResizeDialog::moveEvent(event);
    if (!own_resize_active()) {
        TakeRestoreRect();
    }
}

void CTovelDlg::resizeEvent(QResizeEvent* event) {
    CResizeDialog::resizeEvent(event);
    TakeRestoreRect();
}

}  // namespace ardelle::app
