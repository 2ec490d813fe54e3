#include "fileops/snapshot_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/settings.h"
#include "fileops/operation_fakes.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

using testing::ScriptedMessages;
using testing::TempFolder;

TEST(SnapshotNames, BaseNameAndThePathsOfBothCameras) {
    struct Case {
        const char* name;
        std::string folder;
        std::int64_t frame;
        const char* front;
        const char* rear;
    };
    const std::vector<Case> cases = {
        {"A_O_-220901-054302-000123F.MP4", "/out", 4567, "/out/220901-054302-F-004567.jpg",
         "/out/220901-054302-R-004567.jpg"},
        {"A_O_-220901-054302-000123F.MP4", "/out/", 0, "/out/220901-054302-F-000000.jpg",
         "/out/220901-054302-R-000000.jpg"},
        // Past six digits the camera letter is still the one that changes.
        {"PG__-230415-030000-000007F.MP4", "/out", 1234567, "/out/230415-030000-F-1234567.jpg",
         "/out/230415-030000-R-1234567.jpg"},
    };
    for (const Case& c : cases) {
        const std::string base = SnapshotBaseName(c.name);
        EXPECT_EQ(FrontSnapshotPath(c.folder, base, c.frame), c.front) << c.name;
        EXPECT_EQ(RearSnapshotPath(c.folder, base, c.frame), c.rear) << c.name;
    }
    EXPECT_EQ(SnapshotBaseName("A___-220901-054302-000123R.MP4"), "220901-054302-R");
    EXPECT_EQ(SnapshotBaseName("A___-220901-054302-000123F"), "") << "no '.': nothing to cut";
    EXPECT_EQ(SnapshotBaseName("A.MP4"), "");
}

// Players that save into files, as many as are initialised.
class FakePlayers : public SnapshotPlayers {
  public:
    bool IsInitialised(int player) const override { return initialised[player]; }
    std::int64_t CurrentFrame() override { return frame; }
    bool SaveSnapshot(int player, const std::string& path) override {
        saved.push_back({player, path});
        return saves_succeed && testing::WriteFile(path, "jpeg");
    }

    bool initialised[2] = {true, true};
    std::int64_t frame = 4567;
    bool saves_succeed = true;
    std::vector<std::pair<int, std::string>> saved;
};

class FakeWindow : public SnapshotWindow {
  public:
    void BeginSnapshot() override { calls.push_back("begin"); }
    void ResetPictures() override { calls.push_back("reset"); }
    void EndSnapshot() override { calls.push_back("end"); }
    std::vector<std::string> calls;
};

// Answers with folder; empty stands for a cancelled picker.
class FixedPicker : public base::FolderPicker {
  public:
    std::string PickFolder(std::string_view section, std::string_view key,
                           std::string_view title) override {
        asked = std::string(section) + "/" + std::string(key) + " " + std::string(title);
        return folder;
    }
    std::string folder;
    std::string asked;
};

class SnapshotRun : public ::testing::Test {
  protected:
    void SetUp() override {
        base::SetAppFolder(settings.path());
        picker.folder = out.path();
        recording.front_name = "A_O_-220901-054302-000123F.MP4";
        recording.rear_name = "A_O_-220901-054302-000123R.MP4";
        recording.front_path = "/card/Normal/Front/" + recording.front_name;
        recording.rear_path = "/card/Normal/Rear/" + recording.rear_name;
    }
    SnapshotOutcome Run(int answer = 1) {
        messages = std::make_unique<ScriptedMessages>(answer);
        SnapshotCommand command(players, window, *messages, picker);
        return command.Run(recording);
    }
    std::string FrontPath() const { return out / "220901-054302-F-004567.jpg"; }
    std::string RearPath() const { return out / "220901-054302-R-004567.jpg"; }
    std::string StoredFolder() const { return base::ReadSetting("FOLDERPATH", "SNAPSHOT_FOLDER"); }

    TempFolder settings, out;
    catalogue::RecordingEntry recording;
    FakePlayers players;
    FakeWindow window;
    FixedPicker picker;
    std::unique_ptr<ScriptedMessages> messages;
};

TEST_F(SnapshotRun, BothPlayersSaveThenTheFolderIsRemembered) {
    EXPECT_EQ(Run(), SnapshotOutcome::kSaved);
    EXPECT_EQ(picker.asked,
              "FOLDERPATH/SNAPSHOT_FOLDER バックアップフォルダーを選択してください。");
    const std::vector<std::pair<int, std::string>> saved = {{0, FrontPath()}, {1, RearPath()}};
    EXPECT_EQ(players.saved, saved);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"begin", "reset", "end"}));
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(messages->shown()[0].text, "完了しました。");
    EXPECT_EQ(messages->shown()[0].caption, "終了");
    EXPECT_EQ(StoredFolder(), out.path());
}

TEST_F(SnapshotRun, OnlyInitialisedPlayersSave) {
    players.initialised[1] = false;
    EXPECT_EQ(Run(), SnapshotOutcome::kSaved);
    EXPECT_EQ(players.saved, (std::vector<std::pair<int, std::string>>{{0, FrontPath()}}));
    EXPECT_EQ(messages->shown().at(0).text, "完了しました。");
}

// A rear-only recording writes only its R picture, so that is the file the same-name
// question is about; an F picture of the same moment is neither asked about nor touched.
TEST_F(SnapshotRun, ARearOnlyRecordingWritesAndAsksAboutItsRearPictureOnly) {
    recording.front_name.clear();
    recording.front_path.clear();
    const struct {
        const char* existing;  // "" none, "F" or "R"
        int answer;
        SnapshotOutcome outcome;
        std::size_t questions;
    } cases[] = {
        {"", 1, SnapshotOutcome::kSaved, 0},
        {"F", 1, SnapshotOutcome::kSaved, 0},
        {"R", 0, SnapshotOutcome::kCancelled, 1},
        {"R", 1, SnapshotOutcome::kSaved, 1},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(FrontPath());
        std::filesystem::remove(RearPath());
        const std::string existing = c.existing;
        if (!existing.empty()) {
            ASSERT_TRUE(testing::WriteFile(existing == "F" ? FrontPath() : RearPath(), "older"));
        }
        players.saved.clear();
        EXPECT_EQ(Run(c.answer), c.outcome) << c.existing << c.answer;
        std::size_t questions = 0;
        for (const auto& shown : messages->shown()) {
            questions += shown.text == "同名のファイルが存在します。続行しますか？" ? 1 : 0;
        }
        EXPECT_EQ(questions, c.questions) << c.existing << c.answer;
        const std::vector<std::pair<int, std::string>> saved =
            c.outcome == SnapshotOutcome::kSaved
                ? std::vector<std::pair<int, std::string>>{{1, RearPath()}}
                : std::vector<std::pair<int, std::string>>{};
        EXPECT_EQ(players.saved, saved) << c.existing << c.answer;
        if (existing == "F") {
            EXPECT_EQ(platform::ReadWholeFile(FrontPath()), "older");
        }
    }
}

TEST_F(SnapshotRun, FailuresAndCancelsEndTheCommand) {
    struct Case {
        const char* what;
        std::string folder;
        std::int64_t frame;
        bool saves_succeed;
        SnapshotOutcome outcome;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"no folder chosen", "", 4567, true, SnapshotOutcome::kCancelled, {}},
        {"no valid frame",
         out.path(),
         -1,
         true,
         SnapshotOutcome::kFailed,
         {"画像の保存に失敗しました。"}},
        {"every save fails",
         out.path(),
         4567,
         false,
         SnapshotOutcome::kFailed,
         {"画像の保存に失敗しました。"}},
    };
    for (const Case& c : cases) {
        picker.folder = c.folder;
        players.frame = c.frame;
        players.saves_succeed = c.saves_succeed;
        window.calls.clear();
        EXPECT_EQ(Run(), c.outcome) << c.what;
        std::vector<std::string> texts;
        for (const auto& shown : messages->shown()) {
            texts.push_back(shown.text);
            EXPECT_EQ(shown.caption, "ERROR") << c.what;
        }
        EXPECT_EQ(texts, c.texts) << c.what;
        EXPECT_EQ(window.calls.front(), "begin") << c.what;
        EXPECT_EQ(window.calls.back(), "end") << c.what;
        EXPECT_EQ(StoredFolder(), "") << c.what;
    }
    EXPECT_EQ(players.saved.size(), 2u) << "only the run whose saves fail tried to save";
}

TEST_F(SnapshotRun, AnExistingSnapshotIsReplacedOnlyAfterTheQuestion) {
    ASSERT_TRUE(testing::WriteFile(FrontPath(), "older"));
    EXPECT_EQ(Run(0), SnapshotOutcome::kCancelled);
    EXPECT_TRUE(players.saved.empty());
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_EQ(messages->shown()[0].text, "同名のファイルが存在します。続行しますか？");
    EXPECT_EQ(messages->shown()[0].caption, "確認");

    EXPECT_EQ(Run(1), SnapshotOutcome::kSaved);
    EXPECT_EQ(players.saved.size(), 2u);
}

}  // namespace
}  // namespace ardelle::fileops
