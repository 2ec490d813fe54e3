#pragma once

#include <memory>
#include <optional>
#include <string>

#include "catalogue/recording_entry.h"
#include "fileops/operation_runner.h"

namespace ardelle::fileops {

inline constexpr char kJoinFailedText[] = "動画の連結に失敗しました。";

// A join the user has agreed to: what is joined and where it goes.
struct JoinPlan {
    catalogue::RecordingList selection;  // in list order
    std::string folder;
    std::string front_output;
    std::string rear_output;  // empty when the first recording has no rear file
    bool replace = false;     // the user agreed to replace files of the same names
};

// What a finished join worker leaves for its owner (read after the worker ended).
struct JoinOutcome {
    OperationResult result = OperationResult::kStopped;
    std::string error;  // why it failed, for logs and the command line
    bool front_written = false;
    bool rear_written = false;
};

// The checks before a join starts: output names from the first recording, a folder that
// exists, no recording named twice, the question when a file of that name exists, that no
// output would replace one of the recordings, and the free space of the folder. Nothing (error set,
// empty when the user cancelled) when the join must not start.
std::optional<JoinPlan> PrepareJoin(const catalogue::RecordingList& selection,
                                    const std::string& folder, base::MessageBoxes& messages,
                                    std::string* error);

// The completion step's mark: every master entry the join took (found by its sequence
// number) gets joined_mark 1, which the selection dialog shows in its own colours.
void MarkJoined(const JoinPlan& plan, catalogue::RecordingList& master);

// The worker that joins the plan's recordings, front and rear, reporting its end through
// the context and its progress as a percentage that only rises (reading the recordings up
// to 50, writing the outputs' media data up to 100); a failure's box names its cause.
OperationRunner::Worker MakeJoinWorker(JoinPlan plan, std::shared_ptr<JoinOutcome> outcome);

}  // namespace ardelle::fileops
