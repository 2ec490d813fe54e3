#include "app/still_views.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

#include "base/ui_text.h"
#include "catalogue/recording_entry.h"
#include "playback/video_placement.h"
#include "skin/skin.h"

namespace ardelle::app {

QRect StillDestination(const QSize& picture, const QSize& client, const QRect& drawing,
                       bool keep_aspect) {
    if (!keep_aspect) {
        return QRect(QPoint(0, 0), client);
    }
    if (picture.isEmpty() || client.isEmpty()) {
        return {};
    }
    const double ratio = static_cast<double>(picture.width()) / picture.height();
    // Edges as the drawing rectangle's: left/top inside, right/bottom one past.
    const int left = drawing.left();
    const int top = drawing.top();
    const int right = drawing.left() + drawing.width();
    const int bottom = drawing.top() + drawing.height();
    int width = 0;
    int height = 0;
    if (static_cast<double>(client.width()) / client.height() > ratio) {
        height = drawing.height();
        width = static_cast<int>(height * ratio);
    } else {
        width = drawing.width();
        height = static_cast<int>(width / ratio);
    }
    const int dest_left = (left + right - width) / 2;
    const int dest_top = (top + bottom - height) / 2;
    const int dest_right = (left + right + width) / 2;
    const int dest_bottom = (top + bottom + height) / 2 + 1;
    return QRect(QPoint(dest_left, dest_top), QPoint(dest_right - 1, dest_bottom - 1));
}

std::optional<int> StillQualityCode(int picture_height) {
    if (picture_height == 720) {
        return 11;
    }
    if (picture_height == 1080) {
        return 12;
    }
    return std::nullopt;
}

QImage RenderStill(const QImage& picture, const QSize& client, const QRect& drawing,
                   bool keep_aspect, bool mirrored) {
    QImage surface(client, QImage::Format_RGB32);
    surface.fill(QColor(4, 0, 0));
    if (picture.isNull() || client.isEmpty()) {
        return surface;
    }
    {
        QPainter painter(&surface);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(StillDestination(picture.size(), client, drawing, keep_aspect), picture);
    }
    return mirrored ? surface.mirrored(true, false) : surface;
}

namespace {
constexpr int kTextNoFrontImage = 187;
constexpr int kTextNoRearImage = 188;

QRect ToQRect(const playback::VideoRect& rect) {
    return {rect.left, rect.top, rect.width(), rect.height()};
}
}  // namespace

CStillSurface::CStillSurface(int surface_index, QWidget* parent)
    : QWidget(parent), surface_index_(surface_index), click_timer_(new QTimer(this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("still_surface_%1").arg(surface_index));
    click_timer_->setSingleShot(true);
    connect(click_timer_, &QTimer::timeout, this, [this] {
        if (on_click_) {
            on_click_(down_);
        }
    });
}

void CStillSurface::ShowPicture(const QImage& picture) {
    picture_ = picture;
    text_id_ = 0;
    update();
}

void CStillSurface::ShowBackground(int text_id) {
    picture_ = QImage();
    text_id_ = text_id;
    update();
}

void CStillSurface::SetZoomMode(bool zoom_mode) {
    if (zoom_mode) {
        const int side = skin::Skin::Instance().Scaled(32);
        setCursor(QCursor(skin::Skin::Instance().Icon(skin::IconRole::kZoom, side, Qt::white)));
    } else {
        unsetCursor();
    }
}

void CStillSurface::paintEvent(QPaintEvent*) {
    if (width() == 0) {
        return;
    }
    QPainter painter(this);
    if (!picture_.isNull()) {
        painter.drawImage(0, 0, picture_);
        // A surface grown since the picture was drawn keeps its dark background there.
        painter.fillRect(QRect(picture_.width(), 0, width() - picture_.width(), height()),
                         QColor(4, 0, 0));
        painter.fillRect(QRect(0, picture_.height(), width(), height() - picture_.height()),
                         QColor(4, 0, 0));
        return;
    }
    painter.fillRect(rect(), Qt::black);
    if (text_id_ != 0) {
        const skin::Skin& skin = skin::Skin::Instance();
        painter.setFont(skin.Font(skin::FontRole::k13));
        painter.setPen(skin.Colour(skin::ColourRole::kNoDataText));
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                         QString::fromUtf8(base::UiText(text_id_)));
    }
}

void CStillSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (!double_click_) {
        down_ = event->position().toPoint();
        click_timer_->start(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    }
    double_click_ = false;
}

void CStillSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    click_timer_->stop();
    double_click_ = true;
    if (on_double_) {
        on_double_();
    }
}

void StillViews::Draw(catalogue::RecordingEntry* entry) {
    entry_ = entry;
    if (entry == nullptr) {
        surfaces_[0]->ShowBackground(0);
        surfaces_[1]->ShowBackground(0);
        return;
    }
    const bool front = !entry->front_path.empty();
    const bool rear = !entry->rear_path.empty();
    if (!DrawOne(0, entry->front_path, rear)) {
        return;  // a front picture that fails leaves the rear undrawn
    }
    DrawOne(1, entry->rear_path, front);
}

bool StillViews::DrawOne(int surface_index, const std::string& path, bool other_exists) {
    CStillSurface* surface = surfaces_[static_cast<std::size_t>(surface_index)];
    if (path.empty()) {
        surface->ShowBackground(
            other_exists ? (surface_index == 0 ? kTextNoFrontImage : kTextNoRearImage) : 0);
        return true;
    }
    QImage picture(QString::fromStdString(path));
    if (picture.isNull()) {
        return false;
    }
    if (const std::optional<int> quality = StillQualityCode(picture.height());
        quality && entry_ != nullptr) {
        entry_->quality_code = *quality;
    }
    const bool mirrored = surface_index == 1 && mirrored_;
    const QRect drawing = DrawingRect(surface_index);
    pictures_[static_cast<std::size_t>(surface_index)] =
        StillDestination(picture.size(), surface->size(), drawing, keep_aspect_);
    surface->ShowPicture(RenderStill(picture, surface->size(), drawing, keep_aspect_, mirrored));
    return true;
}

void StillViews::SetKeepAspect(bool keep_aspect) {
    keep_aspect_ = keep_aspect;
    Redraw();
}

void StillViews::ToggleMirror() {
    mirrored_ = !mirrored_;
    Redraw();
}

QRect StillViews::DrawingRect(int surface_index) const {
    const CStillSurface* surface = surfaces_[static_cast<std::size_t>(surface_index)];
    const playback::VideoRect client{0, 0, surface->width(), surface->height()};
    const std::optional<playback::VideoRect> zoomed = playback::ZoomRectangle(
        client, ToZoomSpec(zooms_[static_cast<std::size_t>(surface_index)]));
    return zoomed ? ToQRect(*zoomed) : QRect(QPoint(0, 0), surface->size());
}

void StillViews::ResetZoom(int surface_index, int where, double scale) {
    app::ResetZoom(zooms_[static_cast<std::size_t>(surface_index)], where, scale);
}

bool StillViews::ZoomClick(int surface_index, int where, bool zoom_mode, const QPoint& point,
                           double scale) {
    CStillSurface* surface = surfaces_[static_cast<std::size_t>(surface_index)];
    const QRect& drawn = pictures_[static_cast<std::size_t>(surface_index)];
    const playback::VideoRect picture{drawn.left(), drawn.top(), drawn.left() + drawn.width(),
                                      drawn.top() + drawn.height()};
    const bool changed = app::ZoomClick(zooms_[static_cast<std::size_t>(surface_index)], zoom_mode,
                                        point, surface->rect(), picture, where, scale);
    if (changed) {
        Redraw();
    }
    return changed;
}

}  // namespace ardelle::app
