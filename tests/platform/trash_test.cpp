#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/trash.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

std::string FileNameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

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

TEST(PutBackFromTrash, ReturnsTheTrashedFileEvenUnderAnotherNameInTheTrash) {
    testing::TempFolder folder;
    const std::string path = folder / "A___-230415-101500-000001F.MP4";
    // A file of the same name is in the Trash already, so this one gets another name there.
    ASSERT_TRUE(WriteFileAtomically(path, "earlier"));
    ASSERT_TRUE(MoveToTrash(path, nullptr));
    ASSERT_TRUE(WriteFileAtomically(path, "movie"));
    TrashedFile trashed;
    std::string error;
    ASSERT_TRUE(MoveToTrash(path, &error, &trashed)) << error;
    EXPECT_NE(trashed.trashed_path, ScratchTrashHome::Trash() + "/files/" + FileNameOf(path));
    EXPECT_TRUE(PathExists(trashed.info_path));

    ASSERT_TRUE(PutBackFromTrash(trashed, &error)) << error;
    EXPECT_EQ(ReadWholeFile(path), "movie");
    EXPECT_FALSE(PathExists(trashed.trashed_path));
    EXPECT_FALSE(PathExists(trashed.info_path));
    EXPECT_EQ(ReadWholeFile(ScratchTrashHome::Trash() + "/files/" + FileNameOf(path)), "earlier");

    // Never over a file that took its place meanwhile.
    ASSERT_TRUE(MoveToTrash(path, &error, &trashed)) << error;
    ASSERT_TRUE(WriteFileAtomically(path, "newer"));
    EXPECT_FALSE(PutBackFromTrash(trashed, &error));
    EXPECT_EQ(ReadWholeFile(path), "newer");
    EXPECT_TRUE(PathExists(trashed.trashed_path));
}

TEST(CanTrash, IsFalseWhereTheVolumeHasNoTrash) {
    testing::TempFolder folder;
    ASSERT_TRUE(WriteFileAtomically(folder / "movie.MP4", "x"));
    EXPECT_TRUE(CanTrash(folder / "movie.MP4", nullptr));
    std::string error;
    EXPECT_FALSE(CanTrash(folder / "missing.MP4", &error));
    EXPECT_FALSE(error.empty());
    char pattern[] = "/dev/shm/ardelle-test-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        GTEST_SKIP() << "needs /dev/shm";
    }
    const std::string shm = std::string(pattern) + "/movie.MP4";
    ASSERT_TRUE(WriteFileAtomically(shm, "x"));
    EXPECT_FALSE(CanTrash(shm, &error));
    EXPECT_FALSE(MoveToTrash(shm, nullptr));
    EXPECT_TRUE(PathExists(shm));
    std::filesystem::remove_all(pattern);
}

}  // namespace
}  // namespace ardelle::platform
