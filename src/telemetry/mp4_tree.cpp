#include "telemetry/mp4_tree.h"

#include <atomic>
#include <new>

#include "platform/mapped_file.h"
#include "telemetry/box_types.h"
#include "telemetry/byte_order.h"
#include "telemetry/telemetry_block.h"

namespace ardelle::telemetry {
namespace {

std::atomic<std::uint64_t> g_live_nodes{0};

// Box trees of real recordings are five or six levels deep.
constexpr int kMaxDepth = 32;

// A failure of the read, with the offset it concerns.
struct TreeError {
    std::string what;
    std::uint64_t offset = 0;
};

// Reads one file's boxes into nodes; the first error stops the read.
class TreeReader {
  public:
    TreeReader(const platform::MappedFile& file, Mp4Tree& tree) : file_(file), tree_(tree) {}

    bool ReadRoot(bool load_root_payload);
    const std::optional<TreeError>& error() const { return error_; }

  private:
    bool Fail(std::string what, std::uint64_t offset) {
        error_ = TreeError{std::move(what), offset};
        return false;
    }
    bool InitNode(BoxNode& node, bool load);
    bool CopyPayload(BoxNode& node);
    bool ReadChildren(BoxNode& node);

    const platform::MappedFile& file_;
    Mp4Tree& tree_;
    std::optional<TreeError> error_;
};

bool TreeReader::CopyPayload(BoxNode& node) {
    const std::uint64_t end = file_.size();
    const std::uint64_t available =
        node.payload_offset < end ? std::min(node.payload_size, end - node.payload_offset) : 0;
    node.leaf = true;
    node.children.clear();
    if (available == 0) {
        node.payload.clear();
        node.has_payload_copy = true;
        return true;
    }
    // Box headers and payload copies are read, not mapped: a tree has hundreds of small
    // boxes, and a mapping per box costs far more than the copy.
    try {
        node.payload.resize(static_cast<std::size_t>(available));
    } catch (const std::bad_alloc&) {
        return Fail("not enough memory for the payload of box '" + node.type + "'",
                    node.payload_offset);
    }
    if (file_.ReadAt(node.payload_offset, node.payload.data(), node.payload.size()) !=
        node.payload.size()) {
        node.payload.clear();
        return Fail("cannot read the payload of box '" + node.type + "'", node.payload_offset);
    }
    node.has_payload_copy = true;
    return true;
}

// Decides container or leaf: a payload whose bytes 4..7 are a known type holds boxes.
bool TreeReader::InitNode(BoxNode& node, bool load) {
    ++tree_.node_count;
    g_live_nodes.fetch_add(1, std::memory_order_relaxed);
    if (node.type == "mdat") {
        node.leaf = true;  // media data is never read
        return true;
    }
    if (!load) {
        return true;
    }
    if (node.payload_size > 4) {
        std::uint8_t first[8];
        if (file_.ReadAt(node.payload_offset, first, sizeof first) == sizeof first &&
            KnownBoxes().Contains(first + 4)) {
            return true;
        }
    }
    return CopyPayload(node);
}

bool TreeReader::ReadChildren(BoxNode& node) {
    if (node.depth >= kMaxDepth) {
        return Fail("boxes nest deeper than " + std::to_string(kMaxDepth) + " levels",
                    node.payload_offset);
    }
    const bool is_root = node.depth == 0;
    std::uint64_t position = node.payload_offset;
    std::uint64_t sum = 0;
    while (sum < node.payload_size) {
        std::uint8_t header[16];
        const std::size_t got = file_.ReadAt(position, header, sizeof header);
        if (got < 8 || !KnownBoxes().Contains(header + 4)) {
            if (is_root) {
                tree_.trailing_offset = position;  // the bytes after the boxes, e.g. telemetry
                return true;
            }
            // A box that mixes boxes and data: keep it whole as data.
            return CopyPayload(node);
        }
        BoxNode child;
        child.depth = node.depth + 1;
        child.type.assign(reinterpret_cast<const char*>(header + 4), 4);
        child.box_offset = position;
        std::uint64_t size = ReadBe32(header);
        if (size == 1) {
            if (got < 16) {
                return Fail("box '" + child.type + "' has a cut 64-bit size", position);
            }
            size = ReadBe64(header + 8);
            child.header_size = 16;
        }
        if (size == 0) {
            return Fail("box '" + child.type + "' has size 0", position);
        }
        if (size < child.header_size) {
            return Fail("box '" + child.type + "' is smaller than its header", position);
        }
        if (size > node.payload_size - sum) {
            return Fail("box '" + child.type + "' runs past the end of its parent", position);
        }
        child.payload_offset = position + child.header_size;
        child.payload_size = size - child.header_size;
        if (!InitNode(child, true)) {
            return false;
        }
        if (!child.leaf && size > 12 && !ReadChildren(child)) {
            return false;
        }
        node.children.push_back(std::move(child));
        sum += size;
        position += size;
    }
    return true;
}

bool TreeReader::ReadRoot(bool load_root_payload) {
    BoxNode& root = tree_.root;
    root.payload_size = file_.size();
    root.header_size = 0;
    tree_.trailing_offset = file_.size();
    if (!InitNode(root, load_root_payload)) {
        return false;
    }
    if (root.leaf) {
        return true;
    }
    std::uint8_t first[8];
    if (file_.ReadAt(0, first, sizeof first) != sizeof first || !KnownBoxes().Contains(first + 4)) {
        // Not an MP4 file: with a payload wanted it is one leaf of data.
        return load_root_payload ? CopyPayload(root) : (root.leaf = true, true);
    }
    return ReadChildren(root);
}

void ListByType(const BoxNode& node, Mp4Tree& tree) {
    for (std::size_t t = 0; t < Mp4Tree::kListedTypes.size(); ++t) {
        if (node.type == Mp4Tree::kListedTypes[t]) {
            tree.by_type[t].push_back(&node);
        }
    }
    for (const BoxNode& child : node.children) {
        ListByType(child, tree);
    }
}

// The block of a front recording: located from the trailer's count, when the file ends
// with a trailer at all. Read, not mapped, like the boxes: a file cut short meanwhile
// fails the read instead of raising SIGBUS.
bool CopyTelemetry(const platform::MappedFile& file, Mp4Tree& tree, std::string& why) {
    const std::uint64_t size = file.size();
    if (size < kTrailerSize) {
        return true;
    }
    TelemetryBlockCopy copy;
    if (file.ReadAt(size - kTrailerSize, copy.trailer.data(), kTrailerSize) != kTrailerSize) {
        why = "the telemetry trailer cannot be read";
        return false;
    }
    if (!IsEndTag(copy.trailer.data())) {
        return true;  // no trailer: no telemetry
    }
    copy.trailer_count = ReadBe32(copy.trailer.data() + 16);
    const std::uint64_t block_size =
        kBlockOverhead + std::uint64_t{kRecordSize} * copy.trailer_count;
    if (block_size > size) {
        why = "the telemetry trailer counts more records than the file holds";
        return false;
    }
    copy.offset = size - block_size;
    if (file.ReadAt(copy.offset, copy.header.data(), kBlockHeaderSize) != kBlockHeaderSize ||
        !IsBlockTag(copy.header.data())) {
        why = "the telemetry trailer does not lead to a block";
        return false;
    }
    copy.header_count = ReadBe16(copy.header.data() + 38);
    // An open count reads up to the end record, so every slot the trailer counts is kept.
    const std::uint64_t records =
        copy.header_count == kOpenCount ? copy.trailer_count : copy.header_count;
    if (records > copy.trailer_count) {
        why = "the telemetry block counts more records than it holds";
        return false;
    }
    if (records > 0) {
        copy.records.resize(static_cast<std::size_t>(records * kRecordSize));
        if (file.ReadAt(copy.offset + kBlockHeaderSize, copy.records.data(), copy.records.size()) !=
            copy.records.size()) {
            why = "the telemetry records cannot be read";
            return false;
        }
    }
    tree.telemetry = std::move(copy);
    return true;
}

void Count(const BoxNode& node, std::uint64_t& nodes) {
    ++nodes;
    for (const BoxNode& child : node.children) {
        Count(child, nodes);
    }
}

}  // namespace

Mp4Tree::~Mp4Tree() {
    g_live_nodes.fetch_sub(node_count, std::memory_order_relaxed);
}

const std::vector<const BoxNode*>& Mp4Tree::Nodes(std::string_view type) const {
    static const std::vector<const BoxNode*> kNone;
    for (std::size_t t = 0; t < kListedTypes.size(); ++t) {
        if (type == kListedTypes[t]) {
            return by_type[t];
        }
    }
    return kNone;
}

std::uint64_t LiveBoxNodes() {
    return g_live_nodes.load(std::memory_order_relaxed);
}

std::unique_ptr<Mp4Tree> ReadTree(const std::string& path, bool load_root_payload,
                                  TelemetryCarry carry, std::string* error) {
    platform::MappedFile file;
    if (!file.Open(path)) {
        if (error != nullptr) {
            *error = path + ": cannot be opened";
        }
        return nullptr;
    }
    return ReadTree(file, load_root_payload, carry, error);
}

std::unique_ptr<Mp4Tree> ReadTree(const platform::MappedFile& file, bool load_root_payload,
                                  TelemetryCarry carry, std::string* error) {
    const auto fail = [&](const std::string& what) {
        if (error != nullptr) {
            *error = file.path() + ": " + what;
        }
        return nullptr;
    };
    if (!file.is_open()) {
        return fail("cannot be opened");
    }
    auto tree = std::make_unique<Mp4Tree>();
    tree->path = file.path();
    tree->file_size = file.size();
    TreeReader reader(file, *tree);
    if (!reader.ReadRoot(load_root_payload)) {
        return fail(reader.error()->what + " (offset " + std::to_string(reader.error()->offset) +
                    ")");
    }
    // Nodes dropped when a box turned out to be data no longer count as alive.
    std::uint64_t kept = 0;
    Count(tree->root, kept);
    g_live_nodes.fetch_sub(tree->node_count - kept, std::memory_order_relaxed);
    tree->node_count = kept;
    tree->progress_total = LiveBoxNodes();
    ListByType(tree->root, *tree);
    std::string why;
    if (carry == TelemetryCarry::kFrontRecording && !CopyTelemetry(file, *tree, why)) {
        return fail(why);
    }
    return tree;
}

ExpectedLengthResult ExpectedLength(const std::string& path) {
    platform::MappedFile file;
    if (!file.Open(path)) {
        return {};
    }
    return ExpectedLength(file);
}

ExpectedLengthResult ExpectedLength(const platform::MappedFile& file) {
    ExpectedLengthResult result;
    if (!file.is_open()) {
        return result;
    }
    result.opened = true;
    const std::uint64_t size = file.size();
    std::uint64_t end = 0;
    for (int box = 0; box < 4; ++box) {
        std::uint8_t header[16];
        const std::size_t got = end < size ? file.ReadAt(end, header, sizeof header) : 0;
        // Bytes that are not a box (a telemetry block after three boxes) end the sum.
        if (got < 8 || !KnownBoxes().Contains(header + 4)) {
            break;
        }
        std::uint64_t box_size = ReadBe32(header);
        if (box_size == 1 && got >= 16) {
            box_size = ReadBe64(header + 8);
        }
        if (box_size == 0) {
            break;
        }
        end += box_size;
    }
    result.length = end;
    std::uint8_t trailer[kTrailerSize];
    if (size >= kTrailerSize &&
        file.ReadAt(size - kTrailerSize, trailer, kTrailerSize) == kTrailerSize &&
        IsEndTag(trailer)) {
        result.length = end + kRecordSize * std::uint64_t{ReadBe32(trailer + 16)} + kBlockOverhead;
    }
    return result;
}

}  // namespace ardelle::telemetry
