#pragma once

#include <string>

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

}  // namespace ardelle::platform
