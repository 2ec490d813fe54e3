#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/recording_entry.h"

namespace ardelle::base {
class MessageBoxes;
class FolderPicker;
}  // namespace ardelle::base

namespace ardelle::fileops {

inline constexpr char kSnapshotFolderKey[] = "SNAPSHOT_FOLDER";
inline constexpr int kImageNotSavedTextId = 98;  // "画像の保存に失敗しました。"

// "YYMMDD-hhmmss-C" of a recorder movie name TTTT-YYMMDD-hhmmss-NNNNNNC.MP4: the name up
// to its first '.', without the trigger part and its dash, cut to its first 14
// characters and its last one (the camera letter).
std::string SnapshotBaseName(std::string_view name);

// folder/<base>-<frame, six digits>.jpg; no second '/' after a folder that ends in one.
std::string FrontSnapshotPath(const std::string& folder, std::string_view base_name,
                              std::int64_t frame);

// The same path for the other camera: the camera letter of the base name swapped
// ('F' <-> 'R').
std::string RearSnapshotPath(const std::string& folder, std::string_view base_name,
                             std::int64_t frame);

// The two players as the snapshot command sees them (0 front, 1 rear); the playback
// controller implements it.
class SnapshotPlayers {
  public:
    virtual ~SnapshotPlayers() = default;
    virtual bool IsInitialised(int player) const = 0;
    // The frame the reference player shows now; negative when it has no valid frame.
    virtual std::int64_t CurrentFrame() = 0;
    // Saves the frame now shown by the player as a JPEG file.
    virtual bool SaveSnapshot(int player, const std::string& path) = 0;
};

// What the main window does around the command.
class SnapshotWindow {
  public:
    virtual ~SnapshotWindow() = default;
    // Pauses a playing recording, resets both players' zoom, disables the controls.
    virtual void BeginSnapshot() = 0;
    // Resets the zoom of both video surfaces and repaints the pictures before saving.
    virtual void ResetPictures() = 0;
    // Enables the controls again and refreshes the window.
    virtual void EndSnapshot() = 0;
};

enum class SnapshotOutcome { kSaved, kFailed, kCancelled };

// The snapshot command from the folder choice to the closing message. The caller runs it
// only when it is not busy and a recording is loaded.
class SnapshotCommand {
  public:
    SnapshotCommand(SnapshotPlayers& players, SnapshotWindow& window, base::MessageBoxes& messages,
                    base::FolderPicker& picker)
        : players_(players), window_(window), messages_(messages), picker_(picker) {}

    // recording is the one under the list's cursor.
    SnapshotOutcome Run(const catalogue::RecordingEntry& recording);

  private:
    SnapshotOutcome SaveInto(const std::string& folder, const catalogue::RecordingEntry& recording);
    // A player saves when it is initialised and its camera's file exists (path not empty).
    bool WillWrite(int player, const std::string& path) const;
    bool SaveBoth(const std::string& front_path, const std::string& rear_path);

    SnapshotPlayers& players_;
    SnapshotWindow& window_;
    base::MessageBoxes& messages_;
    base::FolderPicker& picker_;
};

}  // namespace ardelle::fileops
