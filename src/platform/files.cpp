#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "platform/file_lock.h"
#include "platform/posix_io.h"

namespace ardelle::platform {
namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryHexDigits = 16;

std::string TemporaryNameBeside(const std::string& path) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp",
                  static_cast<unsigned long long>(generator()));
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(folder.empty() ? 0 : folder.size() + 1);
    return (folder.empty() ? std::string() : folder + "/") + "." + name + suffix;
}

// Creates and locks a new temporary file beside path; -1 when none can be made.
int CreateLockedTemporary(const std::string& path, std::string* temporary) {
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        *temporary = TemporaryNameBeside(path);
        const int fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            return -1;
        }
        if (fd >= 0 && LockNewTemporary(fd)) {
            return fd;
        }
        if (fd >= 0) {
            ::close(fd);
        }
    }
    return -1;
}

// Gives the new file the owner and mode of the one it replaces. False when the owner
// cannot be kept; a mode the filesystem cannot store (FAT) is not an error.
bool TakeOverOwnership(int fd, const struct stat& replaced) {
    struct stat made {};
    if (::fstat(fd, &made) != 0) {
        return false;
    }
    if ((made.st_uid != replaced.st_uid || made.st_gid != replaced.st_gid) &&
        ::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        return false;
    }
    // After the owner: a change of owner clears the set-id bits.
    if ((made.st_mode & 07777) != (replaced.st_mode & 07777)) {
        (void)::fchmod(fd, replaced.st_mode & 07777);
    }
    return true;
}

// Overwrites an existing file through its own inode, which keeps its owner; not atomic,
// so used only where a replacement would change who owns the file.
bool RewriteInPlace(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool written = detail::WriteFully(fd, bytes) &&
                         ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

}  // namespace

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<FileIdentity> FileIdentityOf(const std::string& path) {
    struct stat link {};
    struct stat target {};
    if (::lstat(path.c_str(), &link) != 0 || ::stat(path.c_str(), &target) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(target.st_dev),
                        static_cast<std::uint64_t>(target.st_ino), S_ISLNK(link.st_mode)};
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<std::uint64_t> FileSizeOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool MakeFolders(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (IsDirectory(path)) {
        return true;
    }
    const std::string parent = FolderOf(path);
    if (!parent.empty() && parent != path && !MakeFolders(parent)) {
        return false;
    }
    return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsDirectory(path));
}

bool RemoveTree(const std::string& path, std::string* error) {
    std::error_code failure;
    std::filesystem::remove_all(path, failure);
    if (failure) {
        if (error != nullptr) {
            *error = "cannot remove " + path + ": " + failure.message();
        }
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return content;
}

std::optional<std::string> ReadFileStart(const std::string& path, std::size_t max_bytes) {
    // O_NONBLOCK: a FIFO under the name must not hang the caller; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content(max_bytes, '\0');
    content.resize(detail::ReadFullyAt(fd, content.data(), max_bytes, 0));
    ::close(fd);
    return content;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    RemoveStaleTemporariesOf(path);
    struct stat replaced {};
    const bool replaces = ::lstat(path.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    std::string temporary;
    const int fd = CreateLockedTemporary(path, &temporary);
    if (fd < 0) {
        return false;
    }
    if (replaces && !TakeOverOwnership(fd, replaced)) {
        ::unlink(temporary.c_str());
        ::close(fd);
        return RewriteInPlace(path, bytes);
    }
    const bool written = detail::WriteFully(fd, bytes) && ::fsync(fd) == 0;
    // Renamed while still locked, so that no sweep can take it between close and rename.
    const bool renamed = written && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!renamed) {
        ::unlink(temporary.c_str());
    }
    const bool closed = ::close(fd) == 0;
    if (!renamed || !closed) {
        return false;
    }
    detail::SyncFolderOf(path);
    return true;
}

void RemoveStaleTemporariesOf(const std::string& path) {
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(folder.empty() ? 0 : folder.size() + 1);
    RemoveStaleTemporaries(folder, {kTemporarySuffix, kTemporaryHexDigits, name});
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace ardelle::platform
