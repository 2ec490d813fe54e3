#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "base/messages.h"
#include "base/user_dialogs.h"
#include "fileops/file_selection.h"

namespace ardelle::app::testing {

// The file-selection dialog answered by a script: by default every offered recording;
// pick chooses some of them by index, cancel answers nothing.
class ScriptedSelection : public fileops::FileSelection {
  public:
    std::optional<catalogue::RecordingList> Choose(fileops::SelectMode mode,
                                                   const catalogue::RecordingList& node_records,
                                                   const catalogue::RecordingList&,
                                                   bool still_list) override {
        modes.push_back(mode);
        still_lists.push_back(still_list);
        if (cancel) {
            return std::nullopt;
        }
        if (pick.empty()) {
            return node_records;
        }
        catalogue::RecordingList chosen;
        for (const std::size_t index : pick) {
            chosen.push_back(node_records.at(index));
        }
        return chosen;
    }
    std::vector<std::size_t> pick;
    bool cancel = false;
    std::vector<fileops::SelectMode> modes;
    std::vector<bool> still_lists;
};

// The folder picker answered by a script: the folder given (empty: cancelled).
class ScriptedPicker : public base::FolderPicker {
  public:
    std::string PickFolder(std::string_view, std::string_view key,
                           std::string_view title) override {
        keys.emplace_back(key);
        titles.emplace_back(title);
        return folder;
    }
    std::string folder;
    std::vector<std::string> keys;
    std::vector<std::string> titles;
};

// Message boxes answered by a script, kept as "caption: text"; questions get answer.
class ScriptedBoxes : public base::MessageBoxes {
  public:
    int Show(std::string_view text, std::string_view caption, base::MessageStyle style) override {
        std::lock_guard lock(mutex_);
        shown_.push_back(std::string(caption) + ": " + std::string(text));
        if (on_show) {
            on_show();
        }
        return style == base::MessageStyle::kOk ? 1 : answer;
    }
    std::vector<std::string> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }
    int answer = 1;
    std::function<void()> on_show;

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> shown_;
};

// The three scripted dialogs together, as the window's dialog service.
struct ScriptedDialogs {
    ScriptedSelection selection;
    ScriptedPicker picker;
    ScriptedBoxes boxes;
    FileCommandDialogs service() { return {&selection, &picker, &boxes}; }
};

}  // namespace ardelle::app::testing
