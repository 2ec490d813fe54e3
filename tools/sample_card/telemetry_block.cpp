#include "sample_card/telemetry_block.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_card/drive_model.h"

namespace ardelle::samplecard {
namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& bytes, size_t offset, const std::string& text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PutBigEndian(Bytes& bytes, size_t offset, uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes[offset + static_cast<size_t>(i)] =
            static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
    }
}

std::string Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string FormatInt(const char* format, int value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// ddmm.mmmm (latitude, two degree digits) or dddmm.mmmm (longitude, three).
std::string NmeaCoordinate(double degrees, int degree_digits) {
    const int whole = static_cast<int>(degrees);
    const double minutes = (degrees - whole) * 60.0;
    char text[32];
    std::snprintf(text, sizeof text, "%0*d%07.4f", degree_digits, whole, minutes);
    return text;
}

std::string Accel(double thousandths) {
    const int value = std::clamp(static_cast<int>(std::lround(thousandths)), -9999, 9999);
    return FormatInt("%05d", value);
}

bool HasMark(const Recording& r, int index, int offset, uint8_t value) {
    return std::any_of(r.marks.begin(), r.marks.end(), [&](const RecordMark& m) {
        return m.record == index && m.offset == offset && m.value == value;
    });
}

// Extra acceleration (thousandths of G) around the record of a G-related event.
struct Spike {
    double x = 0;
    double y = 0;
    double z = 0;
};

Spike EventSpike(const Recording& r, int index) {
    Spike spike;
    for (const RecordMark& m : r.marks) {
        const int distance = std::abs(index - m.record);
        if (distance > 1) {
            continue;
        }
        const double weight = distance == 0 ? 1.0 : 0.4;
        const auto value = static_cast<char>(m.value);
        if (m.offset == record_offset::kDrivingSupport) {
            spike.x += weight * (value == 'A' ? 350 : value == 'B' ? -480 : 0);
            spike.y += weight * (value == 'H' ? 420 : 0);
        } else if (m.offset == record_offset::kShockAxis) {
            spike.x += weight * (value == 'X' ? -1150 : 0);
            spike.y += weight * (value == 'Y' ? 960 : 0);
            spike.z += weight * (value == 'Z' ? -1320 : 0);
        }
    }
    return spike;
}

void WriteHeader(Bytes& block, const HeaderVariant& h) {
    const bool has_values = h.mode == 'M' || h.mode == 'D';
    for (size_t i = 0; i < 4; ++i) {
        Put(block, 6 + 4 * i, FormatInt("%04d", has_values ? h.values[i] : 9999));
    }
    block[6 + 16] = static_cast<uint8_t>(h.mode);
    Put(block, 6 + 17, "010010");
    block[6 + 23] = static_cast<uint8_t>(h.quality);
    block[6 + 24] = '0';
    block[6 + 25] = '1';
    block[6 + 26] = h.speed_display ? 1 : 0;
    block[6 + 27] = h.gps_display ? 1 : 0;
}

void WriteGpsPart(Bytes& rec, const Recording& r, int index, const DriveState& drive) {
    const bool no_fix = r.IsParking() || (index >= r.no_fix_first && index <= r.no_fix_last);
    rec[8] = no_fix ? 'V' : 'A';
    Put(rec, 9, no_fix ? std::string(9, ' ') : NmeaCoordinate(drive.latitude, 2));
    rec[18] = 'N';
    Put(rec, 19, no_fix ? std::string(10, ' ') : NmeaCoordinate(drive.longitude, 3));
    rec[29] = 'E';
    const bool blank_speed =
        no_fix || std::count(r.blank_speed_records.begin(), r.blank_speed_records.end(), index);
    Put(rec, 30, blank_speed ? std::string(4, ' ') : Format("%4.1f", drive.speed_kmh));
    const CivilTime written = AddSeconds(r.RecordTime(index), -r.time_offset);
    Put(rec, 34, DateTimeDigits(written));
    Put(rec, 47, r.time_offset == 0 ? std::string("*  ") : FormatInt("%03d", r.time_offset));
}

void WriteSensorPart(Bytes& rec, const Recording& r, int index, const DriveState& drive,
                     uint32_t seed) {
    if (r.IsParking()) {
        Put(rec, 51, FormatInt("%03d", 124 - index / 40));
    }
    const Spike spike = EventSpike(r, index);
    const double still = r.IsParking() ? 0.0 : 1.0;
    Put(rec, 62,
        Accel(still * drive.accel_forward_g * 1000 + spike.x +
              Noise(seed, r.number, index, 1, 12)));
    Put(rec, 67,
        Accel(still * drive.accel_lateral_g * 1000 + spike.y +
              Noise(seed, r.number, index, 2, 12)));
    Put(rec, 72,
        Accel(spike.z + Noise(seed, r.number, index, 3, 20 * static_cast<int>(still) + 5)));
    for (int offset = record_offset::kManual; offset <= record_offset::kApproach; ++offset) {
        rec[static_cast<size_t>(offset)] = 'N';
    }
    for (const RecordMark& m : r.marks) {
        if (m.record == index) {
            rec[static_cast<size_t>(m.offset)] = m.value;
        }
    }
    rec[128] = r.IsParking() ? 'r' : 'R';
    if (!HasMark(r, index, record_offset::kStatusNibbles, kSpeedCameraNibbles)) {
        rec[129] = 0x00;
    }
}

void WriteVehiclePart(Bytes& rec, const DriveState& drive) {
    Put(rec, 84, "0000");
    const auto speed = static_cast<uint32_t>(std::lround(drive.speed_kmh * 100));
    const auto rpm = static_cast<uint32_t>(std::lround(750 + drive.speed_kmh * 28));
    PutBigEndian(rec, 88, speed, 2);
    PutBigEndian(rec, 90, rpm, 2);
}

}  // namespace

Bytes BuildRecord(const Recording& r, int index, uint32_t seed) {
    Bytes rec(kRecordSize, ' ');
    std::fill(rec.begin() + 88, rec.begin() + 124, uint8_t{0});
    // Bytes 2..5 are digits, never the "@CS" mark of a chained header.
    Put(rec, 0, FormatInt("GS%06d", index % 1000000));
    const double at = static_cast<double>(r.drive_seconds) + index * r.RecordIntervalMs() / 1000;
    const DriveState drive = r.IsParking() ? DriveState{} : DriveAt(at);
    WriteGpsPart(rec, r, index, drive);
    WriteSensorPart(rec, r, index, drive, seed);
    WriteVehiclePart(rec, drive);
    return rec;
}

Bytes BuildTelemetryBlock(const Recording& r, uint32_t seed) {
    const int slots = r.SlotCount();
    const size_t size =
        kBlockOverhead + static_cast<size_t>(kRecordSize) * static_cast<size_t>(slots);
    Bytes block(size, 0);
    Put(block, 0, "CSMDAT");
    WriteHeader(block, r.header);
    const uint32_t count =
        r.count_style == CountStyle::kOpen ? 0xFFFF : static_cast<uint32_t>(slots);
    PutBigEndian(block, 38, count, 2);
    const int samples = r.SampleCount();
    for (int i = 0; i < samples; ++i) {
        const Bytes rec = BuildRecord(r, i, seed);
        std::copy(rec.begin(), rec.end(), block.begin() + 40 + i * kRecordSize);
    }
    if (r.count_style != CountStyle::kExact) {
        Put(block, 40 + static_cast<size_t>(samples) * kRecordSize, "CSMEND");
    }
    const size_t trailer = size - kTrailerSize;
    Put(block, trailer, "CSMEND");
    PutBigEndian(block, trailer + 16, static_cast<uint32_t>(slots), 4);
    return block;
}

}  // namespace ardelle::samplecard
