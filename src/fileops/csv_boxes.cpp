#include "fileops/csv_boxes.h"

#include <span>
#include <string_view>

#include "platform/file_copy.h"
#include "telemetry/box_types.h"
#include "telemetry/byte_order.h"
#include "telemetry/mp4_tree.h"

namespace ardelle::fileops {
namespace {

using Bytes = std::span<const std::uint8_t>;
using telemetry::ReadBe32;
using telemetry::ReadBe64;

// The tree read refuses boxes nested deeper than this.
constexpr int kMaxDepth = 32;
// A top-level box header (up to 16 bytes) and the first 8 payload bytes it is judged by.
constexpr std::size_t kTopProbe = 24;

std::optional<std::vector<std::uint8_t>>* Slot(CsvBoxes& boxes, std::string_view type) {
    if (type == "mvhd") {
        return &boxes.mvhd;
    }
    if (type == "stsd") {
        return &boxes.stsd;
    }
    return type == "stts" ? &boxes.stts : nullptr;
}

// One box header as the tree read judges it. Nothing for anything the lean walk leaves
// to the tree read: an unknown type inside a container (the tree read keeps such a
// container whole as data), a cut header, a size of 0, smaller than its header or
// running past the room it has.
struct Header {
    std::string_view type;
    std::uint64_t header_size = 8;
    std::uint64_t size = 0;
};
std::optional<Header> ParseHeader(Bytes bytes, std::uint64_t room) {
    if (bytes.size() < 8 || !telemetry::KnownBoxes().Contains(bytes.data() + 4)) {
        return std::nullopt;
    }
    Header header{std::string_view(reinterpret_cast<const char*>(bytes.data() + 4), 4)};
    header.size = ReadBe32(bytes.data());
    if (header.size == 1) {
        if (bytes.size() < 16) {
            return std::nullopt;
        }
        header.size = ReadBe64(bytes.data() + 8);
        header.header_size = 16;
    }
    if (header.size < header.header_size || header.size > room) {
        return std::nullopt;  // also a size of 0
    }
    return header;
}

// How the tree read classifies a payload: boxes when its bytes 4..7 are a known type.
// Payloads of 5 to 7 bytes make the tree read look past them; those are left to it.
enum class Payload { kData, kBoxes, kOdd };
Payload ClassifyPayload(Bytes first_bytes, std::uint64_t payload_size) {
    if (payload_size <= 4) {
        return Payload::kData;
    }
    if (payload_size < 8 || first_bytes.size() < 8) {
        return Payload::kOdd;
    }
    return telemetry::KnownBoxes().Contains(first_bytes.data() + 4) ? Payload::kBoxes
                                                                    : Payload::kData;
}

bool WalkChildren(Bytes payload, int depth, CsvBoxes& found);

// A box already in memory: its data kept when it is a wanted one, its boxes walked.
bool VisitBox(std::string_view type, Bytes payload, int depth, CsvBoxes& found) {
    if (type == "mdat") {
        return true;
    }
    auto* slot = Slot(found, type);
    switch (ClassifyPayload(payload, payload.size())) {
        case Payload::kOdd:
            return false;
        case Payload::kBoxes:
            // A wanted type holding boxes is listed without data: left to the tree read.
            return slot == nullptr && WalkChildren(payload, depth, found);
        case Payload::kData:
            if (slot != nullptr && !*slot) {
                *slot = std::vector<std::uint8_t>(payload.begin(), payload.end());
            }
            return true;
    }
    return false;
}

bool WalkChildren(Bytes payload, int depth, CsvBoxes& found) {
    if (depth >= kMaxDepth) {
        return false;
    }
    for (std::uint64_t position = 0; position < payload.size();) {
        const Bytes rest = payload.subspan(static_cast<std::size_t>(position));
        const auto header = ParseHeader(rest, rest.size());
        if (!header) {
            return false;
        }
        const Bytes child =
            rest.subspan(static_cast<std::size_t>(header->header_size),
                         static_cast<std::size_t>(header->size - header->header_size));
        if (!VisitBox(header->type, child, depth + 1, found)) {
            return false;
        }
        position += header->size;
    }
    return true;
}

// Reads length bytes at offset into a new buffer; nothing on a short read.
std::optional<std::vector<std::uint8_t>> ReadBytes(const platform::ReadOnlyFile& file,
                                                   std::uint64_t offset, std::uint64_t length) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    if (!bytes.empty() && !file.ReadExactly(offset, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

// One top-level box: skipped when neither wanted nor holding boxes, else read whole.
bool VisitTopBox(const platform::ReadOnlyFile& file, std::uint64_t position, const Header& header,
                 Bytes probe, CsvBoxes& found) {
    if (header.type == "mdat") {
        return true;
    }
    const std::uint64_t payload_size = header.size - header.header_size;
    const Bytes first_bytes = probe.subspan(static_cast<std::size_t>(header.header_size));
    const Payload kind = ClassifyPayload(first_bytes, payload_size);
    auto* slot = Slot(found, header.type);
    if (kind == Payload::kData && (slot == nullptr || *slot)) {
        return true;
    }
    const auto payload = ReadBytes(file, position + header.header_size, payload_size);
    return payload && VisitBox(header.type, *payload, 1, found);
}

}  // namespace

std::optional<CsvBoxes> CsvBoxesFromTree(const std::string& path) {
    const auto tree = telemetry::ReadTree(path, false, telemetry::TelemetryCarry::kNone);
    if (!tree) {
        return std::nullopt;
    }
    CsvBoxes boxes;
    for (const char* type : {"mvhd", "stsd", "stts"}) {
        const auto& nodes = tree->Nodes(type);
        if (!nodes.empty() && nodes.front()->has_payload_copy) {
            *Slot(boxes, type) = nodes.front()->payload;
        }
    }
    return boxes;
}

std::optional<CsvBoxes> CsvBoxesFromLeanWalk(const std::string& path) {
    platform::ReadOnlyFile file;
    if (!file.Open(path, nullptr) || file.size() == 0) {
        return std::nullopt;
    }
    CsvBoxes found;
    std::uint8_t probe[kTopProbe];
    for (std::uint64_t position = 0; position < file.size();) {
        const std::uint64_t room = file.size() - position;
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kTopProbe, room));
        if (!file.ReadExactly(position, probe, length)) {
            return std::nullopt;
        }
        const Bytes bytes(probe, length);
        if (length < 8 || !telemetry::KnownBoxes().Contains(probe + 4)) {
            break;  // the bytes after the boxes, such as the telemetry block
        }
        const auto header = ParseHeader(bytes, room);
        if (!header || !VisitTopBox(file, position, *header, bytes, found)) {
            return std::nullopt;
        }
        position += header->size;
    }
    return found;
}

std::optional<CsvBoxes> ReadCsvBoxes(const std::string& path) {
    if (auto boxes = CsvBoxesFromLeanWalk(path)) {
        return boxes;
    }
    return CsvBoxesFromTree(path);
}

}  // namespace ardelle::fileops
