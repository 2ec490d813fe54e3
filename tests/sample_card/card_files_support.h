#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ardelle::samplecard::testing {

inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Standard output of a shell command and its exit status.
struct CommandResult {
    std::string out;
    int status = -1;
};

inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[65536];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, n);
    }
    result.status = ::pclose(pipe);
    return result;
}

inline std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// Files below root as paths relative to it, sorted.
inline std::vector<std::string> FilesBelow(const std::filesystem::path& root) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files.push_back(std::filesystem::relative(entry.path(), root).string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace ardelle::samplecard::testing
