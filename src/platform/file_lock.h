#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ardelle::platform {

// An exclusive advisory lock (flock) on a lock file, held for the object's lifetime.
// Serialises read-modify-write cycles of files shared by several running copies.
class ExclusiveFileLock {
  public:
    explicit ExclusiveFileLock(const std::string& lock_path);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// A small record file held under an exclusive flock by the operation it describes, from
// its creation until it is removed. A record that is found unlocked was left by an
// operation that was killed; whoever takes it over finishes or undoes what it describes.
class HeldRecord {
  public:
    HeldRecord() = default;
    ~HeldRecord();  // lets go of the record and leaves it in place
    HeldRecord(const HeldRecord&) = delete;
    HeldRecord& operator=(const HeldRecord&) = delete;

    // Creates path with content, flushed to disk, and holds it. False with error when a
    // record is already there (held by a live operation or left by a killed one).
    bool Create(const std::string& path, std::string_view content, std::string* error);
    // Opens the record at path unless a live operation holds it; its content, or nothing
    // when there is none or it is held.
    std::optional<std::string> TakeOver(const std::string& path);
    // Removes the record (flushing the folder) and lets go of it.
    void Remove();

  private:
    int fd_ = -1;
    std::string path_;
};

// Temporary files of our writes are named ".NAME.<hex digits><suffix>" beside their target
// and are held under an exclusive flock from creation until they are renamed or removed, so
// an unlocked one is the leftover of a writer that was killed.
struct TemporaryNaming {
    std::string_view suffix;       // ".part", ".tmp"
    std::size_t hex_digits;        // the random part
    std::string_view target = {};  // only temporaries of this target name; empty for any
};

bool IsTemporaryName(std::string_view name, const TemporaryNaming& naming);

// Takes the lock of a temporary file its writer has just created (fd open on it). False
// when a sweep removed the file before the lock was taken: the writer then makes another.
bool LockNewTemporary(int fd);

// Removes the temporary files in folder that follow naming, belong to this user and are
// not locked by a live writer. Errors are ignored: what cannot be removed stays.
void RemoveStaleTemporaries(const std::string& folder, const TemporaryNaming& naming);

}  // namespace ardelle::platform
