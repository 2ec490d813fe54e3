#include "fileops/delete_worker.h"

#include <chrono>
#include <thread>

#include "catalogue/card_layout.h"
#include "platform/files.h"

namespace ardelle::fileops {
namespace {

// The players need a moment to let go of a file they had open.
constexpr auto kReleaseWait = std::chrono::seconds(1);

OperationResult RunDelete(const OperationContext& context, const DeleteRequest& request,
                          DeleteOutcome& outcome) {
    std::vector<int> front_numbers;
    std::vector<int> rear_numbers;
    if (request.stills) {
        if (!request.first_picture) {
            outcome.error = "the picture list is empty";
            return OperationResult::kFailed;
        }
        const catalogue::RecordingEntry& first = *request.first_picture;
        front_numbers = catalogue::ListPlaceholderNumbers(platform::FolderOf(first.front_path));
        rear_numbers = catalogue::ListPlaceholderNumbers(platform::FolderOf(first.rear_path));
    }
    const auto total = static_cast<std::int64_t>(request.selection.size());
    std::int64_t done = 0;
    for (auto entry = request.selection.rbegin(); entry != request.selection.rend(); ++entry) {
        if (!context.running()) {
            return OperationResult::kStopped;
        }
        if (!request.stills && entry->sequence == request.playing_sequence &&
            request.release_playing) {
            request.release_playing();
            std::this_thread::sleep_for(kReleaseWait);
        }
        const bool deleted =
            request.stills
                ? catalogue::DeleteStillRecording(entry->front_path, entry->rear_path,
                                                  front_numbers, rear_numbers, &outcome.error)
                : catalogue::DeleteMovieRecording(entry->front_path, entry->rear_path,
                                                  &outcome.error);
        if (!deleted) {
            return OperationResult::kFailed;
        }
        outcome.deleted_sequences.push_back(entry->sequence);
        context.PostProgress(++done, total);
    }
    return OperationResult::kCompleted;
}

}  // namespace

OperationRunner::Worker MakeDeleteWorker(DeleteRequest request,
                                         std::shared_ptr<DeleteOutcome> outcome) {
    return [request = std::move(request),
            outcome = std::move(outcome)](const OperationContext& context) {
        outcome->result = RunDelete(context, request, *outcome);
        context.Finish(outcome->result, AppMessage::kDeleteCompleted, kDeleteFailedText);
    };
}

}  // namespace ardelle::fileops
