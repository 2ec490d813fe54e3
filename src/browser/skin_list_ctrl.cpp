#include "browser/skin_list_ctrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

#include "skin/skin.h"

namespace ardelle::browser {

CSkinListCtrl::CSkinListCtrl(QWidget* parent) : QTreeView(parent) {
    setItemDelegate(new SkinListDelegate(this));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    setAllColumnsShowFocus(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
}

int CSkinListCtrl::ShownState(int row) const {
    const int state = model()->index(row, 0).data(kCheckRole).toInt();
    return state == 1 && row == hover_row_ ? 2 : state;
}

void CSkinListCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex at = indexAt(event->position().toPoint());
    if (at.isValid() && event->button() == Qt::LeftButton && row_clicked_) {
        row_clicked_(at.row());
        viewport()->update();
    }
}

void CSkinListCtrl::mouseMoveEvent(QMouseEvent* event) {
    SetHover(indexAt(event->position().toPoint()).row());
}

void CSkinListCtrl::leaveEvent(QEvent*) {
    SetHover(-1);
}

void CSkinListCtrl::SetHover(int row) {
    if (row != hover_row_) {
        hover_row_ = row;
        viewport()->update();
    }
}

void SkinListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const skin::Skin& skin = skin::Skin::Instance();
    const QVariant fill = index.data(CSkinListCtrl::kRowFillRole);
    const QVariant text_colour = index.data(CSkinListCtrl::kRowColourRole);
    painter->fillRect(option.rect, fill.isValid() ? fill.value<QColor>() : QColor(Qt::white));
    QRect text_box = option.rect.adjusted(skin.Scaled(4), 0, -skin.Scaled(4), 0);
    if (index.column() == 0) {
        const int box = skin.Scaled(12);
        const QRect square(option.rect.left() + skin.Scaled(4),
                           option.rect.top() + (option.rect.height() - box) / 2, box, box);
        const int state = list_->ShownState(index.row());
        painter->setPen(state == 2 ? QColor(0, 120, 215) : QColor(90, 90, 90));
        painter->setBrush(state == 2 ? QColor(220, 235, 250) : QColor(Qt::white));
        painter->drawRect(square.adjusted(0, 0, -1, -1));
        if (state == 3) {
            painter->setPen(QPen(QColor(0, 90, 180), std::max(2, skin.Scaled(2))));
            painter->drawLine(square.left() + box / 5, square.center().y(), square.left() + box / 2,
                              square.bottom() - box / 5);
            painter->drawLine(square.left() + box / 2, square.bottom() - box / 5,
                              square.right() - box / 6, square.top() + box / 5);
        }
        text_box.setLeft(square.right() + skin.Scaled(6));
    }
    painter->setPen(text_colour.isValid() ? text_colour.value<QColor>() : QColor(Qt::black));
    painter->setFont(option.font);
    const Qt::Alignment align =
        Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) | Qt::AlignVCenter;
    painter->drawText(
        text_box, align | Qt::TextSingleLine,
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text_box.width()));
}

QSize SkinListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), skin::Skin::Instance().Scaled(20)};
}

}  // namespace ardelle::browser
