// The main window's captured-images tab: the two still surfaces, placed where the video
// surfaces lie (the main surface's in the main video area, the other in the movie window),
// shown instead of the video surfaces while the tab is current.
#include "app/tovel_dlg.h"
#include "catalogue/recording_entry.h"

namespace ardelle::app {

void CTovelDlg::CreateStillViews() {
    still_surfaces_[0] = new CStillSurface(0, this);
    still_surfaces_[1] = new CStillSurface(1, movie_window_.get());
    for (CStillSurface* surface : still_surfaces_) {
        surface->hide();
        surface->SetOnClick([this, index = surface->surface_index()](const QPoint& point) {
            const int where = index == main_surface_ ? 0 : 1;
            still_views_->ZoomClick(index, where, controller_->zoom_mode(), point, scale());
        });
        surface->SetOnDoubleClick([this, index = surface->surface_index()] {
            if (index == main_surface_ && !controller_->zoom_mode()) {
                controller_->OnSurfaceDoubleClicked(index);
            }
        });
    }
    still_views_ = std::make_unique<StillViews>(still_surfaces_);
    still_views_->ResetZoom(0, 0, scale());
    still_views_->ResetZoom(1, 1, scale());
}

void CTovelDlg::PlaceStillSurfaces() {
    if (still_surfaces_[0] == nullptr) {
        return;
    }
    CStillSurface* main = still_surfaces_[static_cast<std::size_t>(main_surface_)];
    CStillSurface* movie = still_surfaces_[static_cast<std::size_t>(1 - main_surface_)];
    if (main->parentWidget() != this) {
        main->setParent(this);
        movie->setParent(movie_window_.get());
    }
    main->setGeometry(layout_.video_surface);
    movie->setGeometry(movie_window_->ContentRect());
    main->setVisible(current_tab_ == 1);
    movie->setVisible(current_tab_ == 1);
    if (current_tab_ == 1) {
        // A new size: the zoom starts again and the pictures are drawn for it.
        still_views_->ResetZoom(main_surface_, 0, scale());
        still_views_->ResetZoom(1 - main_surface_, 1, scale());
        still_views_->Redraw();
    }
}

void CTovelDlg::SetStillZoomMode(bool zoom_mode) {
    for (CStillSurface* surface : still_surfaces_) {
        surface->SetZoomMode(zoom_mode);
    }
    if (!zoom_mode) {
        still_views_->ResetZoom(main_surface_, 0, scale());
        still_views_->ResetZoom(1 - main_surface_, 1, scale());
        still_views_->Redraw();
    }
}

void CTovelDlg::SwitchTab(int tab) {
    if (tab == current_tab_ || (tab != 0 && tab != 1)) {
        return;
    }
    setUpdatesEnabled(false);
    current_tab_ = tab;
    slots_.lists[0]->setVisible(tab == 0);
    slots_.lists[1]->setVisible(tab == 1);
    position_slider_->setEnabled(tab == 0);
    for (CMovieStatic* surface : surfaces_) {
        surface->setVisible(tab == 0);
    }
    PlaceStillSurfaces();
    setUpdatesEnabled(true);
    update();
}

void CTovelDlg::DrawStillViews(catalogue::RecordingEntry* entry) {
    still_views_->Draw(entry);
}

}  // namespace ardelle::app
