#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/recording_entry.h"
#include "fileops/operation_runner.h"

namespace ardelle::fileops {

inline constexpr char kDeleteFailedText[] = "動画ファイルの削除に失敗しました。";

// The recordings to delete and how to let go of the one being played.
struct DeleteRequest {
    catalogue::RecordingList selection;  // in list order; deleted from the last to the first
    bool stills = false;
    // The picture list's first recording, whose folders hold the placeholder numbers.
    std::optional<catalogue::RecordingEntry> first_picture;
    int playing_sequence = -1;  // the recording under the list's cursor, -1 for none
    // Closes the players before the playing recording is deleted (the UI's timer, players).
    std::function<void()> release_playing;
};

// What a finished delete worker leaves for its owner.
struct DeleteOutcome {
    OperationResult result = OperationResult::kStopped;
    std::vector<int> deleted_sequences;  // in the order they were deleted
    std::string error;
};

// Deletes the recordings by the card's rules (placeholders on a card, the Trash elsewhere)
// and stops at the first that cannot be deleted; what is already deleted stays deleted.
OperationRunner::Worker MakeDeleteWorker(DeleteRequest request,
                                         std::shared_ptr<DeleteOutcome> outcome);

}  // namespace ardelle::fileops
