#pragma once

#include <optional>
#include <string>

namespace ardelle::base {
class MessageBoxes;
class FolderPicker;
}  // namespace ardelle::base

namespace ardelle::fileops {

// The folder of repaired copies: <temporary folder>/repaired_movie_files.
std::string RepairFolderPath();

// Where the repaired copy of a recording file would lie; nothing for an empty name.
std::optional<std::string> TempCopyPath(const std::string& file_name);

// Moves a file or folder (with its content) to the Trash and waits until it is gone;
// where the Trash cannot take it (tmpfs), removes it directly. For the repair folder and
// its copies only. Paths that do not exist, or of 259 characters or more, are left alone.
bool DeleteToRecycleBin(const std::string& path);

// What the player opens for a recording.
struct PlaybackPath {
    bool ok = false;   // false for files that are not camera recordings
    std::string path;  // always the recording's own path
};

// Run before a recording is opened: discards a stale repaired copy of a camera
// recording. The recording itself is always what is played.
PlaybackPath PrepareForPlayback(const std::string& recording_path);

// When repaired copies exist, offers to move them to a folder of the user's choice, then
// empties the repair folder (to the Trash) in every case.
void OfferToKeepRepairedFiles(base::MessageBoxes& messages, base::FolderPicker& picker);

}  // namespace ardelle::fileops
