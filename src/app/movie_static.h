#pragma once

#include <QTimer>
#include <QWidget>
#include <atomic>

#include "app/surface_rules.h"
#include "playback/frame_mailbox.h"
#include "playback/frame_target.h"

namespace ardelle::app {

// What a video surface asks of and tells its owner, the main window.
class SurfaceOwner {
  public:
    virtual ~SurfaceOwner() = default;
    // What surface index paints now (the players' state decides).
    virtual SurfacePaint PaintRule(int surface_index) const = 0;
    // A single click, delivered once the double-click time passed without a second one.
    virtual void SurfaceClicked(int surface_index, const QPoint& point) = 0;
    virtual void SurfaceDoubleClicked(int surface_index) = 0;
    virtual void SurfaceContextMenu(int surface_index, const QPoint& global) = 0;
};

// A video surface: player i draws its pictures here. PresentFrame arrives on a streaming
// thread: the frame goes into the mailbox and one repaint is queued; the paint wraps the
// frame's BGRx rows in a QImage without copying and draws it scaled into the destination,
// mirrored by the painter's transform, the rest black. The player's notifications are
// forwarded to the owner's queue as the surface messages, with the surface index.
class CMovieStatic : public QWidget, public playback::FrameTarget, public MessageSink {
  public:
    CMovieStatic(int surface_index, SurfaceOwner* owner, MessageSink* owner_queue, QWidget* parent);

    int surface_index() const { return surface_index_; }
    // Places the surface; the engine sees the new client area at once, also while the
    // surface is hidden (a hidden widget gets its resize event only when shown).
    void Place(const QRect& geometry);
    void SetZoomMode(bool zoom_mode);
    bool zoom_mode() const { return zoom_mode_; }
    void SetMirror(bool mirror) { mirror_ = mirror; }
    bool mirror() const { return mirror_; }

    // FrameTarget (any thread).
    playback::VideoRect ClientRect() const override;
    void PresentFrame(const playback::SharedFrame& frame, const playback::VideoRect& destination,
                      bool mirrored) override;
    // MessageSink (any thread): the player's ready and ended notifications.
    void Post(const PostedMessage& message) override;

    // The picture last painted (client coordinates) and what it showed.
    playback::FrameMailbox::Picture LastPainted() const;
    // Distinct frames handed over (repaints of the same frame not counted).
    std::uint64_t presented_count() const { return mailbox_.distinct_count(); }
    // Distinct frames painted (repaints of the same frame not counted).
    std::uint64_t painted_count() const { return painted_.load(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void PaintText(QPainter& painter, int text_id);
    void PaintPending();
    void DeliverClick();

    const int surface_index_;
    SurfaceOwner* owner_;
    MessageSink* owner_queue_;
    playback::FrameMailbox mailbox_;
    playback::FrameMailbox::Picture painted_picture_;
    std::atomic<std::uint64_t> painted_{0};
    bool zoom_mode_ = false;
    bool mirror_ = false;
    bool click_done_ = false;
    bool double_click_ = false;
    QPoint down_;
    QTimer click_timer_;
};

}  // namespace ardelle::app
