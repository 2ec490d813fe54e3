// The source dialog: the preselected choice, what each choice writes to the settings, the
// drive list following the volumes, and every path checked before it is handed on.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include <filesystem>
#include <fstream>

#include "base/settings.h"
#include "browser/source_open_dlg.h"
#include "browser_fixture.h"
#include "support/qt_application.h"
#include "support/temp_folder.h"

namespace ardelle::browser {
namespace {

using catalogue::SourceKind;

const std::string kCard = ARDELLE_TEST_CARD_DIR;
const std::string kMovie = kCard + "/Normal/Front/A___-240608-093000-000101F.MP4";

class ScriptedBrowse : public SourceBrowseDialogs {
  public:
    std::string PickFolder(QWidget*, const std::string& start, const std::string& title) override {
        starts.push_back(start);
        titles.push_back(title);
        return folder;
    }
    std::string PickFile(QWidget*, const std::string& start, const std::string&) override {
        starts.push_back(start);
        return file;
    }
    std::string folder, file;
    std::vector<std::string> starts, titles;
};

class SourceDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::TestApplication();
        base::SetAppFolder(settings_.path());
    }
    std::unique_ptr<CSourceOpenDlg> Dialog() {
        return std::make_unique<CSourceOpenDlg>(nullptr, &boxes_, &browse_,
                                                [this] { return drives_; });
    }
    testing::TempFolder settings_;
    testing::RecordedBoxes boxes_;
    ScriptedBrowse browse_;
    std::vector<std::string> drives_;
};

TEST_F(SourceDialogTest, TheRememberedChoiceIsPreselected) {
    struct Case {
        const char* select;
        std::vector<std::string> drives;
        SourceKind kind;
        bool ok;
    };
    const Case cases[] = {
        {"", {}, SourceKind::kCard, false},          {"", {kCard}, SourceKind::kCard, true},
        {"bogus", {kCard}, SourceKind::kCard, true}, {"FOLDER", {}, SourceKind::kFolder, true},
        {"FILE", {}, SourceKind::kFile, true},
    };
    base::WriteSetting("SOURCE", "FOLDER", kCard);
    base::WriteSetting("SOURCE", "FILE", kMovie);
    for (const Case& c : cases) {
        base::WriteSetting("SOURCE", "SELECT", c.select);
        drives_ = c.drives;
        auto dialog = Dialog();
        EXPECT_EQ(dialog->kind(), c.kind) << c.select;
        EXPECT_EQ(dialog->ok_button()->isEnabled(), c.ok) << c.select;
        EXPECT_TRUE(dialog->choice_button(static_cast<int>(c.kind))->checked());
        EXPECT_EQ(dialog->folder_edit()->text().toStdString(), kCard);
    }
}

TEST_F(SourceDialogTest, EachChoiceWritesItsKeys) {
    testing::TempFolder other;
    struct Case {
        SourceKind kind;
        std::string select, key, value;
    };
    const Case cases[] = {
        {SourceKind::kCard, "SD", "SD", kCard},
        {SourceKind::kFolder, "FOLDER", "FOLDER", other.path()},
        {SourceKind::kFile, "FILE", "FILE", kMovie},
    };
    for (const Case& c : cases) {
        drives_ = {kCard};
        auto dialog = Dialog();
        dialog->folder_edit()->setText(QString::fromStdString(other.path()));
        dialog->file_edit()->setText(QString::fromStdString(kMovie));
        dialog->Choose(c.kind);
        QSignalSpy accepted(dialog.get(), &QDialog::accepted);
        dialog->show();
        dialog->ok_button()->click();
        dialog->Confirm();  // confirmed twice: handed on once
        EXPECT_EQ(accepted.count(), 1) << c.select;
        EXPECT_EQ(dialog->ChosenPath(), c.value);
        EXPECT_EQ(base::ReadSetting("SOURCE", "SELECT"), c.select);
        EXPECT_EQ(base::ReadSetting("SOURCE", c.key), c.value);
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(SourceDialogTest, TypedPathsAreCheckedBeforeTheDialogCloses) {
    testing::TempFolder scratch;
    std::ofstream(scratch / "A___-240608-093000-000101F.MP4") << "";
    std::filesystem::create_directory(scratch / "folder.MP4");
    struct Case {
        SourceKind kind;
        std::string path;
        const char* message;
    };
    const Case cases[] = {
        {SourceKind::kFolder, scratch / "gone", "ERROR: フォルダパスの取得に失敗しました。"},
        {SourceKind::kFolder, kMovie, "ERROR: フォルダパスの取得に失敗しました。"},
        {SourceKind::kFile, scratch / "gone.MP4", "ERROR: 動画のオープンに失敗しました。"},
        {SourceKind::kFile, scratch / "folder.MP4", "ERROR: 動画のオープンに失敗しました。"},
        {SourceKind::kFile, kCard + "/pvtrace.txt", "ERROR: 動画のオープンに失敗しました。"},
    };
    for (const Case& c : cases) {
        boxes_.shown.clear();
        auto dialog = Dialog();
        (c.kind == SourceKind::kFolder ? dialog->folder_edit() : dialog->file_edit())
            ->setText(QString::fromStdString(c.path));
        dialog->Choose(c.kind);
        QSignalSpy accepted(dialog.get(), &QDialog::accepted);
        dialog->Confirm();
        EXPECT_EQ(accepted.count(), 0) << c.path;
        EXPECT_EQ(boxes_.shown, std::vector<std::string>{c.message}) << c.path;
        EXPECT_EQ(base::ReadSetting("SOURCE", "SELECT"), "") << "nothing remembered";
    }
}

TEST_F(SourceDialogTest, APulledCardDropsOutWhileOpen) {
    testing::TempFolder second;
    drives_ = {kCard, second.path()};
    auto dialog = Dialog();
    EXPECT_EQ(dialog->drive_box()->count(), 2);
    EXPECT_EQ(dialog->drive_box()->currentData().toString().toStdString(), second.path())
        << "the last drive is preselected";
    drives_ = {kCard};
    dialog->RefreshDrives();
    ASSERT_EQ(dialog->drive_box()->count(), 1);
    EXPECT_EQ(dialog->drive_box()->currentData().toString().toStdString(), kCard);
    drives_.clear();
    dialog->RefreshDrives();
    EXPECT_EQ(dialog->drive_box()->count(), 0);
    EXPECT_FALSE(dialog->ok_button()->isEnabled());
    drives_ = {kCard};
    dialog->RefreshDrives();
    EXPECT_TRUE(dialog->ok_button()->isEnabled()) << "a card put back is offered again";
}

TEST_F(SourceDialogTest, BrowsingStartsInTheRememberedFolderAndChecksTheName) {
    base::WriteSetting("SOURCE", "FOLDER", kCard);
    auto dialog = Dialog();
    browse_.folder = kCard + "/Parking";
    dialog->BrowseFolder();
    EXPECT_EQ(browse_.starts.back(), kCard);
    EXPECT_EQ(browse_.titles.back(), "動画フォルダーを選択してください。");
    EXPECT_EQ(dialog->kind(), SourceKind::kFolder);
    EXPECT_EQ(dialog->folder_edit()->text().toStdString(), kCard + "/Parking");
    browse_.folder.clear();  // cancelled: nothing changes
    dialog->BrowseFolder();
    EXPECT_EQ(dialog->folder_edit()->text().toStdString(), kCard + "/Parking");

    browse_.file = kMovie;
    dialog->BrowseFile();
    EXPECT_EQ(dialog->kind(), SourceKind::kFile);
    EXPECT_EQ(dialog->file_edit()->text().toStdString(), kMovie);
    browse_.file = kCard + "/pvtrace.txt";
    dialog->BrowseFile();
    EXPECT_EQ(boxes_.shown, std::vector<std::string>{"ERROR: 動画のオープンに失敗しました。"});
    EXPECT_EQ(dialog->file_edit()->text().toStdString(), kMovie) << "the previous file stays";
    EXPECT_EQ(browse_.starts.back(), kCard + "/Normal/Front");
}

}  // namespace
}  // namespace ardelle::browser
