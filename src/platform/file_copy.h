#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ardelle::platform {

// A regular file opened for reading by offset.
class ReadOnlyFile {
  public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool Open(const std::string& path, std::string* error);
    std::uint64_t size() const { return size_; }
    const std::string& path() const { return path_; }
    // Reads exactly length bytes from offset; false on a short read or an error.
    bool ReadExactly(std::uint64_t offset, void* buffer, std::size_t length) const;

  private:
    friend class PendingFile;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string path_;
};

// Called with the bytes copied so far; returning false stops the copy.
using CopyProgress = std::function<bool(std::uint64_t copied)>;

// An output file written under a hidden temporary name in its final folder and renamed
// into place only by Commit, after it was flushed to disk. Destroyed or aborted before
// that, it removes the temporary file: a failed or stopped write never leaves a partial
// file under the final name. The temporary ".NAME.<12 hex digits>.part" is flocked while
// it is written; Create first removes the unlocked ones of this user in the folder, which
// only a writer that was killed can have left.
class PendingFile {
  public:
    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool Create(const std::string& final_path, std::string* error);
    bool Write(std::string_view bytes, std::string* error);
    // Appends length bytes of source from offset: copy_file_range where the kernel can,
    // else 32 MiB pieces through memory. progress is asked after every piece.
    bool CopyFrom(const ReadOnlyFile& source, std::uint64_t offset, std::uint64_t length,
                  const CopyProgress& progress, std::string* error);
    // Asks the kernel to start writing what was written so far to disk, without waiting,
    // so that the flush in Commit finds little left to do.
    void StartFlush();
    // Flushes, then renames onto the final path; without replace an existing file there
    // makes Commit fail and the temporary file is removed.
    bool Commit(bool replace, std::string* error);
    void Abort();

    std::uint64_t size() const { return size_; }
    const std::string& temporary_path() const { return temporary_; }
    const std::string& final_path() const { return final_; }

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string temporary_;
    std::string final_;
};

// Copies a file to target through a PendingFile.
bool CopyFileTo(const std::string& source, const std::string& target, bool replace,
                const CopyProgress& progress, std::string* error);

// Moves a file: a rename on the same volume, else a copy and the removal of the source.
// Never replaces an existing target unless replace is set.
bool MoveFileTo(const std::string& source, const std::string& target, bool replace,
                std::string* error);

}  // namespace ardelle::platform
