// The recording list windows on the test card: the tree and rows they show against the
// command-line listing of the same card, the switches, the count, the messages they send.
#include <gtest/gtest.h>

#include <QScrollBar>

#include <filesystem>
#include <fstream>

#include "base/messages.h"
#include "base/settings.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container_dlg.h"
#include "browser/list_labels.h"
#include "browser/source_open_dlg.h"
#include "browser/trigger_icon.h"
#include "browser_fixture.h"
#include "support/qt_application.h"
#include "support/temp_folder.h"

namespace ardelle::browser {
namespace {

using catalogue::SourceKind;
using testing::CliEntryNames;
using testing::CliListing;

const std::string kCard = ARDELLE_TEST_CARD_DIR;

class RecordedSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override { posted.push_back(message); }
    int Count(AppMessage id) const {
        return static_cast<int>(std::count_if(posted.begin(), posted.end(),
                                              [id](const PostedMessage& m) { return m.id == id; }));
    }
    std::vector<PostedMessage> posted;
};

class ListWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::TestApplication();
        base::SetAppFolder(settings_folder_.path());
        // No removable volume: the restore falls back to the remembered folder and file.
        std::ofstream(settings_folder_ / "mounts") << "";
        setenv("ARDELLE_MOUNT_TABLE", (settings_folder_ / "mounts").c_str(), 1);
    }
    std::unique_ptr<CFilerContainerDlg> Window(bool stills) {
        auto window = std::make_unique<CFilerContainerDlg>(stills);
        window->SetMessageSink(&sink_);
        window->SetMessageBoxes(&boxes_);
        window->resize(360, 600);
        return window;
    }
    std::vector<std::string> ShownNames(const CFilerContainerDlg& window) {
        std::vector<std::string> names;
        for (const auto& entry : window.shown()) {
            names.push_back(entry.primary_name());
        }
        return names;
    }

    testing::TempFolder settings_folder_;
    RecordedSink sink_;
    testing::RecordedBoxes boxes_;
};

TEST(ListLabels, RowTextsOfMoviesStillsAndOtherNames) {
    struct Case {
        std::string name;
        std::string label;
    };
    const Case cases[] = {
        {"/c/Normal/Front/A___-230415-101500-000123F.MP4", "A___-101500-000123"},
        {"/c/Parking/Rear/PG__-240608-100541-000117R.MP4", "PG__-100541-000117"},
        {"/c/x/holiday.clip.mp4", "holiday"},
        {"noext", "noext"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MovieListLabel(c.name), c.label) << c.name;
    }
    catalogue::RecordingEntry still;
    still.front_name = "AM-20240608-SN00A1B2C3D4E5F6-001-002F.JPG";
    still.still_time = "101500";
    EXPECT_EQ(StillListLabel(still), "AM-101500-001-002");
    still.front_name.clear();
    still.rear_name = "AM-20240608-SN00A1B2C3D4E5F6-001-002R.JPG";
    EXPECT_EQ(StillListLabel(still), "AM-101500-001-002") << "labelled by the rear file";
    EXPECT_EQ(TextUntil(std::string(300, 'a'), '.', 0).size(), 259u);
}

TEST(ListLabels, RowColoursByClassAndCurrentRow) {
    struct Case {
        int trigger_class;
        bool current;
        QColor fill;
        QColor text;
    };
    const Case cases[] = {
        {1, true, QColor(178, 178, 142), Qt::black},  {5, true, QColor(178, 178, 142), Qt::black},
        {0, true, QColor(178, 178, 178), Qt::black},  {1, false, QColor(255, 255, 204), Qt::black},
        {5, false, QColor(255, 255, 204), Qt::black}, {4, false, QColor(35, 24, 21), Qt::white},
        {-1, false, QColor(35, 24, 21), Qt::white},
    };
    for (const Case& c : cases) {
        const RowColours colours = RowColoursFor(c.trigger_class, c.current);
        EXPECT_EQ(colours.fill, c.fill) << c.trigger_class << " " << c.current;
        EXPECT_EQ(colours.text, c.text) << c.trigger_class << " " << c.current;
    }
}

TEST(TriggerIcons, EachMaskBitDrawsItsSignAndNothingElse) {
    testing::TestApplication();
    const QImage empty = TriggerIcon(0x01, 1.0).toImage();
    int slot = 0;
    for (const int bit : kTriggerIconBits) {
        const QImage with = TriggerIcon(bit, 1.0).toImage();
        const QRect cell((slot % 3) * 13, (slot / 3) * 13, 13, 13);
        bool differs_inside = false, differs_outside = false;
        for (int y = 1; y < 25; ++y) {
            for (int x = 1; x < 38; ++x) {
                const bool differs = with.pixel(x, y) != empty.pixel(x, y);
                (cell.contains(x, y) ? differs_inside : differs_outside) |= differs;
            }
        }
        EXPECT_TRUE(differs_inside) << "bit " << bit;
        EXPECT_FALSE(differs_outside) << "bit " << bit;
        ++slot;
    }
}

// The tree the window shows, node by node: text, parent's text, mask.
std::vector<std::string> TreeRows(const CFolderTreeCtrl& tree) {
    std::vector<std::string> rows;
    for (const QModelIndex& node : tree.tree().AllNodes()) {
        rows.push_back(tree.tree().Text(node) + " < " + tree.tree().Text(node.parent()) + " #" +
                       std::to_string(tree.tree().Mask(node)));
    }
    return rows;
}

std::vector<std::string> CliTreeRows(const QJsonObject& listing) {
    const QJsonArray nodes = listing["tree"].toArray();
    std::vector<std::string> rows;
    for (const QJsonValue& value : nodes) {
        const QJsonObject node = value.toObject();
        const int parent = node["parent"].toInt();
        const std::string parent_text =
            parent < 0 ? "" : nodes[parent].toObject()["text"].toString().toStdString();
        rows.push_back(node["text"].toString().toStdString() + " < " + parent_text + " #" +
                       std::to_string(node["param"].toInt()));
    }
    return rows;
}

TEST_F(ListWindowTest, CardTreeAndFirstGroupMatchTheListing) {
    for (const bool stills : {false, true}) {
        SCOPED_TRACE(stills ? "stills" : "videos");
        auto window = Window(stills);
        ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
        const QJsonObject card = CliListing(kCard, stills ? "--stills" : "");
        EXPECT_EQ(TreeRows(*window->tree()), CliTreeRows(card));
        // The preferred node is the first group under the first Normal/Parking/DRIVE node.
        const QModelIndex chosen = window->tree()->SelectedNode();
        const std::string group = window->tree()->tree().Text(chosen);
        const std::string label =
            stills ? group : window->tree()->tree().Text(chosen.parent()) + "/" + group;
        EXPECT_EQ(label, stills ? "240608_001" : "Normal/240608_0001");
        const auto names =
            CliEntryNames(CliListing(kCard, (stills ? "--stills --group " : "--group ") + label));
        ASSERT_FALSE(names.empty());
        EXPECT_EQ(ShownNames(*window), names);
        EXPECT_EQ(window->CountText().toStdString(), std::to_string(names.size()) + "個");
        EXPECT_EQ(window->path_line()->text().toStdString(), kCard + "/" + label);
        EXPECT_EQ(sink_.Count(AppMessage::kTreeNodeChosen), 1);
        sink_.posted.clear();
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ListWindowTest, SwitchesAdmitTheRowsOfTheListingFilter) {
    auto window = Window(false);
    ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
    const std::string filters[] = {"0000000", "1000000", "0100000", "0010000",
                                   "0001000", "0000001", "1111110", "1111111"};
    for (const std::string& pattern : filters) {
        for (int i = 0; i < 7; ++i) {
            window->SetTriggerFilter(i, pattern[static_cast<std::size_t>(i)] == '1');
        }
        const auto names =
            CliEntryNames(CliListing(kCard, "--group Normal/240608_0001 --filter " + pattern));
        EXPECT_EQ(ShownNames(*window), names) << pattern;
        EXPECT_EQ(window->CountText().toStdString(), std::to_string(names.size()) + "個");
        // Whenever rows remain, row 0 is the current and selected one.
        EXPECT_EQ(window->current_index(), names.empty() ? -1 : 0) << pattern;
        EXPECT_EQ(window->list()->SelectedRow(), names.empty() ? -1 : 0) << pattern;
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(window->filter_button(i)->checked(),
                      pattern[static_cast<std::size_t>(i)] == '1');
        }
    }
}

TEST_F(ListWindowTest, ChoosingNodesAndRowsPostsAndLoads) {
    auto window = Window(false);
    ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
    sink_.posted.clear();
    // Every node in tree order: each choice loads that node and says so once.
    int chosen = 0;
    while (window->SelectNextNode()) {
        ++chosen;
    }
    EXPECT_FALSE(window->HasNextNode());
    EXPECT_EQ(sink_.Count(AppMessage::kTreeNodeChosen), chosen);
    EXPECT_EQ(window->tree()->tree().Text(window->tree()->SelectedNode()), "240608_0001");
    EXPECT_EQ(ShownNames(*window), CliEntryNames(CliListing(kCard, "--group Parking/240608_0001")));
    // A row the user picks is reported with its number; the window's own selection is not.
    sink_.posted.clear();
    window->list()->setCurrentIndex(window->list()->model_rows().index(2));
    ASSERT_EQ(sink_.Count(kListRowSelected), 1);
    EXPECT_EQ(sink_.posted.back().wparam, 2);
    window->SelectRecording(1, true);
    EXPECT_EQ(sink_.Count(kListRowSelected), 1);
    EXPECT_EQ(window->list()->SelectedRow(), 1);
    EXPECT_TRUE(window->keep());
    // Outside the list only scrolls.
    window->SelectRecording(99, false);
    window->SelectRecording(-1, false);
    EXPECT_EQ(window->list()->SelectedRow(), 1);
    EXPECT_EQ(window->current_index(), 1);
}

TEST_F(ListWindowTest, FolderSourceHasOneTopNodeNamedAfterTheFolder) {
    auto window = Window(false);
    const std::string folder = kCard + "/Normal";
    ASSERT_TRUE(window->OpenSource(folder + "/", SourceKind::kFolder));
    const SourceTreeModel& tree = window->tree()->tree();
    ASSERT_EQ(tree.rowCount(), 1);
    EXPECT_EQ(tree.Text(tree.index(0, 0)), "Normal");
    EXPECT_EQ(window->tree()->ItemFolderPath(tree.index(0, 0)), folder);
    EXPECT_EQ(window->source_path(), folder);
    EXPECT_EQ(
        window->CollectSourceRecords().size(),
        static_cast<std::size_t>(CliListing(folder, "--collect")["entries"].toArray().size()));
}

TEST_F(ListWindowTest, CollectedSourceEqualsTheListingCollection) {
    for (const bool stills : {false, true}) {
        auto window = Window(stills);
        ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
        std::vector<std::string> names;
        for (const auto& entry : window->CollectSourceRecords()) {
            names.push_back(entry.primary_name());
        }
        EXPECT_EQ(names,
                  CliEntryNames(CliListing(kCard, stills ? "--collect --stills" : "--collect")));
        ASSERT_TRUE(window->recorder_info().has_value()) << "the card's configuration file is read";
        EXPECT_FALSE(window->recorder_info()->model_code.empty());
    }
}

TEST_F(ListWindowTest, PathsAreCheckedBeforeTheyAreOpened) {
    testing::TempFolder scratch;
    std::ofstream(scratch / "notes.txt") << "x";
    struct Case {
        std::string path;
        SourceKind kind;
        const char* message;
    };
    const Case cases[] = {
        {scratch / "gone", SourceKind::kFolder, "ERROR: フォルダパスの取得に失敗しました。"},
        {scratch / "gone", SourceKind::kCard, "ERROR: フォルダパスの取得に失敗しました。"},
        {scratch / "notes.txt", SourceKind::kFile, "ERROR: 動画のオープンに失敗しました。"},
        {kCard + "/Normal/Front/A___-240608-093000-999999F.MP4", SourceKind::kFile,
         "ERROR: 動画のオープンに失敗しました。"},
    };
    auto window = Window(false);
    ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
    for (const Case& c : cases) {
        boxes_.shown.clear();
        EXPECT_FALSE(window->OpenSource(c.path, c.kind)) << c.path;
        EXPECT_EQ(boxes_.shown, std::vector<std::string>{c.message}) << c.path;
    }
    EXPECT_EQ(window->source_path(), kCard) << "a refused path leaves the open source alone";
}

TEST_F(ListWindowTest, SingleFileShowsItsFolderAndOneRow) {
    auto window = Window(false);
    const std::string file = kCard + "/Normal/Front/A___-240608-093000-000101F.MP4";
    ASSERT_TRUE(window->OpenSource(file, SourceKind::kFile));
    EXPECT_EQ(window->list()->RowCount(), 1);
    EXPECT_EQ(window->current_index(), 0);
    EXPECT_EQ(window->path_line()->text().toStdString(), kCard + "/Normal/Front");
    EXPECT_EQ(window->CollectSourceRecords().size(), 1u);
}

TEST_F(ListWindowTest, RestoreReportsAFolderThatVanishedAndFallsBackToTheFile) {
    testing::TempFolder scratch;
    base::WriteSetting("SOURCE", "FOLDER", scratch / "removed-since");
    auto window = Window(false);
    EXPECT_FALSE(window->RestoreLastSource());
    EXPECT_EQ(boxes_.shown, std::vector<std::string>{"ERROR: フォルダパスの取得に失敗しました。"});
    EXPECT_EQ(window->list()->RowCount(), 0);
    const std::string file = kCard + "/Normal/Front/A___-240608-093000-000101F.MP4";
    base::WriteSetting("SOURCE", "FILE", file);
    EXPECT_TRUE(window->RestoreLastSource());
    EXPECT_EQ(window->source_kind(), 3);
    base::WriteSetting("SOURCE", "FOLDER", kCard + "/Parking");
    EXPECT_TRUE(window->RestoreLastSource());
    EXPECT_EQ(window->source_kind(), 2);
    EXPECT_EQ(ShownNames(*window),
              CliEntryNames(CliListing(kCard + "/Parking", "--group 240608_0001")));
}

TEST_F(ListWindowTest, ClearAndZoomPrompt) {
    auto window = Window(false);
    window->show();
    ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
    window->SetZoomPrompt(true);
    EXPECT_FALSE(window->tree()->isVisible());
    EXPECT_FALSE(window->list()->isVisible());
    EXPECT_FALSE(window->filter_button(0)->isVisible());
    window->SetZoomPrompt(false);
    EXPECT_TRUE(window->list()->isVisible());
    window->ClearSource();
    EXPECT_EQ(window->tree()->tree().rowCount(), 0);
    EXPECT_EQ(window->list()->RowCount(), 0);
    EXPECT_EQ(window->CountText().toStdString(), "0個");
    EXPECT_TRUE(window->path_line()->text().isEmpty());
    EXPECT_FALSE(window->path_line()->isVisible());
}

}  // namespace
}  // namespace ardelle::browser

namespace ardelle::browser {
namespace {

TEST_F(ListWindowTest, ASwitchClickGoesToTheCommandHandlerWhenThereIsOne) {
    auto window = Window(false);
    ASSERT_TRUE(window->OpenSource(kCard, SourceKind::kCard));
    window->filter_button(1)->click();
    EXPECT_FALSE(window->TriggerFilter(1)) << "alone, the window toggles the switch itself";
    std::vector<int> commands;
    window->SetCommandHandler([&commands](int id) { commands.push_back(id); });
    window->filter_button(6)->click();
    EXPECT_EQ(commands, std::vector<int>{38706});
    EXPECT_TRUE(window->TriggerFilter(6)) << "the main window decides";
}

}  // namespace
}  // namespace ardelle::browser

namespace ardelle::browser {
namespace {

TEST_F(ListWindowTest, RestorePrefersTheLastMountedCard) {
    // The test card staged as a mounted removable volume, a plain removable stick after it.
    testing::TempFolder stick;
    std::ofstream(settings_folder_ / "mounts") << kCard << "\tvfat\t1\n"
                                               << stick.path() << "\tvfat\t1\n"
                                               << "/\text4\t0\n";
    base::WriteSetting("SOURCE", "FOLDER", kCard + "/Parking");
    auto window = Window(false);
    ASSERT_TRUE(window->RestoreLastSource());
    EXPECT_EQ(window->source_kind(), 1) << "the stick has no card layout and is passed over";
    EXPECT_EQ(window->source_path(), kCard);
    EXPECT_EQ(CardDrives(), std::vector<std::string>{kCard});
    std::ofstream(settings_folder_ / "mounts") << "/\text4\t0\n";  // the card pulled
    EXPECT_TRUE(CardDrives().empty());
    ASSERT_TRUE(window->RestoreLastSource());
    EXPECT_EQ(window->source_kind(), 2);
}

}  // namespace
}  // namespace ardelle::browser
