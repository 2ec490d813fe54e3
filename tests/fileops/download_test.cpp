#include "fileops/download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fileops/operation_fakes.h"
#include "platform/files.h"
#include "support/file_helpers.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

using catalogue::RecordingEntry;
using testing::DirectRun;
using testing::TempFolder;

// Three pictures in a card's JPG folders (the last one without its rear file) and an
// empty target folder.
class DownloadRun : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(platform::MakeFolders(card / "JPG/Front"));
        ASSERT_TRUE(platform::MakeFolders(card / "JPG/Rear"));
        for (const char* stem :
             {"AM-20240608-SN00A1B2C3D4E5F6-001-001", "AG-20240608-SN00A1B2C3D4E5F6-002-001",
              "P_-20240608-SN00A1B2C3D4E5F6-003-001"}) {
            RecordingEntry picture;
            picture.front_name = std::string(stem) + "F.JPG";
            picture.front_path = card / ("JPG/Front/" + picture.front_name);
            ASSERT_TRUE(testing::WriteFile(picture.front_path, "front of " + picture.front_name));
            if (job.pictures.size() < 2) {
                picture.rear_name = std::string(stem) + "R.JPG";
                picture.rear_path = card / ("JPG/Rear/" + picture.rear_name);
                ASSERT_TRUE(testing::WriteFile(picture.rear_path, "rear of " + picture.rear_name));
            }
            job.pictures.push_back(picture);
        }
        job.folder = target / "";  // a folder ending in '/' gets no second one
    }

    std::string Copied(const std::string& name) const {
        return platform::ReadWholeFile(target / name).value_or("<missing>");
    }
    std::string Source(const std::string& path) const {
        return platform::ReadWholeFile(path).value_or("<missing>");
    }
    std::vector<std::string> TargetFolder() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(target.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder card, target;
    DownloadJob job;
};

TEST_F(DownloadRun, CopiesBothCamerasOfEveryPictureWithProgress) {
    DirectRun run;
    RunDownload(run.context, job);
    const std::vector<PostedMessage> expected = {{AppMessage::kProgress, 1, 3},
                                                 {AppMessage::kProgress, 2, 3},
                                                 {AppMessage::kProgress, 3, 3},
                                                 {AppMessage::kDownloadCompleted, 0, 0}};
    EXPECT_EQ(run.sink.messages(), expected);
    EXPECT_TRUE(run.messages.shown().empty()) << "nothing to replace, nothing asked";
    for (const RecordingEntry& picture : job.pictures) {
        EXPECT_EQ(Copied(picture.front_name), Source(picture.front_path));
        if (!picture.rear_name.empty()) {
            EXPECT_EQ(Copied(picture.rear_name), Source(picture.rear_path));
        }
    }
    EXPECT_EQ(TargetFolder().size(), 5u);
}

TEST_F(DownloadRun, AsksOnceBeforeTheFirstReplacingCopyThenOverwrites) {
    // Two pictures already have files in the target; only the rear of one of them.
    ASSERT_TRUE(testing::WriteFile(target / job.pictures[0].rear_name, "stale rear"));
    ASSERT_TRUE(testing::WriteFile(target / job.pictures[1].front_name, "stale front"));
    DirectRun run(1);
    RunDownload(run.context, job);
    const auto shown = run.messages.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "同名のファイルが存在します。続行しますか？");
    EXPECT_EQ(shown[0].caption, "確認");
    EXPECT_EQ(shown[0].style, base::MessageStyle::kOkCancel);
    EXPECT_EQ(Copied(job.pictures[0].rear_name), Source(job.pictures[0].rear_path));
    EXPECT_EQ(Copied(job.pictures[1].front_name), Source(job.pictures[1].front_path));
    EXPECT_EQ(run.sink.ids().back(), AppMessage::kDownloadCompleted);
}

TEST_F(DownloadRun, DecliningStopsBeforeTheFileThatWouldBeReplaced) {
    // The pictures go from the last to the first: the third and second are copied
    // before the first one asks.
    ASSERT_TRUE(testing::WriteFile(target / job.pictures[0].rear_name, "kept rear"));
    DirectRun run(0);
    RunDownload(run.context, job);
    EXPECT_EQ(run.messages.shown().size(), 1u);
    EXPECT_EQ(Copied(job.pictures[0].rear_name), "kept rear");
    EXPECT_EQ(Copied(job.pictures[0].front_name), "<missing>");
    EXPECT_EQ(Copied(job.pictures[1].front_name), Source(job.pictures[1].front_path));
    EXPECT_EQ(Copied(job.pictures[2].front_name), Source(job.pictures[2].front_path));
    const std::vector<AppMessage> ids = run.sink.ids();
    EXPECT_EQ(ids.back(), AppMessage::kOperationEnded);
    EXPECT_EQ(std::count(ids.begin(), ids.end(), AppMessage::kDownloadCompleted), 0);
}

TEST_F(DownloadRun, AFailedCopyGoesOnWithTheNextFileAndTheDownloadFailsNamingIt) {
    const struct {
        const char* label;
        std::function<void()> break_one;  // breaks the second picture's front copy
        const char* cause;
    } cases[] = {
        {"the source vanished after it was chosen",
         [this] { std::filesystem::remove(job.pictures[1].front_path); }, "No such file"},
        {"a folder stands where the copy goes",
         [this] { std::filesystem::create_directory(target / job.pictures[1].front_name); },
         "directory"},
    };
    for (const auto& c : cases) {
        for (const auto& entry : std::filesystem::directory_iterator(target.path())) {
            std::filesystem::remove_all(entry.path());
        }
        job = DownloadJob{};
        SetUp();
        c.break_one();
        DirectRun run;
        const DownloadOutcome outcome = RunDownload(run.context, job);
        EXPECT_EQ(outcome.result, OperationResult::kFailed) << c.label;
        ASSERT_EQ(outcome.failed.size(), 1u) << c.label;
        EXPECT_EQ(outcome.failed[0].source, job.pictures[1].front_path) << c.label;
        EXPECT_NE(outcome.failed[0].error.find(c.cause), std::string::npos)
            << c.label << ": " << outcome.failed[0].error;
        EXPECT_EQ(outcome.copied.size(), 4u) << c.label;
        // The others were still copied.
        EXPECT_EQ(Copied(job.pictures[1].rear_name), Source(job.pictures[1].rear_path)) << c.label;
        EXPECT_EQ(Copied(job.pictures[0].front_name), Source(job.pictures[0].front_path))
            << c.label;
        // Reported as a failure, not as completed: the error box names the file's cause.
        const std::vector<AppMessage> ids = run.sink.ids();
        EXPECT_EQ(ids.back(), AppMessage::kOperationEnded) << c.label;
        EXPECT_EQ(std::count(ids.begin(), ids.end(), AppMessage::kDownloadCompleted), 0) << c.label;
        auto shown = run.messages.shown();
        std::erase_if(shown, [](const auto& box) { return box.caption != "ERROR"; });
        ASSERT_EQ(shown.size(), 1u) << c.label;
        EXPECT_TRUE(shown[0].text.starts_with("画像の保存に失敗しました。\n")) << shown[0].text;
        EXPECT_NE(shown[0].text.find(outcome.failed[0].error), std::string::npos) << c.label;
    }
    EXPECT_EQ(TargetFolder().size(), 5u) << "no partial or temporary file of the failed copy";
}

TEST_F(DownloadRun, StopEndsBeforeTheNextPicture) {
    DirectRun run;
    run.sink.on_post = [&run](const PostedMessage& message) {
        if (message.id == AppMessage::kProgress) {
            run.running = false;  // the stop command, after the first picture
        }
    };
    RunDownload(run.context, job);
    const std::vector<PostedMessage> expected = {{AppMessage::kProgress, 1, 3},
                                                 {AppMessage::kOperationEnded, 0, 0}};
    EXPECT_EQ(run.sink.messages(), expected);
    EXPECT_EQ(TargetFolder(), std::vector<std::string>{job.pictures[2].front_name});
}

}  // namespace
}  // namespace ardelle::fileops
