#include "platform/mapped_file.h"

#include "platform/posix_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace ardelle::platform {

FileView::~FileView() {
    Release();
}

FileView::FileView(FileView&& other) noexcept {
    *this = std::move(other);
}

FileView& FileView::operator=(FileView&& other) noexcept {
    if (this != &other) {
        Release();
        base_ = std::exchange(other.base_, nullptr);
        mapped_length_ = std::exchange(other.mapped_length_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        offset_ = std::exchange(other.offset_, 0);
    }
    return *this;
}

void FileView::Release() {
    if (base_ != nullptr) {
        ::munmap(base_, mapped_length_);
        base_ = nullptr;
    }
    data_ = nullptr;
    size_ = 0;
}

MappedFile::~MappedFile() {
    Close();
}

bool MappedFile::Open(const std::string& path) {
    Close();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    size_ = static_cast<std::uint64_t>(info.st_size);
    const long page = ::sysconf(_SC_PAGESIZE);
    granularity_ = page > 0 ? static_cast<std::size_t>(page) : 4096;
    views_mapped_ = 0;
    bytes_read_ = 0;
    return true;
}

bool MappedFile::OpenBytes(const std::uint8_t* data, std::size_t size, std::string name) {
    Close();
    if (data == nullptr || size == 0) {
        return false;
    }
    bytes_ = data;
    path_ = std::move(name);
    size_ = size;
    const long page = ::sysconf(_SC_PAGESIZE);
    granularity_ = page > 0 ? static_cast<std::size_t>(page) : 4096;
    views_mapped_ = 0;
    bytes_read_ = 0;
    return true;
}

void MappedFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    bytes_ = nullptr;
    path_.clear();
    size_ = 0;
}

std::optional<FileView> MappedFile::MapView(std::uint64_t offset, std::uint64_t length,
                                            std::uint64_t limit, int* error_number) {
    if (error_number != nullptr) {
        *error_number = 0;
    }
    if (!is_open()) {
        if (error_number != nullptr) {
            *error_number = EBADF;
        }
        return std::nullopt;
    }
    limit = limit < size_ ? limit : size_;
    if (offset >= limit || length == 0) {
        return std::nullopt;
    }
    if (length > limit - offset) {
        length = limit - offset;
    }
    if (bytes_ != nullptr) {
        FileView view;  // nothing to unmap
        view.data_ = bytes_ + offset;
        view.size_ = static_cast<std::size_t>(length);
        view.offset_ = offset;
        ++views_mapped_;
        return view;
    }
    const std::uint64_t remainder = offset % granularity_;
    const std::uint64_t aligned = offset - remainder;
    const std::size_t mapped_length = static_cast<std::size_t>(remainder + length);
    void* base =
        ::mmap(nullptr, mapped_length, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(aligned));
    if (base == MAP_FAILED) {
        if (error_number != nullptr) {
            *error_number = errno;
        }
        return std::nullopt;
    }
    FileView view;
    view.base_ = base;
    view.mapped_length_ = mapped_length;
    view.data_ = static_cast<const std::uint8_t*>(base) + remainder;
    view.size_ = static_cast<std::size_t>(length);
    view.offset_ = offset;
    ++views_mapped_;
    return view;
}

std::string SystemErrorText(int error_number) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in buffer.
    return std::string(::strerror_r(error_number, buffer, sizeof buffer));
}

std::size_t MappedFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    if (!is_open() || offset >= size_) {
        return 0;
    }
    if (bytes_ != nullptr) {
        const std::size_t got =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, size_ - offset));
        std::memcpy(buffer, bytes_ + offset, got);
        bytes_read_ += got;
        return got;
    }
    const std::size_t got = detail::ReadFullyAt(fd_, buffer, length, offset);
    bytes_read_ += got;
    return got;
}

}  // namespace ardelle::platform
