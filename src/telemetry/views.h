#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/mapped_file.h"

namespace ardelle::telemetry {

// Bytes of a file copied into memory. The walks read the file rather than map it: a file
// cut short or gone during a walk (a card pulled out) then fails the read, where touching
// a mapped page past its new end would kill the program with SIGBUS.
struct FileBytes {
    std::vector<std::uint8_t> bytes;
    std::uint64_t offset = 0;  // file offset of bytes[0]

    const std::uint8_t* data() const { return bytes.data(); }
    std::size_t size() const { return bytes.size(); }
};

// Reads up to length bytes from offset, clamped at limit and at the size the file had
// when it was opened. Nothing, silently, when no byte lies there. Nothing, with the
// system's text (or "cut short") shown in a box titled "Error Message" through the core's
// error reporter, when fewer bytes arrive: the file shrank or vanished since it was opened.
std::optional<FileBytes> ReadBytesReported(const platform::MappedFile& file, std::uint64_t offset,
                                           std::uint64_t length, std::uint64_t limit);

}  // namespace ardelle::telemetry
