// The file-selection dialog: the one-run rule of a join, totals and limits, show all and
// select all in each mode, the 1500 limit, and what it hands back.
#include <gtest/gtest.h>

#include <QTimer>

#include "browser/file_select_dlg.h"
#include "browser_fixture.h"
#include "support/qt_application.h"

namespace ardelle::browser {
namespace {

using fileops::SelectMode;

constexpr std::int64_t kMb = std::int64_t{1} << 20;

catalogue::RecordingList Movies(int count, const std::string& tag = "", std::int64_t mb = 10) {
    catalogue::RecordingList list;
    for (int i = 0; i < count; ++i) {
        catalogue::RecordingEntry entry;
        char name[64];
        std::snprintf(name, sizeof name, "A___-240608-0930%02d-%06d%sF.MP4", i % 60, 100 + i,
                      tag.c_str());
        entry.front_name = name;
        entry.front_path = std::string("/card/Normal/Front/") + name;
        entry.rear_name = entry.front_name;
        entry.rear_name[entry.rear_name.size() - 5] = 'R';
        entry.rear_path = "/card/Normal/Rear/" + entry.rear_name;
        entry.data_size_front = mb * kMb;
        entry.data_size_rear = mb * kMb / 2;
        list.push_back(entry);
    }
    return list;
}

std::string Ticks(const FileSelectRows& rows) {
    std::string ticks;
    for (int row = 0; row < rows.row_count(); ++row) {
        ticks += rows.state(row) == kTicked ? 'x' : '.';
    }
    return ticks;
}

TEST(FileSelectRows, AJoinKeepsTheTickedRowsOneRun) {
    struct Step {
        int row;
        std::string after;
    };
    // Each step is a click on the row; the ticks afterwards.
    const std::vector<std::vector<Step>> scripts = {
        {{3, "...x......"}, {7, "...xxxxx.."}, {5, "...xx....."}, {3, "....x....."}},
        {{5, ".....x...."}, {2, "..xxxx...."}, {0, "xxxxxx...."}, {9, "xxxxxxxxxx"}},
        {{4, "....x....."}, {6, "....xxx..."}, {6, "....xx...."}, {4, ".....x...."}},
        {{2, "..x......."}, {8, "..xxxxxxx."}, {1, ".xxxxxxxx."}, {1, "..xxxxxxx."}},
    };
    for (const auto& script : scripts) {
        FileSelectRows rows(SelectMode::kJoin, false);
        rows.LoadNodeRecords(Movies(10));
        rows.Fill();
        for (const Step& step : script) {
            rows.Toggle(step.row);
            EXPECT_EQ(Ticks(rows), step.after) << "after a click on " << step.row;
        }
    }
    // Outside a join every click changes only its row.
    FileSelectRows rows(SelectMode::kDelete, false);
    rows.LoadNodeRecords(Movies(10));
    rows.Fill();
    for (const int row : {3, 7, 5}) {
        rows.Toggle(row);
    }
    EXPECT_EQ(Ticks(rows), "...x.x.x..");
}

TEST(FileSelectRows, OkNeedsTwoFilesOfACameraInAJoinAndOneElsewhere) {
    catalogue::RecordingList list = Movies(3);
    list[0].data_size_rear = 0;   // front only
    list[1].data_size_front = 0;  // rear only
    struct Case {
        SelectMode mode;
        std::vector<int> ticked;
        bool ok;
    };
    const Case cases[] = {
        {SelectMode::kJoin, {0, 1}, false}, {SelectMode::kJoin, {0, 1, 2}, true},
        {SelectMode::kJoin, {}, false},     {SelectMode::kDelete, {0}, true},
        {SelectMode::kDownload, {1}, true}, {SelectMode::kDelete, {}, false},
    };
    for (const Case& c : cases) {
        FileSelectRows rows(c.mode, false);
        rows.LoadNodeRecords(list);
        rows.Fill();
        for (const int row : c.ticked) {
            rows.SetTicked(row, true);
        }
        EXPECT_EQ(rows.OkEnabled(), c.ok) << static_cast<int>(c.mode) << " " << c.ticked.size();
    }
}

TEST(FileSelectRows, JoinLimitsRefuseTooLargeAndTooMany) {
    struct Case {
        int count;
        std::int64_t mb;
        int refusal;
    };
    const Case cases[] = {{10, 100, 0}, {11, 100, 138}, {101, 1, 140}, {100, 1, 0}};
    for (const Case& c : cases) {
        FileSelectRows rows(SelectMode::kJoin, false);
        rows.LoadNodeRecords(Movies(c.count, "", c.mb));
        rows.Fill();
        rows.ToggleSelectAll();
        EXPECT_EQ(rows.OkRefusal(), c.refusal) << c.count << " x " << c.mb << " MB";
    }
    FileSelectRows deleting(SelectMode::kDelete, false);
    deleting.LoadNodeRecords(Movies(200, "", 100));
    deleting.Fill();
    deleting.ToggleSelectAll();
    EXPECT_EQ(deleting.OkRefusal(), 0) << "only a join has limits";
}

TEST(FileSelectRows, AJoinOffersOnlyMp4Recordings) {
    catalogue::RecordingList list = Movies(3);
    list[1].front_path = "/card/Normal/Front/A___-240608-093001-000101F.DMY";
    list[2].front_path.clear();
    list[2].front_name.clear();
    list[2].rear_path = "/card/Normal/Rear/x.mp4";
    FileSelectRows join(SelectMode::kJoin, false);
    join.LoadNodeRecords(list);
    join.Fill();
    EXPECT_EQ(join.row_count(), 2);
    FileSelectRows deleting(SelectMode::kDelete, false);
    deleting.LoadNodeRecords(list);
    deleting.Fill();
    EXPECT_EQ(deleting.row_count(), 3);
}

class FileSelectDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::TestApplication(); }
    testing::RecordedBoxes boxes_;
};

TEST_F(FileSelectDialogTest, EachModeWithShowAllAndSelectAllShown) {
    const catalogue::RecordingList node = Movies(4, "", 10);
    const catalogue::RecordingList source = Movies(9, "", 10);
    struct Case {
        SelectMode mode;
        const char* title;
        const char* ok;
        bool show_all_offered;
    };
    const Case cases[] = {
        {SelectMode::kDelete, "削除", "削除", true},
        {SelectMode::kDownload, "バックアップ", "保存", true},
        {SelectMode::kJoin, "動画連結", "次へ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        CFileSelectDlg dialog(nullptr, &boxes_);
        dialog.Prepare(c.mode, node, c.show_all_offered ? source : catalogue::RecordingList{},
                       false);
        EXPECT_EQ(dialog.windowTitle().toStdString(), c.title);
        EXPECT_EQ(dialog.ok_button()->text().toStdString(), c.ok);
        EXPECT_EQ(dialog.show_all_button()->isVisibleTo(&dialog), c.show_all_offered);
        EXPECT_EQ(dialog.rear_total_field()->isVisibleTo(&dialog), !c.show_all_offered);
        EXPECT_EQ(dialog.list()->model()->rowCount(), 4);
        EXPECT_FALSE(dialog.ok_button()->isEnabled());
        dialog.select_all_button()->click();
        EXPECT_TRUE(dialog.select_all_button()->checked());
        EXPECT_TRUE(dialog.ok_button()->isEnabled());
        if (c.mode == SelectMode::kJoin) {
            EXPECT_EQ(dialog.total_field()->text().toStdString(), "40 MB");
            EXPECT_EQ(dialog.rear_total_field()->text().toStdString(), "20 MB");
        } else {
            EXPECT_EQ(dialog.total_field()->text().toStdString(), "60 MB");
            dialog.show_all_button()->click();  // the whole source, still all ticked
            EXPECT_EQ(dialog.list()->model()->rowCount(), 9);
            EXPECT_EQ(dialog.total_field()->text().toStdString(), "135 MB");
        }
        dialog.ClickRow(0);
        dialog.ok_button()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        const std::size_t expected = c.mode == SelectMode::kJoin ? 3 : 8;
        ASSERT_EQ(dialog.selected().size(), expected);
        EXPECT_EQ(dialog.selected().front().front_name,
                  (c.mode == SelectMode::kJoin ? node : source)[1].front_name)
            << "the ticked rows in row order";
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FileSelectDialogTest, MoreThan1500IsToldOncePerListAndCut) {
    CFileSelectDlg dialog(nullptr, &boxes_);
    dialog.Prepare(SelectMode::kDelete, Movies(1600), Movies(1501), false);
    const std::string notice = "ERROR: 表示数が1500を超えています。1500項目表示します。";
    EXPECT_EQ(boxes_.shown, (std::vector<std::string>{notice, notice}));
    EXPECT_EQ(dialog.list()->model()->rowCount(), 1500);
    dialog.show_all_button()->click();
    EXPECT_EQ(dialog.list()->model()->rowCount(), 1500);
    boxes_.shown.clear();
    dialog.Prepare(SelectMode::kJoin, Movies(1500), {}, false);
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(FileSelectDialogTest, AJoinOverTheLimitStaysOpenWithItsMessage) {
    CFileSelectDlg dialog(nullptr, &boxes_);
    dialog.Prepare(SelectMode::kJoin, Movies(12, "", 100), {}, false);
    dialog.select_all_button()->click();
    EXPECT_EQ(dialog.total_field()->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    dialog.show();
    dialog.ok_button()->click();
    EXPECT_EQ(boxes_.shown, std::vector<std::string>{"ERROR: サイズオーバーです。"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.selected().empty());
}

TEST_F(FileSelectDialogTest, JoinedRecordingsAreMarkedInAJoinOnly) {
    catalogue::RecordingList list = Movies(2);
    list[1].joined_mark = 1;
    for (const SelectMode mode : {SelectMode::kJoin, SelectMode::kDelete}) {
        CFileSelectDlg dialog(nullptr, &boxes_);
        dialog.Prepare(mode, list, {}, false);
        const QAbstractItemModel* model = dialog.list()->model();
        const bool join = mode == SelectMode::kJoin;
        EXPECT_EQ(model->index(1, 0).data(CSkinListCtrl::kRowFillRole).value<QColor>(),
                  join ? QColor(255, 255, 0) : QColor());
        EXPECT_EQ(model->index(1, 2).data(CSkinListCtrl::kRowColourRole).value<QColor>(),
                  join ? QColor(255, 0, 255) : QColor());
        EXPECT_FALSE(model->index(0, 0).data(CSkinListCtrl::kRowFillRole).isValid());
    }
}

}  // namespace
}  // namespace ardelle::browser

namespace ardelle::browser {
namespace {

TEST_F(FileSelectDialogTest, ChooseHandsBackTheTickedRowsOrNothingWhenClosed) {
    const catalogue::RecordingList node = Movies(5);
    CFileSelectDlg dialog(nullptr, &boxes_);
    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.ClickRow(1);
        dialog.ClickRow(3);
        dialog.ok_button()->click();
    });
    const auto chosen = dialog.Choose(SelectMode::kJoin, node, {}, false);
    ASSERT_TRUE(chosen.has_value());
    ASSERT_EQ(chosen->size(), 3u) << "a join ticks the rows between";
    EXPECT_EQ((*chosen)[0].front_name, node[1].front_name);
    EXPECT_EQ((*chosen)[2].front_name, node[3].front_name);

    QTimer::singleShot(0, &dialog, [&dialog] {
        dialog.ClickRow(0);
        dialog.close_button()->click();
    });
    EXPECT_FALSE(dialog.Choose(SelectMode::kDelete, node, node, false).has_value());
}

}  // namespace
}  // namespace ardelle::browser
