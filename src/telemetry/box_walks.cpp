#include "telemetry/box_walks.h"

#include <array>

#include "telemetry/byte_order.h"
#include "telemetry/telemetry_block.h"
#include "telemetry/telemetry_file.h"
#include "telemetry/views.h"

namespace ardelle::telemetry {
namespace {

// The pattern scan reads small windows, so that little more than box headers is read
// before it skips media data; each window overlaps the next by 4 bytes.
constexpr std::uint64_t kScanWindow = 16ull << 10;
constexpr std::uint64_t kConsumerView = 1ull << 20;   // 1 MiB
constexpr std::uint64_t kBoxHeaderView = 16;          // a header with its 64-bit size
constexpr std::uint64_t kSearchChunk = 256ull << 10;  // the backward search reads this much at once

// The backward search looks at the last quarter of the file.
std::uint64_t SearchRegionStart(std::uint64_t size) {
    return (3 * size) / 4;
}

// Step 2 of the block search: candidates end - 68 - 130 k inside the last quarter, read
// backwards from the end a chunk at a time.
bool SearchBackwards(TelemetryFile& file, const BlockConsumer& consumer,
                     std::optional<std::uint64_t> already_handed) {
    const platform::MappedFile& mapping = file.mapping();
    const std::uint64_t size = mapping.size();
    const std::uint64_t start = SearchRegionStart(size);
    std::optional<FileBytes> chunk;
    for (std::uint64_t k = 0; start + kBlockOverhead + kRecordSize * k < size; ++k) {
        const std::uint64_t at = size - kBlockOverhead - kRecordSize * k;
        if (!chunk || at < chunk->offset || at + kBlockTagSize > chunk->offset + chunk->size()) {
            const std::uint64_t end = at + kBlockTagSize;
            const std::uint64_t from = end - start > kSearchChunk ? end - kSearchChunk : start;
            chunk = ReadBytesReported(mapping, from, end - from, size);
            if (!chunk || chunk->size() != end - from) {
                return false;
            }
        }
        if (!IsBlockTag(chunk->data() + (at - chunk->offset))) {
            continue;
        }
        if (already_handed != at) {
            const auto block = ReadBytesReported(mapping, at, size - at, size);
            if (!block) {
                return false;
            }
            consumer(block->data() + kBlockTagSize, block->size() - kBlockTagSize, at);
        }
        break;
    }
    return true;
}

// The size of the box whose type field is at type_offset, read from the file.
std::optional<std::uint64_t> BoxSizeBefore(const platform::MappedFile& mapping,
                                           std::uint64_t type_offset) {
    if (type_offset < 4) {
        return std::nullopt;
    }
    auto header = ReadBytesReported(mapping, type_offset - 4, kBoxHeaderView, mapping.size());
    if (!header || header->size() < 8) {
        return std::nullopt;
    }
    const std::uint32_t size32 = ReadBe32(header->data());
    if (size32 != 1) {
        return size32;
    }
    return header->size() >= 16 ? std::optional(ReadBe64(header->data() + 8)) : std::nullopt;
}

// Hands up to 1 MiB from offset to the consumer.
bool CallConsumerAt(const platform::MappedFile& mapping, std::uint64_t offset, std::uint64_t limit,
                    const ViewConsumer& consumer) {
    if (!consumer) {
        return false;
    }
    auto view = ReadBytesReported(mapping, offset, kConsumerView, limit);
    if (!view) {
        return false;
    }
    return consumer(view->data(), view->size());
}

// One box header as the walks read it.
struct BoxHeader {
    std::uint64_t size = 0;
    std::uint32_t type = 0;
    std::uint64_t header_size = 8;
};

std::optional<BoxHeader> ReadBoxHeader(const platform::MappedFile& mapping, std::uint64_t offset,
                                       std::uint64_t limit) {
    auto view = ReadBytesReported(mapping, offset, kBoxHeaderView, limit);
    if (!view || view->size() < 8) {
        return std::nullopt;
    }
    BoxHeader header{ReadBe32(view->data()), FourCC(view->data() + 4), 8};
    if (header.size == 1) {
        if (view->size() < 16) {
            return std::nullopt;
        }
        header.size = ReadBe64(view->data() + 8);
        header.header_size = 16;
    }
    return header;
}

}  // namespace

bool FindTelemetryBlock(TelemetryFile& file, const BlockConsumer& consumer) {
    const platform::MappedFile& mapping = file.mapping();
    const std::uint64_t size = mapping.size();
    std::optional<std::uint64_t> handed;
    if (size > kFullBlockSize) {
        auto tail = ReadBytesReported(mapping, size - kFullBlockSize, kFullBlockSize, size);
        if (!tail) {
            return false;
        }
        if (IsBlockTag(tail->data())) {
            handed = size - kFullBlockSize;
            if (consumer(tail->data() + kBlockTagSize, tail->size() - kBlockTagSize, *handed)) {
                return true;
            }
        }
    }
    const std::lock_guard lock(file.mutex());
    return SearchBackwards(file, consumer, handed);
}

bool PatternScan(TelemetryFile& file, ScanPattern& pattern, const ViewConsumer& consumer,
                 bool* found) {
    if (found != nullptr) {
        *found = false;
    }
    const std::lock_guard lock(file.mutex());
    const platform::MappedFile& mapping = file.mapping();
    const std::uint64_t limit = mapping.size();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pattern.bytes.data());
    const std::size_t length = pattern.bytes.size();
    std::optional<FileBytes> window;
    std::uint64_t window_start = 0;
    for (std::uint64_t i = 0; i < limit && length > 0;) {
        if (file.cancel_flag().exchange(false)) {
            return false;
        }
        if (!window || i < window_start || i >= window_start + kScanWindow) {
            window_start = i - i % kScanWindow;
            window = ReadBytesReported(mapping, window_start, kScanWindow + 4, limit);
            if (!window) {
                return false;
            }
        }
        const std::uint8_t* here = window->data() + (i - window_start);
        const std::uint64_t left = window->size() - (i - window_start);
        // One 32-bit compare per byte, not a call: the scan visits every byte of the file.
        if (left >= 4 && FourCC(here) == FourCC("mdat")) {
            const auto box_size = BoxSizeBefore(mapping, i);
            if (!box_size || *box_size == 0 || *box_size >= limit) {
                return false;
            }
            i += *box_size;  // the type field of the following box
            continue;
        }
        if (*here == bytes[pattern.matched]) {
            ++pattern.matched;
        } else {
            pattern.matched = *here == bytes[0] ? 1 : 0;
        }
        if (pattern.matched == length) {
            pattern.matched = 0;
            window.reset();
            const bool consumed = CallConsumerAt(mapping, i + 1, limit, consumer);
            if (found != nullptr) {
                *found = consumed;
            }
            return consumed;
        }
        ++i;
    }
    return true;
}

bool BoxPathWalk(TelemetryFile& file, const ViewConsumer& consumer, bool* found) {
    static constexpr std::array<std::uint32_t, 6> kPath = {FourCC("moov"), FourCC("trak"),
                                                           FourCC("mdia"), FourCC("minf"),
                                                           FourCC("stbl"), FourCC("stts")};
    if (found != nullptr) {
        *found = false;
    }
    const std::lock_guard lock(file.mutex());
    const platform::MappedFile& mapping = file.mapping();
    std::uint64_t level_end = mapping.size();
    std::uint64_t position = 0;
    std::size_t element = 0;
    while (position + 8 <= level_end) {
        if (file.cancel_flag().exchange(false)) {
            return false;
        }
        const auto header = ReadBoxHeader(mapping, position, level_end);
        if (!header || header->size < header->header_size || header->size > level_end - position) {
            file.set_last_error("bad box size at offset " + std::to_string(position));
            return false;
        }
        if (header->type != kPath[element]) {
            position += header->size;
            continue;
        }
        if (element + 1 == kPath.size()) {
            const std::uint64_t box_end = position + header->size;
            const bool consumed =
                CallConsumerAt(mapping, position + header->header_size, box_end, consumer);
            if (found != nullptr) {
                *found = consumed;
            }
            return consumed;
        }
        level_end = position + header->size;
        position += header->header_size;
        ++element;
    }
    return true;
}

std::optional<float> MovieSecondsFromMvhd(const std::uint8_t* data, std::size_t available) {
    // Version 0 keeps 32-bit times: time scale at 12, duration at 16; version 1 keeps
    // 64-bit times: time scale at 20, duration at 24.
    if (available < 20) {
        return std::nullopt;
    }
    std::uint64_t time_scale = ReadBe32(data + 12);
    std::uint64_t duration = ReadBe32(data + 16);
    if (data[0] == 1) {
        if (available < 32) {
            return std::nullopt;
        }
        time_scale = ReadBe32(data + 20);
        duration = ReadBe64(data + 24);
    }
    if (time_scale == 0) {
        return std::nullopt;
    }
    return static_cast<float>(duration) / static_cast<float>(time_scale);
}

std::optional<std::int64_t> SampleCountFromStts(const std::uint8_t* payload,
                                                std::size_t available) {
    if (available < 8) {
        return std::nullopt;
    }
    const std::uint64_t entries = ReadBe32(payload + 4);
    if (entries > (available - 8) / 8) {
        return std::nullopt;  // the table does not fit its box
    }
    std::int64_t total = 0;
    for (std::uint64_t e = 0; e < entries; ++e) {
        total += ReadBe32(payload + 8 + 8 * e);
    }
    return total;
}

std::optional<MovieTiming> ReadMovieTiming(TelemetryFile& scratch, const std::string& path) {
    if (!scratch.OpenMapping(path)) {
        return std::nullopt;
    }
    return ReadMovieTiming(scratch);
}

std::optional<MovieTiming> ReadMovieTiming(TelemetryFile& scratch) {
    if (!scratch.mapping().is_open()) {
        return std::nullopt;
    }
    const std::string path = scratch.mapping().path();
    MovieTiming timing;
    ScanPattern mvhd{"mvhd"};
    bool found_mvhd = false;
    const bool scanned = PatternScan(
        scratch, mvhd,
        [&](const std::uint8_t* data, std::size_t available) {
            const auto seconds = MovieSecondsFromMvhd(data, available);
            timing.seconds = seconds.value_or(0.0f);
            return seconds.has_value();
        },
        &found_mvhd);
    bool found_stts = false;
    const bool walked = scanned && found_mvhd &&
                        BoxPathWalk(
                            scratch,
                            [&](const std::uint8_t* payload, std::size_t available) {
                                const auto count = SampleCountFromStts(payload, available);
                                timing.frame_count = count.value_or(0);
                                return count.has_value();
                            },
                            &found_stts);
    const std::uint64_t file_size = scratch.mapping().size();
    scratch.CloseMapping();
    if (!walked || !found_stts || timing.frame_count <= 0 || !(timing.seconds > 0.0f)) {
        return std::nullopt;
    }
    // Every frame takes at least a byte of the file, and no video shows a thousand a second.
    if (static_cast<std::uint64_t>(timing.frame_count) > file_size) {
        scratch.set_last_error(path + ": the sample table counts " +
                               std::to_string(timing.frame_count) +
                               " frames, more than the file can hold");
        return std::nullopt;
    }
    timing.frame_duration_ms = 1000.0f / (static_cast<float>(timing.frame_count) / timing.seconds);
    if (!(timing.frame_duration_ms >= kShortestFrameIntervalMs)) {
        scratch.set_last_error(path + ": the movie's frame interval of " +
                               std::to_string(timing.frame_duration_ms) + " ms is no video");
        return std::nullopt;
    }
    scratch.set_frame_duration_ms(timing.frame_duration_ms);
    return timing;
}

}  // namespace ardelle::telemetry
