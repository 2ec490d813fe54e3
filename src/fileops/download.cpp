#include "fileops/download.h"

#include "base/settings.h"
#include "base/ui_text.h"
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
// temporary file is removed either way. A failure other than the stop is noted.
void CopyOne(const OperationContext& context, const std::string& source, const std::string& target,
             DownloadOutcome& outcome) {
    if (source.empty()) {
        return;
    }
    std::string error;
    if (platform::CopyFileTo(
            source, target, true, [&context](std::uint64_t) { return context.running(); },
            &error)) {
        outcome.copied.push_back(source);
    } else if (context.running()) {
        outcome.failed.push_back({source, target, error});
    }
}

// The causes shown in the error box: every failed file up to a screenful.
std::string FailureCauses(const std::vector<FailedCopy>& failed) {
    constexpr std::size_t kShown = 10;
    std::string causes;
    for (std::size_t i = 0; i < failed.size() && i < kShown; ++i) {
        causes += (i == 0 ? "" : "\n") + failed[i].error;
    }
    if (failed.size() > kShown) {
        causes += "\n(" + std::to_string(failed.size() - kShown) + " more)";
    }
    return causes;
}

}  // namespace

std::string DownloadTarget(const std::string& folder, const std::string& name) {
    return PathInFolder(folder, name);
}

DownloadOutcome RunDownload(const OperationContext& context, const DownloadJob& job) {
    const auto total = static_cast<std::int64_t>(job.pictures.size());
    DownloadOutcome outcome;
    const auto finish = [&](OperationResult result) {
        if (result == OperationResult::kCompleted && !outcome.failed.empty()) {
            result = OperationResult::kFailed;
        }
        outcome.result = result;
        context.Finish(result, AppMessage::kDownloadCompleted,
                       base::UiString(kDownloadFailedTextId), FailureCauses(outcome.failed));
        return outcome;
    };
    bool asked = false;
    std::int64_t done = 0;
    for (auto picture = job.pictures.rbegin(); picture != job.pictures.rend(); ++picture) {
        if (!context.running()) {
            return finish(OperationResult::kStopped);
        }
        const PictureCopy copy = CopyOf(*picture, job.folder);
        if (!asked && WouldReplace(copy)) {
            asked = true;
            if (context.messages().Show(kSameNameQuestion, base::kQuestionCaption,
                                        base::MessageStyle::kOkCancel) != 1) {
                return finish(OperationResult::kStopped);
            }
        }
        CopyOne(context, copy.front_source, copy.front_target, outcome);
        CopyOne(context, copy.rear_source, copy.rear_target, outcome);
        context.PostProgress(++done, total);
    }
    // A stop during the last copy ends the download as stopped too.
    return finish(context.running() ? OperationResult::kCompleted : OperationResult::kStopped);
}

OperationRunner::Worker DownloadWorker(DownloadJob job, std::shared_ptr<DownloadOutcome> outcome) {
    return [job = std::move(job), outcome = std::move(outcome)](const OperationContext& context) {
        DownloadOutcome result = RunDownload(context, job);
        if (outcome) {
            *outcome = std::move(result);
        }
    };
}

bool RememberDownloadFolder(const std::string& folder) {
    return base::WriteSetting(kFolderSection, kDownloadFolderKey, folder);
}

}  // namespace ardelle::fileops
