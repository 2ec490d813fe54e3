#include "browser/source_tree_model.h"

#include <unordered_map>

namespace ardelle::browser {

struct SourceTreeModel::Node {
    std::string text;
    int mask = 0;
    Node* parent = nullptr;
    std::vector<std::unique_ptr<Node>> children;
};

SourceTreeModel::SourceTreeModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {}

SourceTreeModel::~SourceTreeModel() = default;

void SourceTreeModel::Clear() {
    beginResetModel();
    root_->children.clear();
    endResetModel();
}

SourceTreeModel::Node* SourceTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

int SourceTreeModel::RowOf(const Node* node) const {
    if (node->parent == nullptr) {
        return 0;
    }
    const auto& siblings = node->parent->children;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == node) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

void SourceTreeModel::InsertTree(Node* parent, const QModelIndex& parent_index,
                                 const catalogue::SourceTree& tree) {
    // The catalogue lists parents before their children; top nodes hang below parent.
    int top_count = 0;
    for (const auto& node : tree.nodes()) {
        top_count += node.parent == catalogue::kTreeRoot ? 1 : 0;
    }
    const int first = static_cast<int>(parent->children.size());
    if (top_count > 0) {
        beginInsertRows(parent_index, first, first + top_count - 1);
    }
    std::unordered_map<int, Node*> made;
    const auto& nodes = tree.nodes();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        auto found = made.find(nodes[i].parent);
        Node* owner = nodes[i].parent == catalogue::kTreeRoot ? parent
                      : found != made.end()                   ? found->second
                                                              : nullptr;
        if (owner == nullptr) {
            continue;  // a node whose parent came later or never: not shown
        }
        auto child = std::make_unique<Node>();
        child->text = nodes[i].text;
        child->mask = nodes[i].param;
        child->parent = owner;
        made[static_cast<int>(i)] = child.get();
        owner->children.push_back(std::move(child));
    }
    if (top_count > 0) {
        endInsertRows();
    }
}

void SourceTreeModel::Append(const QModelIndex& parent, const catalogue::SourceTree& tree) {
    InsertTree(NodeOf(parent), parent, tree);
}

void SourceTreeModel::ReplaceChildren(const QModelIndex& node, const catalogue::SourceTree& tree) {
    Node* owner = NodeOf(node);
    if (!owner->children.empty()) {
        beginRemoveRows(node, 0, static_cast<int>(owner->children.size()) - 1);
        owner->children.clear();
        endRemoveRows();
    }
    InsertTree(owner, node, tree);
}

QModelIndex SourceTreeModel::AddNode(const QModelIndex& parent, const std::string& text, int mask) {
    Node* owner = NodeOf(parent);
    const int row = static_cast<int>(owner->children.size());
    beginInsertRows(parent, row, row);
    auto child = std::make_unique<Node>();
    child->text = text;
    child->mask = mask;
    child->parent = owner;
    owner->children.push_back(std::move(child));
    endInsertRows();
    return index(row, 0, parent);
}

std::string SourceTreeModel::Text(const QModelIndex& node) const {
    return node.isValid() ? NodeOf(node)->text : std::string();
}

int SourceTreeModel::Mask(const QModelIndex& node) const {
    return node.isValid() ? NodeOf(node)->mask : 0;
}

int SourceTreeModel::Level(const QModelIndex& node) const {
    int level = -1;
    for (const Node* n = NodeOf(node); n != nullptr && n->parent != nullptr; n = n->parent) {
        ++level;
    }
    return level;
}

QModelIndex SourceTreeModel::NextInOrder(const QModelIndex& node) const {
    if (!node.isValid()) {
        return index(0, 0);
    }
    if (rowCount(node) > 0) {
        return index(0, 0, node);
    }
    for (QModelIndex at = node; at.isValid(); at = at.parent()) {
        const QModelIndex sibling = at.siblingAtRow(at.row() + 1);
        if (sibling.isValid()) {
            return sibling;
        }
    }
    return {};
}

std::vector<QModelIndex> SourceTreeModel::AllNodes() const {
    std::vector<QModelIndex> all;
    for (QModelIndex at = index(0, 0); at.isValid(); at = NextInOrder(at)) {
        all.push_back(at);
    }
    return all;
}

QModelIndex SourceTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* owner = NodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(owner->children.size())) {
        return {};
    }
    return createIndex(row, 0, owner->children[static_cast<std::size_t>(row)].get());
}

QModelIndex SourceTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    Node* owner = NodeOf(child)->parent;
    if (owner == nullptr || owner == root_.get()) {
        return {};
    }
    return createIndex(RowOf(owner), 0, owner);
}

int SourceTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    return static_cast<int>(NodeOf(parent)->children.size());
}

int SourceTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant SourceTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(NodeOf(index)->text);
        case kMaskRole:
            return NodeOf(index)->mask;
        case kLevelRole:
            return Level(index);
        default:
            return {};
    }
}

}  // namespace ardelle::browser
