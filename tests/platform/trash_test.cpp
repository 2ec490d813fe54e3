#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/directory.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

// Points HOME and XDG_DATA_HOME at a scratch folder before any test runs: GLib reads them
// once, at the first GIO call, so setting them inside a test would come too late. HOME moves
// too because GIO uses the home Trash only for files on the home folder's filesystem.
class ScratchTrashHome : public ::testing::Environment {
  public:
    void SetUp() override {
        home_ = std::make_unique<testing::TempFolder>();
        data_home_ = *home_ / "data";
        ::setenv("HOME", home_->path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", data_home_.c_str(), 1);
    }
    void TearDown() override { home_.reset(); }

    static std::string Trash() { return data_home_ + "/Trash"; }

  private:
    std::unique_ptr<testing::TempFolder> home_;
    static inline std::string data_home_;
};

[[maybe_unused]] ::testing::Environment* const kScratchTrashHome =
    ::testing::AddGlobalTestEnvironment(new ScratchTrashHome);

TEST(MoveToTrash, MovesFilesAndFoldersIntoTheTrash) {
    testing::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomically(folder / "20230415_101500_N_F.MP4", "movie"));
    ASSERT_TRUE(MakeFolders(folder / "Event/Front"));
    for (const std::string name : {"20230415_101500_N_F.MP4", "Event"}) {
        SCOPED_TRACE(name);
        std::string error;
        ASSERT_TRUE(MoveToTrash(folder / name, &error)) << error;
        EXPECT_FALSE(PathExists(folder / name));
        EXPECT_TRUE(PathExists(ScratchTrashHome::Trash() + "/files/" + name));
        const std::string info =
            ReadWholeFile(ScratchTrashHome::Trash() + "/info/" + name + ".trashinfo").value_or("");
        EXPECT_NE(info.find("Path="), std::string::npos) << info;
    }
    EXPECT_TRUE(IsDirectory(ScratchTrashHome::Trash() + "/files/Event/Front"));
}

TEST(MoveToTrash, FailsWithAReasonForWhatCannotBeTrashed) {
    testing::TempFolder folder;
    for (const std::string& path : {folder / "missing.MP4", std::string()}) {
        SCOPED_TRACE(path);
        std::string error;
        EXPECT_FALSE(MoveToTrash(path, &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(PathExists(folder.path()));
}

}  // namespace
}  // namespace ardelle::platform
