#include "browser/folder_tree_ctrl.h"

#include <QPainter>

#include "browser/trigger_icon.h"
#include "skin/skin.h"

namespace ardelle::browser {
namespace {

const QColor kTreeBackground(35, 24, 21);
const QColor kSelectedNode(0, 204, 255);

}  // namespace

int FolderNodeDelegate::TextStart(int level, bool with_icon) {
    const skin::Skin& skin = skin::Skin::Instance();
    return IconStart(level) + (with_icon ? skin.Scaled(39) : skin.Scaled(16)) + skin.Scaled(6);
}

int FolderNodeDelegate::IconStart(int level) {
    const skin::Skin& skin = skin::Skin::Instance();
    return skin.Scaled(4) + level * skin.Scaled(16);
}

void FolderNodeDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const skin::Skin& skin = skin::Skin::Instance();
    const int level = index.data(SourceTreeModel::kLevelRole).toInt();
    const int mask = index.data(SourceTreeModel::kMaskRole).toInt();
    const bool selected = (option.state & QStyle::State_Selected) != 0;
    // The delegate paints the whole row from the view's left edge, as one full-row item.
    QRect row = option.rect;
    row.setLeft(0);
    painter->fillRect(row, selected ? kSelectedNode : kTreeBackground);
    if (selected) {
        painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter->drawRect(row.adjusted(0, 0, -1, -1));
    }
    const bool with_icon = mask != 0 && level > 0;
    const int text_x = TextStart(level, with_icon);
    if (with_icon) {
        painter->drawPixmap(IconStart(level), row.top(), TriggerIcon(mask, skin.layout_scale()));
    } else {
        const int icon = skin.Scaled(16);
        painter->drawPixmap(IconStart(level), row.top() + (row.height() - icon) / 2,
                            NodeIcon(false, icon));
    }
    painter->setPen(selected ? Qt::black : Qt::white);
    painter->setFont(option.font);
    painter->drawText(QRect(text_x, row.top(), row.right() - text_x, row.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
}

QSize FolderNodeDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), skin::Skin::Instance().Scaled(26)};
}

CFolderTreeCtrl::CFolderTreeCtrl(QWidget* parent) : QTreeView(parent), model_(this) {
    setModel(&model_);
    setItemDelegate(new FolderNodeDelegate(this));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setIndentation(0);  // the delegate indents by level
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(true);
    setFrameShape(QFrame::NoFrame);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kTreeBackground);
    setPalette(colours);
    setFont(skin::Skin::Instance().Font(skin::FontRole::k10));
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex&) {
                if (!quiet_ && now.isValid() && node_chosen_) {
                    node_chosen_(now);
                }
            });
}

std::string CFolderTreeCtrl::ItemFolderPath(const QModelIndex& node) const {
    std::string path;
    for (QModelIndex at = node; at.isValid(); at = at.parent()) {
        path = path.empty() ? model_.Text(at) : model_.Text(at) + "/" + path;
    }
    if (!root_path_.empty()) {
        path = root_path_ + "/" + path;
    }
    return path;
}

void CFolderTreeCtrl::ExpandFrom(const QModelIndex& node) {
    for (QModelIndex at = node; at.isValid(); at = at.siblingAtRow(at.row() + 1)) {
        expand(at);
    }
    if (node.isValid()) {
        SelectNode(node, true);
    }
}

void CFolderTreeCtrl::SelectNode(const QModelIndex& node, bool quiet) {
    quiet_ = quiet;
    selectionModel()->setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    quiet_ = false;
    if (node.isValid()) {
        scrollTo(node);
    }
}

QModelIndex CFolderTreeCtrl::SelectedNode() const {
    return selectionModel()->currentIndex();
}

void CFolderTreeCtrl::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex&) const {
    painter->fillRect(rect, kTreeBackground);  // the delegate draws the whole row
}

}  // namespace ardelle::browser
