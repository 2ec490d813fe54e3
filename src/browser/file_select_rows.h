#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/recording_entry.h"
#include "fileops/file_selection.h"

namespace ardelle::browser {

// The file-selection dialog offers at most this many recordings of each list.
inline constexpr std::size_t kMaxOfferedRecordings = 1500;

// Check states of a row: not ticked, not ticked with the mouse over it, ticked.
enum RowCheck { kUnticked = 1, kUntickedHover = 2, kTicked = 3 };

// The sizes of the ticked rows.
struct SelectionTotals {
    std::int64_t front = 0;  // bytes, over rows with a front size
    std::int64_t rear = 0;
    int front_files = 0;
    int rear_files = 0;
};

// The rows of the file-selection dialog and the rules of ticking them: the offered lists,
// show all and select all, the one consecutive run a join needs, the totals and limits.
class FileSelectRows {
  public:
    FileSelectRows(fileops::SelectMode mode, bool stills) : mode_(mode), stills_(stills) {}

    // Copies at most kMaxOfferedRecordings; false when the list held more.
    bool LoadSourceRecords(const catalogue::RecordingList& list);
    bool LoadNodeRecords(const catalogue::RecordingList& list);

    // The rows again from the node's (or, with show all, the source's) recordings; a join
    // offers only recordings whose primary file is an MP4.
    void Fill();
    void ToggleShowAll();
    void ToggleSelectAll();
    // A click on the row: unticked rows become ticked, ticked rows unticked.
    void Toggle(int row);
    void SetTicked(int row, bool ticked);

    int row_count() const { return static_cast<int>(shown_.size()); }
    int state(int row) const { return states_[static_cast<std::size_t>(row)]; }
    const catalogue::RecordingEntry& record(int row) const {
        return shown_[static_cast<std::size_t>(row)];
    }
    std::string RowName(int row) const;
    static std::string SizeText(std::int64_t bytes);  // "%llu MB"

    SelectionTotals Totals() const;
    bool size_over_front() const;
    bool size_over_rear() const;
    bool OkEnabled() const;
    // The text id that keeps the dialog open on OK (too large, too many files), or 0.
    int OkRefusal() const;
    catalogue::RecordingList Selected() const;

    fileops::SelectMode mode() const { return mode_; }
    bool stills() const { return stills_; }
    bool show_all() const { return show_all_; }
    bool select_all() const { return select_all_; }
    int run_first() const { return run_first_; }
    int run_end() const { return run_end_; }

  private:
    bool join() const { return mode_ == fileops::SelectMode::kJoin; }
    void FillAgain();
    void KeepOneRun(int row, bool ticked);
    void FindRun();
    void SetRange(int from, int to, bool ticked);

    fileops::SelectMode mode_;
    bool stills_;
    catalogue::RecordingList node_records_;
    catalogue::RecordingList source_records_;
    catalogue::RecordingList shown_;
    std::vector<int> states_;
    bool show_all_ = false;
    bool select_all_ = false;
    int run_first_ = -1;
    int run_end_ = -1;
};

}  // namespace ardelle::browser
