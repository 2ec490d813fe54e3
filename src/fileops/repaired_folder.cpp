#include "fileops/repaired_folder.h"

#include <chrono>
#include <thread>

#include "base/settings.h"
#include "base/user_dialogs.h"
#include "catalogue/folder_listing.h"
#include "catalogue/name_units.h"
#include "catalogue/recording_names.h"
#include "platform/environment.h"
#include "platform/file_copy.h"
#include "platform/files.h"
#include "platform/mapped_file.h"
#include "platform/trash.h"
#include "telemetry/mp4_tree.h"

namespace ardelle::fileops {
namespace {

constexpr char kRepairFolderName[] = "repaired_movie_files";
constexpr char kKeepQuestion[] =
    "破損が修復された一時ファイルがあります。消去の前に整理して保存しますか？";
constexpr char kDestinationPrompt[] = "移動先フォルダーを選択してください。";
constexpr char kSection[] = "FOLDERPATH";
constexpr char kKey[] = "REPAIR_FOLDER";

// Paths this long are never deleted: the recorder viewer's paths stop at 259 characters.
constexpr std::size_t kLongestDeletablePath = 258;
constexpr auto kGonePollPeriod = std::chrono::milliseconds(200);
// The Trash move has finished when it reports success; the wait only covers file systems
// that show the removal late, and must not hang the viewer if one never does.
constexpr int kGonePollLimit = 50;

bool MoveEveryFile(const std::string& from_folder, const std::string& to_folder) {
    bool all_moved = true;
    for (const auto& file :
         catalogue::ListFolderWithHidden(from_folder).value_or(catalogue::FoundFileList{})) {
        if (file.is_folder()) {
            continue;
        }
        std::string error;
        // An existing file of the same name is kept: the copy then stays in the repair
        // folder and goes to the Trash with it, so nothing is lost either way.
        if (!platform::MoveFileTo(file.path, catalogue::JoinPath(to_folder, file.name), false,
                                  &error)) {
            all_moved = false;
        }
    }
    return all_moved;
}

}  // namespace

std::string RepairFolderPath() {
    std::string temporary = platform::TemporaryFolder();
    while (temporary.size() > 1 && temporary.back() == '/') {
        temporary.pop_back();
    }
    return catalogue::JoinPath(temporary, kRepairFolderName);
}

std::optional<std::string> TempCopyPath(const std::string& file_name) {
    if (file_name.empty()) {
        return std::nullopt;
    }
    return catalogue::JoinPath(RepairFolderPath(), catalogue::FileNameOf(file_name));
}

bool DeleteToRecycleBin(const std::string& path) {
    if (!platform::PathExists(path) ||
        catalogue::detail::Utf8ToUtf16(path).size() > kLongestDeletablePath) {
        return false;
    }
    std::string error;
    // The repaired copies are the program's own temporary data: where the Trash cannot take
    // them (a tmpfs /tmp has none), they are removed directly, or the folder would never
    // empty and the keep question would come back at every list close.
    if (!platform::MoveToTrash(path, &error) && !platform::RemoveTree(path, &error)) {
        return false;
    }
    for (int poll = 0; poll < kGonePollLimit && platform::PathExists(path); ++poll) {
        std::this_thread::sleep_for(kGonePollPeriod);
    }
    return true;
}

PlaybackPath PrepareForPlayback(const std::string& recording_path) {
    PlaybackPath result{false, recording_path};
    bool camera_recording = false;
    for (const char* ending : {"F.MP4", "F.mp4", "R.MP4", "R.mp4"}) {
        camera_recording = camera_recording || recording_path.find(ending) != std::string::npos;
    }
    if (!camera_recording) {
        return result;
    }
    const auto copy = TempCopyPath(std::string(catalogue::FileNameOf(recording_path)));
    platform::MappedFile file;
    if (copy && file.Open(recording_path)) {
        file.Close();
        (void)telemetry::ExpectedLength(recording_path);
        DeleteToRecycleBin(*copy);
    }
    result.ok = true;
    return result;
}

void OfferToKeepRepairedFiles(base::MessageBoxes& messages, base::FolderPicker& picker) {
    const std::string folder = RepairFolderPath();
    if (!platform::IsDirectory(folder)) {
        return;
    }
    if (messages.Show(kKeepQuestion, base::kQuestionCaption, base::MessageStyle::kYesNo) == 1) {
        const std::string destination = picker.PickFolder(kSection, kKey, kDestinationPrompt);
        if (!destination.empty() && platform::IsDirectory(destination) &&
            MoveEveryFile(folder, destination)) {
            base::WriteSetting(kSection, kKey, destination);
        }
    }
    DeleteToRecycleBin(folder);
}

}  // namespace ardelle::fileops
