#include "fileops/snapshot_names.h"

#include <cstdio>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/user_dialogs.h"
#include "fileops/operation_runner.h"
#include "fileops/output_folder.h"
#include "platform/files.h"

namespace ardelle::fileops {
namespace {

constexpr std::size_t kTriggerPartLength = 5;  // "TTTT-"
constexpr std::size_t kDateTimeLength = 14;    // "YYMMDD-hhmmss-"

char OtherCamera(char camera) {
    if (camera == 'F') {
        return 'R';
    }
    return camera == 'R' ? 'F' : camera;
}

std::string SnapshotName(std::string_view base_name, std::int64_t frame) {
    char number[32];
    std::snprintf(number, sizeof number, "-%06lld.jpg", static_cast<long long>(frame));
    return std::string(base_name) + number;
}

// The front picture is named with 'F' also when the recording has only its rear file
// (whose name then supplies the base), so each camera's picture carries its own letter.
std::string FrontBaseName(const catalogue::RecordingEntry& recording) {
    std::string base = SnapshotBaseName(recording.primary_name());
    if (!base.empty() && base.back() == 'R') {
        base.back() = 'F';
    }
    return base;
}

}  // namespace

std::string SnapshotBaseName(std::string_view name) {
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot <= kTriggerPartLength) {
        return {};  // not a recorder name: there is no stem to cut
    }
    const std::string_view stem = name.substr(0, dot);
    if (stem.size() <= kTriggerPartLength) {
        return {};
    }
    const std::string_view rest = stem.substr(kTriggerPartLength);
    return std::string(rest.substr(0, kDateTimeLength)) + rest.back();
}

std::string FrontSnapshotPath(const std::string& folder, std::string_view base_name,
                              std::int64_t frame) {
    return PathInFolder(folder, SnapshotName(base_name, frame));
}

std::string RearSnapshotPath(const std::string& folder, std::string_view base_name,
                             std::int64_t frame) {
    std::string rear_base(base_name);
    if (!rear_base.empty()) {
        rear_base.back() = OtherCamera(rear_base.back());
    }
    return PathInFolder(folder, SnapshotName(rear_base, frame));
}

SnapshotOutcome SnapshotCommand::Run(const catalogue::RecordingEntry& recording) {
    window_.BeginSnapshot();
    const std::string folder =
        picker_.PickFolder(kFolderSection, kSnapshotFolderKey, kBackupFolderPrompt);
    const SnapshotOutcome outcome =
        folder.empty() ? SnapshotOutcome::kCancelled : SaveInto(folder, recording);
    window_.EndSnapshot();
    return outcome;
}

SnapshotOutcome SnapshotCommand::SaveInto(const std::string& folder,
                                          const catalogue::RecordingEntry& recording) {
    const std::int64_t frame = players_.CurrentFrame();
    // Without a valid frame there is nothing to name or save; the failure is reported.
    bool saved = false;
    if (frame >= 0) {
        const std::string base = FrontBaseName(recording);
        // Only the cameras the recording has are saved, and the same-name question is about
        // exactly those files: a rear-only recording writes, and asks about, its R file.
        const std::string front_path =
            recording.front_path.empty() ? std::string() : FrontSnapshotPath(folder, base, frame);
        const std::string rear_path =
            recording.rear_path.empty() ? std::string() : RearSnapshotPath(folder, base, frame);
        if ((WillWrite(0, front_path) && platform::PathExists(front_path)) ||
            (WillWrite(1, rear_path) && platform::PathExists(rear_path))) {
            if (messages_.Show(kSameNameQuestion, base::kQuestionCaption,
                               base::MessageStyle::kOkCancel) != 1) {
                return SnapshotOutcome::kCancelled;
            }
        }
        window_.ResetPictures();
        saved = SaveBoth(front_path, rear_path);
    }
    if (!saved) {
        messages_.Show(base::UiString(kImageNotSavedTextId), base::kErrorCaption,
                       base::MessageStyle::kOk);
        return SnapshotOutcome::kFailed;
    }
    base::WriteSetting(kFolderSection, kSnapshotFolderKey, folder);
    messages_.Show(kCompletedText, base::kEndCaption, base::MessageStyle::kOk);
    return SnapshotOutcome::kSaved;
}

bool SnapshotCommand::WillWrite(int player, const std::string& path) const {
    return !path.empty() && players_.IsInitialised(player);
}

bool SnapshotCommand::SaveBoth(const std::string& front_path, const std::string& rear_path) {
    const bool front = WillWrite(0, front_path) && players_.SaveSnapshot(0, front_path);
    const bool rear = WillWrite(1, rear_path) && players_.SaveSnapshot(1, rear_path);
    return front || rear;
}

}  // namespace ardelle::fileops
