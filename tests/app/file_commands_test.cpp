// The file-operation commands headless: a fake window, scripted dialogs and the real
// workers on copies of the test card; the test thread delivers the posted messages as the
// window's queue would.
#include "app/file_commands.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/file_command_fakes.h"
#include "base/settings.h"
#include "catalogue/card_fixture.h"
#include "fileops/csv_export.h"
#include "fileops/delete_worker.h"
#include "fileops/download.h"
#include "fileops/operation_fakes.h"
#include "fileops/repaired_folder.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::ScriptedDialogs;

const std::string kCard = ARDELLE_TEST_CARD_DIR;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A window that records what the commands asked of it.
class FakeHost : public FileCommandHost {
  public:
    bool GuardRefuses() override { return guard; }
    int CurrentTab() const override { return tab; }
    catalogue::RecordingList& MasterList(int which) override {
        return lists[static_cast<std::size_t>(which)];
    }
    catalogue::RecordingList SourceRecords(int which) override {
        return lists[static_cast<std::size_t>(which)];
    }
    void StopForOperation() override { calls.push_back("stop"); }
    void RestoreAfterOperation() override { calls.push_back("restore"); }
    void SetControlsEnabled(bool enabled) override {
        controls_enabled = enabled;
        calls.push_back(enabled ? "enable" : "disable");
    }
    void ShowProgress(int percent) override {
        progress_visible = true;
        percents.push_back(percent);
    }
    void HideProgress() override { progress_visible = false; }
    void CloseRecordingList() override { calls.push_back("close list"); }
    void ReloadLists() override { calls.push_back("reload"); }
    bool RecordingLoaded() const override { return false; }
    catalogue::RecordingEntry CursorRecording() const override { return {}; }
    fileops::SnapshotPlayers& SnapshotPlayers() override { std::abort(); }
    void PauseIfPlaying() override {}
    void ResetPictureZoom() override {}

    bool guard = false;
    int tab = kMovieTab;
    std::array<catalogue::RecordingList, 2> lists;
    std::vector<std::string> calls;
    bool controls_enabled = true;
    bool progress_visible = false;
    std::vector<int> percents;
};

catalogue::RecordingList CardMovies(const std::vector<std::string>& names) {
    catalogue::ResetSequenceCounters();
    catalogue::RecordingList list;
    for (const std::string& name : names) {
        catalogue::AddMovieEntry(kCard + "/Normal/Front/" + name + "F.MP4",
                                 kCard + "/Normal/Rear/" + name + "R.MP4", list);
    }
    return list;
}

catalogue::RecordingList CardStills() {
    catalogue::RecordingList list;
    for (const char* name :
         {"AM-20240608-SN00A1B2C3D4E5F6-001-001", "AM-20240608-SN00A1B2C3D4E5F6-001-002"}) {
        catalogue::AddStillEntry(kCard + "/JPG/Front/" + name + "F.JPG",
                                 kCard + "/JPG/Rear/" + name + "R.JPG", list);
    }
    return list;
}

class FileCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kCard + "/Normal")) {
            GTEST_SKIP() << "no test card at " << kCard;
        }
        base::SetAppFolder(settings_.path());
        dialogs_.picker.folder = out_.path();
        commands_ = std::make_unique<FileCommands>(host_, sink_, dialogs_.service());
    }
    void TearDown() override { commands_.reset(); }

    std::optional<PostedMessage> Next(std::chrono::milliseconds limit) {
        auto message = sink_.WaitFor(delivered_, limit);
        delivered_ += message ? 1 : 0;
        return message;
    }
    // Delivers messages until the operation is over and its queue is drained.
    void RunToEnd() {
        const auto give_up = std::chrono::steady_clock::now() + 120s;
        while (std::chrono::steady_clock::now() < give_up) {
            const auto message = Next(commands_->running() ? 1000ms : 200ms);
            if (!message) {
                if (!commands_->running()) {
                    return;
                }
                continue;
            }
            commands_->OnMessage(*message);
        }
        FAIL() << "the operation did not end";
    }

    ardelle::testing::TempFolder settings_;
    ardelle::testing::TempFolder out_;
    FakeHost host_;
    ardelle::testing::RecordingSink sink_;
    std::size_t delivered_ = 0;  // messages of sink_ handed to the commands so far
    ScriptedDialogs dialogs_;
    std::unique_ptr<FileCommands> commands_;
};

const std::string kCompletedBox = "終了: 完了しました。";

TEST(ProgressPercent, OfDoneAndTotal) {
    const struct {
        std::int64_t done, total;
        int percent;
    } cases[] = {{0, 10, 0},  {3, 10, 30},  {10, 10, 100}, {1, 3, 33},
                 {5, 0, 100}, {5, -1, 100}, {12, 10, 100}, {-1, 10, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ProgressPercent(c.done, c.total), c.percent) << c.done << "/" << c.total;
    }
}

// Each operation to its completion: the dialogs it opens, progress that rises to 100 on
// a bar that goes away, the closing message, and the folder it keeps for next time.
TEST_F(FileCommandsTest, OperationsCompleteWithProgressMessageAndTheirFolder) {
    const struct {
        int command;
        int tab;
        fileops::SelectMode mode;  // kDelete: no selection dialog
        std::string folder_key;
        std::string made;  // a file the operation writes into the folder
    } cases[] = {
        {file_command::kJoin, kMovieTab, fileops::SelectMode::kJoin, "CONNECT_FOLDER",
         "A___-240608-093000-000101F.MP4"},
        {file_command::kDownload, kStillTab, fileops::SelectMode::kDownload, "DOWNLOAD_FOLDER",
         "AM-20240608-SN00A1B2C3D4E5F6-001-002R.JPG"},
        {file_command::kCsv, kMovieTab, fileops::SelectMode::kDelete, "CSV_FOLDER",
         "Dv_20240608_093000.csv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        ardelle::testing::TempFolder folder;
        dialogs_.picker.folder = folder.path();
        dialogs_.selection.modes.clear();
        host_ = FakeHost{};
        host_.tab = c.tab;
        host_.lists[0] = CardMovies({"A___-240608-093000-000101", "A___-240608-093003-000102"});
        host_.lists[1] = CardStills();
        const std::size_t boxes_before = dialogs_.boxes.shown().size();
        ASSERT_TRUE(commands_->OnCommand(c.command));
        EXPECT_TRUE(commands_->running());
        EXPECT_FALSE(host_.controls_enabled);
        RunToEnd();
        const auto boxes = dialogs_.boxes.shown();
        ASSERT_EQ(boxes.size(), boxes_before + 1);
        EXPECT_EQ(boxes.back(), kCompletedBox);
        EXPECT_TRUE(fs::exists(folder / c.made)) << c.made;
        EXPECT_EQ(base::ReadSetting("FOLDERPATH", c.folder_key), folder.path());
        EXPECT_TRUE(host_.controls_enabled);
        EXPECT_FALSE(host_.progress_visible);
        ASSERT_GE(host_.percents.size(), 2u);
        EXPECT_EQ(host_.percents.front(), 0);
        EXPECT_EQ(host_.percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(host_.percents.begin(), host_.percents.end()));
        if (c.command != file_command::kCsv) {
            EXPECT_EQ(dialogs_.selection.modes, std::vector<fileops::SelectMode>{c.mode});
        } else {
            EXPECT_TRUE(dialogs_.selection.modes.empty());
        }
    }
    // The join marked what it took in the movie list.
    host_ = FakeHost{};
    host_.lists[0] = CardMovies({"A___-240608-093000-000101", "A___-240608-093003-000102"});
    ardelle::testing::TempFolder again;
    dialogs_.picker.folder = again.path();
    dialogs_.selection.pick = {1};
    ASSERT_TRUE(commands_->OnCommand(file_command::kJoin));
    RunToEnd();
    EXPECT_EQ(host_.lists[0][0].joined_mark, 0);
    EXPECT_EQ(host_.lists[0][1].joined_mark, 1);
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"stop", "disable", "enable", "restore"}));
}

// A command that the user cancels, or that the window's own guard refuses, starts nothing
// and shows nothing; those that stopped playback give it back.
TEST_F(FileCommandsTest, CancelledOrGuardedCommandsStartNothing) {
    const struct {
        int command;
        int tab;
        bool cancel_selection;
        bool guard;
        std::vector<std::string> calls;
    } cases[] = {
        {file_command::kJoin, kMovieTab, true, false, {"stop", "restore"}},
        {file_command::kJoin, kMovieTab, false, false, {"stop", "restore"}},  // no folder
        {file_command::kJoin, kStillTab, false, false, {}},                   // movies only
        {file_command::kDownload, kMovieTab, false, false, {}},               // stills only
        {file_command::kDownload, kStillTab, true, false, {}},
        {file_command::kDelete, kStillTab, true, false, {"stop", "restore"}},
        {file_command::kCsv, kMovieTab, false, false, {"stop", "restore"}},  // no folder
        {file_command::kJoin, kMovieTab, false, true, {}},
        {file_command::kDelete, kMovieTab, false, true, {}},
        {file_command::kCsv, kMovieTab, false, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.command << " tab " << c.tab);
        host_ = FakeHost{};
        host_.tab = c.tab;
        host_.guard = c.guard;
        host_.lists[0] = CardMovies({"A___-240608-093000-000101"});
        host_.lists[1] = CardStills();
        dialogs_.selection.cancel = c.cancel_selection;
        dialogs_.picker.folder = c.cancel_selection ? out_.path() : std::string();
        EXPECT_TRUE(commands_->OnCommand(c.command));
        EXPECT_FALSE(commands_->busy());
        EXPECT_EQ(host_.calls, c.calls);
        EXPECT_TRUE(host_.percents.empty());
    }
    EXPECT_TRUE(dialogs_.boxes.shown().empty());
    EXPECT_TRUE(fs::is_empty(out_.path()));
}

// A join the checks refuse (its output would replace the first recording) says why, starts
// nothing and gives the window its recording back.
TEST_F(FileCommandsTest, ARefusedJoinReportsWhyAndStartsNothing) {
    host_.lists[0] = CardMovies({"A___-240608-093000-000101", "A___-240608-093003-000102"});
    const catalogue::RecordingList before = host_.lists[0];
    dialogs_.picker.folder = kCard + "/Normal/Front";
    ASSERT_TRUE(commands_->OnCommand(file_command::kJoin));
    EXPECT_FALSE(commands_->busy());
    const auto boxes = dialogs_.boxes.shown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("ERROR: " + std::string(fileops::kJoinFailedText) + "\n", 0), 0u)
        << boxes[0];
    EXPECT_NE(boxes[0].find("replace recordings"), std::string::npos) << boxes[0];
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"stop", "restore"}));
    EXPECT_EQ(host_.lists[0], before);
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "CONNECT_FOLDER"), "");
}

// While an operation runs (here a download waiting for its same-name question) every
// command is refused at once: none opens a dialog, touches the window or runs later. The
// stop command ends the operation instead, as its end message would.
TEST_F(FileCommandsTest, EveryCommandIsRefusedWhileAnOperationRunsAndNoneRunsLater) {
    host_.tab = kStillTab;
    host_.lists[0] = CardMovies({"A___-240608-093000-000101"});
    host_.lists[1] = CardStills();
    const std::string existing = out_ / "AM-20240608-SN00A1B2C3D4E5F6-001-002R.JPG";
    ardelle::testing::WriteFile(existing, "mine");
    ASSERT_TRUE(commands_->OnCommand(file_command::kDownload));
    ASSERT_TRUE(commands_->running());
    // The worker's question has been posted; it waits for the window to show it.
    const auto question = Next(10s);
    ASSERT_TRUE(question);
    ASSERT_EQ(question->id, AppMessage::kWorkerQuestion);

    const std::vector<std::string> calls = host_.calls;
    const std::size_t picks = dialogs_.picker.keys.size();
    const std::size_t selections = dialogs_.selection.modes.size();
    for (const int id : {38001, 38002, 38003, 38004, 38005, 38006, 38007, 38008, 38009, 38010,
                         38011, 38012, 38013, 38014, 38015, 38016, 38200, 38700, 38706}) {
        EXPECT_TRUE(commands_->OnCommand(id)) << id << " was not refused";
    }
    for (const int id : {17, 18, 19}) {  // the title buttons are the window's own
        EXPECT_FALSE(commands_->OnCommand(id)) << id;
    }
    host_.tab = kMovieTab;  // nothing may run on a changed list later either
    EXPECT_EQ(host_.calls, calls);
    EXPECT_EQ(dialogs_.picker.keys.size(), picks);
    EXPECT_EQ(dialogs_.selection.modes.size(), selections);

    ASSERT_TRUE(commands_->OnCommand(file_command::kToStart));
    EXPECT_FALSE(commands_->running());
    EXPECT_TRUE(host_.controls_enabled);
    EXPECT_FALSE(host_.progress_visible);
    // The late messages (the cancelled question, the worker's end) change nothing.
    commands_->OnMessage(*question);
    RunToEnd();
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"disable", "enable"}));
    EXPECT_EQ(dialogs_.picker.keys.size(), picks);
    EXPECT_EQ(dialogs_.selection.modes.size(), selections);
    EXPECT_TRUE(dialogs_.boxes.shown().empty());  // the question was never shown
    EXPECT_EQ(Contents(existing), "mine");
    EXPECT_FALSE(fs::exists(out_ / "AM-20240608-SN00A1B2C3D4E5F6-001-001R.JPG"));
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "DOWNLOAD_FOLDER"), "");
}

// A delete that fails part-way reports its error; what it did delete leaves the list,
// the rest stays, and the window gets its recording back.
TEST_F(FileCommandsTest, AFailedDeleteReportsItsErrorAndLeavesTheListsConsistent) {
    using ardelle::testing::MovieName;
    ardelle::testing::FakeFatAttributes attributes;
    ardelle::testing::CardFixture card;
    card.AddRun("A___", 1, 3);
    ardelle::testing::Touch(card.root(),
                            "Normal/Rear/" + MovieName("A___", 2, 'R').replace(27, 3, "DMY"));
    const ardelle::testing::StagedVolume volume(card.root());
    host_.lists[0] = card.Recordings(3);
    const catalogue::RecordingList before = host_.lists[0];
    ASSERT_TRUE(commands_->OnCommand(file_command::kDelete));
    RunToEnd();
    EXPECT_EQ(dialogs_.boxes.shown(),
              std::vector<std::string>{"ERROR: " + std::string(fileops::kDeleteFailedText)});
    // The last was deleted, the second failed: the list holds exactly what still exists.
    ASSERT_EQ(host_.lists[0].size(), 2u);
    EXPECT_EQ(host_.lists[0][0], before[0]);
    EXPECT_EQ(host_.lists[0][1], before[1]);
    EXPECT_FALSE(fs::exists(before[2].front_path));
    EXPECT_TRUE(fs::exists(before[1].front_path));
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"stop", "disable", "enable", "restore"}));
    EXPECT_FALSE(host_.progress_visible);
}

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A delete that completes closes the recording list: the repaired copies are offered
// (declined here, so they are emptied) and the lists are read again.
TEST_F(FileCommandsTest, ACompletedDeleteClosesTheListAndOffersTheRepairedCopies) {
    using ardelle::testing::MovieName;
    ardelle::testing::TempFolder scratch;
    fs::create_directories(scratch / "tmp");
    const ScopedEnv tmp("TMPDIR", scratch / "tmp");
    const ScopedEnv data("XDG_DATA_HOME", scratch / "data");
    const ScopedEnv home("HOME", scratch.path());
    const std::string repaired = fileops::RepairFolderPath();
    ASSERT_EQ(repaired, scratch / "tmp/repaired_movie_files");
    fs::create_directories(repaired);
    ASSERT_TRUE(ardelle::testing::WriteFile(repaired + "/A___-230415-101500-000001F.MP4", "x"));

    ardelle::testing::FakeFatAttributes attributes;
    ardelle::testing::CardFixture card;
    card.AddRun("A___", 1, 2);
    const ardelle::testing::StagedVolume volume(card.root());
    host_.lists[0] = card.Recordings(2);
    dialogs_.selection.pick = {1};
    dialogs_.boxes.answer = 0;
    ASSERT_TRUE(commands_->OnCommand(file_command::kDelete));
    RunToEnd();
    EXPECT_EQ(dialogs_.boxes.shown(),
              (std::vector<std::string>{"確認: 破損が修復された一時ファイルがあります。"
                                        "消去の前に整理して保存しますか？",
                                        kCompletedBox}));
    EXPECT_FALSE(fs::exists(repaired));
    EXPECT_TRUE(fs::exists(card.root() + "/Normal/Front/" + MovieName("A___", 1, 'F')));
    EXPECT_FALSE(fs::exists(card.root() + "/Normal/Front/" + MovieName("A___", 2, 'F')));
    EXPECT_EQ(host_.calls,
              (std::vector<std::string>{"stop", "disable", "close list", "reload", "enable"}));
    EXPECT_EQ(host_.lists[0].size(), 1u);
}

// A CSV export stopped at once leaves no file, neither under its name nor a temporary one.
TEST_F(FileCommandsTest, AStoppedExportLeavesNoPartialOutput) {
    const catalogue::RecordingList one = CardMovies({"A___-240608-093000-000101"});
    // Long enough that the stop comes well before the end.
    host_.lists[0].assign(2000, one.front());
    ASSERT_TRUE(commands_->OnCommand(file_command::kCsv));
    ASSERT_TRUE(commands_->running());
    ASSERT_TRUE(commands_->OnCommand(file_command::kToStart));
    RunToEnd();
    EXPECT_TRUE(fs::is_empty(out_.path()));
    EXPECT_TRUE(dialogs_.boxes.shown().empty());
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "CSV_FOLDER"), "");
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"stop", "disable", "enable", "restore"}));
}

}  // namespace
}  // namespace ardelle::app
