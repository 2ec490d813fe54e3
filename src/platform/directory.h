#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ardelle::platform {

// One entry of a folder as the operating system lists it.
struct DirectoryEntry {
    std::string name;        // file name, UTF-8 as stored
    std::string path;        // folder + '/' + name
    bool is_folder = false;  // a folder, or a symbolic link to one
    // Hidden as file managers see it: the name starts with '.', the FAT hidden attribute is
    // set (on vfat and exfat volumes, where recorder cards live), or the name is listed in the
    // folder's ".hidden" file.
    bool hidden = false;
    std::uint64_t size = 0;  // bytes, 0 for folders
};

// Every entry of folder except "." and "..", in the order the system returns them.
// Nothing when the folder cannot be opened or read.
std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::string& folder);

// How a file is hidden: a recorder's card knows only the FAT hidden attribute; elsewhere a
// name listed in the folder's ".hidden" file serves where there is no attribute.
enum class HidingMethod { kAttributeOrList, kAttributeOnly };

// Hides the file at from and moves it to the new name to, in the same folder, without ever
// replacing an existing file: on FAT volumes (vfat, exfat) through the hidden attribute,
// elsewhere, with kAttributeOrList, by listing the new name in the folder's ".hidden" file.
// All or nothing: when any step fails the file keeps its old name and visibility, and
// error (when given) tells why.
bool MoveIntoHiding(const std::string& from, const std::string& to, HidingMethod method,
                    std::string* error);

// Undoes MoveIntoHiding: moves to back to from (never replacing a file) and makes it
// visible again. Used to roll back the first half of a two-file operation.
bool MoveOutOfHiding(const std::string& to, const std::string& from, HidingMethod method,
                     std::string* error);

// Whether the FAT hidden attribute of path can be set: its volume is FAT (vfat, exfat)
// and its driver takes the attribute calls. False with error naming the path otherwise.
bool CanSetHiddenAttribute(const std::string& path, std::string* error);

// Sets or clears the FAT hidden attribute of path under its own name; false where the
// volume has no attribute or its driver cannot set it.
bool SetHiddenAttribute(const std::string& path, bool hidden);

}  // namespace ardelle::platform
