#include "fileops/movie_boxes.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "telemetry/byte_order.h"

namespace ardelle::fileops {
namespace {

using telemetry::BoxNode;

// Real movie boxes nest five or six levels; anything deeper is not split.
constexpr int kMaxDepth = 32;

constexpr std::array<std::string_view, 7> kTrackContainers = {"moov", "trak", "mdia", "minf",
                                                              "stbl", "dinf", "edts"};

bool IsTrackContainer(std::string_view type) {
    return std::find(kTrackContainers.begin(), kTrackContainers.end(), type) !=
           kTrackContainers.end();
}

bool SplitIntoBoxes(const BoxNode& parent, std::vector<BoxNode>& children);

// One box at offset at of parent's payload; false when its header does not fit there.
bool ReadBoxAt(const BoxNode& parent, std::uint64_t at, BoxNode& child) {
    const std::vector<std::uint8_t>& bytes = parent.payload;
    const std::uint64_t left = bytes.size() - at;
    if (left < 8) {
        return false;
    }
    std::uint64_t size = telemetry::ReadBe32(bytes.data() + at);
    child.header_size = 8;
    if (size == 1) {
        if (left < 16) {
            return false;
        }
        size = telemetry::ReadBe64(bytes.data() + at + 8);
        child.header_size = 16;
    } else if (size == 0) {
        size = left;  // runs to the end of its parent
    }
    if (size < child.header_size || size > left) {
        return false;
    }
    child.depth = parent.depth + 1;
    child.type.assign(reinterpret_cast<const char*>(bytes.data() + at + 4), 4);
    child.box_offset = parent.payload_offset + at;
    child.payload_offset = child.box_offset + child.header_size;
    child.payload_size = size - child.header_size;
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(at + child.header_size);
    const auto last = bytes.begin() + static_cast<std::ptrdiff_t>(at + size);
    child.payload.assign(first, last);
    child.has_payload_copy = true;
    child.leaf = true;
    if (IsTrackContainer(child.type) && child.depth < kMaxDepth) {
        std::vector<BoxNode> grandchildren;
        if (SplitIntoBoxes(child, grandchildren)) {
            child.children = std::move(grandchildren);
            child.payload.clear();
            child.has_payload_copy = false;
            child.leaf = false;
        }
    }
    return true;
}

bool SplitIntoBoxes(const BoxNode& parent, std::vector<BoxNode>& children) {
    std::uint64_t at = 0;
    while (at < parent.payload.size()) {
        BoxNode child;
        if (!ReadBoxAt(parent, at, child)) {
            return false;
        }
        at += child.box_size();
        children.push_back(std::move(child));
    }
    return !children.empty();
}

}  // namespace

void ExpandMovieBoxes(BoxNode& node) {
    if (node.leaf) {
        std::vector<BoxNode> children;
        if (!IsTrackContainer(node.type) || !node.has_payload_copy ||
            node.payload.size() != node.payload_size || node.depth >= kMaxDepth ||
            !SplitIntoBoxes(node, children)) {
            return;
        }
        node.children = std::move(children);
        node.payload.clear();
        node.has_payload_copy = false;
        node.leaf = false;
        return;
    }
    for (BoxNode& child : node.children) {
        ExpandMovieBoxes(child);
    }
}

}  // namespace ardelle::fileops
