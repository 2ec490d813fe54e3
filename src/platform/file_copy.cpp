#include "platform/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/posix_io.h"

namespace ardelle::platform {
namespace {

constexpr std::uint64_t kCopyPiece = 32ull << 20;
constexpr TemporaryNaming kPendingNaming{".part", 12};

std::string ErrnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

std::string HiddenPartName(const std::string& final_path) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    char suffix[40];
    std::snprintf(suffix, sizeof suffix, ".%012llx.part",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFFFFFull));
    const std::string folder = FolderOf(final_path);
    const std::string name = final_path.substr(folder.empty() ? 0 : folder.size() + 1);
    return (folder.empty() ? std::string() : folder + "/") + "." + name + suffix;
}

// Renames without replacing: renameat2 where the filesystem knows the flag, else a hard
// link and unlink, else a check and a rename.
bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    if (PathExists(to)) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CopyThroughMemory(int in, std::uint64_t offset, std::uint64_t length, int out,
                       std::uint64_t& copied, const CopyProgress& progress) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min(length, kCopyPiece)));
    while (copied < length) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - copied));
        const ssize_t got = ::pread(in, buffer.data(), want, static_cast<off_t>(offset + copied));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            if (got == 0) {
                errno = EIO;  // the source ended early
            }
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put =
                ::write(out, buffer.data() + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) {
                continue;
            }
            if (put <= 0) {
                return false;
            }
            done += put;
        }
        copied += static_cast<std::uint64_t>(got);
        if (progress && !progress(copied)) {
            errno = ECANCELED;
            return false;
        }
    }
    return true;
}

}  // namespace

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ReadOnlyFile::Open(const std::string& path, std::string* error) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        SetError(error, ErrnoText("cannot open", path));
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    path_ = path;
    return true;
}

bool ReadOnlyFile::ReadExactly(std::uint64_t offset, void* buffer, std::size_t length) const {
    return detail::ReadFullyAt(fd_, buffer, length, offset) == length;
}

PendingFile::~PendingFile() {
    Abort();
}

bool PendingFile::Create(const std::string& final_path, std::string* error) {
    Abort();
    final_ = final_path;
    // What killed writes left in this folder goes before anything new is written there.
    RemoveStaleTemporaries(FolderOf(final_path), kPendingNaming);
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts && fd_ < 0; ++attempt) {
        temporary_ = HiddenPartName(final_path);
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
        if (fd_ >= 0 && !LockNewTemporary(fd_)) {
            ::close(fd_);  // a sweep took it before the lock was ours
            fd_ = -1;
        }
    }
    if (fd_ < 0) {
        SetError(error, ErrnoText("cannot create", temporary_));
        temporary_.clear();
        return false;
    }
    size_ = 0;
    return true;
}

bool PendingFile::Write(std::string_view bytes, std::string* error) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            SetError(error, ErrnoText("cannot write", final_));
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
        size_ += static_cast<std::uint64_t>(put);
    }
    return true;
}

bool PendingFile::CopyFrom(const ReadOnlyFile& source, std::uint64_t offset, std::uint64_t length,
                           const CopyProgress& progress, std::string* error) {
    std::uint64_t copied = 0;
    bool kernel_copy = true;
    while (kernel_copy && copied < length) {
        loff_t in_offset = static_cast<loff_t>(offset + copied);
        const std::size_t want = static_cast<std::size_t>(std::min(length - copied, kCopyPiece));
        const ssize_t got = ::copy_file_range(source.fd_, &in_offset, fd_, nullptr, want, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            // Not supported between these files (or the source ended): copy by hand,
            // which also tells a real error from an unsupported call.
            kernel_copy = false;
            break;
        }
        copied += static_cast<std::uint64_t>(got);
        size_ += static_cast<std::uint64_t>(got);
        if (progress && !progress(copied)) {
            SetError(error, "stopped");
            return false;
        }
    }
    if (copied < length) {
        const std::uint64_t before = copied;
        const bool ok = CopyThroughMemory(source.fd_, offset, length, fd_, copied, progress);
        size_ += copied - before;
        if (!ok) {
            SetError(error, errno == ECANCELED
                                ? std::string("stopped")
                                : ErrnoText("cannot copy " + source.path_ + " to", final_));
            return false;
        }
    }
    return true;
}

bool PendingFile::Commit(bool replace, std::string* error) {
    if (fd_ < 0) {
        SetError(error, "nothing was written to " + final_);
        return false;
    }
    if (::fsync(fd_) != 0) {
        SetError(error, ErrnoText("cannot write", final_));
        Abort();
        return false;
    }
    // Renamed while the lock is held, so that no sweep can take the file in between.
    const bool renamed = replace ? ::rename(temporary_.c_str(), final_.c_str()) == 0
                                 : RenameNoReplace(temporary_, final_);
    if (!renamed) {
        SetError(error, errno == EEXIST ? final_ + " already exists"
                                        : ErrnoText("cannot rename into", final_));
        Abort();
        return false;
    }
    temporary_.clear();
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed) {
        SetError(error, ErrnoText("cannot write", final_));
        return false;
    }
    detail::SyncFolderOf(final_);
    return true;
}

void PendingFile::StartFlush() {
    if (fd_ >= 0) {
        ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
}

void PendingFile::Abort() {
    // Removed before the lock goes with the descriptor.
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool CopyFileTo(const std::string& source, const std::string& target, bool replace,
                const CopyProgress& progress, std::string* error) {
    ReadOnlyFile input;
    PendingFile output;
    return input.Open(source, error) && output.Create(target, error) &&
           output.CopyFrom(input, 0, input.size(), progress, error) &&
           output.Commit(replace, error);
}

bool MoveFileTo(const std::string& source, const std::string& target, bool replace,
                std::string* error) {
    const bool renamed =
        replace ? ::rename(source.c_str(), target.c_str()) == 0 : RenameNoReplace(source, target);
    if (renamed) {
        return true;
    }
    if (errno != EXDEV) {
        SetError(error, errno == EEXIST ? target + " already exists"
                                        : ErrnoText("cannot move " + source + " to", target));
        return false;
    }
    if (!CopyFileTo(source, target, replace, nullptr, error)) {
        return false;
    }
    if (::unlink(source.c_str()) != 0) {
        SetError(error, ErrnoText("copied, but cannot remove", source));
        return false;
    }
    return true;
}

}  // namespace ardelle::platform
