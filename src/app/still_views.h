#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "app/surface_rules.h"

namespace ardelle::catalogue {
struct RecordingEntry;
}

namespace ardelle::app {

// Where a still picture is drawn on its surface. With keep_aspect, the largest rectangle of
// the picture's aspect ratio in the drawing rectangle (the zoom rectangle), centred on it;
// otherwise the whole client area (the zoom has no effect then).
QRect StillDestination(const QSize& picture, const QSize& client, const QRect& drawing,
                       bool keep_aspect);

// The picture quality a still's height tells: 11 for 720 lines, 12 for 1080; none otherwise.
std::optional<int> StillQualityCode(int picture_height);

// The surface's picture: client-sized, a very dark red behind the picture, the picture
// smoothly scaled into its destination, all of it flipped left to right when mirrored.
QImage RenderStill(const QImage& picture, const QSize& client, const QRect& drawing,
                   bool keep_aspect, bool mirrored);

// A still surface: shows the picture the still views drew for it, or its background (the
// no-picture text in red on black, or black). A single click (after the double-click time)
// and a double click go to the callbacks.
class CStillSurface : public QWidget {
  public:
    CStillSurface(int surface_index, QWidget* parent);

    int surface_index() const { return surface_index_; }
    void ShowPicture(const QImage& picture);
    // text_id 0: black.
    void ShowBackground(int text_id);
    const QImage& picture() const { return picture_; }
    int background_text() const { return text_id_; }
    void SetZoomMode(bool zoom_mode);
    void SetOnClick(std::function<void(const QPoint&)> on_click) {
        on_click_ = std::move(on_click);
    }
    void SetOnDoubleClick(std::function<void()> on_double) { on_double_ = std::move(on_double); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    const int surface_index_;
    QImage picture_;
    int text_id_ = 0;
    QPoint down_;
    bool double_click_ = false;
    QTimer* click_timer_ = nullptr;
    std::function<void(const QPoint&)> on_click_;
    std::function<void()> on_double_;
};

// The two still views of the captured-images tab: the front and rear picture of the selected
// still recording drawn into the two still surfaces, with their zoom, the rear picture's
// mirror and the keep-aspect mode (on at start, not stored).
class StillViews {
  public:
    explicit StillViews(std::array<CStillSurface*, 2> surfaces) : surfaces_(surfaces) {}

    // Draws entry's front picture into surface 0 and its rear one into surface 1; none
    // clears both. A 720- or 1080-line picture sets the entry's quality code. A picture
    // that cannot be decoded is not drawn, and a front one that fails leaves the rear
    // undrawn too.
    void Draw(catalogue::RecordingEntry* entry);
    void Redraw() { Draw(entry_); }
    // The entry was removed or replaced: nothing is drawn from it any more.
    void Forget() { entry_ = nullptr; }

    bool keep_aspect() const { return keep_aspect_; }
    void SetKeepAspect(bool keep_aspect);
    void ToggleKeepAspect() { SetKeepAspect(!keep_aspect_); }
    // Only the rear picture can be mirrored.
    bool mirrored() const { return mirrored_; }
    void ToggleMirror();

    const SurfaceZoom& zoom(int surface_index) const {
        return zooms_[static_cast<std::size_t>(surface_index)];
    }
    // where: 0 the surface lies in the main video area, 1 in the movie window.
    void ResetZoom(int surface_index, int where, double scale);
    // A click on a still surface in zoom mode: the level steps around the point; redrawn.
    bool ZoomClick(int surface_index, int where, bool zoom_mode, const QPoint& point, double scale);
    // The drawing rectangle of a surface: its client area zoomed.
    QRect DrawingRect(int surface_index) const;

  private:
    bool DrawOne(int surface_index, const std::string& path, bool other_exists);

    std::array<CStillSurface*, 2> surfaces_;
    std::array<SurfaceZoom, 2> zooms_{};
    std::array<QRect, 2> pictures_{};  // where each picture was drawn last
    catalogue::RecordingEntry* entry_ = nullptr;
    bool keep_aspect_ = true;
    bool mirrored_ = false;
};

}  // namespace ardelle::app
