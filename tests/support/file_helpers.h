#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace ardelle::testing {

inline bool WriteFile(const std::string& path, const std::string& bytes) {
    return platform::WriteFileAtomically(path, bytes);
}

// A sparse file: head, then a hole up to tail_offset, then tail.
inline bool WriteSparseFile(const std::string& path, const std::string& head,
                            std::uint64_t tail_offset, const std::string& tail) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size());
    ok = ok && ::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(tail_offset)) ==
                   static_cast<ssize_t>(tail.size());
    return ::close(fd) == 0 && ok;
}

}  // namespace ardelle::testing
