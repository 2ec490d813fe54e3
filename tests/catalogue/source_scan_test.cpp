#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "card_fixture.h"
#include "catalogue/card_layout.h"
#include "catalogue/folder_listing.h"
#include "catalogue/movie_resource.h"
#include "catalogue/source_open.h"

namespace ardelle::catalogue {
namespace {

using testing::CardFixture;
using testing::MovieName;
using testing::StillName;
using testing::TempFolder;
using testing::Touch;

// The tree as "parent>text" lines, parents by text, for compact comparisons.
std::vector<std::string> TreeLines(const SourceTree& tree) {
    std::vector<std::string> lines;
    for (const SourceTree::Node& node : tree.nodes()) {
        const std::string parent =
            node.parent < 0 ? "" : tree.nodes()[static_cast<size_t>(node.parent)].text;
        lines.push_back(parent + ">" + node.text);
    }
    return lines;
}

std::vector<std::string> FrontNames(const RecordingList& list) {
    std::vector<std::string> names;
    for (const RecordingEntry& entry : list) {
        names.push_back(entry.primary_name());
    }
    return names;
}

class SourceScan : public ::testing::Test {
  protected:
    void SetUp() override { SetGroupLimit(200); }
    void TearDown() override { SetGroupLimit(200); }

    OpenedSource Open(const std::string& path) {
        return OpenSourceForListWithLimit(path, DetectSourceKind(path));
    }
    // Opens with the limit the test set, not the one of the volume the test runs on.
    OpenedSource OpenSourceForListWithLimit(const std::string& path, SourceKind kind) {
        const int limit = GroupLimit();
        ResetSequenceCounters();
        OpenedSource source;
        source.kind = kind;
        const ScanOutput out{source.tree, source.entries, source.nodes, &source.count};
        if (kind == SourceKind::kCard) {
            source.opened = resource.OpenMovieSourceSimple(path, out, kTreeRoot, true, 0);
        } else {
            const int top = source.tree.Insert(kTreeRoot, "top");
            source.opened = resource.OpenMovieSourceSimple(path, out, top, false, 0);
        }
        SetGroupLimit(limit);
        return source;
    }

    CMovieResource resource{nullptr};
};

TEST_F(SourceScan, CardRootShowsGroupFoldersWithTheirRuns) {
    CardFixture card;
    card.AddRun("A___", 101, 3);  // one run
    card.AddPair("AG__", 104);    // continues it
    card.AddRun("A___", 110, 2);  // a gap starts a new group
    card.AddPair("A___", 120, "230416");
    card.AddRun("P___", 5, 2);
    const OpenedSource source = Open(card.root());
    ASSERT_TRUE(source.opened);
    EXPECT_EQ(source.kind, SourceKind::kCard);
    EXPECT_EQ(TreeLines(source.tree),
              (std::vector<std::string>{">Normal", "Normal>230415_0001", "Normal>230415_0002",
                                        "Normal>230416_0001", ">Parking", "Parking>230415_0001"}));
    const auto& nodes = source.tree.nodes();
    EXPECT_EQ(nodes[1].param, 0x01 | 0x04);  // continuous and shock in the first run
    EXPECT_EQ(nodes[2].param, 0x01);
    EXPECT_EQ(nodes[0].param, 0x01 | 0x04);  // the Normal folder: what lies in Normal/Front
    EXPECT_EQ(nodes[5].param, 0x08);
    // The bare node entries: the first file of every group, then the effective folder and
    // its rear partner.
    std::vector<std::string> node_paths;
    for (const RecordingEntry& entry : source.nodes) {
        node_paths.push_back(entry.front_path.substr(card.root().size()));
    }
    EXPECT_EQ(node_paths,
              (std::vector<std::string>{"/Normal/Front/" + MovieName("A___", 101, 'F'),
                                        "/Normal/Front/" + MovieName("A___", 110, 'F'),
                                        "/Normal/Front/" + MovieName("A___", 120, 'F', "230416"),
                                        "/Normal/Front", "/Normal/Rear",
                                        "/Parking/Front/" + MovieName("P___", 5, 'F'),
                                        "/Parking/Front", "/Parking/Rear"}));
    EXPECT_TRUE(source.entries.empty());  // nothing lies directly in the scanned folders
}

TEST_F(SourceScan, GroupPseudoPathListsExactlyThatGroup) {
    CardFixture card;
    card.AddRun("A___", 1, 3);
    card.AddRun("A___", 10, 2);
    card.AddRun("A___", 20, 1);
    int count = 0;
    const RecordingList group =
        OpenGroupForList(resource, card.root() + "/Normal", "230415_0002", true, false, &count);
    EXPECT_EQ(FrontNames(group),
              (std::vector<std::string>{MovieName("A___", 10, 'F'), MovieName("A___", 11, 'F')}));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(group[0].rear_name, MovieName("A___", 10, 'R'));
    // The first run starts at number 1 and is a group of its own, too.
    EXPECT_EQ(
        OpenGroupForList(resource, card.root() + "/Normal", "230415_0001", true, false, nullptr)
            .size(),
        3u);
}

TEST_F(SourceScan, GroupLimitAndRunMarkSplitRuns) {
    const struct {
        int limit;
        std::vector<std::string> labels;
    } cases[] = {
        {GroupLimitForVolumeSize(64'000'000'000ull), {"230415_0001", "230415_0002"}},
        {GroupLimitForVolumeSize(512'000'000'000ull),
         {"230415_0001", "230415_0002", "230415_0003", "230415_0004", "230415_0005"}},
    };
    CardFixture card;
    card.AddRun("A___", 1, 250);
    for (const auto& c : cases) {
        SetGroupLimit(c.limit);
        const OpenedSource source = Open(card.root() + "/Normal");
        std::vector<std::string> labels;
        for (const SourceTree::Node& node : source.tree.nodes()) {
            if (node.parent >= 0) {
                labels.push_back(node.text);
            }
        }
        EXPECT_EQ(labels, c.labels) << "limit " << c.limit;
    }
    SetGroupLimit(200);
    EXPECT_EQ(
        OpenGroupForList(resource, card.root() + "/Normal", "230415_0002", true, false, nullptr)
            .size(),
        50u);

    CardFixture marked;
    marked.AddRun("A___", 1, 2);
    marked.AddPair("A__S", 3);  // follows 2, but marked: a new group
    marked.AddPair("A___", 4);
    const OpenedSource source = Open(marked.root() + "/Normal");
    EXPECT_EQ(TreeLines(source.tree),
              (std::vector<std::string>{">top", "top>230415_0001", "top>230415_0002"}));
}

TEST(GroupLimits, LargerVolumesGetShorterGroups) {
    const struct {
        std::uint64_t bytes;
        int limit;
    } cases[] = {{0, 200},
                 {32'000'000'000ull, 200},
                 {96'000'000'000ull, 200},
                 {96'000'000'001ull, 100},
                 {384'000'000'000ull, 100},
                 {384'000'000'001ull, 50},
                 {2'000'000'000'000ull, 50}};
    for (const auto& c : cases) {
        EXPECT_EQ(GroupLimitForVolumeSize(c.bytes), c.limit) << c.bytes;
    }
    const int here = GroupLimitFor("/tmp");
    EXPECT_TRUE(here == 200 || here == 100 || here == 50);
}

TEST_F(SourceScan, RearOnlyRecordingIsListedOnceUnderItsFrontForm) {
    CardFixture card;
    card.AddPair("A___", 1);
    Touch(card.root(), "Normal/Rear/" + MovieName("A___", 2, 'R'));
    const RecordingList group =
        OpenGroupForList(resource, card.root() + "/Normal", "230415_0001", true, false, nullptr);
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[1].front_path, "");
    EXPECT_EQ(group[1].rear_name, MovieName("A___", 2, 'R'));
    EXPECT_EQ(group[1].trigger_letter, 'A');
}

TEST_F(SourceScan, PlainFolderShowsOnlyItsDirectSubfoldersAndFiles) {
    TempFolder folder;
    Touch(folder.path(), "trip/" + MovieName("A___", 1, 'F'));
    Touch(folder.path(), "trip/deeper/" + MovieName("A___", 2, 'F'));
    Touch(folder.path(), "drive/" + MovieName("A___", 3, 'F'));  // never a node
    Touch(folder.path(), "other/readme.txt");
    Touch(folder.path(), MovieName("A___", 4, 'R'));  // a movie lying in the folder itself
    Touch(folder.path(), ".hidden-movie/" + MovieName("A___", 5, 'F'));
    const OpenedSource source = Open(folder.path());
    EXPECT_EQ(source.kind, SourceKind::kFolder);
    EXPECT_EQ(TreeLines(source.tree), (std::vector<std::string>{">top", "top>other", "top>trip"}));
    EXPECT_EQ(FrontNames(source.entries), (std::vector<std::string>{MovieName("A___", 4, 'R')}));
    EXPECT_EQ(source.count, 1);
}

TEST_F(SourceScan, ListsStopAtTheirLimitWhileTheCountGoesOn) {
    TempFolder folder;
    for (int number = 1; number <= 1003; ++number) {
        Touch(folder.path(), MovieName("A___", number, 'R'));
    }
    const OpenedSource source = Open(folder.path());
    EXPECT_EQ(source.entries.size(), kMaxListEntries);
    EXPECT_EQ(source.count, 1003);
}

TEST_F(SourceScan, RecordingsTheEnginesRejectAreNotListed) {
    TempFolder folder;
    Touch(folder.path(), MovieName("A___", 1, 'R'));
    Touch(folder.path(), MovieName("A___", 2, 'R'));
    const CMovieResource picky(
        nullptr, [](const std::string& path) { return path.find("000002") == std::string::npos; });
    SourceTree tree;
    RecordingList entries;
    RecordingList nodes;
    ASSERT_TRUE(picky.OpenMovieSourceSimple(folder.path(), {tree, entries, nodes, nullptr},
                                            kTreeRoot, false, 0));
    EXPECT_EQ(FrontNames(entries), (std::vector<std::string>{MovieName("A___", 1, 'R')}));
    int mask = -1;
    EXPECT_TRUE(picky.MovieTriggerMask(folder.path(), mask));
    EXPECT_EQ(mask, 0x01);
    EXPECT_FALSE(picky.MovieTriggerMask(folder / "missing", mask));
    EXPECT_EQ(mask, 0);
}

TEST_F(SourceScan, CollectionListsNormalBeforeParkingBelowEachFolder) {
    CardFixture card;
    card.AddPair("P___", 50);
    card.AddPair("A___", 123);
    card.AddPair("AG__", 7);
    Touch(card.root(), "pvtrace.txt");
    ResetSequenceCounters();
    RecordingList entries;
    int count = 0;
    ASSERT_TRUE(resource.CollectMovies(card.root(), entries, count, 0));
    EXPECT_EQ(FrontNames(entries),
              (std::vector<std::string>{MovieName("AG__", 7, 'F'), MovieName("A___", 123, 'F'),
                                        MovieName("P___", 50, 'F')}));
    EXPECT_EQ(count, 1);  // the files of this folder itself; subfolders count their own
    EXPECT_EQ(entries[0].rear_name, MovieName("AG__", 7, 'R'));

    RecordingList none;
    int zero = 0;
    EXPECT_TRUE(resource.CollectMovies(card.root() + "/missing", none, zero, 0));
    EXPECT_TRUE(none.empty());
}

TEST_F(SourceScan, StillCardGroupsByDateAndShot) {
    CardFixture card;
    for (const auto& [shot, picture] : {std::pair{1, 1}, {1, 2}, {2, 1}}) {
        Touch(card.root(), "JPG/Front/" + StillName("AM", "20230415", shot, picture, 'F'));
        Touch(card.root(), "JPG/Rear/" + StillName("AM", "20230415", shot, picture, 'R'));
    }
    ResetSequenceCounters();
    SourceTree tree;
    RecordingList entries;
    RecordingList nodes;
    const ScanOutput out{tree, entries, nodes, nullptr};
    ASSERT_TRUE(resource.OpenStillSourceSimple(card.root() + "/JPG", out, kTreeRoot, true, 0));
    EXPECT_EQ(TreeLines(tree), (std::vector<std::string>{">230415_001", ">230415_002"}));
    EXPECT_EQ(tree.nodes()[0].param, 0x01 | 0x02);  // continuous and manual

    RecordingList group;
    const ScanOutput group_out{tree, group, nodes, nullptr};
    ASSERT_TRUE(resource.OpenStillSourceSimple(card.root() + "/JPG/230415_001", group_out,
                                               kTreeRoot, true, 0));
    ASSERT_EQ(group.size(), 2u);
    EXPECT_EQ(group[0].rear_name, StillName("AM", "20230415", 1, 1, 'R'));
    EXPECT_EQ(group[1].sequence, 1);
}

TEST(TrashFolders, OnlyTheFreedesktopNamesAreTrash) {
    const struct {
        const char* name;
        bool trash;
    } cases[] = {
        {".Trash", true},    {".Trash-0", true}, {".Trash-1000", true}, {".Trash-", false},
        {".Trash-x", false}, {".Trashy", false}, {"Trash", false},      {".trash-0", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsTrashFolderName(c.name), c.trash) << c.name;
    }
}

// A stick with recordings at its root; deleted ones lie in the volume's Trash under their
// own names, where a scan must never find them again.
TEST_F(SourceScan, RecordingsInTheVolumesTrashStayDeleted) {
    for (const char* trash : {".Trash-0/files", ".Trash-1000/files", ".Trash/1000/files"}) {
        TempFolder stick;
        for (const int number : {1, 2}) {
            Touch(stick.path(), MovieName("A___", number, 'F'));
            Touch(stick.path(), MovieName("A___", number, 'R'));
        }
        Touch(stick.path(), std::string(trash) + "/" + MovieName("A___", 3, 'F'));
        const OpenedSource source = Open(stick.path());
        EXPECT_EQ(TreeLines(source.tree), (std::vector<std::string>{">top", "top>230415_0001"}))
            << trash;
        const RecordingList group =
            OpenGroupForList(resource, stick.path(), "230415_0001", false, false, nullptr);
        EXPECT_EQ(FrontNames(group),
                  (std::vector<std::string>{MovieName("A___", 1, 'F'), MovieName("A___", 2, 'F')}))
            << trash;
    }
}

// Folder links inside a card: loops back to the folder or its parent, a second way into a
// folder, and a way out of the card. Every scan must see the card as if they were not there.
TEST_F(SourceScan, FolderLinksNeitherLoopNorLeadOutOfTheSource) {
    TempFolder elsewhere;
    Touch(elsewhere.path(), MovieName("A___", 9, 'F'));
    const struct {
        const char* label;
        std::vector<std::pair<std::string, std::string>> links;  // link below the card, target
    } cases[] = {
        {"no links", {}},
        {"two links to the folder itself", {{"Normal/Front/a", "."}, {"Normal/Front/b", "."}}},
        {"a link to the parent", {{"Normal/Front/up", ".."}}},
        {"a second way into the rear folder", {{"Normal/Front/rear", "../Rear"}}},
        {"a link out of the card", {{"Normal/Front/out", elsewhere.path()}}},
        {"still loops", {{"JPG/Front/a", "."}, {"JPG/Front/b", "."}}},
    };
    for (const auto& c : cases) {
        CardFixture card;
        card.AddRun("A___", 1, 2);
        Touch(card.root(), "JPG/Front/" + StillName("AM", "20230415", 1, 1, 'F'));
        Touch(card.root(), "JPG/Rear/" + StillName("AM", "20230415", 1, 1, 'R'));
        for (const auto& [link, target] : c.links) {
            ASSERT_EQ(::symlink(target.c_str(), (card.root() + "/" + link).c_str()), 0) << link;
        }
        const OpenedSource source = Open(card.root());
        EXPECT_EQ(TreeLines(source.tree),
                  (std::vector<std::string>{">JPG", ">Normal", "Normal>230415_0001", ">Parking"}))
            << c.label;
        EXPECT_EQ(
            OpenGroupForList(resource, card.root() + "/Normal", "230415_0001", true, false, nullptr)
                .size(),
            2u)
            << c.label;
        RecordingList collected;
        int count = 0;
        ASSERT_TRUE(resource.CollectMovies(card.root(), collected, count, 0));
        EXPECT_EQ(FrontNames(collected),
                  (std::vector<std::string>{MovieName("A___", 1, 'F'), MovieName("A___", 2, 'F')}))
            << c.label;

        SourceTree still_tree;
        RecordingList stills;
        RecordingList nodes;
        const ScanOutput out{still_tree, stills, nodes, nullptr};
        ASSERT_TRUE(resource.OpenStillSourceSimple(card.root() + "/JPG", out, kTreeRoot, true, 0));
        EXPECT_EQ(TreeLines(still_tree), (std::vector<std::string>{">230415_001"})) << c.label;
    }
}

}  // namespace
}  // namespace ardelle::catalogue
