#include "browser/file_select_rows.h"

#include <algorithm>
#include <cstdio>

#include "browser/list_labels.h"
#include "catalogue/recording_names.h"

namespace ardelle::browser {
namespace {

constexpr std::int64_t kMegabyte = std::int64_t{1} << 20;
constexpr std::int64_t kJoinMaxMegabytes = 1024;
constexpr int kJoinMaxFiles = 100;
constexpr int kTooLargeText = 138;
constexpr int kTooManyText = 140;

bool CopyAtMost(const catalogue::RecordingList& list, catalogue::RecordingList& into) {
    const std::size_t count = std::min(list.size(), kMaxOfferedRecordings);
    into.assign(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(count));
    return list.size() <= kMaxOfferedRecordings;
}

bool ContainsMp4Extension(const std::string& path) {
    const std::string_view name = catalogue::FileNameOf(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        return false;
    }
    std::string extension(name.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension.find(".MP4") != std::string::npos;
}

}  // namespace

bool FileSelectRows::LoadSourceRecords(const catalogue::RecordingList& list) {
    return CopyAtMost(list, source_records_);
}

bool FileSelectRows::LoadNodeRecords(const catalogue::RecordingList& list) {
    return CopyAtMost(list, node_records_);
}

void FileSelectRows::Fill() {
    shown_.clear();
    for (const catalogue::RecordingEntry& entry : show_all_ ? source_records_ : node_records_) {
        if (!join() || ContainsMp4Extension(entry.primary_path())) {
            shown_.push_back(entry);
        }
    }
    states_.assign(shown_.size(), kUnticked);
    run_first_ = run_end_ = -1;
}

void FileSelectRows::ToggleShowAll() {
    show_all_ = !show_all_;
    FillAgain();
}

void FileSelectRows::ToggleSelectAll() {
    select_all_ = !select_all_;
    FillAgain();
}

// An option changed: the rows again, all ticked while select all is on.
void FileSelectRows::FillAgain() {
    Fill();
    if (select_all_) {
        std::fill(states_.begin(), states_.end(), kTicked);
    }
    FindRun();
}

void FileSelectRows::Toggle(int row) {
    if (row >= 0 && row < row_count()) {
        SetTicked(row, state(row) != kTicked);
    }
}

void FileSelectRows::SetTicked(int row, bool ticked) {
    if (row < 0 || row >= row_count()) {
        return;
    }
    if (join()) {
        KeepOneRun(row, ticked);
    } else {
        states_[static_cast<std::size_t>(row)] = ticked ? kTicked : kUnticked;
    }
}

void FileSelectRows::SetRange(int from, int to, bool ticked) {
    for (int row = std::max(from, 0); row < std::min(to, row_count()); ++row) {
        states_[static_cast<std::size_t>(row)] = ticked ? kTicked : kUnticked;
    }
}

// A join needs consecutive recordings: a change at row keeps the ticked rows one run.
void FileSelectRows::KeepOneRun(int row, bool ticked) {
    if (run_first_ >= 0) {
        if (row < run_first_) {
            ticked ? SetRange(row, run_first_, true) : SetRange(0, row, false);
        } else if (row > run_first_ && row < run_end_) {
            SetRange(row, run_end_, ticked);
        } else if (row >= run_end_) {
            SetRange(run_end_, row, ticked);
            if (!ticked) {
                SetRange(row, row_count(), false);
            }
        }
    }
    states_[static_cast<std::size_t>(row)] = ticked ? kTicked : kUnticked;
    FindRun();
}

void FileSelectRows::FindRun() {
    run_first_ = run_end_ = -1;
    for (int row = 0; row < row_count(); ++row) {
        if (state(row) == kTicked) {
            run_first_ = row;
            break;
        }
    }
    if (run_first_ < 0) {
        return;
    }
    run_end_ = row_count();
    for (int row = run_first_; row < row_count(); ++row) {
        if (state(row) != kTicked) {
            run_end_ = row;
            break;
        }
    }
}

std::string FileSelectRows::RowName(int row) const {
    const catalogue::RecordingEntry& entry = record(row);
    return stills_ ? StillListLabel(entry) : entry.primary_name();
}

std::string FileSelectRows::SizeText(std::int64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%llu MB",
                  static_cast<unsigned long long>(std::max<std::int64_t>(bytes, 0) / kMegabyte));
    return text;
}

SelectionTotals FileSelectRows::Totals() const {
    SelectionTotals totals;
    for (int row = 0; row < row_count(); ++row) {
        if (state(row) != kTicked) {
            continue;
        }
        const catalogue::RecordingEntry& entry = record(row);
        if (entry.data_size_front != 0) {
            totals.front += entry.data_size_front;
            ++totals.front_files;
        }
        if (entry.data_size_rear != 0) {
            totals.rear += entry.data_size_rear;
            ++totals.rear_files;
        }
    }
    return totals;
}

bool FileSelectRows::size_over_front() const {
    return join() && Totals().front / kMegabyte > kJoinMaxMegabytes;
}

bool FileSelectRows::size_over_rear() const {
    return join() && Totals().rear / kMegabyte > kJoinMaxMegabytes;
}

bool FileSelectRows::OkEnabled() const {
    const SelectionTotals totals = Totals();
    return join() ? totals.front_files > 1 || totals.rear_files > 1
                  : totals.front_files > 0 || totals.rear_files > 0;
}

int FileSelectRows::OkRefusal() const {
    if (!join()) {
        return 0;
    }
    if (size_over_front() || size_over_rear()) {
        return kTooLargeText;
    }
    const SelectionTotals totals = Totals();
    if (totals.front_files > kJoinMaxFiles || totals.rear_files > kJoinMaxFiles) {
        return kTooManyText;
    }
    return 0;
}

catalogue::RecordingList FileSelectRows::Selected() const {
    catalogue::RecordingList selected;
    for (int row = 0; row < row_count(); ++row) {
        if (state(row) == kTicked) {
            selected.push_back(record(row));
        }
    }
    return selected;
}

}  // namespace ardelle::browser
