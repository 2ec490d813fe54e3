#include "browser/file_list_ctrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "browser/list_labels.h"
#include "skin/skin.h"

namespace ardelle::browser {
namespace {

const QColor kListBackground(35, 24, 21);
const QColor kRowFrame(136, 136, 136);

}  // namespace

RowColours RowColoursFor(int trigger_class, bool current) {
    if (current) {
        return {IsEventClass(trigger_class) ? QColor(178, 178, 142) : QColor(178, 178, 178),
                Qt::black};
    }
    if (IsEventClass(trigger_class)) {
        return {QColor(255, 255, 204), Qt::black};
    }
    return {kListBackground, Qt::white};
}

void RecordingRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const skin::Skin& skin = skin::Skin::Instance();
    const bool current = index.data(RecordingListModel::kCurrentRole).toBool();
    const RowColours colours =
        RowColoursFor(index.data(RecordingListModel::kTriggerClassRole).toInt(), current);
    const QRect row = option.rect;
    painter->fillRect(row, colours.fill);
    painter->setPen(kRowFrame);
    painter->drawRect(row.adjusted(0, 0, 0, 0));
    painter->setPen(colours.text);
    painter->setFont(option.font);
    const QRect text_box = row.adjusted(skin.Scaled(6), 0, 0, 0);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, text_box.width());
    painter->drawText(text_box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

QSize RecordingRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), skin::Skin::Instance().Scaled(20)};
}

CFileListCtrl::CFileListCtrl(bool stills, QWidget* parent)
    : QListView(parent), model_(stills, this) {
    setModel(&model_);
    setItemDelegate(new RecordingRowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kListBackground);
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(skin::Skin::Instance().Font(skin::FontRole::k10));
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now, const QModelIndex&) {
                if (quiet_ || !now.isValid()) {
                    return;
                }
                model_.SetCurrent(now.row());
                if (row_selected_) {
                    row_selected_(now.row());
                }
            });
}

void CFileListCtrl::SelectRow(int row) {
    const QModelIndex at = model_.index(row);
    if (at.isValid()) {
        quiet_ = true;
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
        quiet_ = false;
        model_.SetCurrent(row);
    }
    if (at.isValid()) {
        scrollTo(at);
    } else if (row >= RowCount() && RowCount() > 0) {
        scrollToBottom();
    } else if (row < 0) {
        scrollToTop();
    }
}

int CFileListCtrl::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void CFileListCtrl::mousePressEvent(QMouseEvent* event) {
    clicked_ = true;
    QListView::mousePressEvent(event);
}

}  // namespace ardelle::browser
