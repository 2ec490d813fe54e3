#include "fileops/csv_boxes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_helpers.h"
#include "support/mp4_builder.h"
#include "support/temp_folder.h"

namespace ardelle::fileops {
namespace {

using testing::Be32;
using testing::Box;
using testing::TempFolder;

std::string Movie(const std::string& stbl_extra, const std::string& moov_extra = "",
                  const std::string& media = Box("mdat", std::string(256, 'm'))) {
    const std::string stbl =
        Box("stbl", Box("stsd", testing::StsdPayload()) +
                        Box("stts", testing::SttsPayload({{90, 1}})) + stbl_extra);
    const std::string moov =
        Box("moov", Box("mvhd", testing::MvhdPayload(90000, 270000)) +
                        Box("trak", Box("mdia", Box("minf", stbl))) + moov_extra);
    return Box("ftyp", "isom" + Be32(0) + "isommp41") + media + moov;
}

// Both ways of reading give the same boxes for every file; the lean walk decides the
// well-formed ones itself and leaves the odd ones to the tree read.
TEST(CsvBoxes, TheLeanWalkAgreesWithTheTreeRead) {
    struct Case {
        const char* what;
        std::string bytes;
        bool lean_decides;
    };
    const std::string telemetry =
        testing::Block(testing::HeaderBody({}), 1, {testing::Record({})}, 1);
    const std::vector<Case> cases = {
        {"a plain movie", Movie(""), true},
        {"a telemetry block after the boxes", Movie("") + telemetry, true},
        {"media in the 64-bit size form", Movie("", "", testing::LargeBox("mdat", "media")), true},
        {"a second track: the first boxes count",
         Movie("", Box("trak", Box("stsd", testing::StsdPayload() + "x"))), true},
        {"not an MP4 file", "just some text, long enough to look at", true},
        {"an unknown box inside a table container", Movie(Box("zzzz", "data")), false},
        {"a box of size 0", Movie(Be32(0) + "free"), false},
        {"a box running past its parent", Movie(Be32(400) + "free"), false},
        {"media cut short", Movie("", "", Be32(100000) + "mdat" + "cut"), false},
        // Version and flags come first, so the tree read keeps a full box as data.
        {"a full box before its boxes", Movie("", Box("meta", Be32(0) + Box("hdlr", "x"))), true},
        {"a container with bytes after its boxes", Movie("", Box("udta", Box("free", "") + "xyz")),
         false},
        {"a movie header holding boxes",
         Box("ftyp", "isom") + Box("moov", Box("mvhd", Box("free", "")) + Box("stsd", "desc")),
         false},
        {"a payload of six bytes", Movie("", Box("free", "abcdef")), false},
        {"an empty file", "", false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder / "case.MP4";
        ASSERT_TRUE(testing::WriteFile(path, c.bytes));
        EXPECT_EQ(ReadCsvBoxes(path), CsvBoxesFromTree(path)) << c.what;
        EXPECT_EQ(CsvBoxesFromLeanWalk(path).has_value(), c.lean_decides) << c.what;
    }
}

TEST(CsvBoxes, EveryRecordingOfTheTestCardIsReadByTheLeanWalk) {
    int movies = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(ARDELLE_TEST_CARD_DIR)) {
        if (entry.path().extension() != ".MP4") {
            continue;
        }
        const std::string path = entry.path().string();
        const auto lean = CsvBoxesFromLeanWalk(path);
        const auto tree = CsvBoxesFromTree(path);
        ASSERT_TRUE(tree) << path;
        EXPECT_EQ(lean, tree) << path;
        EXPECT_TRUE(tree->stsd && tree->stts && tree->mvhd) << path;
        ++movies;
    }
    EXPECT_GT(movies, 10);
}

}  // namespace
}  // namespace ardelle::fileops
