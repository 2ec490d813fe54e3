#include "fileops/join_worker.h"

#include "base/user_dialogs.h"
#include "catalogue/folder_listing.h"
#include "fileops/mp4_join.h"
#include "platform/file_copy.h"
#include "platform/files.h"
#include "platform/volumes.h"

namespace ardelle::fileops {
namespace {

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

// An output that would land on one of the recordings being read.
bool OutputIsAnInput(const JoinPlan& plan) {
    const auto same = [](const std::string& a, const std::string& b) {
        return !a.empty() && !b.empty() && platform::SameFile(a, b);
    };
    for (const catalogue::RecordingEntry& entry : plan.selection) {
        for (const std::string* output : {&plan.front_output, &plan.rear_output}) {
            if (same(*output, entry.front_path) || same(*output, entry.rear_path)) {
                return true;
            }
        }
    }
    return false;
}

// The join's progress, which only rises: reading the recordings fills the first half,
// writing the media data of both outputs the second.
class JoinProgress {
  public:
    JoinProgress(const OperationContext& context, std::int64_t recordings)
        : context_(context), recordings_(recordings) {}

    void Read(std::int64_t read) { Show(read * 50 / recordings_); }
    void Write(std::uint64_t written, std::uint64_t total) {
        Show(total == 0 ? 100 : 50 + static_cast<std::int64_t>(written * 50 / total));
    }

  private:
    void Show(std::int64_t percent) {
        if (percent > shown_) {
            shown_ = percent;
            context_.PostProgress(percent, 100);
        }
    }
    const OperationContext& context_;
    std::int64_t recordings_;
    std::int64_t shown_ = -1;
};

// Runs the join itself; the result and the reason of a failure go to outcome.
OperationResult RunJoin(const OperationContext& context, const JoinPlan& plan,
                        JoinOutcome& outcome) {
    const auto n = static_cast<std::int64_t>(plan.selection.size());
    JoinProgress progress(context, n);
    CameraJoin front;
    CameraJoin rear;
    if (!front.Begin(plan.selection.front().front_path, &outcome.error)) {
        return OperationResult::kFailed;
    }
    // Rear files that cannot be read or joined only end the rear output.
    bool rear_enabled = !plan.rear_output.empty() && !plan.selection.front().rear_path.empty() &&
                        rear.Begin(plan.selection.front().rear_path, nullptr);
    progress.Read(1);
    for (std::int64_t i = 1; i < n; ++i) {
        if (!context.running()) {
            return OperationResult::kStopped;
        }
        const catalogue::RecordingEntry& entry = plan.selection[static_cast<std::size_t>(i)];
        if (!front.Append(entry.front_path, &outcome.error)) {
            return OperationResult::kFailed;
        }
        rear_enabled =
            rear_enabled && !entry.rear_path.empty() && rear.Append(entry.rear_path, nullptr);
        progress.Read(i + 1);
    }
    const std::uint64_t total = front.media_bytes() + (rear_enabled ? rear.media_bytes() : 0);
    std::uint64_t before = 0;  // media bytes of the outputs written before the current one
    const WriteProgress keep_going = [&](std::uint64_t written, std::uint64_t) {
        progress.Write(before + written, total);
        return context.running();
    };
    // Both outputs are written before either is flushed: the front file goes to disk while
    // the rear one is copied, and the flushes overlap.
    platform::PendingFile front_file;
    if (!front.WritePending(plan.front_output, keep_going, front_file, &outcome.error)) {
        return context.running() ? OperationResult::kFailed : OperationResult::kStopped;
    }
    front_file.StartFlush();
    before = front.media_bytes();
    platform::PendingFile rear_file;
    const bool rear_ready =
        rear_enabled && rear.WritePending(plan.rear_output, keep_going, rear_file, &outcome.error);
    if (!context.running()) {
        return OperationResult::kStopped;
    }
    if (!front_file.Commit(plan.replace, &outcome.error)) {
        return OperationResult::kFailed;
    }
    outcome.front_written = true;
    if (rear_enabled) {
        if (!rear_ready || !rear_file.Commit(plan.replace, &outcome.error)) {
            return OperationResult::kFailed;
        }
        outcome.rear_written = true;
    }
    progress.Write(total, total);
    return OperationResult::kCompleted;
}

// Two entries of the selection that name the same recording (the same front file). The
// recorder's names tell recordings apart, so only entries of one name are looked at on disk.
bool NamesARecordingTwice(const catalogue::RecordingList& selection, std::string* which) {
    for (std::size_t i = 0; i < selection.size(); ++i) {
        for (std::size_t j = i + 1; j < selection.size(); ++j) {
            const std::string& a = selection[i].front_path;
            const std::string& b = selection[j].front_path;
            if (!a.empty() && selection[i].front_name == selection[j].front_name &&
                (a == b || platform::SameFile(a, b))) {
                *which = b;
                return true;
            }
        }
    }
    return false;
}

// Why the folder cannot take the outputs, or nothing.
std::optional<std::string> FolderProblem(const std::string& folder) {
    if (!platform::PathExists(folder)) {
        return "the output folder " + folder + " does not exist";
    }
    if (!platform::IsDirectory(folder)) {
        return folder + " is not a folder";
    }
    return std::nullopt;
}

}  // namespace

std::optional<JoinPlan> PrepareJoin(const catalogue::RecordingList& selection,
                                    const std::string& folder, base::MessageBoxes& messages,
                                    std::string* error) {
    if (selection.empty() || folder.empty()) {
        Fail(error, "");
        return std::nullopt;
    }
    JoinPlan plan;
    plan.selection = selection;
    plan.folder = folder;
    const catalogue::RecordingEntry& first = selection.front();
    plan.front_output = catalogue::JoinPath(folder, first.front_name);
    plan.rear_output =
        first.rear_name.empty() ? std::string() : catalogue::JoinPath(folder, first.rear_name);
    if (first.front_name.empty()) {
        Fail(error, "the first recording has no front file");
        return std::nullopt;
    }
    if (const auto problem = FolderProblem(folder)) {
        Fail(error, *problem);
        return std::nullopt;
    }
    if (std::string twice; NamesARecordingTwice(selection, &twice)) {
        Fail(error, twice + " is named twice; a recording can be joined only once");
        return std::nullopt;
    }
    if (OutputIsAnInput(plan)) {
        Fail(error,
             "the joined files would replace recordings being joined; choose another folder");
        return std::nullopt;
    }
    // A rear file of that name would be replaced as well, so it is asked about too.
    if (platform::PathExists(plan.front_output) ||
        (!plan.rear_output.empty() && platform::PathExists(plan.rear_output))) {
        if (messages.Show(kSameNameQuestion, base::kQuestionCaption,
                          base::MessageStyle::kOkCancel) != 1) {
            Fail(error, "");
            return std::nullopt;
        }
        plan.replace = true;
    }
    std::uint64_t needed = 0;
    for (const catalogue::RecordingEntry& entry : selection) {
        needed += static_cast<std::uint64_t>(std::max<std::int64_t>(entry.data_size_front, 0)) +
                  static_cast<std::uint64_t>(std::max<std::int64_t>(entry.data_size_rear, 0));
    }
    const auto free_bytes = platform::VolumeFreeBytes(folder);
    if (!free_bytes) {
        Fail(error, "cannot find out the free space in " + folder);
        return std::nullopt;
    }
    if (needed >= *free_bytes) {
        Fail(error, "not enough free space in " + folder + ": " + std::to_string(needed) +
                        " bytes needed, " + std::to_string(*free_bytes) + " free");
        return std::nullopt;
    }
    return plan;
}

void MarkJoined(const JoinPlan& plan, catalogue::RecordingList& master) {
    for (const catalogue::RecordingEntry& joined : plan.selection) {
        for (catalogue::RecordingEntry& entry : master) {
            if (entry.sequence == joined.sequence && joined.sequence >= 0) {
                entry.joined_mark = 1;
            }
        }
    }
}

OperationRunner::Worker MakeJoinWorker(JoinPlan plan, std::shared_ptr<JoinOutcome> outcome) {
    return [plan = std::move(plan), outcome = std::move(outcome)](const OperationContext& context) {
        outcome->result = RunJoin(context, plan, *outcome);
        context.Finish(outcome->result, AppMessage::kJoinCompleted, kJoinFailedText,
                       outcome->error);
    };
}

}  // namespace ardelle::fileops
