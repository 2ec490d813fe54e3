#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ardelle::platform {

// One mounted filesystem.
struct MountedVolume {
    std::string root;        // mount point, '/'-separated, no trailing '/' except "/"
    std::string filesystem;  // type as the kernel names it ("vfat", "exfat", "ext4", ...)
    bool removable = false;  // on a removable block device (card reader, USB stick, SD slot)
};

// The mounted filesystems, sorted by root. Read from /proc/self/mountinfo and sysfs; when
// the environment variable ARDELLE_MOUNT_TABLE names a file, that file is read instead
// (one volume per line: root TAB filesystem TAB 0|1), so tests can stage a card anywhere.
std::vector<MountedVolume> MountedVolumes();

// The root of the mounted volume that holds path: the longest volume root that is a
// folder prefix of the path's absolute, symlink-resolved form. "/" when nothing longer
// matches; nothing when the path cannot be resolved.
std::optional<std::string> VolumeRootOf(const std::string& path);

// Whether a filesystem is mounted at root now (the mount table, or the table the
// environment variable ARDELLE_MOUNT_TABLE names). Cheap enough to poll: no sysfs reads.
bool IsMountPoint(const std::string& root);

// Total size in bytes of the volume that holds path (statvfs); nothing on failure.
std::optional<std::uint64_t> VolumeTotalBytes(const std::string& path);

// Bytes available to this user on the volume that holds path; nothing on failure.
std::optional<std::uint64_t> VolumeFreeBytes(const std::string& path);

}  // namespace ardelle::platform
