#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

// The readers open files by path; each fuzz input is put into one anonymous in-memory file
// (memfd) that lives as long as the process and is reached as /proc/self/fd/N. Nothing
// touches a filesystem, and nothing is left behind when a fuzzing process dies.
inline int FuzzScratchDescriptor() {
    static const int fd = ::memfd_create("ardelle-fuzz-input", MFD_CLOEXEC);
    return fd;
}

inline const std::string& FuzzScratchPath() {
    static const std::string path = "/proc/self/fd/" + std::to_string(FuzzScratchDescriptor());
    return path;
}

inline bool WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
    const int fd = FuzzScratchDescriptor();
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t put = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (put <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// With TZ unset, every mktime of the C library asks the filesystem whether /etc/localtime
// changed; the decoders convert one time per record. Naming the same zone file once keeps
// the zone and drops that call (a third of a decoding fuzzer's time otherwise).
inline void KeepTimeZoneFixed() {
    ::setenv("TZ", ":/etc/localtime", /*overwrite=*/0);
}
