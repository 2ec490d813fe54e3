#pragma once

#include <string>

namespace ardelle::platform {

// Where a file went when it was moved to the Trash, so that it can be put back.
struct TrashedFile {
    std::string original_path;  // where it was
    std::string trashed_path;   // <trash>/files/<name>
    std::string info_path;      // <trash>/info/<name>.trashinfo
};

// Whether path can be moved to the Trash at all: false (with error) for a missing file or
// one on a volume without a Trash (tmpfs and other system mounts refuse it).
bool CanTrash(const std::string& path, std::string* error);

// Moves a file or folder to the user's Trash (the freedesktop Trash, per volume on
// removable media). False with error when it cannot be trashed; the file is then left in
// place, never unlinked. With trashed given, it also tells where the file went (empty
// paths when that cannot be found out).
bool MoveToTrash(const std::string& path, std::string* error, TrashedFile* trashed = nullptr);

// Moves a trashed file back to where it was, never replacing a file there, and drops its
// Trash record. Used to undo the first half of a two-file deletion.
bool PutBackFromTrash(const TrashedFile& trashed, std::string* error);

}  // namespace ardelle::platform
