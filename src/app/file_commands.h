#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/file_command_host.h"
#include "base/messages.h"
#include "base/user_dialogs.h"
#include "fileops/delete_worker.h"
#include "fileops/file_selection.h"
#include "fileops/join_worker.h"
#include "fileops/operation_runner.h"
#include "fileops/snapshot_names.h"

namespace ardelle::app {

// The command ids of the file operations and the snapshot.
namespace file_command {
inline constexpr int kToStart = 38000;  // ends a running operation
inline constexpr int kSnapshot = 38006;
inline constexpr int kJoin = 38007;
inline constexpr int kDownload = 38008;
inline constexpr int kDelete = 38013;
inline constexpr int kCsv = 38015;
}  // namespace file_command

// The progress bar's percentage of a progress message: done * 100 / total, 100 when the
// total is not positive, kept within 0..100.
int ProgressPercent(std::int64_t done, std::int64_t total);

// The main window's file operations (join, download of stills, delete, CSV export) and the
// snapshot: each command from its dialogs to the worker on the operation runner, the
// progress bar, the disabled controls, the completion messages with the folders they
// store, and the guard that refuses every other command while an operation runs. Workers
// post to sink (the window's UI queue); the window hands the messages to OnMessage.
class FileCommands {
  public:
    FileCommands(FileCommandHost& host, MessageSink& sink, FileCommandDialogs dialogs);
    // Stops a running operation and waits for its worker.
    ~FileCommands();
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    void SetDialogs(FileCommandDialogs dialogs) { dialogs_ = dialogs; }

    // True when the command is this class's to answer: one of its own commands, the stop
    // command while an operation runs, or any guarded command while an operation or one
    // of these commands is under way (which is then refused, never kept for later).
    bool OnCommand(int id);
    // True when the message was one of the operations' (progress, questions, ends).
    bool OnMessage(const PostedMessage& message);

    // An operation's worker runs, or a command is in its dialogs.
    bool busy() const { return operation_ != Operation::kNone || in_command_; }
    bool running() const { return operation_ != Operation::kNone; }
    int progress() const { return progress_; }
    // At shutdown: stops the worker and waits for it, without any message.
    void Shutdown();

  private:
    enum class Operation { kNone, kJoin, kDownload, kDelete, kCsv };
    class SnapshotWindowAdapter;
    // Forwards the workers' boxes to whichever message dialog is set now.
    class CurrentMessages : public base::MessageBoxes {
      public:
        explicit CurrentMessages(FileCommands& owner) : owner_(owner) {}
        int Show(std::string_view text, std::string_view caption,
                 base::MessageStyle style) override;

      private:
        FileCommands& owner_;
    };

    void Join();
    void Download();
    void Delete();
    void CsvExport();
    void Snapshot();
    std::optional<catalogue::RecordingList> Choose(fileops::SelectMode mode, int tab);
    std::string PickFolder(std::string_view key, std::string_view prompt);
    void RunOperation(Operation operation, fileops::OperationRunner::Worker worker);
    void Complete(Operation operation);
    void Finish();
    void WaitForWorker();
    void AfterDelete();
    void CancelCommand();

    FileCommandHost& host_;
    MessageSink& sink_;
    FileCommandDialogs dialogs_;
    CurrentMessages current_messages_;
    fileops::OperationRunner runner_;
    Operation operation_ = Operation::kNone;
    bool in_command_ = false;
    bool completed_ = false;
    int progress_ = 0;
    int delete_tab_ = kMovieTab;
    std::string folder_;
    std::optional<fileops::JoinPlan> join_plan_;
    std::shared_ptr<fileops::DeleteOutcome> delete_outcome_;
};

}  // namespace ardelle::app
