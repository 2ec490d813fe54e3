#include "skin/skin_tab_ctrl.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/skin.h"

namespace ardelle::skin {

CSkinTabCtrl::CSkinTabCtrl(const QStringList& tabs, QWidget* parent)
    : QWidget(parent), tabs_(tabs) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSkinTabCtrl::SetCurrent(int index) {
    if (index >= 0 && index < tabs_.size()) {
        current_ = index;
        update();
    }
}

QRect CSkinTabCtrl::TabRect(int index) const {
    const int count = std::max<int>(1, static_cast<int>(tabs_.size()));
    const int left = width() * index / count;
    const int right = width() * (index + 1) / count;
    return {left, 0, right - left, height()};
}

int CSkinTabCtrl::TabAt(const QPoint& point) const {
    for (int i = 0; i < tabs_.size(); ++i) {
        if (TabRect(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

void CSkinTabCtrl::paintEvent(QPaintEvent*) {
    const Skin& skin = Skin::Instance();
    QPainter painter(this);
    painter.fillRect(rect(), skin.Colour(ColourRole::kTabStrip));
    painter.setFont(skin.Font(FontRole::k10));
    const int gap = std::max(1, skin.Scaled(2));
    for (int i = 0; i < tabs_.size(); ++i) {
        const QRect tab = TabRect(i).adjusted(gap, gap, -gap, 0);
        const bool selected = i == current_;
        painter.fillRect(tab, selected ? skin.Colour(ColourRole::kTabSelected)
                                       : skin.Colour(ColourRole::kButtonFace));
        if (selected) {
            painter.fillRect(QRect(tab.left(), tab.bottom() - gap + 1, tab.width(), gap),
                             skin.Colour(ColourRole::kSliderTrackDone));
        }
        painter.setPen(selected ? skin.Colour(ColourRole::kTabText)
                                : skin.Colour(ColourRole::kIconDisabled).lighter(150));
        painter.drawText(tab, Qt::AlignCenter, tabs_[i]);
    }
}

void CSkinTabCtrl::mousePressEvent(QMouseEvent* event) {
    const int index = TabAt(event->position().toPoint());
    if (index >= 0 && index != current_) {
        current_ = index;
        update();
        if (on_selected_) {
            on_selected_(index);
        }
    }
}

}  // namespace ardelle::skin
