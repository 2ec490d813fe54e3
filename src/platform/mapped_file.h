#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ardelle::platform {

class MappedFile;

// A read-only window onto part of a mapped file; unmapped when destroyed. data() points
// at the byte that was asked for, and size() bytes from there are readable.
class FileView {
  public:
    FileView() = default;
    ~FileView();
    FileView(FileView&& other) noexcept;
    FileView& operator=(FileView&& other) noexcept;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::uint64_t offset() const { return offset_; }  // file offset of data()

  private:
    friend class MappedFile;
    void Release();

    void* base_ = nullptr;
    std::size_t mapped_length_ = 0;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::uint64_t offset_ = 0;
};

// A file opened for reading and mapped in small, page-aligned, short-lived views.
class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Opens an existing, non-empty regular file; an empty file cannot be mapped.
    bool Open(const std::string& path);
    // Reads size bytes held in memory as the file named name, with no system call per
    // read: the fuzzers feed the readers so. The bytes must outlive the object; like an
    // empty file, no bytes cannot be opened.
    bool OpenBytes(const std::uint8_t* data, std::size_t size, std::string name);
    void Close();
    bool is_open() const { return fd_ >= 0 || bytes_ != nullptr; }

    const std::string& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    std::size_t granularity() const { return granularity_; }
    std::uint64_t views_mapped() const { return views_mapped_; }
    std::uint64_t bytes_read() const { return bytes_read_; }  // by ReadAt since Open

    // Maps length bytes from offset, clamped at limit (and at the file's end). Nothing
    // when no byte remains; error_number then is 0, or errno when mmap failed.
    std::optional<FileView> MapView(std::uint64_t offset, std::uint64_t length, std::uint64_t limit,
                                    int* error_number = nullptr);

    // Copies up to length bytes from offset into buffer and returns how many were read
    // (fewer at the end of the file, 0 on failure). For a handful of header bytes this is
    // far cheaper than mapping a view: no page tables to build and tear down.
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;

  private:
    int fd_ = -1;
    const std::uint8_t* bytes_ = nullptr;  // the content when opened over memory
    std::string path_;
    std::uint64_t size_ = 0;
    std::size_t granularity_ = 4096;
    std::uint64_t views_mapped_ = 0;
    mutable std::uint64_t bytes_read_ = 0;  // the object is used by one thread at a time
};

// The system's text for an error number.
std::string SystemErrorText(int error_number);

}  // namespace ardelle::platform
