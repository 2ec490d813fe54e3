#include "skin/skin_slider_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/skin.h"
#include "skin/skin_slider_geometry.h"

namespace ardelle::skin {
namespace {
constexpr int kThumbUnits = 10;
constexpr int kPressMarginUnits = 10;
}  // namespace

CSkinSliderCtrl::CSkinSliderCtrl(int control_id, MessageSink* owner, QWidget* parent)
    : QWidget(parent), control_id_(control_id), owner_(owner) {
    setWindowTitle(QStringLiteral("movie slider"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSkinSliderCtrl::SetRange(int min, int max) {
    min_ = min;
    max_ = max;
    update();
}

void CSkinSliderCtrl::SetPos(int pos) {
    pos_ = pos;
    update();
}

void CSkinSliderCtrl::SetEnabledFlag(bool enabled) {
    enabled_flag_ = enabled;
    update();
}

void CSkinSliderCtrl::EndDrag() {
    dragging_ = false;
    update();
}

int CSkinSliderCtrl::ThumbWidth() const {
    return std::max(2, Skin::Instance().Scaled(kThumbUnits));
}

void CSkinSliderCtrl::Notify(AppMessage id) {
    if (owner_ != nullptr) {
        owner_->Post({id, control_id_, pos_});
    }
}

void CSkinSliderCtrl::SetPosFromX(int x) {
    if (const auto pos = SliderPosFromX(x, width(), min_, max_)) {
        pos_ = *pos;
        update();
    }
}

void CSkinSliderCtrl::paintEvent(QPaintEvent*) {
    if (width() == 0) {
        return;
    }
    const Skin& skin = Skin::Instance();
    QPainter painter(this);
    painter.fillRect(rect(), skin.Colour(ColourRole::kWindowBackground));
    const int thumb = ThumbWidth();
    const SliderGeometry g = ComputeSliderGeometry(pos_, min_, max_, width(), thumb);
    const int track_height = std::max(2, height() * 2 / 5);
    const int track_y = (height() - track_height) / 2;
    const bool live = enabled_flag_ && isEnabled();
    painter.fillRect(QRect(g.rest_x, track_y, g.rest_width, track_height),
                     skin.Colour(ColourRole::kSliderTrackRest));
    painter.fillRect(
        QRect(0, track_y, g.done_width, track_height),
        live ? skin.Colour(ColourRole::kSliderTrackDone) : skin.Colour(ColourRole::kIconDisabled));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(dragging_ ? skin.Colour(ColourRole::kSliderThumbDragging)
                               : skin.Colour(ColourRole::kSliderThumb));
    const qreal radius = std::min(thumb, height()) / 3.0;
    painter.drawRoundedRect(QRectF(g.thumb_x, 0, thumb, height()), radius, radius);
}

void CSkinSliderCtrl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !enabled_flag_) {
        return;
    }
    const int x = event->position().toPoint().x();
    const int margin = Skin::Instance().Scaled(kPressMarginUnits);
    if (!SliderPressInRange(x, width(), margin)) {
        return;
    }
    SetPosFromX(x);
    const int thumb_x = ComputeSliderGeometry(pos_, min_, max_, width(), ThumbWidth()).thumb_x;
    beside_thumb_ = x < thumb_x - margin || x > thumb_x + ThumbWidth() + margin;
    dragging_ = true;
    Notify(AppMessage::kSliderButtonDown);
}

void CSkinSliderCtrl::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !enabled_flag_) {
        return;
    }
    const int x = event->position().toPoint().x();
    if (SliderPressInRange(x, width(), Skin::Instance().Scaled(kPressMarginUnits)) &&
        SliderPosFromX(x, width(), min_, max_)) {
        SetPosFromX(x);
        Notify(AppMessage::kSliderMoving);
    }
}

void CSkinSliderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        return;
    }
    dragging_ = false;
    update();
    if (enabled_flag_) {
        Notify(AppMessage::kSliderButtonUp);
    }
}

}  // namespace ardelle::skin
