#pragma once

#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>

#include "app/file_commands.h"
#include "app/main_layout.h"
#include "app/movie_dialog.h"
#include "app/movie_static.h"
#include "app/panel_slot.h"
#include "app/ui_message_queue.h"
#include "app/viewer_controller.h"
#include "app/viewer_view.h"
#include "app/window_file_host.h"
#include "skin/msg_dlg.h"
#include "skin/resize_dialog.h"
#include "skin/skin_button.h"
#include "skin/skin_progress_bar_ctrl.h"
#include "skin/skin_slider_ctrl.h"
#include "skin/skin_tab_ctrl.h"

namespace ardelle::app {

// The places other subsystems fill: each an empty panel of the right size until its
// content arrives (PanelSlot::SetContent).
struct PanelSlots {
    PanelSlot* graph = nullptr;         // the acceleration graph
    PanelSlot* info_panel = nullptr;    // date, time, speed and G values
    std::array<PanelSlot*, 2> lists{};  // recording list windows: videos tab, stills tab
    PanelSlot* map_host = nullptr;      // in the map window
};

// The main window: a frameless, skinned window that places its children where the layout
// rules put them, owns the floating movie and map windows and the two video surfaces, and
// hands every input to the controller. It decides nothing itself.
class CTovelDlg : public skin::CResizeDialog, public ViewerView, public SurfaceOwner {
  public:
    CTovelDlg();
    ~CTovelDlg() override;

    ViewerController& controller() { return *controller_; }
    const PanelSlots& panel_slots() const { return slots_; }
    CMovieStatic* surface(int index) const { return surfaces_[static_cast<std::size_t>(index)]; }
    CMovieDialog* movie_window() const { return movie_window_.get(); }
    CMovieDialog* map_window() const { return map_window_.get(); }
    skin::CSkinButton* tool_button(int index) const {
        return tool_buttons_[static_cast<std::size_t>(index)];
    }
    skin::CSkinButton* title_button(int index) const {
        return title_buttons_[static_cast<std::size_t>(index)];
    }
    skin::CSkinSliderCtrl* position_slider() const { return position_slider_; }
    skin::CSkinSliderCtrl* volume_slider() const { return volume_slider_; }
    skin::CSkinProgressBarCtrl* progress_bar() const { return progress_bar_; }
    skin::CSkinTabCtrl* tab_strip() const { return tab_strip_; }
    const MainLayout& layout() const { return layout_; }
    MessageSink& queue() { return *queue_; }
    FileCommands& file_commands() { return *file_commands_; }
    WindowFileHost& file_host() { return *file_host_; }

    // The after-initialisation step (posted once the window is shown): the movie window is
    // placed at its home and shown.
    void AfterInitialisation();
    void PlaceMovieWindow();
    // The work area changed (another monitor, a new resolution): the scale is computed
    // again as at start-up and the windows take their base sizes at it. Nothing when the
    // work area is the known one.
    void RescaleToWorkArea(const QRect& work_area, int dpi_x, int dpi_y);

    // ViewerView
    playback::VideoWindow SurfaceWindow(int index) override;
    void PlaceSurfaces(int main_surface, int movie_title_text) override;
    void SetZoomMode(bool zoom_mode) override;
    void SetMirror(int surface_index, bool mirror) override;
    QRect SurfaceClient(int index) const override;
    void ShowFullWindow(bool full_window, int main_surface) override;
    void SetPlayButton(bool playing) override;
    void ShowPosition(int frame, int frames) override;
    void RepaintSurfaces() override;
    void ShowError(int text_id) override;
    void Maximise(bool maximise) override;
    void Minimise() override;
    void CloseWindow() override;

    // SurfaceOwner
    SurfacePaint PaintRule(int surface_index) const override;
    void SurfaceClicked(int surface_index, const QPoint& point) override;
    void SurfaceDoubleClicked(int surface_index) override;
    void SurfaceContextMenu(int surface_index, const QPoint& global) override;

  protected:
    void Relayout() override;
    void TitleDoubleClicked() override;
    void TitleDraggedWhileMaximised() override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void CreateChildren();
    void CreateButtons();
    void CreateFileCommands();
    void LayoutMainWindow();
    void LayoutMovieWindow();
    void SetNormalChildrenVisible(bool visible);
    void OnMessage(const PostedMessage& message);
    void OnCommand(int id);
    double scale() const;

    std::unique_ptr<UiMessageQueue> queue_;
    std::unique_ptr<CMovieDialog> movie_window_;
    std::unique_ptr<CMovieDialog> map_window_;
    std::array<CMovieStatic*, 2> surfaces_{};
    std::array<skin::CSkinButton*, kToolButtonCount> tool_buttons_{};
    std::array<skin::CSkinButton*, kTitleButtonCount> title_buttons_{};
    skin::CSkinSliderCtrl* position_slider_ = nullptr;
    skin::CSkinSliderCtrl* volume_slider_ = nullptr;
    skin::CSkinProgressBarCtrl* progress_bar_ = nullptr;
    skin::CSkinTabCtrl* tab_strip_ = nullptr;
    PanelSlots slots_;
    MainLayout layout_;
    int main_surface_ = 0;
    bool full_window_ = false;
    bool closing_ = false;
    QRect normal_rect_;
    QRect known_work_area_;
    QTimer position_timer_;
    std::unique_ptr<ViewerController> controller_;
    // The file operations and the snapshot, with the window's dialogs; declared last, so
    // a running worker is stopped before anything it reports to goes.
    QtFolderPicker folder_picker_{this};
    SelectEveryRecording select_every_recording_;
    std::unique_ptr<skin::SkinMessageBoxes> message_boxes_;
    std::unique_ptr<WindowFileHost> file_host_;
    std::unique_ptr<FileCommands> file_commands_;
};

}  // namespace ardelle::app
