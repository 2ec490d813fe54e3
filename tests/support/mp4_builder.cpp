#include "support/mp4_builder.h"

#include <cstring>

namespace ardelle::testing {
namespace {

void Place(std::string& record, std::size_t offset, const std::string& text) {
    record.replace(offset, text.size(), text);
}

}  // namespace

std::string Be16(std::uint16_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string Be32(std::uint32_t value) {
    return Be16(static_cast<std::uint16_t>(value >> 16)) + Be16(static_cast<std::uint16_t>(value));
}

std::string Be64(std::uint64_t value) {
    return Be32(static_cast<std::uint32_t>(value >> 32)) + Be32(static_cast<std::uint32_t>(value));
}

std::string Box(const std::string& type, const std::string& payload) {
    return Be32(static_cast<std::uint32_t>(8 + payload.size())) + type + payload;
}

std::string LargeBox(const std::string& type, const std::string& payload) {
    return Be32(1) + type + Be64(16 + payload.size()) + payload;
}

std::string MvhdPayload(std::uint32_t time_scale, std::uint32_t duration) {
    std::string payload = Be32(0) + Be32(0) + Be32(0) + Be32(time_scale) + Be32(duration);
    return payload + std::string(80, '\0');
}

std::string SttsPayload(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries) {
    std::string payload = Be32(0) + Be32(static_cast<std::uint32_t>(entries.size()));
    for (const auto& [count, delta] : entries) {
        payload += Be32(count) + Be32(delta);
    }
    return payload;
}

std::string StsdPayload() {
    return Be32(0) + Be32(1) + Box("avc1", std::string(78, '\0'));
}

std::string MinimalMovie(std::uint32_t time_scale, std::uint32_t duration, std::uint32_t frames,
                         std::size_t media_bytes) {
    const std::string stbl =
        Box("stbl", Box("stsd", StsdPayload()) + Box("stts", SttsPayload({{frames, 1}})));
    const std::string trak = Box("trak", Box("mdia", Box("minf", stbl)));
    return Box("ftyp", "isom" + Be32(0) + "isommp41") + Box("free", "") +
           Box("mdat", std::string(media_bytes, '\x5A')) +
           Box("moov", Box("mvhd", MvhdPayload(time_scale, duration)) + trak);
}

std::string Record(const RecordFields& f) {
    std::string record(130, ' ');
    Place(record, 0, "RECDAT00");
    record[8] = f.fix;
    Place(record, 9, f.latitude);
    record[18] = f.latitude_hemisphere;
    Place(record, 19, f.longitude);
    record[29] = f.longitude_hemisphere;
    Place(record, 30, f.speed);
    Place(record, 34, f.date_time);
    Place(record, 47, f.time_offset);
    Place(record, 51, f.aux);
    Place(record, 62, f.x);
    Place(record, 67, f.y);
    Place(record, 72, f.z);
    record[77] = f.manual;
    record[78] = f.axis;
    record[79] = f.support;
    record[80] = f.emergency;
    record[81] = f.parking;
    record[82] = f.speeding;
    record[83] = f.approach;
    Place(record, 84, "VS01");
    for (std::size_t i = 88; i < 124; ++i) {
        record[i] = static_cast<char>(i == 88 ? f.vehicle_first : i);
    }
    record[128] = static_cast<char>(f.status);
    record[129] = static_cast<char>(f.nibbles);
    return record;
}

std::string EndRecord() {
    return "CSMEND" + std::string(124, '\0');
}

std::string HeaderBody(const HeaderFields& f) {
    std::string body(32, '\0');
    Place(body, 0, f.values);
    body[16] = f.mode;
    Place(body, 17, f.settings);
    body[23] = f.quality;
    body[24] = f.setting24;
    body[25] = f.setting25;
    body[26] = f.speed_display;
    body[27] = f.gps_display;
    return body;
}

std::string Block(const std::string& header_body, std::uint16_t count,
                  const std::vector<std::string>& records, std::uint32_t trailer_count) {
    std::string block = "CSMDAT" + header_body + Be16(count);
    for (const std::string& record : records) {
        block += record;
    }
    std::string trailer = "CSMEND" + std::string(22, '\0');
    trailer.replace(16, 4, Be32(trailer_count));
    return block + trailer;
}

}  // namespace ardelle::testing
