#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ardelle::testing {

// Small hand-made MP4 files and telemetry blocks, built byte by byte, for tests and fuzz seeds.

std::string Be16(std::uint16_t value);
std::string Be32(std::uint32_t value);
std::string Be64(std::uint64_t value);

// A box: 32-bit size, type, payload.
std::string Box(const std::string& type, const std::string& payload);
// A box in the 64-bit size form (size field 1).
std::string LargeBox(const std::string& type, const std::string& payload);

std::string MvhdPayload(std::uint32_t time_scale, std::uint32_t duration);
std::string SttsPayload(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries);
std::string StsdPayload();

// ftyp, free, mdat (media_bytes of filler), moov with one video track whose stts holds frames.
std::string MinimalMovie(std::uint32_t time_scale, std::uint32_t duration, std::uint32_t frames,
                         std::size_t media_bytes = 64);

// The text fields of one telemetry record.
struct RecordFields {
    char fix = 'A';
    std::string latitude = "3541.1234";
    char latitude_hemisphere = 'N';
    std::string longitude = "13945.6789";
    char longitude_hemisphere = 'E';
    std::string speed = "45.5";
    std::string date_time = "230415101500";
    std::string time_offset = "*00";
    std::string aux = "124";
    std::string x = "-0123", y = "00050", z = "01000";
    char manual = 'N', axis = 'N', support = 'N', emergency = 'N', parking = 'N';
    char speeding = 'N', approach = 'N';
    std::uint8_t status = 'R';
    std::uint8_t nibbles = 0;
    std::uint8_t vehicle_first = 0x12;  // first byte of the vehicle data
};
std::string Record(const RecordFields& fields);
std::string EndRecord();  // "CSMEND" and padding, 130 bytes

// The 32-byte header body.
struct HeaderFields {
    std::string values = "1000050001502000";  // four four-digit values
    char mode = 'M';
    std::string settings = "abcdef";
    char quality = 'H';
    char setting24 = 's';
    char setting25 = 't';
    char speed_display = 1;
    char gps_display = 1;
};
std::string HeaderBody(const HeaderFields& fields);

// "CSMDAT", header body, count, records, trailer ("CSMEND", count32 at 16..19).
std::string Block(const std::string& header_body, std::uint16_t count,
                  const std::vector<std::string>& records, std::uint32_t trailer_count);

}  // namespace ardelle::testing
