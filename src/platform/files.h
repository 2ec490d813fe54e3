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

// Which file a path leads to, and whether the path itself is a symbolic link.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool is_link = false;
};
// The identity of the file path leads to (links followed); nothing when it cannot be examined.
std::optional<FileIdentity> FileIdentityOf(const std::string& path);

// Creates the folder and any missing parents; true when it exists afterwards.
bool MakeFolders(const std::string& path);

// Removes a file or a folder with everything in it, never following links out of it.
// For the program's own temporary data only: nothing goes to the Trash.
bool RemoveTree(const std::string& path, std::string* error);

// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// At most max_bytes from the start of a regular file (fewer when it is shorter), or nothing
// when it is not a regular file or cannot be read. A huge or special file never costs more.
std::optional<std::string> ReadFileStart(const std::string& path, std::size_t max_bytes);

// Writes bytes to a temporary file beside path, flushes it to disk and renames
// it over path, so that readers see either the old or the complete new file.
// On failure the temporary file is removed and path is untouched. A file that is
// replaced keeps its mode and owner; where the owner cannot be kept (someone else's
// file in a shared folder), the file is rewritten in place instead.
// The temporary file is locked while it is written, and stale ones of earlier writes
// that were killed (unlocked, ".NAME.<16 hex digits>.tmp", ours) are removed first.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Removes what killed writes of WriteFileAtomically left beside path: its unlocked
// temporaries of this user.
void RemoveStaleTemporariesOf(const std::string& path);

// The folder part of a '/' path (everything before the last '/'), "" when none.
std::string FolderOf(const std::string& path);

}  // namespace ardelle::platform
