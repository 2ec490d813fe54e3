#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/controller_ports.h"
#include "app/list_window_port.h"
#include "app/recording_views.h"
#include "base/messages.h"
#include "base/user_dialogs.h"

class QWidget;

namespace ardelle::app {

// The recording list of the window until the browser's list window takes its place: a
// source opened directly, its recordings (or each recording group of a card or folder of
// groups as one node) and the trigger filters. Reports a chosen node as 0x8456.
class SourceListPort : public ListWindowPort {
  public:
    explicit SourceListPort(MessageSink& sink) : sink_(sink) {}
    bool OpenSource(const std::string& path, catalogue::SourceKind kind) override;
    bool RestoreLastSource() override { return false; }
    void ClearSource() override;
    const catalogue::RecordingList& Records() const override { return shown_; }
    catalogue::RecordingList CollectSourceRecords() override;
    void SelectRecording(int, bool) override {}
    bool HasNextNode() const override;
    bool SelectNextNode() override;
    void SetTriggerFilter(int filter, bool on) override;
    bool TriggerFilter(int filter) const override;
    int SourceKind() const override { return kind_; }
    std::string SourcePath() const override { return path_; }
    bool ClearingTree() const override { return false; }

  private:
    // The node's recordings; empty for a node without movies.
    catalogue::RecordingList LoadNode(std::size_t node) const;
    std::optional<std::size_t> NextNodeWithMovies(std::size_t from) const;
    void ShowNode(std::size_t node);
    void Refilter();

    MessageSink& sink_;
    std::string path_;
    int kind_ = 0;
    std::vector<std::string> group_labels_;  // empty: the source's own entries are one node
    std::size_t node_ = 0;
    catalogue::RecordingList node_entries_;
    catalogue::RecordingList shown_;
    catalogue::TriggerSwitches switches_ = catalogue::kAllTriggersOn;
};

// Per-recording views that show nothing, until the panels, graph and map plug in.
class NullRecordingViews : public RecordingViews {
  public:
    void StartRecording(playback::PlayerPair&, const catalogue::RecordingEntry&, int) override {}
    void ShowPosition(playback::PlayerPair&, std::int64_t) override {}
    void Reset() override {}
    void RebuildMarks(playback::PlayerPair&, int) override {}
    std::optional<std::int64_t> MarkJumpTarget(std::int64_t, bool, std::int64_t) override {
        return std::nullopt;
    }
    void ShowStill(const catalogue::RecordingEntry&) override {}
    void MapStop() override {}
    void MoveMapMarker() override {}
    void SetVoltageTrace(bool) override {}
};

// The controller's numbered timers on QTimers of the UI thread.
class QtControllerTimers : public ControllerTimers {
  public:
    explicit QtControllerTimers(std::function<void(int)> on_timer)
        : on_timer_(std::move(on_timer)) {}
    void Start(int id, int period_ms, bool single_shot) override;
    void Kill(int id) override;

  private:
    std::function<void(int)> on_timer_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

// The folder dialog of the window, preselecting the folder stored under section/key.
class QtFolderPicker : public base::FolderPicker {
  public:
    explicit QtFolderPicker(QWidget* parent) : parent_(parent) {}
    std::string PickFolder(std::string_view section, std::string_view key,
                           std::string_view title) override;

  private:
    QWidget* parent_;
};

}  // namespace ardelle::app
