#include "telemetry/telemetry_block.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

#include "platform/local_time.h"
#include "telemetry/byte_order.h"
#include "telemetry/text_fields.h"

namespace ardelle::telemetry {
namespace {

// Record field offsets.
constexpr std::size_t kFixStatus = 8;
constexpr std::size_t kLatitude = 9, kLatitudeWidth = 9, kLatitudeHemisphere = 18;
constexpr std::size_t kLongitude = 19, kLongitudeWidth = 10, kLongitudeHemisphere = 29;
constexpr std::size_t kSpeed = 30, kSpeedWidth = 4;
constexpr std::size_t kDateTime = 34;
constexpr std::size_t kTimeOffset = 47, kTimeOffsetWidth = 3;
constexpr std::size_t kAux = 51, kAuxWidth = 3;
constexpr std::size_t kAccelX = 62, kAccelY = 67, kAccelZ = 72, kAccelWidth = 5;
constexpr std::size_t kManualFlag = 77, kShockAxis = 78, kSupportEvent = 79;
constexpr std::size_t kEmergencyFlag = 80, kParkingFlag = 81, kSpeedingFlag = 82;
constexpr std::size_t kApproachFlag = 83, kVehicleStatus = 84, kVehicleData = 88;
constexpr std::size_t kStatusByte = 128, kStatusNibbles = 129;

// Offset of the record count and of the first record, counted from the header body.
constexpr std::size_t kCountOffset = kHeaderBodySize;
constexpr std::size_t kFirstRecordOffset = kHeaderBodySize + 2;

double Coordinate(const std::uint8_t* record, std::size_t offset, std::size_t width,
                  std::size_t hemisphere) {
    if (!FieldHasDigit(record + offset, width)) {
        return kMissingCoordinate;
    }
    const double value = ParseDecimalField(record + offset, width);
    const double degrees = std::trunc(value / 100.0) + std::fmod(value, 100.0) / 60.0;
    return record[hemisphere] != 0 ? degrees : -degrees;
}

int TwoDigits(const std::uint8_t* p) {
    return static_cast<int>(ParseIntegerField(p, 2));
}

platform::CalendarTime ConvertRecordTime(const std::uint8_t* record) {
    const std::uint8_t* digits = record + kDateTime;
    const auto instant = platform::LocalFieldsToInstant(
        2000 + TwoDigits(digits), TwoDigits(digits + 2), TwoDigits(digits + 4),
        TwoDigits(digits + 6), TwoDigits(digits + 8), TwoDigits(digits + 10),
        platform::DaylightSaving::kNotInEffect);
    std::int64_t seconds = 0;
    if (instant) {
        seconds = *instant;
        if (record[kTimeOffset] != '*') {
            seconds += ParseIntegerField(record + kTimeOffset, kTimeOffsetWidth);
        }
    }
    return platform::InstantToLocal(seconds);
}

// Ten or fifteen records share each second, and the local-time conversion is the costly
// part of a record: the last conversion of this thread is kept for the same 16 bytes
// (date-time digits, separator, offset).
platform::CalendarTime RecordLocalTime(const std::uint8_t* record) {
    constexpr std::size_t kKeyBytes = kTimeOffset + kTimeOffsetWidth - kDateTime;
    thread_local std::array<std::uint8_t, kKeyBytes> last_key{};
    thread_local platform::CalendarTime last_time;
    thread_local bool have_last = false;
    if (have_last && std::memcmp(last_key.data(), record + kDateTime, kKeyBytes) == 0) {
        return last_time;
    }
    last_time = ConvertRecordTime(record);
    std::memcpy(last_key.data(), record + kDateTime, kKeyBytes);
    have_last = true;
    return last_time;
}

double Acceleration(const std::uint8_t* record, std::size_t offset) {
    const float thousandths = static_cast<float>(ParseDecimalField(record + offset, kAccelWidth));
    return static_cast<double>(thousandths) / 1000.0;
}

std::int32_t EventKind(const std::uint8_t* record) {
    if (record[kEmergencyFlag] == 'D')
        return 6;
    if (record[kManualFlag] == 'D')
        return 5;
    if (record[kParkingFlag] == 'D')
        return 7;
    switch (record[kSupportEvent]) {
        case 'H':
            return 11;
        case 'A':
            return 12;
        case 'B':
            return 13;
        default:
            return -1;
    }
}

std::int32_t ShockAxis(std::uint8_t axis) {
    return axis == 'X' ? 1 : axis == 'Y' ? 2 : axis == 'Z' ? 3 : 0;
}

// One header entry, offsets relative to its own origin.
void DecodeHeaderEntry(const std::uint8_t* entry, RecordingHeaderInfo& header) {
    const char mode = static_cast<char>(entry[16]);
    for (std::size_t i = 0; i < 4; ++i) {
        header.values[i] = (mode == 'M' || mode == 'D')
                               ? static_cast<float>(ParseDecimalField(entry + 4 * i, 4)) / 1000.0f
                               : -1.0f;
    }
    header.mode = mode;
    std::memcpy(header.settings.data(), entry + 17, header.settings.size());
    header.quality = static_cast<char>(entry[23]);
    header.setting24 = static_cast<char>(entry[24]);
    header.setting25 = static_cast<char>(entry[25]);
    header.speed_display = static_cast<char>(entry[26]);
    header.gps_display = static_cast<char>(entry[27]);
}

bool ChainsFurtherEntry(const std::uint8_t* entry) {
    return entry[36] == 0x40 && entry[37] == 0x43 && entry[38] == 0x53 && entry[39] >= 'A' &&
           entry[39] <= 'Z';
}

}  // namespace

bool IsBlockTag(const std::uint8_t* p) {
    return std::memcmp(p, "CSMDAT", kBlockTagSize) == 0;
}
bool IsEndTag(const std::uint8_t* p) {
    return std::memcmp(p, "CSMEND", kBlockTagSize) == 0;
}

bool IsTimeLapseName(std::string_view file_name) {
    return (!file_name.empty() && file_name[0] == 'T') ||
           (file_name.size() > 2 && file_name[2] == 'T');
}

float MsPerRecordFor(std::string_view file_name) {
    return IsTimeLapseName(file_name) ? kMsPerRecordTimeLapse : kMsPerRecordNormal;
}

std::int32_t RecordTimeMs(std::int32_t index, float ms_per_record) {
    const float ms = static_cast<float>(index) * ms_per_record;
    return static_cast<std::int32_t>(ms);
}

RecordingHeaderInfo DecodeHeader(const std::uint8_t* body, std::size_t available,
                                 std::string_view file_name) {
    RecordingHeaderInfo header;
    header.rate = IsTimeLapseName(file_name) ? 'T' : 'N';
    if (available < kHeaderBodySize) {
        return header;
    }
    std::size_t origin = 0;
    DecodeHeaderEntry(body, header);
    // A chained entry replaces the values; each test needs its 40 bytes present.
    while (origin + 40 + kHeaderBodySize <= available && ChainsFurtherEntry(body + origin)) {
        origin += 40;
        DecodeHeaderEntry(body + origin, header);
    }
    return header;
}

GpsSample DecodeGps(const std::uint8_t* record, std::int32_t index, float ms_per_record) {
    GpsSample gps;
    gps.index = index;
    gps.time = RecordTimeMs(index, ms_per_record);
    gps.valid = record[kFixStatus] == 'A' ? 1 : 0;
    gps.latitude = Coordinate(record, kLatitude, kLatitudeWidth, kLatitudeHemisphere);
    gps.longitude = Coordinate(record, kLongitude, kLongitudeWidth, kLongitudeHemisphere);
    gps.speed = FieldHasDigit(record + kSpeed, kSpeedWidth)
                    ? ParseDecimalField(record + kSpeed, kSpeedWidth)
                    : kMissingSpeed;
    gps.local_time = RecordLocalTime(record);
    return gps;
}

GpsSample BlankGpsSample(std::int32_t index) {
    // Parking recordings carry no position: every field read from the record reads as
    // blank (0x20) bytes.
    constexpr std::int32_t kBlank32 = 0x20202020;
    constexpr int kBlank16 = 0x2020;
    const double blank_double = std::bit_cast<double>(std::uint64_t{0x2020202020202020});
    GpsSample gps;
    gps.index = index;
    gps.time = kBlank32;
    gps.valid = 0;
    // The links are indices, not record bytes: none until binding sets them.
    gps.sensor_link = -1;
    gps.vehicle_link = -1;
    gps.latitude = gps.longitude = gps.speed = gps.reserved = blank_double;
    gps.local_time = {kBlank16, kBlank16, kBlank16, kBlank16,
                      kBlank16, kBlank16, kBlank16, kBlank16};
    return gps;
}

SensorSample DecodeSensor(const std::uint8_t* record, std::int32_t index, float ms_per_record) {
    SensorSample sensor;
    sensor.index = index;
    sensor.event_kind = EventKind(record);
    sensor.secondary = record[kSpeedingFlag] == 'D' ? 8 : 0;
    sensor.tertiary = record[kApproachFlag] == 'D' ? 10 : 0;
    sensor.shock_axis = ShockAxis(record[kShockAxis]);
    sensor.time = RecordTimeMs(index, ms_per_record);
    sensor.status = record[kStatusByte];
    sensor.aux = static_cast<std::int32_t>(ParseIntegerField(record + kAux, kAuxWidth));
    sensor.x = Acceleration(record, kAccelX);
    sensor.y = Acceleration(record, kAccelY);
    sensor.z = Acceleration(record, kAccelZ);
    sensor.high_nibble = record[kStatusNibbles] >> 4;
    sensor.low_nibble = record[kStatusNibbles] & 0x0F;
    return sensor;
}

VehicleSample DecodeVehicle(const std::uint8_t* record, std::int32_t index) {
    VehicleSample vehicle;
    vehicle.index = index;
    std::memcpy(vehicle.status.data(), record + kVehicleStatus, vehicle.status.size());
    std::memcpy(vehicle.data.data(), record + kVehicleData, vehicle.data.size());
    return vehicle;
}

BlockDecode DecodeRecords(const std::uint8_t* body, std::size_t available,
                          std::string_view file_name, float ms_per_record, DecodeParts parts,
                          SampleLists& lists) {
    BlockDecode result;
    if (available < kFirstRecordOffset) {
        result.status = BlockDecode::Status::kTruncated;
        result.problem_offset = kCountOffset;
        return result;
    }
    const std::uint16_t count = ReadBe16(body + kCountOffset);
    const bool open_count = count == kOpenCount;
    const bool parking = !file_name.empty() && file_name[0] == 'P' && parts == DecodeParts::kAll;
    if (!open_count && kFirstRecordOffset + std::size_t{kRecordSize} * count <= available) {
        lists.gps.reserve(lists.gps.size() + count);
        if (parts == DecodeParts::kAll) {
            lists.sensors.reserve(lists.sensors.size() + count);
            lists.vehicles.reserve(lists.vehicles.size() + count);
        }
    }
    const std::size_t gps_before = lists.gps.size();
    const std::size_t sensors_before = lists.sensors.size();
    const std::size_t vehicles_before = lists.vehicles.size();
    std::size_t offset = kFirstRecordOffset;
    for (std::size_t index = 0; open_count || index < count; ++index, offset += kRecordSize) {
        if (offset + kBlockTagSize <= available && IsEndTag(body + offset)) {
            if (!open_count) {
                result.status = BlockDecode::Status::kEndedEarly;
                result.problem_offset = offset;
            }
            break;
        }
        if (offset + kRecordSize > available) {
            // Keep nothing of a block whose records run past the file.
            lists.gps.resize(gps_before);
            lists.sensors.resize(sensors_before);
            lists.vehicles.resize(vehicles_before);
            result = {BlockDecode::Status::kTruncated, 0, offset};
            return result;
        }
        const std::uint8_t* record = body + offset;
        const auto i = static_cast<std::int32_t>(index);
        lists.gps.push_back(parking ? BlankGpsSample(i) : DecodeGps(record, i, ms_per_record));
        if (parts == DecodeParts::kAll) {
            lists.sensors.push_back(DecodeSensor(record, i, ms_per_record));
            lists.vehicles.push_back(DecodeVehicle(record, i));
        }
        ++result.records;
    }
    return result;
}

}  // namespace ardelle::telemetry
