#include "sample_card/mp4_times.h"

#include <string_view>

namespace ardelle::samplecard {
namespace {

uint64_t ReadBig(const std::vector<uint8_t>& b, uint64_t at, int width) {
    uint64_t value = 0;
    for (int i = 0; i < width; ++i) {
        value = (value << 8) | b[at + static_cast<uint64_t>(i)];
    }
    return value;
}

void WriteBig(std::vector<uint8_t>& b, uint64_t at, uint64_t value, int width) {
    for (int i = 0; i < width; ++i) {
        b[at + static_cast<uint64_t>(i)] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
    }
}

// One box header: where its payload starts and where the box ends.
struct Box {
    std::string type;
    uint64_t payload = 0;
    uint64_t end = 0;
};

bool ReadBox(const std::vector<uint8_t>& b, uint64_t at, uint64_t limit, Box& box) {
    if (at + 8 > limit) {
        return false;
    }
    uint64_t size = ReadBig(b, at, 4);
    box.type.assign(reinterpret_cast<const char*>(&b[at + 4]), 4);
    box.payload = at + 8;
    if (size == 1) {
        if (at + 16 > limit) {
            return false;
        }
        size = ReadBig(b, at + 8, 8);
        box.payload = at + 16;
    } else if (size == 0) {
        size = limit - at;
    }
    box.end = at + size;
    return size >= 8 && box.end <= limit;
}

// Full boxes whose payload starts with version, flags, creation and modification time.
bool IsTimedHeader(std::string_view type) {
    return type == "mvhd" || type == "tkhd" || type == "mdhd";
}

bool IsContainer(std::string_view type) {
    return type == "moov" || type == "trak" || type == "mdia";
}

int PatchIn(std::vector<uint8_t>& b, uint64_t at, uint64_t limit, uint64_t seconds) {
    int patched = 0;
    Box box;
    while (ReadBox(b, at, limit, box)) {
        if (IsTimedHeader(box.type) && box.payload + 20 <= box.end) {
            const int width = b[box.payload] == 1 ? 8 : 4;
            WriteBig(b, box.payload + 4, seconds, width);
            WriteBig(b, box.payload + 4 + static_cast<uint64_t>(width), seconds, width);
            ++patched;
        } else if (IsContainer(box.type)) {
            patched += PatchIn(b, box.payload, box.end, seconds);
        }
        at = box.end;
    }
    return patched;
}

}  // namespace

int PatchMovieTimes(std::vector<uint8_t>& file, uint64_t mp4_seconds) {
    return PatchIn(file, 0, file.size(), mp4_seconds);
}

std::vector<std::string> TopLevelBoxes(const std::vector<uint8_t>& file) {
    std::vector<std::string> types;
    Box box;
    uint64_t at = 0;
    while (ReadBox(file, at, file.size(), box)) {
        types.push_back(box.type);
        at = box.end;
    }
    return types;
}

}  // namespace ardelle::samplecard
