#pragma once

#include <cstdint>
#include <optional>

namespace ardelle::platform {

inline constexpr std::uint32_t kFatHiddenAttribute = 0x02;

// How the FAT attribute byte of a file is read and written: by default the kernel's FAT
// ioctls on vfat and exfat volumes. Tests, which have no FAT volume to mount, put a stand-in
// in its place to show what the catalogue does on a card that can or cannot hide files.
class FatAttributeAccess {
  public:
    virtual ~FatAttributeAccess() = default;
    // Whether files on the volume that holds fd carry FAT attributes at all.
    virtual bool VolumeCarriesAttributes(int fd) const = 0;
    // The attributes of the open file; nothing when the driver does not answer.
    virtual std::optional<std::uint32_t> Get(int fd) const = 0;
    virtual bool Set(int fd, std::uint32_t attributes) const = 0;
};

// The access in use.
const FatAttributeAccess& CurrentFatAttributeAccess();
// Puts access in place of the kernel's until called again with nullptr. The caller keeps
// access alive meanwhile.
void ReplaceFatAttributeAccess(const FatAttributeAccess* access);

}  // namespace ardelle::platform
