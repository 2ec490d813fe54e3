#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/mapped_file.h"

namespace ardelle::telemetry {

// One box of a tree read. Leaves other than "mdat" hold a copy of their payload;
// containers hold their children in file order.
struct BoxNode {
    int depth = 0;
    std::string type;  // four characters; empty for the root
    bool leaf = false;
    std::uint64_t box_offset = 0;   // where the box header starts
    std::uint64_t header_size = 8;  // 16 for the 64-bit size form
    std::uint64_t payload_offset = 0;
    std::uint64_t payload_size = 0;
    std::vector<std::uint8_t> payload;  // the copy, for leaves
    bool has_payload_copy = false;
    std::vector<BoxNode> children;

    std::uint64_t box_size() const { return header_size + payload_size; }
};

// The telemetry block of a front-camera file, carried beside the tree.
struct TelemetryBlockCopy {
    std::uint64_t offset = 0;  // of the "CSMDAT" tag
    std::array<std::uint8_t, 40> header{};
    std::array<std::uint8_t, 28> trailer{};
    std::uint16_t header_count = 0;
    std::uint32_t trailer_count = 0;
    std::vector<std::uint8_t> records;  // record slots x 130 bytes
};

// The result of a full tree read.
struct Mp4Tree {
    Mp4Tree() = default;
    ~Mp4Tree();
    Mp4Tree(const Mp4Tree&) = delete;
    Mp4Tree& operator=(const Mp4Tree&) = delete;

    std::string path;
    std::uint64_t file_size = 0;
    BoxNode root;
    // Where bytes that are not boxes begin after the last top-level box (file_size when none).
    std::uint64_t trailing_offset = 0;
    std::uint64_t node_count = 0;
    std::uint64_t progress_total = 0;  // the live-node count when the read finished

    // Nodes by type, in depth-first pre-order.
    static constexpr std::array<const char*, 10> kListedTypes = {
        "mdat", "stsz", "stco", "mdhd", "stss", "stts", "mvhd", "tkhd", "elst", "stsd"};
    std::array<std::vector<const BoxNode*>, 10> by_type;
    const std::vector<const BoxNode*>& Nodes(std::string_view type) const;

    std::optional<TelemetryBlockCopy> telemetry;
};

// Which files carry their telemetry block through a tree read: front-camera recordings.
enum class TelemetryCarry { kNone, kFrontRecording };

// Reads the whole box tree of a file. Nothing, with error naming the file and the offset,
// when the file cannot be opened or its boxes are malformed.
std::unique_ptr<Mp4Tree> ReadTree(const std::string& path, bool load_root_payload,
                                  TelemetryCarry carry, std::string* error = nullptr);
// The same on a file already open (or bytes opened as one); errors name file.path().
std::unique_ptr<Mp4Tree> ReadTree(const platform::MappedFile& file, bool load_root_payload,
                                  TelemetryCarry carry, std::string* error = nullptr);

// Process-wide count of box nodes alive in trees, the progress measure of tree work.
std::uint64_t LiveBoxNodes();

// The length a complete file should have: its first four top-level boxes plus the
// telemetry block the trailer announces.
struct ExpectedLengthResult {
    bool opened = false;
    std::uint64_t length = 0;
};
ExpectedLengthResult ExpectedLength(const std::string& path);
ExpectedLengthResult ExpectedLength(const platform::MappedFile& file);

}  // namespace ardelle::telemetry
