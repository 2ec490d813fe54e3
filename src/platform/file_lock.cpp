#include "platform/file_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/posix_io.h"

namespace ardelle::platform {

ExclusiveFileLock::ExclusiveFileLock(const std::string& lock_path) {
    fd_ = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        return;
    }
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}

HeldRecord::~HeldRecord() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool HeldRecord::Create(const std::string& path, std::string_view content, std::string* error) {
    Remove();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        const int why = errno;
        if (error != nullptr) {
            *error = "cannot create " + path + ": " + SystemErrorText(why);
        }
        return false;
    }
    path_ = path;
    // A sweep may take a record between its creation and its lock; it is then ours no more.
    if (!LockNewTemporary(fd_) || !detail::WriteFully(fd_, content) || ::fsync(fd_) != 0) {
        const int why = errno;
        Remove();
        if (error != nullptr) {
            *error = "cannot write " + path + ": " + SystemErrorText(why);
        }
        return false;
    }
    detail::SyncFolderOf(path);
    return true;
}

std::optional<std::string> HeldRecord::TakeOver(const std::string& path) {
    Remove();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 || info.st_nlink == 0 ||
        !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    fd_ = fd;
    path_ = path;
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(content.size()));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    return content;
}

void HeldRecord::Remove() {
    if (fd_ < 0) {
        return;
    }
    // Unlinked before the lock goes, so nobody takes over a record that is done.
    ::unlink(path_.c_str());
    detail::SyncFolderOf(path_);
    ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool IsTemporaryName(std::string_view name, const TemporaryNaming& naming) {
    const std::size_t tail = 1 + naming.hex_digits + naming.suffix.size();
    // A dot, at least one character of the target's name, then the tail.
    if (name.size() < 2 + tail || name.front() != '.' || !name.ends_with(naming.suffix)) {
        return false;
    }
    const std::string_view random = name.substr(name.size() - tail, 1 + naming.hex_digits);
    if (random.front() != '.' ||
        (!naming.target.empty() && name.substr(1, name.size() - 1 - tail) != naming.target)) {
        return false;
    }
    for (const char c : random.substr(1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

bool LockNewTemporary(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    // A filesystem without flock (some FUSE and network mounts) still takes the write; its
    // temporaries are never swept, since a sweep there cannot take their lock either.
    struct stat info {};
    // A sweeper locks a file before it removes it: once the lock is ours, a file that is
    // still linked stays ours until we let it go.
    return ::fstat(fd, &info) == 0 && info.st_nlink > 0;
}

void RemoveStaleTemporaries(const std::string& folder, const TemporaryNaming& naming) {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    const int folder_fd = ::dirfd(listing);
    while (const dirent* item = ::readdir(listing)) {
        if (!IsTemporaryName(item->d_name, naming)) {
            continue;
        }
        const int fd =
            ::openat(folder_fd, item->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        struct stat info {};
        struct stat named {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(folder_fd, item->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_ino == info.st_ino && named.st_dev == info.st_dev) {
            ::unlinkat(folder_fd, item->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(listing);
}

}  // namespace ardelle::platform
