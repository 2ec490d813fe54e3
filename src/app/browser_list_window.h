#pragma once

#include "app/list_window_port.h"
#include "browser/filer_container_dlg.h"

namespace ardelle::app {

// The controller's view of one recording list window of the browser.
class BrowserListWindow : public ListWindowPort {
  public:
    explicit BrowserListWindow(browser::CFilerContainerDlg* window) : window_(window) {}

    browser::CFilerContainerDlg* window() const { return window_; }

    bool OpenSource(const std::string& path, catalogue::SourceKind kind) override {
        return window_->OpenSource(path, kind);
    }
    bool RestoreLastSource() override { return window_->RestoreLastSource(); }
    void ClearSource() override { window_->ClearSource(); }
    const catalogue::RecordingList& Records() const override { return window_->shown(); }
    catalogue::RecordingList CollectSourceRecords() override {
        return window_->CollectSourceRecords();
    }
    void SelectRecording(int index, bool keep) override { window_->SelectRecording(index, keep); }
    bool HasNextNode() const override { return window_->HasNextNode(); }
    bool SelectNextNode() override { return window_->SelectNextNode(); }
    void SetTriggerFilter(int filter, bool on) override { window_->SetTriggerFilter(filter, on); }
    bool TriggerFilter(int filter) const override { return window_->TriggerFilter(filter); }
    int SourceKind() const override { return window_->source_kind(); }
    std::string SourcePath() const override { return window_->source_path(); }
    bool ClearingTree() const override { return window_->clearing_tree(); }

  private:
    browser::CFilerContainerDlg* window_;
};

}  // namespace ardelle::app

namespace ardelle::app {

// The controller's list window is the videos tab's; a source opened, restored or cleared
// there is opened, restored or cleared in the stills tab too (a single file only in the tab
// of its kind).
class BrowserListPair : public ListWindowPort {
  public:
    BrowserListPair(ListWindowPort& videos, ListWindowPort& stills)
        : videos_(videos), stills_(stills) {}

    bool OpenSource(const std::string& path, catalogue::SourceKind kind) override;
    bool RestoreLastSource() override;
    void ClearSource() override;
    const catalogue::RecordingList& Records() const override { return videos_.Records(); }
    catalogue::RecordingList CollectSourceRecords() override {
        return videos_.CollectSourceRecords();
    }
    void SelectRecording(int index, bool keep) override { videos_.SelectRecording(index, keep); }
    bool HasNextNode() const override { return videos_.HasNextNode(); }
    bool SelectNextNode() override { return videos_.SelectNextNode(); }
    void SetTriggerFilter(int filter, bool on) override { videos_.SetTriggerFilter(filter, on); }
    bool TriggerFilter(int filter) const override { return videos_.TriggerFilter(filter); }
    int SourceKind() const override { return videos_.SourceKind(); }
    std::string SourcePath() const override { return videos_.SourcePath(); }
    bool ClearingTree() const override { return videos_.ClearingTree(); }

  private:
    ListWindowPort& videos_;
    ListWindowPort& stills_;
};

}  // namespace ardelle::app
