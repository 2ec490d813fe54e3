#pragma once

#include <QAbstractItemModel>

#include <memory>
#include <string>
#include <vector>

#include "catalogue/source_tree.h"

namespace ardelle::browser {

// The folders and recording groups of the opened source as a Qt tree. Nodes carry the
// trigger mask the catalogue gave their group (0 for plain folders).
class SourceTreeModel : public QAbstractItemModel {
  public:
    enum Role { kMaskRole = Qt::UserRole + 1, kLevelRole };

    explicit SourceTreeModel(QObject* parent = nullptr);
    ~SourceTreeModel() override;

    void Clear();
    // The catalogue's nodes added below parent (the invisible root when invalid).
    void Append(const QModelIndex& parent, const catalogue::SourceTree& tree);
    // The node's children dropped and tree's nodes put in their place.
    void ReplaceChildren(const QModelIndex& node, const catalogue::SourceTree& tree);
    QModelIndex AddNode(const QModelIndex& parent, const std::string& text, int mask);

    std::string Text(const QModelIndex& node) const;
    int Mask(const QModelIndex& node) const;
    int Level(const QModelIndex& node) const;
    // The node after this one in the order the tree shows (depth first), or invalid.
    QModelIndex NextInOrder(const QModelIndex& node) const;
    // Every node, depth first, as the tree shows them.
    std::vector<QModelIndex> AllNodes() const;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    int RowOf(const Node* node) const;
    void InsertTree(Node* parent, const QModelIndex& parent_index,
                    const catalogue::SourceTree& tree);

    std::unique_ptr<Node> root_;
};

}  // namespace ardelle::browser
