#pragma once

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "app/file_command_host.h"
#include "base/user_dialogs.h"
#include "fileops/file_selection.h"
#include "playback/pair_snapshot.h"

namespace ardelle::app {

class CTovelDlg;

// The folder picker of the window: a folder dialog that starts in the folder stored under
// section/key (or the application folder). Cancelling chooses nothing (an empty path), so
// a cancelled picker never starts an operation in the old folder.
class QtOperationFolderPicker : public base::FolderPicker {
  public:
    explicit QtOperationFolderPicker(QWidget* owner) : owner_(owner) {}
    std::string PickFolder(std::string_view section, std::string_view key,
                           std::string_view title) override;

  private:
    QWidget* owner_;
};

// Stands in for the file-selection dialog until the browser's lands: every offered
// recording is chosen.
class SelectEveryRecording : public fileops::FileSelection {
  public:
    std::optional<catalogue::RecordingList> Choose(fileops::SelectMode mode,
                                                   const catalogue::RecordingList& node_records,
                                                   const catalogue::RecordingList& source_records,
                                                   bool still_list) override;
};

// The file commands' view of today's main window: its viewer controller and players, its
// tool buttons, tab strip and progress bar, and the source's two lists read from the
// source the window opened.
class WindowFileHost : public FileCommandHost {
  public:
    explicit WindowFileHost(CTovelDlg& window);
    ~WindowFileHost() override;

    // The source the window shows; both lists are read from it.
    void SetSource(const std::string& path);

    bool GuardRefuses() override;
    int CurrentTab() const override;
    catalogue::RecordingList& MasterList(int tab) override;
    catalogue::RecordingList SourceRecords(int tab) override;
    void StopForOperation() override;
    void RestoreAfterOperation() override;
    void SetControlsEnabled(bool enabled) override;
    void ShowProgress(int percent) override;
    void HideProgress() override;
    void CloseRecordingList() override;
    void ReloadLists() override;
    bool RecordingLoaded() const override;
    catalogue::RecordingEntry CursorRecording() const override;
    fileops::SnapshotPlayers& SnapshotPlayers() override { return snapshot_players_; }
    void PauseIfPlaying() override;
    void ResetPictureZoom() override;

  private:
    struct Remembered {
        catalogue::RecordingEntry recording;
        std::int64_t frame = 0;
    };

    CTovelDlg& window_;
    playback::PairSnapshotPlayers snapshot_players_;
    std::string source_;
    std::array<catalogue::RecordingList, 2> lists_;
    std::optional<Remembered> remembered_;
    std::array<bool, 17> enabled_before_{};
    bool disabled_ = false;
};

}  // namespace ardelle::app
