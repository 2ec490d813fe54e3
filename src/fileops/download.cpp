#include "fileops/download.h"

#include "base/settings.h"
#include "base/user_dialogs.h"
#include "fileops/output_folder.h"
#include "platform/file_copy.h"
#include "platform/files.h"

namespace ardelle::fileops {
namespace {

using catalogue::RecordingEntry;

// A picture's two files and where they go; an absent camera file has empty paths.
struct PictureCopy {
    std::string front_source, front_target;
    std::string rear_source, rear_target;
};

PictureCopy CopyOf(const RecordingEntry& picture, const std::string& folder) {
    PictureCopy copy;
    if (!picture.front_path.empty()) {
        copy.front_source = picture.front_path;
        copy.front_target = DownloadTarget(folder, picture.front_name);
    }
    if (!picture.rear_path.empty()) {
        copy.rear_source = picture.rear_path;
        copy.rear_target = DownloadTarget(folder, picture.rear_name);
    }
    return copy;
}

bool WouldReplace(const PictureCopy& copy) {
    return (!copy.front_target.empty() && platform::PathExists(copy.front_target)) ||
           (!copy.rear_target.empty() && platform::PathExists(copy.rear_target));
}

// One file, replacing its target. A stop asked for during a long copy ends it; the
// temporary file is removed either way.
void CopyOne(const OperationContext& context, const std::string& source,
             const std::string& target) {
    if (source.empty()) {
        return;
    }
    platform::CopyFileTo(
        source, target, true, [&context](std::uint64_t) { return context.running(); }, nullptr);
}

}  // namespace

std::string DownloadTarget(const std::string& folder, const std::string& name) {
    return PathInFolder(folder, name);
}

void RunDownload(const OperationContext& context, const DownloadJob& job) {
    const auto total = static_cast<std::int64_t>(job.pictures.size());
    bool asked = false;
    std::int64_t done = 0;
    for (auto picture = job.pictures.rbegin(); picture != job.pictures.rend(); ++picture) {
        if (!context.running()) {
            context.Finish(OperationResult::kStopped, AppMessage::kDownloadCompleted, "");
            return;
        }
        const PictureCopy copy = CopyOf(*picture, job.folder);
        if (!asked && WouldReplace(copy)) {
            asked = true;
            if (context.messages().Show(kSameNameQuestion, base::kQuestionCaption,
                                        base::MessageStyle::kOkCancel) != 1) {
                context.Finish(OperationResult::kStopped, AppMessage::kDownloadCompleted, "");
                return;
            }
        }
        CopyOne(context, copy.front_source, copy.front_target);
        CopyOne(context, copy.rear_source, copy.rear_target);
        context.PostProgress(++done, total);
    }
    context.Finish(OperationResult::kCompleted, AppMessage::kDownloadCompleted, "");
}

OperationRunner::Worker DownloadWorker(DownloadJob job) {
    return [job = std::move(job)](const OperationContext& context) { RunDownload(context, job); };
}

bool RememberDownloadFolder(const std::string& folder) {
    return base::WriteSetting(kFolderSection, kDownloadFolderKey, folder);
}

}  // namespace ardelle::fileops
