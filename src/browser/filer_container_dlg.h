#pragma once

#include <QLineEdit>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "base/messages.h"
#include "base/user_dialogs.h"
#include "browser/file_list_ctrl.h"
#include "browser/folder_tree_ctrl.h"
#include "catalogue/movie_resource.h"
#include "catalogue/recording_order.h"
#include "catalogue/source_open.h"
#include "skin/skin_check_button.h"
#include "update/recorder_info.h"

namespace ardelle::browser {

// The message a list window posts when the user newly selects a row (wparam: the row).
inline constexpr AppMessage kListRowSelected = static_cast<AppMessage>(0x8457);
// The command ids of the seven trigger switches.
inline constexpr int kFilterCommandBase = 38700;

// The recording list panel of one tab (videos or stills): the folder tree of the opened
// source, the list of the chosen node's recordings, the seven trigger switches and the
// count. It opens sources through the catalogue and reports choices to its message sink:
// kTreeNodeChosen once a chosen node's recordings are loaded, kListRowSelected for a row.
class CFilerContainerDlg : public QWidget {
  public:
    CFilerContainerDlg(bool stills, QWidget* parent = nullptr);
    ~CFilerContainerDlg() override;

    void SetMessageSink(MessageSink* sink) { sink_ = sink; }
    void SetMessageBoxes(base::MessageBoxes* boxes) { boxes_ = boxes; }
    // Where a click on switch i goes as command kFilterCommandBase + i (the main window
    // decides); without a handler the window toggles the switch itself.
    void SetCommandHandler(std::function<void(int)> handler) { command_ = std::move(handler); }
    bool stills() const { return stills_; }

    // The last card, else the remembered folder, else the remembered file; then the
    // preferred node is chosen. False when nothing could be opened.
    bool RestoreLastSource();
    // Checks the path first (the reason is shown when it cannot be used).
    bool OpenSource(const std::string& path, catalogue::SourceKind kind);
    // Loads the node's recordings (the node's children are built again); their number.
    int ShowTreeItem(const QModelIndex& node, bool quiet);
    void SelectRecording(int index, bool keep);
    void SetTriggerFilter(int filter, bool on);
    bool TriggerFilter(int filter) const {
        return switches_[static_cast<std::size_t>(filter)] != 0;
    }
    catalogue::RecordingList CollectSourceRecords();
    void ClearSource();
    bool HasNextNode() const;
    bool SelectNextNode();
    void SetZoomPrompt(bool on);
    bool zoom_prompt() const { return zoom_prompt_; }

    const catalogue::RecordingList& records() const { return records_; }
    const catalogue::RecordingList& shown() const { return list_->model_rows().shown(); }
    const catalogue::RecordingList& source_records() const { return source_records_; }
    int source_kind() const { return source_kind_; }
    const std::string& source_path() const { return source_path_; }
    bool clearing_tree() const { return clearing_tree_; }
    bool keep() const { return keep_; }
    int current_index() const { return current_index_; }
    // The recorder's configuration as the last card scan found it (nothing without one).
    const std::optional<update::RecorderInfo>& recorder_info() const { return recorder_info_; }
    QString CountText() const;

    CFolderTreeCtrl* tree() const { return tree_; }
    CFileListCtrl* list() const { return list_; }
    QLineEdit* path_line() const { return path_line_; }
    skin::CSkinCheckButton* filter_button(int i) const {
        return filter_buttons_[static_cast<std::size_t>(i)];
    }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    class WatcherSink;
    bool CheckSource(const std::string& path, catalogue::SourceKind kind);
    bool ScanSource(const std::string& path, catalogue::SourceKind kind);
    void ChoosePreferredNode();
    void NodeChosen(const QModelIndex& node);
    void RowSelected(int row);
    void Refill();
    void Post(AppMessage id, std::int64_t wparam);
    void Layout();
    QRect CountRect() const;

    bool stills_;
    MessageSink* sink_ = nullptr;
    base::MessageBoxes* boxes_ = nullptr;
    std::function<void(int)> command_;
    std::unique_ptr<WatcherSink> watcher_sink_;
    std::unique_ptr<catalogue::CMovieResource> resource_;
    QLineEdit* path_line_ = nullptr;
    CFolderTreeCtrl* tree_ = nullptr;
    CFileListCtrl* list_ = nullptr;
    std::array<skin::CSkinCheckButton*, 7> filter_buttons_{};
    catalogue::TriggerSwitches switches_ = catalogue::kAllTriggersOn;
    catalogue::RecordingList records_;
    catalogue::RecordingList source_records_;
    std::optional<update::RecorderInfo> recorder_info_;
    std::string source_path_;
    int source_kind_ = 0;
    int current_index_ = -1;
    bool keep_ = false;
    bool zoom_prompt_ = false;
    bool clearing_tree_ = false;
};

}  // namespace ardelle::browser
