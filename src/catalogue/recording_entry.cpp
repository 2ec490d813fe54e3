#include "catalogue/recording_entry.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "catalogue/name_units.h"
#include "catalogue/recording_names.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "telemetry/box_types.h"
#include "telemetry/byte_order.h"
#include "telemetry/text_fields.h"

namespace ardelle::catalogue {
namespace {

// Scans and their entries live on the UI thread; the counters are atomics only so that a
// worker building a list of its own cannot tear them.
std::atomic<std::int32_t> movie_sequence{0};
std::atomic<std::int32_t> still_sequence{0};

constexpr char kErrorText[] = "ERROR!";
constexpr std::uint64_t kStillTrailerLength = 28;
constexpr std::uint64_t kTelemetryTrailerLength = 28;
constexpr std::uint64_t kTelemetryRecordLength = 130;
constexpr std::uint64_t kTelemetryHeaderLength = 68;

struct FileHalf {
    std::string path;
    std::string name;
};

FileHalf ExistingHalf(const std::string& path) {
    if (path.empty() || !platform::PathExists(path)) {
        return {};
    }
    return {path, std::string(FileNameOf(path))};
}

// The first character of a name as a UTF-16 code.
std::int32_t FirstUnitOf(std::string_view name) {
    const std::u16string units = detail::Utf8ToUtf16(name.substr(0, 4));
    return units.empty() ? 0 : static_cast<std::int32_t>(units.front());
}

std::int64_t StillFileSize(const std::string& path) {
    if (path.empty()) {
        return 0;
    }
    return static_cast<std::int64_t>(platform::FileSizeOf(path).value_or(0));
}

// Reads box headers of one file; the first ones come from a single read of its head.
class BoxHeaderReader {
  public:
    explicit BoxHeaderReader(const platform::MappedFile& file)
        : file_(file), head_length_(file.ReadAt(0, head_, sizeof head_)) {}

    // The size of the top-level box at offset, or nothing when its header cannot be read or
    // its type is not a box type (the telemetry block after a file of three boxes).
    std::optional<std::uint64_t> SizeAt(std::uint64_t offset) const {
        std::uint8_t header[16];
        std::size_t got = 0;
        if (offset + sizeof header <= head_length_) {
            std::memcpy(header, head_ + offset, sizeof header);
            got = sizeof header;
        } else {
            got = file_.ReadAt(offset, header, sizeof header);
        }
        if (got < 8 || !telemetry::KnownBoxes().Contains(header + 4)) {
            return std::nullopt;
        }
        const std::uint64_t size = telemetry::ReadBe32(header);
        if (size != 1) {
            return size;
        }
        // A box too large for 32 bits stores its size after the type.
        if (got < 16) {
            return std::nullopt;
        }
        return telemetry::ReadBe64(header + 8);
    }

  private:
    const platform::MappedFile& file_;
    std::uint8_t head_[512];
    std::size_t head_length_;
};

std::uint64_t TelemetryBlockSize(const platform::MappedFile& file) {
    std::uint8_t trailer[kTelemetryTrailerLength];
    if (file.size() < kTelemetryTrailerLength ||
        file.ReadAt(file.size() - kTelemetryTrailerLength, trailer, sizeof trailer) !=
            sizeof trailer ||
        std::memcmp(trailer, "CSMEND", 6) != 0) {
        return 0;
    }
    const std::uint64_t count = telemetry::ReadBe32(trailer + 16);
    return count * kTelemetryRecordLength + kTelemetryHeaderLength;
}

// The part of an entry that movies and stills build alike: the files that exist, the
// creation number, and what the names say.
RecordingEntry EntryOfPair(const std::string& front_path, const std::string& rear_path,
                           std::atomic<std::int32_t>& sequence) {
    RecordingEntry entry;
    FileHalf front = ExistingHalf(front_path);
    FileHalf rear = ExistingHalf(rear_path);
    entry.front_path = std::move(front.path);
    entry.front_name = std::move(front.name);
    entry.rear_path = std::move(rear.path);
    entry.rear_name = std::move(rear.name);
    entry.sequence = sequence++;
    entry.parking = IsParkingClass(TriggerClassOf(entry.primary_name())) ? 1 : 0;
    if (TriggerClassOf(front_path) >= 0) {
        entry.trigger_letter = FirstUnitOf(FileNameOf(front_path));
    }
    return entry;
}

}  // namespace

void ResetSequenceCounters() {
    movie_sequence = 0;
    still_sequence = 0;
}

std::int64_t MovieDataSize(const std::string& path) {
    platform::MappedFile file;
    if (path.empty() || !file.Open(path)) {
        return 0;
    }
    const BoxHeaderReader boxes(file);
    std::uint64_t sum = 0;
    for (int box = 0; box < 4; ++box) {
        const auto size = boxes.SizeAt(sum);
        if (!size) {
            break;  // the sum so far, and the telemetry block after it
        }
        if (*size > static_cast<std::uint64_t>(INT64_MAX) - sum) {
            return static_cast<std::int64_t>(sum);  // a size no real file can have
        }
        sum += *size;
    }
    const std::uint64_t block = TelemetryBlockSize(file);
    if (block <= static_cast<std::uint64_t>(INT64_MAX) - sum) {
        sum += block;
    }
    return static_cast<std::int64_t>(sum);
}

double DegreesFromMinutesForm(double value) {
    return std::trunc(value / 100.0) + std::fmod(value, 100.0) / 60.0;
}

bool ReadStillTrailer(const std::string& path, StillTrailer& trailer) {
    platform::MappedFile file;
    if (!file.Open(path) || file.size() < kStillTrailerLength) {
        return false;
    }
    std::uint8_t bytes[kStillTrailerLength];
    if (file.ReadAt(file.size() - kStillTrailerLength, bytes, sizeof bytes) != sizeof bytes) {
        return false;
    }
    // A picture without the recorder's trailer ends in image bytes; only six digits of
    // time make the trailer, so that no raw byte ever becomes list or export text.
    if (!std::all_of(bytes, bytes + 6, [](std::uint8_t c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    trailer.time.assign(reinterpret_cast<const char*>(bytes), 6);
    trailer.latitude = DegreesFromMinutesForm(telemetry::ParseDecimalField(bytes + 6, 9));
    trailer.longitude = DegreesFromMinutesForm(telemetry::ParseDecimalField(bytes + 15, 10));
    trailer.speed = static_cast<double>(telemetry::ParseIntegerField(bytes + 25, 3));
    return true;
}

bool AddMovieEntry(const std::string& front_path, const std::string& rear_path,
                   RecordingList& list) {
    if (!IsMp4Path(front_path)) {
        return false;
    }
    RecordingEntry entry = EntryOfPair(front_path, rear_path, movie_sequence);
    entry.data_size_front = entry.front_path.empty() ? 0 : MovieDataSize(front_path);
    entry.data_size_rear = entry.rear_path.empty() ? 0 : MovieDataSize(rear_path);
    list.push_back(std::move(entry));
    return true;
}

bool AddStillEntry(const std::string& front_path, const std::string& rear_path,
                   RecordingList& list) {
    if (!IsStillName(FileNameOf(front_path))) {
        return false;
    }
    RecordingEntry entry = EntryOfPair(front_path, rear_path, still_sequence);
    entry.data_size_front = StillFileSize(front_path);
    entry.data_size_rear = StillFileSize(rear_path);
    entry.still_date = kErrorText;
    entry.still_time = kErrorText;
    const std::string& primary = entry.primary_path();
    if (platform::IsRegularFile(primary)) {
        const std::string date = detail::UnitsUntil(entry.primary_name(), 5, '-');
        entry.still_date = detail::Utf8ToUtf16(date).size() == 6 ? date : std::string();
        StillTrailer trailer;
        if (ReadStillTrailer(primary, trailer)) {
            entry.still_time = trailer.time;
            entry.latitude = trailer.latitude;
            entry.longitude = trailer.longitude;
            entry.speed = trailer.speed;
        }
    }
    list.push_back(std::move(entry));
    return true;
}

void AddBareEntry(const std::string& path, RecordingList& list) {
    RecordingEntry entry;
    entry.front_path = path;
    entry.front_name = std::string(FileNameOf(path));
    entry.sequence = -1;
    entry.data_size_front = -1;
    entry.data_size_rear = -1;
    list.push_back(std::move(entry));
}

bool IsDuplicate(std::string_view front, std::string_view rear, const RecordingList& list) {
    for (const RecordingEntry& entry : list) {
        if ((!front.empty() && front == entry.front_path) ||
            (!rear.empty() && rear == entry.rear_path)) {
            return true;
        }
    }
    return false;
}

}  // namespace ardelle::catalogue
