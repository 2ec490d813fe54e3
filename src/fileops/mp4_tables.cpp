#include "fileops/mp4_tables.h"

#include <algorithm>
#include <limits>

#include "telemetry/byte_order.h"

namespace ardelle::fileops {
namespace {

using telemetry::BoxNode;
using telemetry::ReadBe32;
using telemetry::ReadBe64;

// Reads big-endian fields of a box payload, failing once past its end.
class PayloadReader {
  public:
    explicit PayloadReader(const BoxNode& node) : bytes_(node.payload) {}
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint32_t U32(std::uint64_t offset) const {
        return Has(offset, 4) ? ReadBe32(bytes_.data() + offset) : 0;
    }
    std::uint64_t U64(std::uint64_t offset) const {
        return Has(offset, 8) ? ReadBe64(bytes_.data() + offset) : 0;
    }
    std::uint8_t Version() const { return bytes_.empty() ? 0 : bytes_[0]; }
    // The entry count at 4 when count entries of entry_size bytes follow from first.
    std::optional<std::uint32_t> Count(std::uint64_t first, std::uint64_t entry_size) const {
        if (!Has(4, 4)) {
            return std::nullopt;
        }
        const std::uint32_t count = U32(4);
        return Has(first, std::uint64_t{count} * entry_size) ? std::optional(count) : std::nullopt;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
};

const BoxNode* ChildOf(const BoxNode& node, std::string_view type) {
    for (const BoxNode& child : node.children) {
        if (child.type == type) {
            return &child;
        }
    }
    return nullptr;
}

// The node at the end of a path of types below node.
const BoxNode* Below(const BoxNode& node, std::initializer_list<std::string_view> path) {
    const BoxNode* at = &node;
    for (const std::string_view type : path) {
        at = at == nullptr ? nullptr : ChildOf(*at, type);
    }
    return at;
}

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

bool ReadTimeToSample(const BoxNode& stts, TrackTables& track) {
    const PayloadReader p(stts);
    const auto count = p.Count(8, 8);
    if (!count) {
        return false;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        track.time_to_sample.emplace_back(p.U32(8 + 8ull * i), p.U32(12 + 8ull * i));
    }
    return true;
}

bool ReadComposition(const BoxNode* ctts, TrackTables& track) {
    if (ctts == nullptr) {
        return true;
    }
    const PayloadReader p(*ctts);
    const auto count = p.Count(8, 8);
    if (!count) {
        return false;
    }
    track.has_composition = true;
    track.composition_signed = p.Version() == 1;
    for (std::uint32_t i = 0; i < *count; ++i) {
        track.composition.emplace_back(p.U32(8 + 8ull * i),
                                       static_cast<std::int32_t>(p.U32(12 + 8ull * i)));
    }
    return true;
}

bool ReadSampleToChunk(const BoxNode& stsc, TrackTables& track) {
    const PayloadReader p(stsc);
    const auto count = p.Count(8, 12);
    if (!count) {
        return false;
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t at = 8 + 12ull * i;
        track.sample_to_chunk.push_back({p.U32(at), p.U32(at + 4), p.U32(at + 8)});
    }
    return true;
}

bool ReadSampleSizes(const BoxNode& stsz, TrackTables& track) {
    const PayloadReader p(stsz);
    if (!p.Has(4, 8)) {
        return false;
    }
    track.constant_size = p.U32(4);
    track.sample_count = p.U32(8);
    if (track.constant_size != 0) {
        return true;
    }
    if (!p.Has(12, 4 * track.sample_count)) {
        return false;
    }
    track.sizes.reserve(track.sample_count);
    for (std::uint64_t i = 0; i < track.sample_count; ++i) {
        track.sizes.push_back(p.U32(12 + 4 * i));
    }
    return true;
}

bool ReadChunkOffsets(const BoxNode& node, std::uint32_t input, TrackTables& track) {
    const PayloadReader p(node);
    const bool wide = node.type == "co64";
    const auto count = p.Count(8, wide ? 8 : 4);
    if (!count) {
        return false;
    }
    track.chunks.reserve(*count);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t offset = wide ? p.U64(8 + 8ull * i) : p.U32(8 + 4ull * i);
        track.chunks.push_back({input, offset});
    }
    return true;
}

bool ReadSyncSamples(const BoxNode* stss, TrackTables& track) {
    if (stss == nullptr) {
        return true;
    }
    const PayloadReader p(*stss);
    const auto count = p.Count(8, 4);
    if (!count) {
        return false;
    }
    track.has_sync_table = true;
    for (std::uint32_t i = 0; i < *count; ++i) {
        track.sync_samples.push_back(p.U32(8 + 4ull * i));
    }
    return true;
}

// Dependency flags count for as many samples as their box holds bytes; flags that do not
// match the sample count describe nothing reliably and are left out.
void ReadDependencyFlags(const BoxNode* sdtp, TrackTables& track) {
    if (sdtp == nullptr || sdtp->payload.size() < 4 ||
        sdtp->payload.size() - 4 != track.sample_count) {
        return;
    }
    track.has_dependency_flags = true;
    track.dependency_flags.assign(sdtp->payload.begin() + 4, sdtp->payload.end());
}

// The sample groups of a track; a table that cannot be read drops all of them.
void ReadSampleGroups(const BoxNode& stbl, TrackTables& track) {
    for (const BoxNode& child : stbl.children) {
        if (child.type == "sgpd") {
            track.group_descriptions.push_back(child.payload);
            continue;
        }
        if (child.type != "sbgp") {
            continue;
        }
        const PayloadReader p(child);
        const std::uint64_t head = p.Version() == 1 ? 12 : 8;
        const std::uint32_t count = p.U32(head);
        if (!p.Has(head, 4) || !p.Has(head + 4, 8ull * count)) {
            track.group_descriptions.clear();
            track.sample_groups.clear();
            return;
        }
        SampleGroups groups;
        groups.head.assign(child.payload.begin(),
                           child.payload.begin() + static_cast<std::ptrdiff_t>(head));
        for (std::uint32_t i = 0; i < count; ++i) {
            groups.runs.emplace_back(p.U32(head + 4 + 8ull * i), p.U32(head + 8 + 8ull * i));
        }
        track.sample_groups.push_back(std::move(groups));
    }
}

// Time scale and duration of mvhd or mdhd, both versions.
std::pair<std::uint32_t, std::uint64_t> ScaleAndDuration(const BoxNode& node) {
    const PayloadReader p(node);
    return p.Version() == 1 ? std::pair{p.U32(20), p.U64(24)}
                            : std::pair{p.U32(12), std::uint64_t{p.U32(16)}};
}

std::uint64_t TrackHeaderDuration(const BoxNode& tkhd) {
    const PayloadReader p(tkhd);
    return p.Version() == 1 ? p.U64(28) : p.U32(20);
}

std::optional<TrackTables> ReadTrack(const BoxNode& trak, std::uint32_t input, std::string* error) {
    const BoxNode* stbl = Below(trak, {"mdia", "minf", "stbl"});
    const BoxNode* mdhd = Below(trak, {"mdia", "mdhd"});
    const BoxNode* tkhd = ChildOf(trak, "tkhd");
    if (stbl == nullptr || mdhd == nullptr || tkhd == nullptr) {
        Fail(error, "a track lacks its media header or sample tables");
        return std::nullopt;
    }
    const BoxNode* stsd = ChildOf(*stbl, "stsd");
    const BoxNode* stts = ChildOf(*stbl, "stts");
    const BoxNode* stsc = ChildOf(*stbl, "stsc");
    const BoxNode* stsz = ChildOf(*stbl, "stsz");
    const BoxNode* offsets = ChildOf(*stbl, "stco");
    offsets = offsets != nullptr ? offsets : ChildOf(*stbl, "co64");
    if (stsd == nullptr || stts == nullptr || stsc == nullptr || stsz == nullptr ||
        offsets == nullptr) {
        Fail(error, ChildOf(*stbl, "stz2") != nullptr
                        ? "compact sample sizes (stz2) cannot be joined"
                        : "a track lacks one of its sample tables");
        return std::nullopt;
    }
    TrackTables track;
    track.sample_descriptions = stsd->payload;
    std::tie(track.media_time_scale, track.media_duration) = ScaleAndDuration(*mdhd);
    track.track_duration = track.first_track_duration = TrackHeaderDuration(*tkhd);
    if (!ReadTimeToSample(*stts, track) || !ReadComposition(ChildOf(*stbl, "ctts"), track) ||
        !ReadSampleToChunk(*stsc, track) || !ReadSampleSizes(*stsz, track) ||
        !ReadChunkOffsets(*offsets, input, track) ||
        !ReadSyncSamples(ChildOf(*stbl, "stss"), track)) {
        Fail(error, "a sample table is shorter than its entry count says");
        return std::nullopt;
    }
    ReadDependencyFlags(ChildOf(*stbl, "sdtp"), track);
    ReadSampleGroups(*stbl, track);
    std::uint64_t timed = 0;
    for (const auto& [count, delta] : track.time_to_sample) {
        timed += count;
    }
    if (timed != track.sample_count) {
        Fail(error, "the time and size tables of a track count different samples");
        return std::nullopt;
    }
    return track;
}

// The varying length field of an MPEG-4 descriptor: up to four bytes of 7 bits.
std::size_t SkipDescriptorLength(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    for (int k = 0; k < 4 && at < bytes.size(); ++k) {
        if ((bytes[at++] & 0x80) == 0) {
            break;
        }
    }
    return at;
}

// An esds payload without its decoder's buffer size and bit rates, which every encoder run
// measures anew for the same format.
std::vector<std::uint8_t> WithoutBitRates(std::vector<std::uint8_t> esds) {
    for (std::size_t at = 4; at + 1 < esds.size(); ++at) {
        if (esds[at] != 0x04) {
            continue;  // look for the decoder configuration descriptor
        }
        const std::size_t fields = SkipDescriptorLength(esds, at + 1) + 2;
        if (fields + 11 <= esds.size()) {
            std::fill(esds.begin() + static_cast<std::ptrdiff_t>(fields),
                      esds.begin() + static_cast<std::ptrdiff_t>(fields + 11), 0);
        }
        break;
    }
    return esds;
}

// The boxes inside a sample entry, from first, with bit-rate boxes dropped or blanked.
std::vector<std::uint8_t> FormatBoxes(const std::uint8_t* entry, std::size_t size,
                                      std::size_t first) {
    std::vector<std::uint8_t> kept(entry, entry + std::min(first, size));
    for (std::size_t at = first; at + 8 <= size;) {
        const std::size_t box = telemetry::ReadBe32(entry + at);
        if (box < 8 || box > size - at) {
            kept.insert(kept.end(), entry + at, entry + size);  // not boxes: compare as is
            break;
        }
        const std::string_view type(reinterpret_cast<const char*>(entry + at + 4), 4);
        if (type == "esds") {
            const auto blanked = WithoutBitRates({entry + at + 8, entry + at + box});
            kept.insert(kept.end(), blanked.begin(), blanked.end());
        } else if (type != "btrt") {
            kept.insert(kept.end(), entry + at, entry + at + box);
        }
        at += box;
    }
    return kept;
}

// A sample description table reduced to what decides the format: bit rates, which every
// recording measures for itself, are left out.
std::vector<std::uint8_t> FormatOf(const std::vector<std::uint8_t>& stsd) {
    if (stsd.size() < 8) {
        return stsd;
    }
    std::vector<std::uint8_t> format(stsd.begin(), stsd.begin() + 8);
    for (std::size_t at = 8; at + 8 <= stsd.size();) {
        const std::size_t size = telemetry::ReadBe32(stsd.data() + at);
        if (size < 8 || size > stsd.size() - at) {
            format.insert(format.end(), stsd.begin() + static_cast<std::ptrdiff_t>(at), stsd.end());
            break;
        }
        const std::string_view type(reinterpret_cast<const char*>(stsd.data() + at + 4), 4);
        // Visual sample entries have 78 bytes of fields before their boxes, audio ones 28.
        const bool visual =
            type == "avc1" || type == "avc3" || type == "hvc1" || type == "hev1" || type == "mp4v";
        const bool audio = type == "mp4a";
        const std::size_t first = visual ? 8 + 78 : audio ? 8 + 28 : size;
        const auto boxes = FormatBoxes(stsd.data() + at, size, first);
        format.insert(format.end(), boxes.begin(), boxes.end());
        at += size;
    }
    return format;
}

// Every sample listed: the form a table takes when only one side has it.
std::vector<std::uint32_t> AllSamples(std::uint64_t count, std::uint64_t first) {
    std::vector<std::uint32_t> numbers;
    numbers.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        numbers.push_back(static_cast<std::uint32_t>(first + i + 1));
    }
    return numbers;
}

void AppendTimeToSample(TrackTables& base, const TrackTables& next) {
    for (const auto& entry : next.time_to_sample) {
        if (!base.time_to_sample.empty() && base.time_to_sample.back().second == entry.second) {
            base.time_to_sample.back().first += entry.first;
        } else {
            base.time_to_sample.push_back(entry);
        }
    }
}

void AppendComposition(TrackTables& base, const TrackTables& next) {
    if (!base.has_composition && !next.has_composition) {
        return;
    }
    if (!base.has_composition) {
        base.composition = {{static_cast<std::uint32_t>(base.sample_count), 0}};
    }
    base.has_composition = true;
    base.composition_signed = base.composition_signed || next.composition_signed;
    const auto& entries = next.has_composition
                              ? next.composition
                              : std::vector<std::pair<std::uint32_t, std::int32_t>>{
                                    {static_cast<std::uint32_t>(next.sample_count), 0}};
    base.composition.insert(base.composition.end(), entries.begin(), entries.end());
}

void AppendSampleToChunk(TrackTables& base, const TrackTables& next) {
    const auto chunk_shift = static_cast<std::uint32_t>(base.chunks.size());
    for (auto entry : next.sample_to_chunk) {
        const bool repeats = !base.sample_to_chunk.empty() &&
                             base.sample_to_chunk.back()[1] == entry[1] &&
                             base.sample_to_chunk.back()[2] == entry[2];
        if (!repeats) {
            entry[0] += chunk_shift;
            base.sample_to_chunk.push_back(entry);
        }
    }
}

void AppendSampleSizes(TrackTables& base, const TrackTables& next) {
    if (base.constant_size != 0 && base.constant_size == next.constant_size) {
        return;  // still one size for every sample
    }
    if (base.constant_size != 0) {
        base.sizes.assign(base.sample_count, base.constant_size);
        base.constant_size = 0;
    }
    if (next.constant_size != 0) {
        base.sizes.insert(base.sizes.end(), next.sample_count, next.constant_size);
    } else {
        base.sizes.insert(base.sizes.end(), next.sizes.begin(), next.sizes.end());
    }
}

void AppendSyncSamples(TrackTables& base, const TrackTables& next) {
    if (!base.has_sync_table && !next.has_sync_table) {
        return;
    }
    if (!base.has_sync_table) {
        base.sync_samples = AllSamples(base.sample_count, 0);
    }
    base.has_sync_table = true;
    const auto& numbers =
        next.has_sync_table ? next.sync_samples : AllSamples(next.sample_count, 0);
    for (const std::uint32_t number : numbers) {
        base.sync_samples.push_back(static_cast<std::uint32_t>(number + base.sample_count));
    }
}

// Whether next's track can follow base's; checked for every track before any is changed.
bool CanAppendTrack(const TrackTables& base, const TrackTables& next, std::string* error) {
    if (FormatOf(base.sample_descriptions) != FormatOf(next.sample_descriptions)) {
        return Fail(error,
                    "the recordings' sample descriptions differ (other picture or sound format)");
    }
    if (base.media_time_scale != next.media_time_scale) {
        return Fail(error, "the recordings' tracks use different time scales");
    }
    if (base.sample_count + next.sample_count > std::numeric_limits<std::uint32_t>::max() ||
        base.chunks.size() + next.chunks.size() > std::numeric_limits<std::uint32_t>::max()) {
        return Fail(error, "the joined track would hold too many samples");
    }
    return true;
}

void AppendDependencyFlags(TrackTables& base, const TrackTables& next) {
    if (!base.has_dependency_flags && !next.has_dependency_flags) {
        return;
    }
    if (!base.has_dependency_flags) {
        base.dependency_flags.assign(base.sample_count, 0);
    }
    base.has_dependency_flags = true;
    if (next.has_dependency_flags) {
        base.dependency_flags.insert(base.dependency_flags.end(), next.dependency_flags.begin(),
                                     next.dependency_flags.end());
    } else {
        base.dependency_flags.insert(base.dependency_flags.end(), next.sample_count, 0);
    }
}

bool SameGrouping(const TrackTables& base, const TrackTables& next) {
    if (base.group_descriptions != next.group_descriptions ||
        base.sample_groups.size() != next.sample_groups.size()) {
        return false;
    }
    for (std::size_t i = 0; i < base.sample_groups.size(); ++i) {
        if (base.sample_groups[i].head != next.sample_groups[i].head) {
            return false;
        }
    }
    return true;
}

// Group tables run on when both recordings describe their groups alike; the runs of base
// are first completed to its last sample (no group), so that next's runs start at its first.
void AppendSampleGroups(TrackTables& base, const TrackTables& next) {
    if (!SameGrouping(base, next)) {
        base.group_descriptions.clear();
        base.sample_groups.clear();
        return;
    }
    for (std::size_t i = 0; i < base.sample_groups.size(); ++i) {
        auto& runs = base.sample_groups[i].runs;
        std::uint64_t covered = 0;
        for (const auto& [count, index] : runs) {
            covered += count;
        }
        if (covered > base.sample_count) {
            base.group_descriptions.clear();
            base.sample_groups.clear();
            return;
        }
        if (covered < base.sample_count) {
            runs.emplace_back(static_cast<std::uint32_t>(base.sample_count - covered), 0);
        }
        for (const auto& run : next.sample_groups[i].runs) {
            if (!runs.empty() && runs.back().second == run.second) {
                runs.back().first += run.first;
            } else {
                runs.push_back(run);
            }
        }
    }
}

// How much media time a track lacks to reach the end of the movie so far.
std::uint64_t MissingMediaTime(const TrackTables& track, std::uint64_t movie_duration,
                               std::uint32_t movie_time_scale) {
    if (movie_time_scale == 0 || track.time_to_sample.empty()) {
        return 0;
    }
    const std::uint64_t scale = track.media_time_scale;
    const std::uint64_t movie_end = movie_duration / movie_time_scale * scale +
                                    movie_duration % movie_time_scale * scale / movie_time_scale;
    return movie_end > track.media_duration ? movie_end - track.media_duration : 0;
}

// A track that ends before its recording (sound a few milliseconds short of the picture)
// holds its last sample until the recording's end, so that the next recording's samples of
// every track start at the same moment instead of drifting apart from join to join.
void AlignTrackEnd(TrackTables& track, std::uint64_t movie_duration,
                   std::uint32_t movie_time_scale) {
    const std::uint64_t missing = MissingMediaTime(track, movie_duration, movie_time_scale);
    if (missing == 0) {
        return;
    }
    auto& [count, delta] = track.time_to_sample.back();
    if (count == 0 || delta + missing > std::numeric_limits<std::uint32_t>::max()) {
        return;
    }
    const auto longer = static_cast<std::uint32_t>(delta + missing);
    if (count == 1) {
        delta = longer;
    } else {
        --count;
        track.time_to_sample.emplace_back(1, longer);
    }
    track.media_duration += missing;
    track.track_duration = std::max(track.track_duration, movie_duration);
}

void AppendTrack(TrackTables& base, const TrackTables& next) {
    AppendDependencyFlags(base, next);  // before the count grows: fills by it
    AppendSampleGroups(base, next);     // the same
    AppendTimeToSample(base, next);
    AppendComposition(base, next);
    AppendSampleToChunk(base, next);  // before the chunks grow: it shifts by their count
    AppendSampleSizes(base, next);
    AppendSyncSamples(base, next);  // before the count grows: it raises by it
    base.chunks.insert(base.chunks.end(), next.chunks.begin(), next.chunks.end());
    base.sample_count += next.sample_count;
    base.media_duration += next.media_duration;
    base.track_duration += next.track_duration;
}

}  // namespace

namespace detail {

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutBe64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    PutBe32(out, static_cast<std::uint32_t>(value >> 32));
    PutBe32(out, static_cast<std::uint32_t>(value));
}

TrackPayloads EncodeTrackWithoutOffsets(const TrackTables& track) {
    TrackPayloads p;
    PutBe32(p.stts, 0);
    PutBe32(p.stts, static_cast<std::uint32_t>(track.time_to_sample.size()));
    for (const auto& [count, delta] : track.time_to_sample) {
        PutBe32(p.stts, count);
        PutBe32(p.stts, delta);
    }
    if (track.has_composition) {
        PutBe32(p.ctts, track.composition_signed ? 0x01000000u : 0u);
        PutBe32(p.ctts, static_cast<std::uint32_t>(track.composition.size()));
        for (const auto& [count, offset] : track.composition) {
            PutBe32(p.ctts, count);
            PutBe32(p.ctts, static_cast<std::uint32_t>(offset));
        }
    }
    PutBe32(p.stsc, 0);
    PutBe32(p.stsc, static_cast<std::uint32_t>(track.sample_to_chunk.size()));
    for (const auto& entry : track.sample_to_chunk) {
        for (const std::uint32_t field : entry) {
            PutBe32(p.stsc, field);
        }
    }
    PutBe32(p.stsz, 0);
    PutBe32(p.stsz, track.constant_size);
    PutBe32(p.stsz, static_cast<std::uint32_t>(track.sample_count));
    for (const std::uint32_t size :
         track.constant_size == 0 ? track.sizes : std::vector<std::uint32_t>{}) {
        PutBe32(p.stsz, size);
    }
    if (track.has_dependency_flags) {
        PutBe32(p.sdtp, 0);
        p.sdtp.insert(p.sdtp.end(), track.dependency_flags.begin(), track.dependency_flags.end());
    }
    for (const SampleGroups& groups : track.sample_groups) {
        std::vector<std::uint8_t> sbgp = groups.head;
        PutBe32(sbgp, static_cast<std::uint32_t>(groups.runs.size()));
        for (const auto& [count, index] : groups.runs) {
            PutBe32(sbgp, count);
            PutBe32(sbgp, index);
        }
        p.sbgp.push_back(std::move(sbgp));
    }
    if (track.has_sync_table) {
        PutBe32(p.stss, 0);
        PutBe32(p.stss, static_cast<std::uint32_t>(track.sync_samples.size()));
        for (const std::uint32_t number : track.sync_samples) {
            PutBe32(p.stss, number);
        }
    }
    return p;
}

}  // namespace detail

std::optional<MovieTables> ReadMovieTables(const telemetry::Mp4Tree& tree, std::uint32_t input,
                                           std::string* error) {
    const BoxNode* moov = ChildOf(tree.root, "moov");
    const BoxNode* mvhd = moov == nullptr ? nullptr : ChildOf(*moov, "mvhd");
    if (mvhd == nullptr) {
        Fail(error, "the movie header (moov/mvhd) is missing");
        return std::nullopt;
    }
    MovieTables movie;
    std::tie(movie.movie_time_scale, movie.movie_duration) = ScaleAndDuration(*mvhd);
    for (const BoxNode& child : moov->children) {
        if (child.type != "trak") {
            continue;
        }
        auto track = ReadTrack(child, input, error);
        if (!track) {
            return std::nullopt;
        }
        movie.tracks.push_back(std::move(*track));
    }
    if (movie.tracks.empty()) {
        Fail(error, "the movie has no tracks");
        return std::nullopt;
    }
    return movie;
}

bool AppendMovieTables(MovieTables& base, const MovieTables& next, std::string* error) {
    if (base.tracks.size() != next.tracks.size()) {
        return Fail(error, "the recordings have different numbers of tracks");
    }
    if (base.movie_time_scale != next.movie_time_scale) {
        return Fail(error, "the recordings use different movie time scales");
    }
    for (std::size_t i = 0; i < base.tracks.size(); ++i) {
        if (!CanAppendTrack(base.tracks[i], next.tracks[i], error)) {
            return false;
        }
    }
    // Appended in place: every check passed, and the appends themselves cannot fail.
    for (std::size_t i = 0; i < base.tracks.size(); ++i) {
        AlignTrackEnd(base.tracks[i], base.movie_duration, base.movie_time_scale);
        AppendTrack(base.tracks[i], next.tracks[i]);
    }
    base.movie_duration += next.movie_duration;
    return true;
}

}  // namespace ardelle::fileops
