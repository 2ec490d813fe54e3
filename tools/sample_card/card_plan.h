#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sample_card/civil_time.h"

namespace ardelle::samplecard {

enum class Camera { kFront, kRear };

// How the record count of a telemetry block is written.
enum class CountStyle {
    kExact,     // count N, N records
    kOpen,      // count 0xFFFF, the records, then an end record
    kEarlyEnd,  // count N, but an end record stands in slot early_end_record
};

// The recorder's settings as stored in the telemetry block header.
struct HeaderVariant {
    char mode = 'M';  // 'M' or 'D' carry the four values; anything else means none
    std::array<int, 4> values{};
    char quality = 'H';
    bool speed_display = true;
    bool gps_display = true;
};

// One byte the recorder sets in one telemetry record to report an event.
struct RecordMark {
    int record = 0;
    int offset = 0;  // byte offset within the 130-byte record
    uint8_t value = 0;
    std::string what;
};

// Record byte offsets of the event fields.
namespace record_offset {
constexpr int kManual = 77;
constexpr int kShockAxis = 78;
constexpr int kDrivingSupport = 79;
constexpr int kEmergencyStop = 80;
constexpr int kParkingWatch = 81;
constexpr int kSpeeding = 82;
constexpr int kApproach = 83;
constexpr int kStatusNibbles = 129;
}  // namespace record_offset

constexpr uint8_t kSpeedCameraNibbles = 0xA9;
constexpr int kFrontFps = 30;
constexpr int kRearFps = 15;
constexpr double kShortSeconds = 1.6;  // the recording that is too short to play

// One recording of the card: a front/rear pair of movies and the telemetry of the front one.
struct Recording {
    std::string trigger;  // name characters 0..3, index 3 being the run mark
    int number = 0;
    CivilTime start;
    double seconds = 0;
    bool has_front = true;
    bool has_rear = true;
    bool deleted = false;  // kept as hidden ".DMY" placeholders of both files
    HeaderVariant header;
    CountStyle count_style = CountStyle::kExact;
    int early_end_record = -1;
    int time_offset = 0;    // 0: bytes 47..49 hold '*'; else this offset and earlier digits
    int no_fix_first = -1;  // records no_fix_first..no_fix_last have no GPS fix
    int no_fix_last = -1;
    std::vector<int> blank_speed_records;
    std::vector<RecordMark> marks;
    int64_t drive_seconds = 0;  // where the recording starts in the card's drive

    bool IsParking() const { return trigger[0] == 'P'; }
    bool IsTimeLapse() const { return trigger[0] == 'T' || trigger[2] == 'T'; }
    double RecordIntervalMs() const { return IsTimeLapse() ? 66.666664 : 100.0; }
    // Samples covering the clip.
    int RecordCount() const;
    // Record slots of the block: the samples, plus the end record of an open block.
    int SlotCount() const;
    // Records before the end record (all of them unless the block ends early).
    int SampleCount() const;
    int Fps(Camera camera) const { return camera == Camera::kFront ? kFrontFps : kRearFps; }
    int FrameCount(Camera camera) const;
    bool HasFile(Camera camera) const { return camera == Camera::kFront ? has_front : has_rear; }
    std::string FileName(Camera camera) const;  // ".DMY" for a deleted recording
    std::string Folder(Camera camera) const;    // e.g. "Normal/Front"
    std::string RelativePath(Camera camera) const {
        return Folder(camera) + "/" + FileName(camera);
    }
    // Name time plus the record's whole seconds, as the decoder should read the record.
    CivilTime RecordTime(int record) const;
};

// One still picture pair of the JPG folders.
struct Still {
    std::string trigger;  // two characters
    CivilTime time;
    int shot = 1;
    int picture = 1;
    double latitude = 0;  // degrees; 0 means the recorder had no position
    double longitude = 0;
    int speed = 0;
    bool has_rear = true;
    int placeholder_number = 0;  // non-zero: deleted, kept under this placeholder number

    std::string FileName(Camera camera) const;  // the placeholder name when deleted
    std::string OriginalName(Camera camera) const;
    std::string Folder(Camera camera) const;
};

constexpr const char* kCameraIdentifier = "SN00A1B2C3D4E5F6";

// The recorder's format-configuration fields.
struct DfcFields {
    std::string model_code = "ADR2CH10";
    std::string firmware = "010402";  // major, minor, revision
    std::string gps_data = "240315";
};

struct PlanOptions {
    double seconds = 10;
    int count = 0;  // 0: the default set of recordings
    uint32_t seed = 1;
};

// Everything the generator writes and the tests expect.
struct CardPlan {
    PlanOptions options;
    CivilTime card_start;
    std::vector<Recording> recordings;
    std::vector<Still> stills;
    DfcFields dfc;

    // Names of the placeholders in one folder (such as "JPG/Front"), for its ".hidden" file.
    std::vector<std::string> HiddenNames(const std::string& folder) const;
    std::vector<std::string> Folders() const;
};

CardPlan MakeCardPlan(const PlanOptions& options);

std::string FolderOf(bool parking, Camera camera);
char CameraLetter(Camera camera);

}  // namespace ardelle::samplecard
