#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ardelle::platform {

bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);

// The size of a file in bytes; nothing when it cannot be examined.
std::optional<std::uint64_t> FileSizeOf(const std::string& path);

// Both paths name the same existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// At most max_bytes from the start of a regular file (fewer when it is shorter), or nothing
// when it is not a regular file or cannot be read. A huge or special file never costs more.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t max_bytes);

// Writes bytes to a temporary file beside path, flushes it to disk and renames
// it over path, so that readers see either the old or the complete new file.
// On failure the temporary file is removed and path is untouched.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The folder part of a '/' path (everything before the last '/'), "" when none.
std::string FolderOf(const std::string& path);

}  // namespace ardelle::platform
