#include "app/movie_static.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include "base/ui_text.h"
#include "skin/skin.h"

namespace ardelle::app {
namespace {
// Opaque black, the colour beside and behind the picture.
const QColor kBlack(0, 0, 0);

QRect ToQRect(const playback::VideoRect& rect) {
    return {rect.left, rect.top, rect.width(), rect.height()};
}
}  // namespace

CMovieStatic::CMovieStatic(int surface_index, SurfaceOwner* owner, MessageSink* owner_queue,
                           QWidget* parent)
    : QWidget(parent), surface_index_(surface_index), owner_(owner), owner_queue_(owner_queue) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setObjectName(QStringLiteral("video_surface_%1").arg(surface_index));
    click_timer_.setSingleShot(true);
    connect(&click_timer_, &QTimer::timeout, this, [this] { DeliverClick(); });
}

void CMovieStatic::Place(const QRect& geometry) {
    setGeometry(geometry);
    mailbox_.SetClient({0, 0, geometry.width(), geometry.height()});
}

void CMovieStatic::SetZoomMode(bool zoom_mode) {
    zoom_mode_ = zoom_mode;
    if (zoom_mode) {
        const int side = skin::Skin::Instance().Scaled(32);
        setCursor(QCursor(skin::Skin::Instance().Icon(skin::IconRole::kZoom, side, Qt::white)));
    } else {
        unsetCursor();
    }
}

playback::VideoRect CMovieStatic::ClientRect() const {
    return mailbox_.client();
}

void CMovieStatic::PresentFrame(const playback::SharedFrame& frame,
                                const playback::VideoRect& destination, bool mirrored) {
    if (mailbox_.Store(frame, destination, mirrored)) {
        // Queued to the UI thread; the players are stopped before a surface goes away.
        QMetaObject::invokeMethod(this, &CMovieStatic::PaintPending, Qt::QueuedConnection);
    }
}

void CMovieStatic::PaintPending() {
    // Painted at once rather than through the window's low-priority update request, which
    // other events overtake: a frame waits no longer than the event loop's turn.
    if (isVisible()) {
        repaint();
    } else {
        update();
    }
}

void CMovieStatic::Post(const PostedMessage& message) {
    if (owner_queue_ == nullptr) {
        return;
    }
    AppMessage forwarded = message.id;
    if (message.id == AppMessage::kPlayerReady) {
        forwarded = AppMessage::kSurfacePlayerReady;
    } else if (message.id == AppMessage::kPlayerEnded) {
        forwarded = AppMessage::kSurfacePlayerEnded;
    }
    owner_queue_->Post({forwarded, message.wparam, surface_index_});
}

playback::FrameMailbox::Picture CMovieStatic::LastPainted() const {
    return painted_picture_;
}

void CMovieStatic::resizeEvent(QResizeEvent* event) {
    mailbox_.SetClient({0, 0, width(), height()});
    QWidget::resizeEvent(event);
}

void CMovieStatic::PaintText(QPainter& painter, int text_id) {
    painter.fillRect(rect(), kBlack);
    painter.setFont(skin::Skin::Instance().Font(skin::FontRole::k13));
    painter.setPen(skin::Skin::Instance().Colour(skin::ColourRole::kNoDataText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromUtf8(base::UiText(text_id)));
}

void CMovieStatic::paintEvent(QPaintEvent*) {
    if (width() == 0) {
        return;
    }
    QPainter painter(this);
    const SurfacePaint rule =
        owner_ != nullptr ? owner_->PaintRule(surface_index_) : SurfacePaint::kBlack;
    const playback::FrameMailbox::Picture picture = mailbox_.Take();
    if (mailbox_.repaint_pending()) {
        // A frame kept back is painted now: the newest follows in the next turn.
        QMetaObject::invokeMethod(this, &CMovieStatic::PaintPending, Qt::QueuedConnection);
    }
    if (rule != SurfacePaint::kPicture) {
        painted_picture_ = {};
        if (const int text = SurfacePaintText(rule); text != 0) {
            PaintText(painter, text);
        } else {
            painter.fillRect(rect(), kBlack);
        }
        return;
    }
    const bool fresh = picture.frame != painted_picture_.frame;
    painted_picture_ = picture;
    const QRect destination = ToQRect(picture.destination);
    // Black beside the picture only, so the picture itself is drawn once.
    const QRegion outside = QRegion(rect()).subtracted(QRegion(destination));
    for (const QRect& band : outside) {
        painter.fillRect(band, kBlack);
    }
    if (picture.frame == nullptr || picture.frame->pixels == nullptr || destination.isEmpty()) {
        painter.fillRect(destination, kBlack);
        return;
    }
    const playback::VideoFrame& frame = *picture.frame;
    // The frame's rows as they are: 32-bit BGRx is the native RGB32 layout.
    const QImage image(frame.pixels, frame.width, frame.height, frame.stride, QImage::Format_RGB32);
    // Smoothing pays off near the picture's own size; a picture shrunk to less than half is
    // drawn by the fast path, which looks alike there and keeps up with playback.
    const bool shrunk_much = destination.width() * 2 < frame.width;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !shrunk_much);
    if (picture.mirrored) {
        painter.translate(destination.left() + destination.right() + 1, 0);
        painter.scale(-1, 1);
    }
    painter.drawImage(destination, image);
    if (fresh) {
        painted_.fetch_add(1);
    }
}

void CMovieStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus();
    if (!double_click_) {
        click_done_ = false;
        down_ = event->position().toPoint();
        click_timer_.start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    }
}

void CMovieStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && double_click_) {
        double_click_ = false;
    }
}

void CMovieStatic::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    click_timer_.stop();
    click_done_ = false;
    double_click_ = true;
    if (owner_ != nullptr) {
        owner_->SurfaceDoubleClicked(surface_index_);
    }
}

void CMovieStatic::DeliverClick() {
    if (!click_done_) {
        click_done_ = true;
        if (owner_ != nullptr) {
            owner_->SurfaceClicked(surface_index_, down_);
        }
    }
}

void CMovieStatic::contextMenuEvent(QContextMenuEvent* event) {
    if (owner_ != nullptr) {
        owner_->SurfaceContextMenu(surface_index_, event->globalPos());
    }
}

}  // namespace ardelle::app
