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

// Runs the join itself; the result and the reason of a failure go to outcome.
OperationResult RunJoin(const OperationContext& context, const JoinPlan& plan,
                        JoinOutcome& outcome) {
    const auto n = static_cast<std::int64_t>(plan.selection.size());
    CameraJoin front;
    CameraJoin rear;
    if (!front.Begin(plan.selection.front().front_path, &outcome.error)) {
        return OperationResult::kFailed;
    }
    // Rear files that cannot be read or joined only end the rear output.
    bool rear_enabled = !plan.rear_output.empty() && !plan.selection.front().rear_path.empty() &&
                        rear.Begin(plan.selection.front().rear_path, nullptr);
    context.PostProgress(1, n);
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
        context.PostProgress(i, 2 * n);
    }
    context.PostProgress(50, 100);
    const WriteProgress keep_going = [&](std::uint64_t, std::uint64_t) {
        return context.running();
    };
    context.PostProgress(10, 100);
    // Both outputs are written before either is flushed: the front file goes to disk while
    // the rear one is copied, and the flushes overlap.
    platform::PendingFile front_file;
    if (!front.WritePending(plan.front_output, keep_going, front_file, &outcome.error)) {
        return context.running() ? OperationResult::kFailed : OperationResult::kStopped;
    }
    front_file.StartFlush();
    context.PostProgress(40, 100);
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
    context.PostProgress(100, 100);
    context.PostProgress(n, n);
    return OperationResult::kCompleted;
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
    if (!free_bytes || needed >= *free_bytes) {
        Fail(error, "not enough free space in " + folder);
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
        context.Finish(outcome->result, AppMessage::kJoinCompleted, kJoinFailedText);
    };
}

}  // namespace ardelle::fileops
