#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace ardelle::platform::detail {

// Reads up to length bytes at offset, retrying short reads and interruptions; returns how
// many bytes were read (fewer at the end of the file or on an error).
inline std::size_t ReadFullyAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::pread(fd, static_cast<char*>(buffer) + done, length - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace ardelle::platform::detail
