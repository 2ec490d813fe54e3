#include "skin/skin_check_button.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace ardelle::skin {

CSkinCheckButton::CSkinCheckButton(const QString& text, QWidget* parent) : QAbstractButton(parent) {
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

void CSkinCheckButton::SetChecked(bool checked) {
    checked_ = checked;
    update();
}

QRect CSkinCheckButton::BoxRect() const {
    const Skin& skin = Skin::Instance();
    // Centred on the text's line: 4 from the top of a 20-unit button, lower in a taller one.
    const int side = skin.Scaled(12);
    return {0, std::max(0, (height() - side) / 2), side, side};
}

ButtonFrame CSkinCheckButton::frame() const {
    if (!isEnabled()) {
        return ButtonFrame::kDisabled;
    }
    if (isDown() || checked_) {
        return ButtonFrame::kPressed;
    }
    return over_box_ ? ButtonFrame::kHover : ButtonFrame::kNormal;
}

void CSkinCheckButton::paintEvent(QPaintEvent*) {
    const Skin& skin = Skin::Instance();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect box = BoxRect();
    const ButtonFrame look = frame();
    QColor edge = skin.Colour(ColourRole::kIconNormal);
    QColor fill = skin.Colour(ColourRole::kButtonFace);
    if (look == ButtonFrame::kHover) {
        fill = skin.Colour(ColourRole::kButtonHover);
    } else if (look == ButtonFrame::kPressed) {
        fill = skin.Colour(ColourRole::kButtonPressed);
    } else if (look == ButtonFrame::kDisabled) {
        edge = skin.Colour(ColourRole::kIconDisabled);
    }
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
    if (look == ButtonFrame::kPressed) {
        // The tick.
        painter.setPen(QPen(skin.Colour(ColourRole::kIconPressed), std::max(1, skin.Scaled(2))));
        const QRectF b = QRectF(box).adjusted(box.width() * 0.2, box.height() * 0.2,
                                              -box.width() * 0.2, -box.height() * 0.2);
        painter.drawPolyline(QPolygonF({QPointF(b.left(), b.center().y()),
                                        QPointF(b.left() + b.width() * 0.4, b.bottom()),
                                        QPointF(b.right(), b.top())}));
    }
    painter.setFont(skin.Font(FontRole::k10));
    painter.setPen(look == ButtonFrame::kDisabled ? skin.Colour(ColourRole::kIconDisabled)
                                                  : skin.Colour(ColourRole::kTabText));
    painter.drawText(rect().adjusted(skin.Scaled(16), 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                     text());
}

void CSkinCheckButton::mouseMoveEvent(QMouseEvent* event) {
    const bool over = BoxRect().contains(event->position().toPoint());
    if (over != over_box_) {
        over_box_ = over;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinCheckButton::leaveEvent(QEvent* event) {
    over_box_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace ardelle::skin
