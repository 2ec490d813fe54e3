#include "app/panel_slot.h"

#include <QPainter>

#include "skin/skin.h"

namespace ardelle::app {

PanelSlot::PanelSlot(const QString& name, QWidget* parent) : QWidget(parent) {
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PanelSlot::SetContent(QWidget* content) {
    if (content_ != nullptr && content_ != content) {
        content_->hide();
        content_->setParent(nullptr);
    }
    content_ = content;
    if (content_ != nullptr) {
        content_->setParent(this);
        content_->setGeometry(rect());
        content_->show();
    }
    update();
}

void PanelSlot::resizeEvent(QResizeEvent* event) {
    if (content_ != nullptr) {
        content_->setGeometry(rect());
    }
    QWidget::resizeEvent(event);
}

void PanelSlot::paintEvent(QPaintEvent*) {
    if (content_ != nullptr) {
        return;
    }
    const skin::Skin& skin = skin::Skin::Instance();
    QPainter painter(this);
    painter.fillRect(rect(), skin.Colour(skin::ColourRole::kPanelBackground));
    painter.setPen(skin.Colour(skin::ColourRole::kWindowEdge));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace ardelle::app
