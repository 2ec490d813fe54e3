#pragma once

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

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

// Writes all of bytes to fd, retrying short writes and interruptions.
inline bool WriteFully(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Flushes the folder that holds path, so that a rename or removal in it lasts a crash.
inline void SyncFolderOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace ardelle::platform::detail
