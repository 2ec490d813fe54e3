#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

TEST(WriteFileAtomically, ReplacesContentAndLeavesNoTemporaryFile) {
    testing::TempFolder folder;
    const std::string path = folder / "out.txt";
    ASSERT_TRUE(WriteFileAtomically(path, "first"));
    ASSERT_TRUE(WriteFileAtomically(path, "second, longer"));
    EXPECT_EQ(ReadWholeFile(path).value_or(""), "second, longer");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST(WriteFileAtomically, FailedRenameLeavesTargetAndNoTemporaryFile) {
    // A folder in the way makes the final rename fail, even for root.
    testing::TempFolder folder;
    const std::string path = folder / "out.txt";
    ASSERT_TRUE(MakeFolders(path));
    ASSERT_TRUE(WriteFileAtomically(path + "/inside", "kept"));
    EXPECT_FALSE(WriteFileAtomically(path, "lost"));
    EXPECT_EQ(ReadWholeFile(path + "/inside").value_or(""), "kept");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST(WriteFileAtomically, MissingFolderFails) {
    testing::TempFolder folder;
    EXPECT_FALSE(WriteFileAtomically(folder / "no/such/out.txt", "x"));
}

TEST(Files, FolderOfAndMakeFolders) {
    EXPECT_EQ(FolderOf("/media/card/Normal/Front/x.MP4"), "/media/card/Normal/Front");
    EXPECT_EQ(FolderOf("/x"), "/");
    EXPECT_EQ(FolderOf("x"), "");
    testing::TempFolder folder;
    EXPECT_TRUE(MakeFolders(folder / "a/b/c"));
    EXPECT_TRUE(IsDirectory(folder / "a/b/c"));
    EXPECT_FALSE(IsRegularFile(folder / "a/b/c"));
    EXPECT_FALSE(ReadWholeFile(folder / "missing").has_value());
}

}  // namespace
}  // namespace ardelle::platform
