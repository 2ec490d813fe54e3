#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes.h"

// The pieces behind MountedVolumes and VolumeRootOf, apart from the files they read, so that
// tests can hand them any text or a staged sysfs tree.
namespace ardelle::platform::detail {

// The fields of one /proc/self/mountinfo line that MountedVolumes needs.
struct MountInfoLine {
    std::string root;        // mount point, octal escapes (\040 and so on) undone
    std::string filesystem;  // the type after the " - " separator
    unsigned major = 0;      // block device number; 0 for filesystems without a device
    unsigned minor = 0;
};

// The lines of a mountinfo text in their order; malformed lines are skipped.
std::vector<MountInfoLine> ParseMountInfo(std::string_view text);

// The volumes of a mount table override (root TAB filesystem TAB 0|1 per line), sorted by
// root; malformed lines are skipped.
std::vector<MountedVolume> ParseMountTable(std::string_view text);

// Whether block device major:minor is removable as the sysfs folder block_devices (normally
// /sys/dev/block) describes it: its own or, for a partition, its disk's removable flag, or
// an SD card in an mmc slot, whose flag often reads 0.
bool IsRemovableDevice(const std::string& block_devices, unsigned major, unsigned minor);

// Whether root lies where desktops mount removable media (/media/..., /run/media/...).
bool IsRemovableMediaRoot(const std::string& root);

// The longest root of volumes that equals path or is a folder prefix of it; "/" when none.
// path must be absolute and resolved.
std::string LongestRootHolding(const std::vector<MountedVolume>& volumes, const std::string& path);

}  // namespace ardelle::platform::detail
