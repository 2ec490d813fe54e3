#include "skin/skin_button.h"

#include <QKeyEvent>
#include <QPainter>

namespace ardelle::skin {

ButtonFrame ButtonFrameFor(bool enabled, bool pressed, bool on, bool hover) {
    if (!enabled) {
        return ButtonFrame::kDisabled;
    }
    if (pressed || on) {
        return ButtonFrame::kPressed;
    }
    return hover ? ButtonFrame::kHover : ButtonFrame::kNormal;
}

CSkinButton::CSkinButton(IconRole icon, int command_id, QWidget* parent)
    : QAbstractButton(parent), icon_(icon), command_id_(command_id) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setText(QStringLiteral("button"));
}

CSkinButton::CSkinButton(const QString& text, int command_id, QWidget* parent)
    : QAbstractButton(parent), shows_text_(true), command_id_(command_id) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    setText(text);
}

void CSkinButton::SetIcon(IconRole icon) {
    icon_ = icon;
    update();
}

void CSkinButton::SetOn(bool on) {
    on_ = on;
    update();
}

void CSkinButton::SetNoDraw(bool no_draw) {
    no_draw_ = no_draw;
    update();
}

ButtonFrame CSkinButton::frame() const {
    return ButtonFrameFor(isEnabled(), isDown(), on_, hover_);
}

void CSkinButton::paintEvent(QPaintEvent*) {
    if (no_draw_) {
        return;
    }
    const Skin& skin = Skin::Instance();
    QColor face = skin.Colour(ColourRole::kButtonFace);
    QColor ink = skin.Colour(ColourRole::kIconNormal);
    switch (frame()) {
        case ButtonFrame::kNormal:
            break;
        case ButtonFrame::kHover:
            face = skin.Colour(ColourRole::kButtonHover);
            ink = skin.Colour(ColourRole::kIconHover);
            break;
        case ButtonFrame::kPressed:
            face = skin.Colour(ColourRole::kButtonPressed);
            ink = skin.Colour(ColourRole::kIconPressed);
            break;
        case ButtonFrame::kDisabled:
            ink = skin.Colour(ColourRole::kIconDisabled);
            break;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    const qreal radius = std::max(2, skin.Scaled(4));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (shows_text_) {
        painter.setFont(skin.Font(FontRole::k10));
        painter.setPen(ink);
        painter.drawText(rect(), Qt::AlignCenter, text());
        return;
    }
    const int side = std::min(width(), height()) * 3 / 4;
    const QPixmap icon = skin.Icon(icon_, side, ink);
    painter.drawPixmap((width() - side) / 2, (height() - side) / 2, icon);
}

void CSkinButton::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void CSkinButton::keyReleaseEvent(QKeyEvent* event) {
    event->ignore();
}

void CSkinButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace ardelle::skin
