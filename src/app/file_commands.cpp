#include "app/file_commands.h"

#include <algorithm>

#include "base/settings.h"
#include "base/ui_text.h"
#include "fileops/csv_export.h"
#include "fileops/download.h"
#include "fileops/file_selection.h"
#include "fileops/output_folder.h"
#include "fileops/repaired_folder.h"

namespace ardelle::app {
namespace {

constexpr int kTextCompleted = 44;
constexpr int kTextEndCaption = 45;
constexpr char kJoinFolderKey[] = "CONNECT_FOLDER";

// The ids the command guard covers: the tool buttons, the display mode and the filters.
bool GuardedId(int id) {
    return (id >= 38000 && id <= 38016) || id == 38200 || (id >= 38700 && id <= 38707);
}

// Marks a command under way for as long as it lives, so a command arriving from a nested
// event loop (a dialog of this one) is refused.
class InCommand {
  public:
    explicit InCommand(bool& flag) : flag_(flag) { flag_ = true; }
    ~InCommand() { flag_ = false; }
    InCommand(const InCommand&) = delete;
    InCommand& operator=(const InCommand&) = delete;

  private:
    bool& flag_;
};

}  // namespace

int ProgressPercent(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        return 100;
    }
    return static_cast<int>(std::clamp<std::int64_t>(done * 100 / total, 0, 100));
}

// The window's side of the snapshot command, as the host does it.
class FileCommands::SnapshotWindowAdapter : public fileops::SnapshotWindow {
  public:
    explicit SnapshotWindowAdapter(FileCommandHost& host) : host_(host) {}
    void BeginSnapshot() override {
        host_.PauseIfPlaying();
        host_.ResetPictureZoom();
        host_.SetControlsEnabled(false);
    }
    void ResetPictures() override { host_.ResetPictureZoom(); }
    void EndSnapshot() override { host_.SetControlsEnabled(true); }

  private:
    FileCommandHost& host_;
};

int FileCommands::CurrentMessages::Show(std::string_view text, std::string_view caption,
                                        base::MessageStyle style) {
    return owner_.dialogs_.messages->Show(text, caption, style);
}

FileCommands::FileCommands(FileCommandHost& host, MessageSink& sink, FileCommandDialogs dialogs)
    : host_(host),
      sink_(sink),
      dialogs_(dialogs),
      current_messages_(*this),
      runner_(sink, current_messages_) {}

FileCommands::~FileCommands() {
    Shutdown();
}

void FileCommands::Shutdown() {
    WaitForWorker();
    operation_ = Operation::kNone;
}

bool FileCommands::OnCommand(int id) {
    if (busy()) {
        if (id == file_command::kToStart && running() && !in_command_) {
            Finish();  // the stop command ends the operation as its end message would
            return true;
        }
        return GuardedId(id);
    }
    switch (id) {
        case file_command::kSnapshot:
            Snapshot();
            return true;
        case file_command::kJoin:
            Join();
            return true;
        case file_command::kDownload:
            Download();
            return true;
        case file_command::kDelete:
            Delete();
            return true;
        case file_command::kCsv:
            CsvExport();
            return true;
        default:
            return false;
    }
}

bool FileCommands::OnMessage(const PostedMessage& message) {
    switch (message.id) {
        case AppMessage::kProgress:
            if (running()) {
                progress_ = ProgressPercent(message.wparam, message.lparam);
                host_.ShowProgress(progress_);
            }
            return true;
        case AppMessage::kWorkerQuestion:
            runner_.AnswerQuestion(message.wparam);
            return true;
        case AppMessage::kJoinCompleted:
            Complete(Operation::kJoin);
            return true;
        case AppMessage::kDownloadCompleted:
            Complete(Operation::kDownload);
            return true;
        case AppMessage::kDeleteCompleted:
            Complete(Operation::kDelete);
            return true;
        case AppMessage::kCsvCompleted:
            Complete(Operation::kCsv);
            return true;
        case AppMessage::kOperationEnded:
            // An end that comes after the stop command has already ended the operation
            // belongs to no operation.
            if (running()) {
                Finish();
            }
            return true;
        default:
            return false;
    }
}

std::optional<catalogue::RecordingList> FileCommands::Choose(fileops::SelectMode mode, int tab) {
    const catalogue::RecordingList source =
        mode == fileops::SelectMode::kJoin ? catalogue::RecordingList{} : host_.SourceRecords(tab);
    auto chosen = dialogs_.selection->Choose(mode, host_.MasterList(tab), source, tab == kStillTab);
    if (chosen && chosen->empty()) {
        return std::nullopt;  // nothing ticked is nothing to do
    }
    return chosen;
}

std::string FileCommands::PickFolder(std::string_view key, std::string_view prompt) {
    return dialogs_.picker->PickFolder(fileops::kFolderSection, key, prompt);
}

void FileCommands::CancelCommand() {
    host_.RestoreAfterOperation();
}

void FileCommands::Join() {
    if (host_.GuardRefuses() || host_.CurrentTab() != kMovieTab) {
        return;
    }
    const InCommand command(in_command_);
    host_.StopForOperation();
    const auto selection = Choose(fileops::SelectMode::kJoin, kMovieTab);
    const std::string folder =
        selection ? PickFolder(kJoinFolderKey, fileops::kBackupFolderPrompt) : std::string();
    if (folder.empty()) {
        CancelCommand();
        return;
    }
    std::string error;
    auto plan = fileops::PrepareJoin(*selection, folder, *dialogs_.messages, &error);
    if (!plan) {
        if (!error.empty()) {
            dialogs_.messages->Show(std::string(fileops::kJoinFailedText) + "\n" + error,
                                    base::kErrorCaption, base::MessageStyle::kOk);
        }
        CancelCommand();
        return;
    }
    folder_ = folder;
    join_plan_ = *plan;
    RunOperation(Operation::kJoin, fileops::MakeJoinWorker(
                                       std::move(*plan), std::make_shared<fileops::JoinOutcome>()));
}

void FileCommands::Download() {
    if (host_.GuardRefuses() || host_.CurrentTab() != kStillTab) {
        return;
    }
    const InCommand command(in_command_);
    const auto selection = Choose(fileops::SelectMode::kDownload, kStillTab);
    const std::string folder =
        selection ? PickFolder(fileops::kDownloadFolderKey, fileops::kBackupFolderPrompt)
                  : std::string();
    if (folder.empty()) {
        return;
    }
    folder_ = folder;
    RunOperation(Operation::kDownload, fileops::DownloadWorker({*selection, folder}));
}

void FileCommands::Delete() {
    if (host_.GuardRefuses()) {
        return;
    }
    const InCommand command(in_command_);
    const int tab = host_.CurrentTab();
    // The players let go of every file first, so the worker never has to close them
    // from its own thread when it reaches the recording being played.
    host_.StopForOperation();
    const auto selection = Choose(fileops::SelectMode::kDelete, tab);
    if (!selection) {
        CancelCommand();
        return;
    }
    fileops::DeleteRequest request;
    request.selection = *selection;
    request.stills = tab == kStillTab;
    const catalogue::RecordingList& stills = host_.MasterList(kStillTab);
    if (request.stills && !stills.empty()) {
        request.first_picture = stills.front();
    }
    delete_tab_ = tab;
    delete_outcome_ = std::make_shared<fileops::DeleteOutcome>();
    RunOperation(Operation::kDelete,
                 fileops::MakeDeleteWorker(std::move(request), delete_outcome_));
}

void FileCommands::CsvExport() {
    const catalogue::RecordingList recordings = host_.MasterList(kMovieTab);
    if (!recordings.empty() && host_.GuardRefuses()) {
        return;
    }
    const InCommand command(in_command_);
    host_.StopForOperation();
    const std::string folder =
        PickFolder(fileops::kCsvFolderKey, base::UiString(fileops::kOutputFolderPromptTextId));
    if (folder.empty()) {
        CancelCommand();
        return;
    }
    const auto output = fileops::PrepareCsvExport(recordings, folder, *dialogs_.messages);
    if (!output) {
        CancelCommand();
        return;
    }
    folder_ = folder;
    RunOperation(Operation::kCsv,
                 fileops::CsvExportWorker({recordings, *output, {}},
                                          std::make_shared<fileops::FileHeaderReader>()));
}

void FileCommands::Snapshot() {
    if (host_.GuardRefuses() || !host_.RecordingLoaded()) {
        return;
    }
    const InCommand command(in_command_);
    SnapshotWindowAdapter window(host_);
    fileops::SnapshotCommand snapshot(host_.SnapshotPlayers(), window, *dialogs_.messages,
                                      *dialogs_.picker);
    snapshot.Run(host_.CursorRecording());
}

void FileCommands::RunOperation(Operation operation, fileops::OperationRunner::Worker worker) {
    completed_ = false;
    progress_ = 0;
    host_.ShowProgress(0);
    host_.SetControlsEnabled(false);
    if (!runner_.Run(std::move(worker))) {
        // A worker that was told to stop has not ended yet: nothing starts.
        host_.HideProgress();
        host_.SetControlsEnabled(true);
        CancelCommand();
        return;
    }
    operation_ = operation;
}

void FileCommands::Complete(Operation operation) {
    if (operation_ != operation) {
        return;  // the operation was ended before its completion arrived
    }
    completed_ = true;
    runner_.MarkCompleted();
    switch (operation) {
        case Operation::kJoin:
            if (join_plan_) {
                fileops::MarkJoined(*join_plan_, host_.MasterList(kMovieTab));
            }
            base::WriteSetting(fileops::kFolderSection, kJoinFolderKey, folder_);
            break;
        case Operation::kDownload:
            fileops::RememberDownloadFolder(folder_);
            break;
        case Operation::kCsv:
            fileops::RememberCsvFolder(folder_);
            break;
        case Operation::kDelete:
        case Operation::kNone:
            break;  // the delete's lists change once its worker has ended (Finish)
    }
    sink_.Post({AppMessage::kOperationEnded, 0, 0});
}

void FileCommands::WaitForWorker() {
    // The workers look at the running flag before every file and between the pieces of a
    // copy; a stop waits for them however long the piece takes.
    while (!runner_.Stop()) {
    }
}

void FileCommands::Finish() {
    const Operation operation = operation_;
    WaitForWorker();
    operation_ = Operation::kNone;
    join_plan_.reset();
    const bool completed = completed_;
    completed_ = false;
    if (operation == Operation::kDelete) {
        AfterDelete();
    }
    if (completed) {
        dialogs_.messages->Show(base::UiString(kTextCompleted), base::UiString(kTextEndCaption),
                                base::MessageStyle::kOk);
    }
    host_.SetControlsEnabled(true);
    host_.HideProgress();
    if (!(operation == Operation::kDelete && completed) && operation != Operation::kDownload) {
        host_.RestoreAfterOperation();
    }
}

void FileCommands::AfterDelete() {
    // What the worker deleted leaves the list whether the delete completed, failed or was
    // stopped, so the list never shows a recording that is gone.
    catalogue::RecordingList& list = host_.MasterList(delete_tab_);
    const std::vector<int>& deleted = delete_outcome_->deleted_sequences;
    std::erase_if(list, [&](const catalogue::RecordingEntry& entry) {
        return std::find(deleted.begin(), deleted.end(), entry.sequence) != deleted.end();
    });
    if (delete_outcome_->result == fileops::OperationResult::kCompleted) {
        host_.CloseRecordingList();
        fileops::OfferToKeepRepairedFiles(*dialogs_.messages, *dialogs_.picker);
        host_.ReloadLists();
    }
    delete_outcome_.reset();
}

}  // namespace ardelle::app
