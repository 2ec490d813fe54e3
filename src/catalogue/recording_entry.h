#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/local_time.h"

namespace ardelle::catalogue {

inline constexpr std::uint32_t kAttributeHidden = 0x02;
inline constexpr std::uint32_t kAttributeFolder = 0x10;

// One directory entry as a scan sees it.
struct FoundFile {
    std::uint32_t attributes = 0;  // kAttributeHidden, kAttributeFolder
    std::string name;              // file name
    std::string path;              // folder + '/' + name
    std::uint64_t size = 0;

    bool is_folder() const { return (attributes & kAttributeFolder) != 0; }
    bool is_hidden() const { return (attributes & kAttributeHidden) != 0; }
};
using FoundFileList = std::vector<FoundFile>;

// A date-time with every field zero: the value of a time nobody has filled in.
inline constexpr platform::CalendarTime kUnsetTime{0, 0, 0, 0, 0, 0, 0, 0};

// Everything the viewer knows about one recording: its two files, what their names say,
// and what the main window fills in when the recording is opened. Plain value, copied
// between lists; a copy finds its master entry only through sequence.
struct RecordingEntry {
    std::string front_path;  // empty when the front file does not exist
    std::string front_name;
    std::string rear_path;  // empty when the rear file does not exist
    std::string rear_name;
    std::int32_t sequence = 0;  // creation number within the source; -1 in a bare entry
    std::int32_t trigger_letter = 0;
    std::int32_t joined_mark = 0;
    std::int32_t parking = 0;
    std::int32_t quality_code = 0;
    float frame_rate = 0.0f;
    platform::CalendarTime start_time = kUnsetTime;
    platform::CalendarTime end_time = kUnsetTime;
    std::int64_t data_size_front = 0;
    std::int64_t data_size_rear = 0;
    std::string still_date;  // YYMMDD, or "ERROR!"
    std::string still_time;  // HHMMSS, or "ERROR!"
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0;

    // The name every test on the recording uses: the front name, else the rear name.
    const std::string& primary_name() const { return front_name.empty() ? rear_name : front_name; }
    const std::string& primary_path() const { return front_path.empty() ? rear_path : front_path; }
    // A still is placed on the map when both coordinates are positive.
    bool is_placed() const { return latitude > 0.0 && longitude > 0.0; }

    friend bool operator==(const RecordingEntry&, const RecordingEntry&) = default;
};
using RecordingList = std::vector<RecordingEntry>;

// Scans stop appending entries at this many (their counters still count).
inline constexpr std::size_t kMaxListEntries = 1000;

// The creation numbers of movie and still entries, both reset when a source is opened.
void ResetSequenceCounters();

// Builds one movie entry from a front and a rear path and appends it; false (nothing
// appended) when front_path is not an MP4 path.
bool AddMovieEntry(const std::string& front_path, const std::string& rear_path,
                   RecordingList& list);

// Builds one still entry; false when the front path's name is not a still name.
bool AddStillEntry(const std::string& front_path, const std::string& rear_path,
                   RecordingList& list);

// Appends the entry of a tree node: front_path = path, sequence and sizes -1.
void AddBareEntry(const std::string& path, RecordingList& list);

// A recording already in the list under either of its files.
bool IsDuplicate(std::string_view front, std::string_view rear, const RecordingList& list);

// The bytes a movie's recording occupies: its first four top-level boxes plus the
// telemetry block named by its trailer; 0 when the file cannot be read.
std::int64_t MovieDataSize(const std::string& path);

// What the last 28 bytes of a still picture say.
struct StillTrailer {
    std::string time;  // HHMMSS
    double latitude = 0.0;
    double longitude = 0.0;
    double speed = 0.0;
};

// Reads the trailer of a still file; false when the file is unreadable, too short, or
// its last bytes are no trailer (the time is not six digits).
bool ReadStillTrailer(const std::string& path, StillTrailer& trailer);

// "ddmm.mmmm" as a number -> degrees.
double DegreesFromMinutesForm(double value);

}  // namespace ardelle::catalogue
