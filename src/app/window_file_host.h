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
