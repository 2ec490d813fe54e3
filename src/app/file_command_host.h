#pragma once

#include "catalogue/recording_entry.h"

namespace ardelle::fileops {
class FileSelection;
class SnapshotPlayers;
}  // namespace ardelle::fileops

namespace ardelle::base {
class FolderPicker;
class MessageBoxes;
}  // namespace ardelle::base

namespace ardelle::app {

// The tabs of the list windows.
inline constexpr int kMovieTab = 0;
inline constexpr int kStillTab = 1;

// What the file-operation commands need of the main window's controller. Every call runs
// on the UI thread.
class FileCommandHost {
  public:
    virtual ~FileCommandHost() = default;

    // The window's own command guard (the end margin, an open pending); true refuses.
    virtual bool GuardRefuses() = 0;
    virtual int CurrentTab() const = 0;
    // The master list of a tab (what its list window shows), changed in place by a join's
    // marks and a delete's removals.
    virtual catalogue::RecordingList& MasterList(int tab) = 0;
    // Every recording of the list window's source, for the selection dialog's whole view.
    virtual catalogue::RecordingList SourceRecords(int tab) = 0;

    // Stops playback and the telemetry read-ahead, remembers the recording and position
    // for RestoreAfterOperation and closes both players.
    virtual void StopForOperation() = 0;
    // After an operation or a cancelled command: in the movie tab the remembered recording
    // is opened again at its position, when it is still in the list.
    virtual void RestoreAfterOperation() = 0;
    // The seventeen tool buttons and the window's other interactive controls.
    virtual void SetControlsEnabled(bool enabled) = 0;
    // Shows the progress bar on top at percent (0..100); HideProgress hides it.
    virtual void ShowProgress(int percent) = 0;
    virtual void HideProgress() = 0;
    // A completed delete: the recording list is closed (players, views, selection; the
    // caller makes the repaired-copies offer) and both lists are read again from the source.
    virtual void CloseRecordingList() = 0;
    virtual void ReloadLists() = 0;

    // The snapshot: a recording is loaded, the one under the list's cursor, the players.
    virtual bool RecordingLoaded() const = 0;
    virtual catalogue::RecordingEntry CursorRecording() const = 0;
    virtual fileops::SnapshotPlayers& SnapshotPlayers() = 0;
    virtual void PauseIfPlaying() = 0;
    // Resets both players' zoom and both surfaces' zoom records, and repaints the pictures.
    virtual void ResetPictureZoom() = 0;
};

// The dialogs the commands open; the window's real ones, or a script in tests.
struct FileCommandDialogs {
    fileops::FileSelection* selection = nullptr;
    base::FolderPicker* picker = nullptr;
    base::MessageBoxes* messages = nullptr;
};

}  // namespace ardelle::app
