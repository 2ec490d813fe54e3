#pragma once

#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>

#include "app/browser_list_window.h"
#include "app/file_commands.h"
#include "app/main_controller.h"
#include "app/main_layout.h"
#include "app/movie_dialog.h"
#include "app/movie_static.h"
#include "app/panel_slot.h"
#include "app/panel_views_host.h"
#include "app/still_views.h"
#include "app/ui_message_queue.h"
#include "app/update_host.h"
#include "app/viewer_controller.h"
#include "app/viewer_view.h"
#include "app/window_file_host.h"
#include "app/window_stand_ins.h"
#include "browser/file_select_dlg.h"
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
class CTovelDlg : public skin::CResizeDialog,
                  public ViewerView,
                  public SurfaceOwner,
                  public MainWindowPort {
  public:
    CTovelDlg();
    ~CTovelDlg() override;

    MainController& controller() { return *main_controller_; }
    ViewerController& display() { return *controller_; }
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
    // The recording list windows of the videos (0) and stills (1) tabs.
    BrowserListWindow& list_window(int tab) {
        return *list_windows_[static_cast<std::size_t>(tab)];
    }
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
    int ShowMovieMenu(const std::vector<MovieMenuEntry>& entries, bool full_window,
                      const QPoint& global) override;

    // The info panel, graph and map views (made once, in their slots).
    PanelViewsHost* panel_views() const { return panel_views_.get(); }

    // MainWindowPort
    void SetWaitCursor(bool waiting) override;
    void SetPositionSliderEnabled(bool enabled) override;
    void EndSliderCapture() override;
    void CloseMenus() override;
    void RaiseMovieWindow() override;
    void ShowSpeed(playback::SpeedCode code) override;
    void RefreshButtons() override;
    void SetMapDisplay(bool on, bool first_time) override;
    std::optional<std::string> ChooseSource() override;
    bool ProgramFileExists() const override;
    void Quit() override;

    // SurfaceOwner
    SurfacePaint PaintRule(int surface_index) const override;
    void SurfaceClicked(int surface_index, const QPoint& point) override;
    void SurfaceDoubleClicked(int surface_index) override;
    void SurfaceContextMenu(int surface_index, const QPoint& global) override;

    // ---- The window shell (tovel_dlg_shell.cpp): start-up clean-up, the update check,
    // the end of drags, maximised placement and the restore rectangle.
    // The source opened at start-up (its card's versions go to the update check).
    void SetStartSource(const std::string& source) { start_source_ = source; }
    // After initialisation, a monitor lower than the design maximises the window and
    // shrinks the text factor (off for a fixed scale).
    void SetFitToMonitor(bool fit) { fit_to_monitor_ = fit; }
    UpdateNoticeHost* update_host() const { return update_host_.get(); }
    const QRect& restore_rect() const { return restore_rect_; }
    bool drag_end_pending() const { return drag_end_timer_.isActive(); }
    // The caption band [6] inside the edges down to [27] moves the window; the rest of the
    // title band is client (never a move in the full-window view).
    skin::HitArea HitAt(const QPoint& local) const override;

    // ---- The captured-images tab (tovel_dlg_stills.cpp): the still surfaces lie where
    // the video surfaces do and are shown instead of them on that tab.
    CStillSurface* still_surface(int index) const {
        return still_surfaces_[static_cast<std::size_t>(index)];
    }
    StillViews& still_views() { return *still_views_; }
    int current_tab() const { return current_tab_; }
    // Shows the page of tab 0 (recorded videos) or 1 (captured images).
    void SwitchTab(int tab);
    // Draws the still recording into both still surfaces; none clears them.
    void DrawStillViews(catalogue::RecordingEntry* entry);

  protected:
    void DragFinished(bool was_resize) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void StartShell();
    void AfterInitialisationShell();
    // True when the message was the shell's alone.
    bool OnShellMessage(const PostedMessage& message);
    void FinishDrag();
    void PaintVolumeImage(QPainter& painter) const;
    void TakeRestoreRect();
    QRect MaximisedPlacement() const;

    void CreateStillViews();
    void PlaceStillSurfaces();
    // Zoom mode for the still surfaces; switched off, their zoom starts again.
    void SetStillZoomMode(bool zoom_mode);

    std::array<CStillSurface*, 2> still_surfaces_{};
    std::unique_ptr<StillViews> still_views_;
    int current_tab_ = 0;
    std::unique_ptr<UpdateNoticeHost> update_host_;
    std::string start_source_;
    bool fit_to_monitor_ = false;
    QTimer drag_end_timer_;
    bool drag_was_resize_ = false;
    QRect restore_rect_;
    bool restore_rect_protected_ = false;

  protected:
    void Relayout() override;
    void TitleDoubleClicked() override;
    void TitleDraggedWhileMaximised() override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The main controller over the list windows and the views beside the videos.
    void CreateController();
    void CreateChildren();
    void CreateButtons();
    void CreateListWindows();
    // A still of the stills tab was selected: its pictures and its position.
    void ShowStill(int row);
    void CreateFileCommands();
    void LayoutMainWindow();
    void LayoutMovieWindow();
    void SetNormalChildrenVisible(bool visible);
    void OnMessage(const PostedMessage& message);
    void OnCommand(int id);
    void CreatePanelViews();
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
    std::unique_ptr<skin::SkinMessageBoxes> list_messages_;
    std::array<std::unique_ptr<BrowserListWindow>, 2> list_windows_;
    MainLayout layout_;
    int main_surface_ = 0;
    bool full_window_ = false;
    bool closing_ = false;
    QRect normal_rect_;
    QRect known_work_area_;
    std::unique_ptr<ViewerController> controller_;
    std::unique_ptr<BrowserListPair> list_port_;
    std::unique_ptr<QtControllerTimers> timers_;
    std::unique_ptr<skin::SkinMessageBoxes> boxes_;
    std::unique_ptr<QtFolderPicker> picker_;
    std::unique_ptr<MainController> main_controller_;
    bool waiting_ = false;
    std::unique_ptr<PanelViewsHost> panel_views_;
    // The file operations and the snapshot, with the window's dialogs; declared last, so
    // a running worker is stopped before anything it reports to goes.
    QtFolderPicker folder_picker_{this, QtFolderPicker::OnCancel::kNothing};
    std::unique_ptr<skin::SkinMessageBoxes> message_boxes_;
    std::unique_ptr<browser::CFileSelectDlg> file_select_;
    std::unique_ptr<WindowFileHost> file_host_;
    std::unique_ptr<FileCommands> file_commands_;
};

}  // namespace ardelle::app
