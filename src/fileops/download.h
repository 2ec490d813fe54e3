#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/recording_entry.h"
#include "fileops/operation_runner.h"

namespace ardelle::fileops {

inline constexpr char kDownloadFolderKey[] = "DOWNLOAD_FOLDER";

// One download: copies of the chosen still pictures, both cameras, into a folder.
struct DownloadJob {
    catalogue::RecordingList pictures;  // in list order
    std::string folder;
};

// The text of a download whose copies did not all succeed.
inline constexpr int kDownloadFailedTextId = 98;  // "画像の保存に失敗しました。"

// One file that could not be copied, and why.
struct FailedCopy {
    std::string source;
    std::string target;
    std::string error;
};

// What a finished download leaves for its owner (read after the worker ended).
struct DownloadOutcome {
    OperationResult result = OperationResult::kStopped;
    std::vector<std::string> copied;  // sources copied, in the order copied
    std::vector<FailedCopy> failed;
};

// Where a picture file goes: the folder and the file's name.
std::string DownloadTarget(const std::string& folder, const std::string& name);

// The download worker: the pictures from the last to the first, each camera's file copied
// over any file of its name. Before the first copy that would replace a file it asks
// once whether to go on; declining stops the operation. A copy that fails does not stop
// the others (and never leaves a partial file), but the download then ends as failed: its
// error box names the files and their causes, and the outcome lists them. Progress
// (done, total) per picture; completion is kDownloadCompleted.
DownloadOutcome RunDownload(const OperationContext& context, const DownloadJob& job);
OperationRunner::Worker DownloadWorker(DownloadJob job,
                                       std::shared_ptr<DownloadOutcome> outcome = nullptr);

// The window's completion step: the folder becomes the picker's next starting folder.
bool RememberDownloadFolder(const std::string& folder);

}  // namespace ardelle::fileops
