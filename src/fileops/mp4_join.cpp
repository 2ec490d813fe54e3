#include "fileops/mp4_join.h"

#include <cstring>
#include <limits>

#include "catalogue/recording_names.h"
#include "fileops/movie_boxes.h"
#include "platform/file_copy.h"
#include "telemetry/byte_order.h"
#include "telemetry/telemetry_block.h"

namespace ardelle::fileops {
namespace {

using telemetry::BoxNode;
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

bool Fail(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

void PutBe32At(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) {
        bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
    }
}

void PutBe64At(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value) {
    PutBe32At(bytes, at, static_cast<std::uint32_t>(value >> 32));
    PutBe32At(bytes, at + 4, static_cast<std::uint32_t>(value));
}

// Writes a duration field of version 0 (32-bit) or 1 (64-bit) boxes.
bool PutDuration(BoxNode& node, std::size_t v0_at, std::size_t v1_at, std::uint64_t value,
                 std::string* error) {
    auto& bytes = node.payload;
    const bool wide = !bytes.empty() && bytes[0] == 1;
    const std::size_t at = wide ? v1_at : v0_at;
    if (bytes.size() < at + (wide ? 8 : 4)) {
        return Fail(error, "the '" + node.type + "' box is too short");
    }
    if (!wide && value > kMax32) {
        return Fail(error, "the joined duration does not fit the '" + node.type + "' box");
    }
    if (wide) {
        PutBe64At(bytes, at, value);
    } else {
        PutBe32At(bytes, at, static_cast<std::uint32_t>(value));
    }
    return true;
}

BoxNode* ChildOf(BoxNode& node, std::string_view type) {
    for (BoxNode& child : node.children) {
        if (child.type == type) {
            return &child;
        }
    }
    return nullptr;
}

void AddLeaf(BoxNode& parent, std::string_view type, std::vector<std::uint8_t> payload) {
    BoxNode& node = parent.children.emplace_back();
    node.depth = parent.depth + 1;
    node.type = std::string(type);
    node.leaf = true;
    node.payload = std::move(payload);
    node.payload_size = node.payload.size();
    node.has_payload_copy = true;
}

// Sets, adds or removes the leaf of a type below parent.
void SetLeaf(BoxNode& parent, std::string_view type, std::vector<std::uint8_t> payload,
             bool present, std::string_view replaces = {}) {
    BoxNode* node = ChildOf(parent, type);
    if (node == nullptr && !replaces.empty()) {
        node = ChildOf(parent, replaces);
    }
    if (!present) {
        if (node != nullptr) {
            std::erase_if(parent.children, [&](const BoxNode& child) { return &child == node; });
        }
        return;
    }
    if (node == nullptr) {
        AddLeaf(parent, type, std::move(payload));
        return;
    }
    node->type = std::string(type);
    node->leaf = true;
    node->children.clear();
    node->payload = std::move(payload);
    node->payload_size = node->payload.size();
    node->has_payload_copy = true;
}

// The sample tables the join rebuilds or keeps; any other table of a sample table box
// (cslg, stps, subs, saiz, ...) would describe the first recording's samples only.
bool JoinKeepsTable(std::string_view type) {
    for (const std::string_view kept :
         {"stsd", "stts", "ctts", "stsc", "stsz", "stco", "co64", "stss", "sdtp", "sgpd"}) {
        if (type == kept) {
            return true;
        }
    }
    return false;
}

// The sample table box with the joined tables, the first recording's descriptions and
// group descriptions, and nothing that only knows the first recording's samples.
void RebuildSampleTables(BoxNode& stbl, const TrackTables& tables, TrackPayloads p) {
    SetLeaf(stbl, "stts", std::move(p.stts), true);
    SetLeaf(stbl, "ctts", std::move(p.ctts), tables.has_composition);
    SetLeaf(stbl, "stsc", std::move(p.stsc), true);
    SetLeaf(stbl, "stsz", std::move(p.stsz), true);
    SetLeaf(stbl, p.chunk_offsets_64 ? "co64" : "stco", std::move(p.chunk_offsets), true,
            p.chunk_offsets_64 ? "stco" : "co64");
    SetLeaf(stbl, "stss", std::move(p.stss), tables.has_sync_table);
    SetLeaf(stbl, "sdtp", std::move(p.sdtp), tables.has_dependency_flags);
    const bool groups = !tables.group_descriptions.empty() || !tables.sample_groups.empty();
    std::erase_if(stbl.children, [&](const BoxNode& child) {
        return !JoinKeepsTable(child.type) || (child.type == "sgpd" && !groups);
    });
    for (auto& sbgp : p.sbgp) {
        AddLeaf(stbl, "sbgp", std::move(sbgp));
    }
}

// Adds the duration the appended recordings bring to the last edit of a track.
bool ExtendEditList(BoxNode& trak, std::uint64_t added, std::string* error) {
    BoxNode* edts = ChildOf(trak, "edts");
    BoxNode* elst = edts == nullptr ? nullptr : ChildOf(*edts, "elst");
    if (elst == nullptr || added == 0 || elst->payload.size() < 8) {
        return true;
    }
    auto& bytes = elst->payload;
    const bool wide = bytes[0] == 1;
    const std::uint64_t count = telemetry::ReadBe32(bytes.data() + 4);
    const std::uint64_t entry = wide ? 20 : 12;
    if (count == 0 || bytes.size() < 8 + count * entry) {
        return true;
    }
    const std::size_t at = static_cast<std::size_t>(8 + (count - 1) * entry);
    const std::uint64_t value =
        (wide ? telemetry::ReadBe64(bytes.data() + at) : telemetry::ReadBe32(bytes.data() + at)) +
        added;
    if (!wide && value > kMax32) {
        return Fail(error, "the joined edit list does not fit its box");
    }
    if (wide) {
        PutBe64At(bytes, at, value);
    } else {
        PutBe32At(bytes, at, static_cast<std::uint32_t>(value));
    }
    return true;
}

std::uint64_t EncodedBoxSize(const BoxNode& node) {
    std::uint64_t size = 0;
    if (node.leaf) {
        size = node.payload.size();
    } else {
        for (const BoxNode& child : node.children) {
            size += EncodedBoxSize(child);
        }
    }
    size += 8;
    return size > kMax32 ? size + 8 : size;
}

void AppendHeader(std::string& out, std::uint64_t size, const std::string& type) {
    const auto put32 = [&](std::uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.push_back(static_cast<char>(v >> shift));
        }
    };
    if (size > kMax32) {
        put32(1);
        out += type;
        put32(static_cast<std::uint32_t>(size >> 32));
        put32(static_cast<std::uint32_t>(size));
    } else {
        put32(static_cast<std::uint32_t>(size));
        out += type;
    }
}

void Encode(const BoxNode& node, std::string& out) {
    AppendHeader(out, EncodedBoxSize(node), node.type);
    if (node.leaf) {
        out.append(reinterpret_cast<const char*>(node.payload.data()), node.payload.size());
        return;
    }
    for (const BoxNode& child : node.children) {
        Encode(child, out);
    }
}

// Every leaf below node holds all of its payload (the rebuilt box is written from memory).
bool PayloadsComplete(const BoxNode& node) {
    if (node.leaf) {
        return node.has_payload_copy && node.payload.size() == node.payload_size;
    }
    for (const BoxNode& child : node.children) {
        if (!PayloadsComplete(child)) {
            return false;
        }
    }
    return true;
}

}  // namespace

struct CameraJoin::Input {
    std::string path;
    std::unique_ptr<telemetry::Mp4Tree> tree;
    const BoxNode* mdat = nullptr;
    const BoxNode* moov = nullptr;
    std::vector<std::uint8_t> telemetry_records;
};

CameraJoin::CameraJoin() = default;
CameraJoin::~CameraJoin() = default;
CameraJoin::CameraJoin(CameraJoin&&) noexcept = default;
CameraJoin& CameraJoin::operator=(CameraJoin&&) noexcept = default;

std::size_t CameraJoin::recordings() const {
    return inputs_.size();
}

std::uint64_t CameraJoin::media_bytes() const {
    std::uint64_t total = 0;
    for (const auto& input : inputs_) {
        total += input->mdat->payload_size;
    }
    return total;
}

std::uint64_t CameraJoin::telemetry_records() const {
    std::uint64_t total = 0;
    for (const auto& input : inputs_) {
        total += input->telemetry_records.size() / telemetry::kRecordSize;
    }
    return total;
}

bool CameraJoin::AddInput(const std::string& path, std::string* error) {
    auto input = std::make_unique<Input>();
    input->path = path;
    std::string why;
    input->tree =
        telemetry::ReadTree(path, false, telemetry::TelemetryCarry::kFrontRecording, &why);
    if (!input->tree) {
        return Fail(error, why.empty() ? "cannot read " + path : why);
    }
    for (BoxNode& box : input->tree->root.children) {
        if (box.type == "moov") {
            ExpandMovieBoxes(box);
        }
    }
    for (const BoxNode& box : input->tree->root.children) {
        if (box.type == "mdat") {
            if (input->mdat != nullptr) {
                return Fail(error, path + " holds more than one media data box");
            }
            input->mdat = &box;
        } else if (box.type == "moov") {
            input->moov = &box;
        }
    }
    if (input->mdat == nullptr || input->moov == nullptr || !PayloadsComplete(*input->moov)) {
        return Fail(error, path + " lacks complete media data and movie boxes");
    }
    const auto index = static_cast<std::uint32_t>(inputs_.size());
    auto tables = ReadMovieTables(*input->tree, index, &why);
    if (!tables) {
        return Fail(error, path + ": " + why);
    }
    const std::uint64_t start = input->mdat->payload_offset;
    const std::uint64_t end = start + input->mdat->payload_size;
    for (const TrackTables& track : tables->tracks) {
        for (const ChunkPlace& chunk : track.chunks) {
            if (chunk.offset < start || chunk.offset > end) {
                return Fail(error, path + ": a chunk lies outside the media data");
            }
        }
    }
    if (input->tree->telemetry) {
        input->telemetry_records = RealTelemetryRecords(*input->tree->telemetry);
    }
    if (inputs_.empty()) {
        joined_ = std::move(*tables);
    } else if (!AppendMovieTables(joined_, *tables, &why)) {
        return Fail(error, path + ": " + why);
    }
    inputs_.push_back(std::move(input));
    return true;
}

bool CameraJoin::Begin(const std::string& path, std::string* error) {
    inputs_.clear();
    joined_ = MovieTables{};
    return AddInput(path, error);
}

bool CameraJoin::Append(const std::string& path, std::string* error) {
    if (inputs_.empty()) {
        return Fail(error, "no first recording");
    }
    return AddInput(path, error);
}

namespace {

// The first recording's movie box with the joined tables, durations and chunk offsets.
bool BuildMovieBox(const BoxNode& first_moov, const MovieTables& joined, bool offsets_64,
                   const std::function<std::uint64_t(const ChunkPlace&)>& offset_of, BoxNode& moov,
                   std::string* error) {
    moov = first_moov;
    BoxNode* mvhd = ChildOf(moov, "mvhd");
    if (mvhd == nullptr) {
        return Fail(error, "the movie header is missing");
    }
    if (!PutDuration(*mvhd, 16, 24, joined.movie_duration, error)) {
        return false;
    }
    std::size_t track = 0;
    for (BoxNode& trak : moov.children) {
        if (trak.type != "trak") {
            continue;
        }
        const TrackTables& tables = joined.tracks.at(track++);
        BoxNode* tkhd = ChildOf(trak, "tkhd");
        BoxNode* mdia = ChildOf(trak, "mdia");
        BoxNode* mdhd = mdia == nullptr ? nullptr : ChildOf(*mdia, "mdhd");
        BoxNode* minf = mdia == nullptr ? nullptr : ChildOf(*mdia, "minf");
        BoxNode* stbl = minf == nullptr ? nullptr : ChildOf(*minf, "stbl");
        if (tkhd == nullptr || mdhd == nullptr || stbl == nullptr) {
            return Fail(error, "a track lost its headers");
        }
        if (!PutDuration(*tkhd, 20, 28, tables.track_duration, error) ||
            !PutDuration(*mdhd, 16, 24, tables.media_duration, error) ||
            !ExtendEditList(trak, tables.track_duration - tables.first_track_duration, error)) {
            return false;
        }
        RebuildSampleTables(*stbl, tables, EncodeTrack(tables, offsets_64, offset_of));
    }
    return true;
}

// Where the output's boxes go: everything is known before the first byte is written.
struct OutputLayout {
    BoxNode moov;
    std::uint64_t media_bytes = 0;
    std::uint64_t media_start = 0;            // file offset of the joined media data
    std::vector<std::uint64_t> media_prefix;  // per input, its data's place in the joined data
};

std::uint64_t MediaHeaderSize(std::uint64_t media_bytes) {
    return media_bytes + 8 > kMax32 ? 16 : 8;
}

}  // namespace

bool CameraJoin::Write(const std::string& output_path, bool replace, const WriteProgress& progress,
                       std::string* error) const {
    platform::PendingFile out;
    return WritePending(output_path, progress, out, error) && out.Commit(replace, error);
}

bool CameraJoin::WritePending(const std::string& output_path, const WriteProgress& progress,
                              platform::PendingFile& out, std::string* error) const {
    if (inputs_.empty()) {
        return Fail(error, "nothing to join");
    }
    const Input& first = *inputs_.front();
    OutputLayout layout;
    for (const auto& input : inputs_) {
        layout.media_prefix.push_back(layout.media_bytes);
        layout.media_bytes += input->mdat->payload_size;
    }
    const auto offset_of = [&](const ChunkPlace& chunk) {
        return layout.media_start + layout.media_prefix[chunk.input] +
               (chunk.offset - inputs_[chunk.input]->mdat->payload_offset);
    };
    // 32-bit chunk offsets while the data ends below 4 GiB, else 64-bit ones; the movie box
    // may come first and grow with them, so the place of the data is found for each form.
    for (const bool offsets_64 : {false, true}) {
        if (!BuildMovieBox(*first.moov, joined_, offsets_64, offset_of, layout.moov, error)) {
            return false;
        }
        std::uint64_t position = 0;
        for (const BoxNode& box : first.tree->root.children) {
            if (&box == first.mdat) {
                layout.media_start = position + MediaHeaderSize(layout.media_bytes);
                break;
            }
            position += &box == first.moov ? EncodedBoxSize(layout.moov) : box.box_size();
        }
        if (offsets_64 || layout.media_start + layout.media_bytes <= kMax32) {
            // Now with the real offsets.
            if (!BuildMovieBox(*first.moov, joined_, offsets_64, offset_of, layout.moov, error)) {
                return false;
            }
            break;
        }
    }

    std::vector<platform::ReadOnlyFile> files(inputs_.size());
    for (std::size_t i = 0; i < inputs_.size(); ++i) {
        if (!files[i].Open(inputs_[i]->path, error)) {
            return false;
        }
    }
    if (!out.Create(output_path, error)) {
        return false;
    }
    std::uint64_t written_media = 0;
    for (const BoxNode& box : first.tree->root.children) {
        bool ok = true;
        if (&box == first.moov) {
            std::string bytes;
            Encode(layout.moov, bytes);
            ok = out.Write(bytes, error);
        } else if (&box == first.mdat) {
            std::string header;
            AppendHeader(header, MediaHeaderSize(layout.media_bytes) + layout.media_bytes, "mdat");
            ok = out.Write(header, error);
            for (std::size_t i = 0; ok && i < inputs_.size(); ++i) {
                const std::uint64_t before = written_media;
                ok = out.CopyFrom(
                    files[i], inputs_[i]->mdat->payload_offset, inputs_[i]->mdat->payload_size,
                    [&](std::uint64_t copied) {
                        return !progress || progress(before + copied, layout.media_bytes);
                    },
                    error);
                written_media += inputs_[i]->mdat->payload_size;
            }
        } else {
            ok = out.CopyFrom(files[0], box.box_offset, box.box_size(), nullptr, error);
        }
        if (!ok) {
            return false;
        }
    }
    if (catalogue::IsFrontMovieName(output_path)) {
        std::vector<std::uint8_t> records;
        const telemetry::TelemetryBlockCopy* template_block = nullptr;
        for (const auto& input : inputs_) {
            records.insert(records.end(), input->telemetry_records.begin(),
                           input->telemetry_records.end());
            if (template_block == nullptr && input->tree->telemetry) {
                template_block = &*input->tree->telemetry;
            }
        }
        if (template_block != nullptr &&
            !out.Write(JoinedTelemetryBlock(*template_block, records), error)) {
            return false;
        }
    }
    return true;
}

std::vector<std::uint8_t> RealTelemetryRecords(const telemetry::TelemetryBlockCopy& block) {
    std::vector<std::uint8_t> records;
    const std::size_t slots = block.records.size() / telemetry::kRecordSize;
    const std::size_t wanted = block.header_count == telemetry::kOpenCount
                                   ? slots
                                   : std::min<std::size_t>(slots, block.header_count);
    for (std::size_t slot = 0; slot < wanted; ++slot) {
        const std::uint8_t* record = block.records.data() + slot * telemetry::kRecordSize;
        if (telemetry::IsEndTag(record)) {
            break;
        }
        records.insert(records.end(), record, record + telemetry::kRecordSize);
    }
    return records;
}

std::string JoinedTelemetryBlock(const telemetry::TelemetryBlockCopy& first,
                                 const std::vector<std::uint8_t>& records) {
    const std::uint64_t count = records.size() / telemetry::kRecordSize;
    const bool open = count >= telemetry::kOpenCount;
    std::vector<std::uint8_t> header(first.header.begin(), first.header.end());
    std::vector<std::uint8_t> trailer(first.trailer.begin(), first.trailer.end());
    const std::uint64_t slots = open ? count + 1 : count;
    header[38] = static_cast<std::uint8_t>((open ? telemetry::kOpenCount : count) >> 8);
    header[39] = static_cast<std::uint8_t>(open ? telemetry::kOpenCount : count);
    PutBe32At(trailer, 16, static_cast<std::uint32_t>(std::min(slots, kMax32)));
    std::string block(header.begin(), header.end());
    block.append(reinterpret_cast<const char*>(records.data()), records.size());
    if (open) {
        // An open count reads up to the first end record.
        std::string end_record(telemetry::kRecordSize, '\0');
        std::memcpy(end_record.data(), "CSMEND", 6);
        block += end_record;
    }
    block.append(trailer.begin(), trailer.end());
    return block;
}

}  // namespace ardelle::fileops
