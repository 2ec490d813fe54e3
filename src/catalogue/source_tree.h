#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ardelle::catalogue {

inline constexpr int kTreeRoot = -1;
// The source tree stops growing at this many items.
inline constexpr std::size_t kMaxTreeItems = 1500;

// The folders and recording groups of an opened source, in insertion order; the list
// window shows it as its folder tree. The parameter carries a node's trigger mask.
class SourceTree {
  public:
    struct Node {
        std::string text;
        int parent = kTreeRoot;
        int param = 0;
    };

    int Insert(int parent, std::string text) {
        nodes_.push_back(Node{std::move(text), parent, 0});
        return static_cast<int>(nodes_.size()) - 1;
    }
    void SetParam(int node, int param) {
        if (node >= 0 && static_cast<std::size_t>(node) < nodes_.size()) {
            nodes_[static_cast<std::size_t>(node)].param = param;
        }
    }
    std::size_t size() const { return nodes_.size(); }
    bool full() const { return nodes_.size() >= kMaxTreeItems; }
    const std::vector<Node>& nodes() const { return nodes_; }
    void Clear() { nodes_.clear(); }

  private:
    std::vector<Node> nodes_;
};

}  // namespace ardelle::catalogue
