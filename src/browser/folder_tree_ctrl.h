#pragma once

#include <QStyledItemDelegate>
#include <QTreeView>

#include <functional>
#include <string>

#include "browser/source_tree_model.h"

namespace ardelle::browser {

// Paints a tree node: cyan when selected, the trigger picture beside group nodes.
class FolderNodeDelegate : public QStyledItemDelegate {
  public:
    explicit FolderNodeDelegate(QObject* parent) : QStyledItemDelegate(parent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Where a node's picture and text start in its row: each level indents by 16 units,
    // the text follows the trigger picture of a group or the folder picture.
    static int IconStart(int level);
    static int TextStart(int level, bool with_icon);
};

// The folder tree of the list window: the folders and recording groups of the source, its
// own colours, a trigger picture beside each group. Selection changes are reported.
class CFolderTreeCtrl : public QTreeView {
  public:
    explicit CFolderTreeCtrl(QWidget* parent);

    SourceTreeModel& tree() { return model_; }
    const SourceTreeModel& tree() const { return model_; }
    void SetRootPath(const std::string& path) { root_path_ = path; }
    const std::string& root_path() const { return root_path_; }
    // The node's folder: the root path, then the texts from the top ancestor down.
    std::string ItemFolderPath(const QModelIndex& node) const;
    // Expands node and its following siblings; node becomes the current one.
    void ExpandFrom(const QModelIndex& node);
    // Selects node; the report follows unless quiet.
    void SelectNode(const QModelIndex& node, bool quiet = false);
    QModelIndex SelectedNode() const;
    void SetNodeChosen(std::function<void(const QModelIndex&)> callback) {
        node_chosen_ = std::move(callback);
    }

  protected:
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;

  private:
    SourceTreeModel model_;
    std::string root_path_;
    std::function<void(const QModelIndex&)> node_chosen_;
    bool quiet_ = false;
};

}  // namespace ardelle::browser
