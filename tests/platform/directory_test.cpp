#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/directory.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

constexpr const char* kAbsent = "<absent>";

std::string ContentOf(const std::string& path) {
    return ReadWholeFile(path).value_or(kAbsent);
}

// What a listing tells about one entry, compared as one value.
struct Seen {
    bool is_folder = false;
    bool hidden = false;
    std::uint64_t size = 0;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& seen) {
    return out << "{folder " << seen.is_folder << ", hidden " << seen.hidden << ", size "
               << seen.size << "}";
}

std::map<std::string, Seen> ListingOf(const std::string& folder) {
    std::map<std::string, Seen> seen;
    const auto listing = ListDirectory(folder);
    EXPECT_TRUE(listing.has_value());
    for (const DirectoryEntry& entry : listing.value_or(std::vector<DirectoryEntry>{})) {
        EXPECT_EQ(entry.path, folder + "/" + entry.name);
        seen[entry.name] = {entry.is_folder, entry.hidden, entry.size};
    }
    return seen;
}

TEST(ListDirectory, TellsFoldersSizesAndHiddenEntries) {
    testing::TempFolder folder;
    const std::string hidden_list = "listed.MP4\ncrlf.MP4\r\n\n \nlast.MP4";
    for (const std::string name :
         {"plain.MP4", "listed.MP4", "crlf.MP4", "last.MP4", "listed", ".dot.MP4"}) {
        ASSERT_TRUE(WriteFileAtomically(folder / name, "12345"));
    }
    ASSERT_TRUE(WriteFileAtomically(folder / ".hidden", hidden_list));
    ASSERT_TRUE(MakeFolders(folder / "Event"));
    std::filesystem::create_directory_symlink("Event", folder / "link-to-folder");
    std::filesystem::create_symlink("plain.MP4", folder / "link-to-file");
    std::filesystem::create_symlink("nowhere", folder / "dangling");

    const std::map<std::string, Seen> expected = {
        {"plain.MP4", {false, false, 5}},    {"listed.MP4", {false, true, 5}},
        {"crlf.MP4", {false, true, 5}},  // "\r\n" line end
        {"last.MP4", {false, true, 5}},  // last line without a line end
        {"listed", {false, false, 5}},   // names in .hidden are exact, not prefixes
        {".dot.MP4", {false, true, 5}},      {".hidden", {false, true, hidden_list.size()}},
        {"Event", {true, false, 0}},         {"link-to-folder", {true, false, 0}},
        {"link-to-file", {false, false, 5}}, {"dangling", {false, false, 0}},
    };
    EXPECT_EQ(ListingOf(folder.path()), expected);
}

TEST(ListDirectory, EmptyFolderIsAnEmptyListButAMissingOneIsNothing) {
    testing::TempFolder folder;
    const auto empty = ListDirectory(folder.path());
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(ListDirectory(folder / "missing").has_value());
    ASSERT_TRUE(WriteFileAtomically(folder / "file", "x"));
    EXPECT_FALSE(ListDirectory(folder / "file").has_value());
}

// A folder holding one recording that is to be moved into hiding under another name.
struct HidingFolder {
    testing::TempFolder folder;
    std::string from = folder / "20230415_101500_N_F.MP4";
    std::string to = folder / "hidden_F.MP4";
    std::string list = folder / ".hidden";

    explicit HidingFolder(const std::optional<std::string>& list_before) {
        EXPECT_TRUE(WriteFileAtomically(from, "movie"));
        if (list_before) {
            EXPECT_TRUE(WriteFileAtomically(list, *list_before));
        }
    }
};

TEST(MoveIntoHiding, RoundTripListsTheHiddenNameAndKeepsTheOthers) {
    struct Case {
        std::optional<std::string> list_before;
        std::string list_while_hidden;
        std::string list_after;
    };
    const std::vector<Case> cases = {
        {std::nullopt, "hidden_F.MP4\n", kAbsent},
        {"keep.MP4\n", "keep.MP4\nhidden_F.MP4\n", "keep.MP4\n"},
        {"keep.MP4\r\nother", "keep.MP4\r\nother\nhidden_F.MP4\n", "keep.MP4\r\nother\n"},
        {"hidden_F.MP4\r\n", "hidden_F.MP4\r\n", kAbsent},  // already listed: not twice
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list_before.value_or(kAbsent));
        HidingFolder f(c.list_before);
        std::string error;
        ASSERT_TRUE(MoveIntoHiding(f.from, f.to, HidingMethod::kAttributeOrList, &error)) << error;
        EXPECT_FALSE(PathExists(f.from));
        EXPECT_EQ(ContentOf(f.to), "movie");
        EXPECT_EQ(ContentOf(f.list), c.list_while_hidden);
        EXPECT_TRUE(ListingOf(f.folder.path())["hidden_F.MP4"].hidden);

        ASSERT_TRUE(MoveOutOfHiding(f.to, f.from, HidingMethod::kAttributeOrList, &error)) << error;
        EXPECT_FALSE(PathExists(f.to));
        EXPECT_EQ(ContentOf(f.from), "movie");
        EXPECT_EQ(ContentOf(f.list), c.list_after);
        EXPECT_FALSE(ListingOf(f.folder.path())["20230415_101500_N_F.MP4"].hidden);
    }
}

TEST(MoveIntoHiding, FailureChangesNothing) {
    struct Case {
        const char* what;
        std::optional<std::string> list_before;
        std::function<void(HidingFolder&)> arrange;
        std::string error_part;
    };
    const std::vector<Case> cases = {
        // The list is written before the rename, so these also prove it is put back.
        {"target exists", std::nullopt,
         [](HidingFolder& f) { EXPECT_TRUE(WriteFileAtomically(f.to, "other")); }, "File exists"},
        {"target exists, list kept", "keep.MP4\n",
         [](HidingFolder& f) { EXPECT_TRUE(WriteFileAtomically(f.to, "other")); }, "File exists"},
        {"target is a folder", "keep.MP4\n",
         [](HidingFolder& f) { EXPECT_TRUE(MakeFolders(f.to)); }, "File exists"},
        {"source missing", "keep.MP4\n", [](HidingFolder& f) { std::filesystem::remove(f.from); },
         "No such file"},
        {"other folder", std::nullopt,
         [](HidingFolder& f) { f.to = f.folder / "Event/hidden_F.MP4"; }, "same folder"},
        {"list unreadable", std::nullopt, [](HidingFolder& f) { EXPECT_TRUE(MakeFolders(f.list)); },
         ".hidden"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HidingFolder f(c.list_before);
        c.arrange(f);
        const std::string from_before = ContentOf(f.from);
        const std::string to_before = ContentOf(f.to);
        const std::string list_before = ContentOf(f.list);
        std::string error;
        EXPECT_FALSE(MoveIntoHiding(f.from, f.to, HidingMethod::kAttributeOrList, &error));
        EXPECT_NE(error.find(c.error_part), std::string::npos) << error;
        EXPECT_NE(error.find(f.from), std::string::npos) << error;
        EXPECT_EQ(ContentOf(f.from), from_before);
        EXPECT_EQ(ContentOf(f.to), to_before);
        EXPECT_EQ(ContentOf(f.list), list_before);
    }
}

TEST(MoveOutOfHiding, NeverReplacesTheVisibleName) {
    HidingFolder f("keep.MP4\n");
    std::string error;
    ASSERT_TRUE(MoveIntoHiding(f.from, f.to, HidingMethod::kAttributeOrList, &error)) << error;
    ASSERT_TRUE(WriteFileAtomically(f.from, "new recording"));
    EXPECT_FALSE(MoveOutOfHiding(f.to, f.from, HidingMethod::kAttributeOrList, &error));
    EXPECT_NE(error.find("File exists"), std::string::npos) << error;
    EXPECT_EQ(ContentOf(f.from), "new recording");
    EXPECT_EQ(ContentOf(f.to), "movie");
    EXPECT_EQ(ContentOf(f.list), "keep.MP4\nhidden_F.MP4\n");
}

}  // namespace
}  // namespace ardelle::platform
