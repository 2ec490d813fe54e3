#pragma once

#include <string>

#include "catalogue/recording_entry.h"
#include "fileops/operation_runner.h"

namespace ardelle::fileops {

inline constexpr char kDownloadFolderKey[] = "DOWNLOAD_FOLDER";

// One download: copies of the chosen still pictures, both cameras, into a folder.
struct DownloadJob {
    catalogue::RecordingList pictures;  // in list order
    std::string folder;
};

// Where a picture file goes: the folder and the file's name.
std::string DownloadTarget(const std::string& folder, const std::string& name);

// The download worker: the pictures from the last to the first, each camera's file copied
// over any file of its name. Before the first copy that would replace a file it asks
// once whether to go on; declining stops the operation. A copy that fails is left behind
// without a message and the next file is copied (a failed copy never leaves a partial
// file). Progress (done, total) per picture; completion is kDownloadCompleted.
void RunDownload(const OperationContext& context, const DownloadJob& job);
OperationRunner::Worker DownloadWorker(DownloadJob job);

// The window's completion step: the folder becomes the picker's next starting folder.
bool RememberDownloadFolder(const std::string& folder);

}  // namespace ardelle::fileops
