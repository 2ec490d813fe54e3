#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The readers work on files; each fuzz input is written to one scratch file in /dev/shm.
inline const std::string& FuzzScratchPath() {
    static const std::string path = "/dev/shm/ardelle-fuzz-" + std::to_string(::getpid()) + ".MP4";
    return path;
}

inline bool WriteFuzzInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(FuzzScratchPath().c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}
