#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/user_dialogs.h"
#include "fileops/repaired_folder.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

namespace fs = std::filesystem;

// The repair folder, the Trash and the settings live in one scratch folder per process;
// GLib reads the Trash location once, so it is set before any test runs.
const std::string& Scratch() {
    static const std::string folder = [] {
        std::string pattern = (fs::temp_directory_path() / "ardelle-repair-XXXXXX").string();
        const std::string made = ::mkdtemp(pattern.data());
        fs::create_directories(made + "/tmp");
        fs::create_directories(made + "/app");
        ::setenv("TMPDIR", (made + "/tmp").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (made + "/data").c_str(), 1);
        ::setenv("HOME", made.c_str(), 1);
        base::SetAppFolder(made + "/app");
        return made;
    }();
    return folder;
}
const bool scratch_ready = !Scratch().empty();

class ScriptedMessages : public base::MessageBoxes {
  public:
    explicit ScriptedMessages(int answer) : answer_(answer) {}
    int Show(std::string_view text, std::string_view caption, base::MessageStyle) override {
        asked.push_back(std::string(caption) + ": " + std::string(text));
        return answer_;
    }
    std::vector<std::string> asked;

  private:
    int answer_;
};

class FixedPicker : public base::FolderPicker {
  public:
    explicit FixedPicker(std::string folder) : folder_(std::move(folder)) {}
    std::string PickFolder(std::string_view section, std::string_view key,
                           std::string_view title) override {
        asked = std::string(section) + "/" + std::string(key) + " " + std::string(title);
        return folder_;
    }
    std::string asked;

  private:
    std::string folder_;
};

void Fill(const std::string& name, const std::string& bytes) {
    fs::create_directories(RepairFolderPath());
    ASSERT_TRUE(testing::WriteFile(RepairFolderPath() + "/" + name, bytes));
}

TEST(RepairFolder, LiesInTheTemporaryFolderAndIsTrashedWhole) {
    EXPECT_EQ(RepairFolderPath(), Scratch() + "/tmp/repaired_movie_files");
    EXPECT_EQ(TempCopyPath("/card/Normal/Front/A___-230415-101500-000001F.MP4"),
              RepairFolderPath() + "/A___-230415-101500-000001F.MP4");
    EXPECT_FALSE(TempCopyPath(""));
    Fill("old.MP4", "old");
    // What start-up does.
    EXPECT_TRUE(DeleteToRecycleBin(RepairFolderPath()));
    EXPECT_FALSE(fs::exists(RepairFolderPath()));
    EXPECT_EQ(platform::ReadWholeFile(Scratch() + "/data/Trash/files/repaired_movie_files/old.MP4"),
              "old");
    EXPECT_FALSE(DeleteToRecycleBin(RepairFolderPath()));           // nothing there
    EXPECT_FALSE(DeleteToRecycleBin("/" + std::string(300, 'x')));  // never such long paths
}

// /tmp is a tmpfs on many systems, and GIO has no Trash there: the folder of repaired
// copies, the program's own temporary data, is removed directly.
TEST(RepairFolder, IsRemovedWhereItCannotBeTrashed) {
    char pattern[] = "/dev/shm/ardelle-repair-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        GTEST_SKIP() << "needs /dev/shm";
    }
    const std::string shm = pattern;
    const std::string saved = platform::TemporaryFolder();
    ::setenv("TMPDIR", shm.c_str(), 1);
    Fill("A___-230415-101500-000001F.MP4", "copy");
    Fill("A___-230415-101500-000002F.MP4", "copy");
    ScriptedMessages no(0);
    FixedPicker unused("/nowhere");
    OfferToKeepRepairedFiles(no, unused);
    EXPECT_EQ(no.asked.size(), 1u);
    EXPECT_FALSE(fs::exists(shm + "/repaired_movie_files"));
    OfferToKeepRepairedFiles(no, unused);
    EXPECT_EQ(no.asked.size(), 1u) << "the question does not come back";
    ::setenv("TMPDIR", saved.c_str(), 1);
    fs::remove_all(shm);
}

TEST(RepairFolder, OpeningARecordingDropsItsStaleCopyAndPlaysTheRecording) {
    testing::TempFolder card;
    const std::string recording = card / "A___-230415-101500-000001F.MP4";
    ASSERT_TRUE(testing::WriteFile(recording, "movie"));
    Fill("A___-230415-101500-000001F.MP4", "stale copy");
    Fill("A___-230415-101500-000002F.MP4", "other copy");
    const PlaybackPath played = PrepareForPlayback(recording);
    EXPECT_TRUE(played.ok);
    EXPECT_EQ(played.path, recording);
    EXPECT_FALSE(fs::exists(RepairFolderPath() + "/A___-230415-101500-000001F.MP4"));
    EXPECT_TRUE(fs::exists(RepairFolderPath() + "/A___-230415-101500-000002F.MP4"));

    const struct {
        const char* name;
        bool camera;
    } cases[] = {{"clip-R.mp4", true}, {"clip.MP4", false}, {"clip.mov", false}};
    for (const auto& c : cases) {
        const PlaybackPath other = PrepareForPlayback(card / c.name);
        EXPECT_EQ(other.ok, c.camera) << c.name;
        EXPECT_EQ(other.path, card / c.name) << c.name;
    }
    DeleteToRecycleBin(RepairFolderPath());
}

TEST(RepairFolder, OfferToKeepCopiesAsksOnlyWhenThereAreSome) {
    ScriptedMessages never(1);
    FixedPicker unused("/nowhere");
    OfferToKeepRepairedFiles(never, unused);
    EXPECT_TRUE(never.asked.empty());

    Fill("a.MP4", "a");
    ScriptedMessages no(0);
    OfferToKeepRepairedFiles(no, unused);
    EXPECT_EQ(no.asked.size(), 1u);
    EXPECT_TRUE(unused.asked.empty());
    EXPECT_FALSE(fs::exists(RepairFolderPath()));  // erased all the same

    testing::TempFolder keep;
    ASSERT_TRUE(testing::WriteFile(keep / "b.MP4", "already here"));
    Fill("a.MP4", "a");
    Fill("b.MP4", "b");
    ScriptedMessages yes(1);
    FixedPicker picker(keep.path());
    OfferToKeepRepairedFiles(yes, picker);
    EXPECT_EQ(picker.asked, "FOLDERPATH/REPAIR_FOLDER 移動先フォルダーを選択してください。");
    EXPECT_EQ(platform::ReadWholeFile(keep / "a.MP4"), "a");
    EXPECT_EQ(platform::ReadWholeFile(keep / "b.MP4"), "already here");  // never replaced
    EXPECT_FALSE(fs::exists(RepairFolderPath()));
    // A move that left a file behind does not remember the folder.
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "REPAIR_FOLDER"), "");

    Fill("c.MP4", "c");
    OfferToKeepRepairedFiles(yes, picker);
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "REPAIR_FOLDER"), keep.path());
}

}  // namespace
}  // namespace ardelle::fileops
