// The file operations and the snapshot from the main window's buttons, offscreen, on the
// test card (or a staged copy of it), with the dialogs answered by a script.
// Before any Qt header: the card fixture names a member "slots", a Qt keyword macro.
#include "catalogue/card_fixture.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <filesystem>
#include <set>

#include "app/file_command_fakes.h"
#include "app/frame_pictures.h"
#include "app/tovel_dlg.h"
#include "base/settings.h"
#include "fileops/csv_export.h"
#include "fileops/join_checks.h"
#include "skin/skin.h"
#include "support/qt_application.h"
#include "support/run_command.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

namespace fs = std::filesystem;
using ardelle::testing::RunCommand;
using ardelle::testing::ShellQuoted;

const std::string kCard = ARDELLE_TEST_CARD_DIR;
const std::string kCompletedBox = "終了: 完了しました。";

// Records the percentages the progress bar was painted at.
class PaintedPercents : public QObject {
  public:
    explicit PaintedPercents(skin::CSkinProgressBarCtrl* bar) : bar_(bar) {
        bar->installEventFilter(this);
    }
    std::set<int> percents;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && bar_->isVisible()) {
            percents.insert(bar_->pos());
        }
        return false;
    }

  private:
    skin::CSkinProgressBarCtrl* bar_;
};

template <class Predicate>
bool WaitUntil(Predicate done, int limit_ms = 60000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit_ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class FileCommandsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::is_directory(kCard + "/Normal")) {
            GTEST_SKIP() << "no test card at " << kCard;
        }
        ardelle::testing::TestApplication();
        base::SetAppFolder(settings_.path());
        skin::Skin::Instance().SetScales(1.0, 1.0);
    }
    void TearDown() override { window_.reset(); }

    // The window on source, its first recording open and paused at its first frame.
    void OpenWindow(const std::string& source) {
        window_ = std::make_unique<CTovelDlg>();
        window_->file_commands().SetDialogs(dialogs_.service());
        window_->show();
        window_->file_host().SetSource(source);
        ASSERT_TRUE(window_->controller().OpenSource(source, 0));
        ASSERT_TRUE(WaitUntil([&] { return window_->controller().loaded(); }));
        progress_ = std::make_unique<PaintedPercents>(window_->progress_bar());
    }

    // Presses a tool button and lets the window run until the operation is over.
    void Press(int id) {
        window_->tool_button(id - command::kFirstTool)->click();
        ASSERT_TRUE(WaitUntil([&] { return !window_->file_commands().busy(); }, 120000));
        QCoreApplication::processEvents();
    }

    void ExpectProgressSeenMovingAndCompletion() {
        EXPECT_GE(progress_->percents.size(), 2u);
        EXPECT_EQ(*progress_->percents.begin(), 0);
        EXPECT_EQ(*progress_->percents.rbegin(), 100);
        EXPECT_FALSE(window_->progress_bar()->isVisible());
        ASSERT_FALSE(dialogs_.boxes.shown().empty());
        EXPECT_EQ(dialogs_.boxes.shown().back(), kCompletedBox);
        for (int i = 0; i < 17; ++i) {
            EXPECT_TRUE(window_->tool_button(i)->isEnabled() ||
                        !tools_enabled_before_[static_cast<std::size_t>(i)])
                << 38000 + i;
        }
    }
    void NoteButtons() {
        for (int i = 0; i < 17; ++i) {
            tools_enabled_before_[static_cast<std::size_t>(i)] =
                window_->tool_button(i)->isEnabled();
        }
    }

    ardelle::testing::TempFolder settings_;
    ardelle::testing::TempFolder out_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<CTovelDlg> window_;
    std::unique_ptr<PaintedPercents> progress_;
    std::array<bool, 17> tools_enabled_before_{};
};

TEST_F(FileCommandsWindowTest, JoinOfTwoRecordingsKeepsPicturesAndTelemetry) {
    OpenWindow(kCard);
    const catalogue::RecordingList movies = window_->file_host().MasterList(kMovieTab);
    ASSERT_GE(movies.size(), 2u);
    dialogs_.selection.pick = {0, 1};
    dialogs_.picker.folder = out_.path();
    NoteButtons();
    // While the join runs, the buttons are off but the stop button.
    bool seen_disabled = false;
    dialogs_.boxes.on_show = [&] {
        seen_disabled = seen_disabled || !window_->tool_button(7)->isEnabled();
    };
    Press(file_command::kJoin);
    ExpectProgressSeenMovingAndCompletion();
    EXPECT_EQ(dialogs_.selection.modes,
              std::vector<fileops::SelectMode>{fileops::SelectMode::kJoin});
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "CONNECT_FOLDER"), out_.path());
    const std::string outputs[] = {out_ / movies[0].front_name, out_ / movies[0].rear_name};
    const std::string firsts[] = {movies[0].front_path, movies[0].rear_path};
    const std::string seconds[] = {movies[1].front_path, movies[1].rear_path};
    for (int camera = 0; camera < 2; ++camera) {
        SCOPED_TRACE(outputs[camera]);
        const auto probe = RunCommand("ffprobe -v error " + ShellQuoted(outputs[camera]) + " 2>&1");
        EXPECT_EQ(probe.exit_code, 0);
        EXPECT_EQ(probe.output, "");
        EXPECT_EQ(ardelle::testing::FrameCount(outputs[camera]),
                  ardelle::testing::FrameCount(firsts[camera]) +
                      ardelle::testing::FrameCount(seconds[camera]));
    }
    std::vector<std::uint8_t> expected = ardelle::testing::TelemetryRecordsOf(firsts[0]);
    const auto second = ardelle::testing::TelemetryRecordsOf(seconds[0]);
    expected.insert(expected.end(), second.begin(), second.end());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ardelle::testing::TelemetryRecordsOf(outputs[0]), expected);
    // The window has its recording back, the joined ones are marked.
    EXPECT_TRUE(WaitUntil([&] { return window_->controller().loaded(); }));
    EXPECT_EQ(window_->file_host().MasterList(kMovieTab)[0].joined_mark, 1);
    EXPECT_EQ(window_->file_host().MasterList(kMovieTab)[1].joined_mark, 1);
}

TEST_F(FileCommandsWindowTest, CsvExportOfTheMovieList) {
    OpenWindow(kCard);
    const catalogue::RecordingList movies = window_->file_host().MasterList(kMovieTab);
    ASSERT_GE(movies.size(), 2u);
    dialogs_.picker.folder = out_.path();
    NoteButtons();
    Press(file_command::kCsv);
    ExpectProgressSeenMovingAndCompletion();
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "CSV_FOLDER"), out_.path());
    const std::string csv = out_ / fileops::CsvFileName(movies);
    std::ifstream in(csv, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, movies.size() + 1);  // the heading and one line per recording
    EXPECT_NE(text.find(movies[1].front_name), std::string::npos);
    EXPECT_TRUE(WaitUntil([&] { return window_->controller().loaded(); }));
}

TEST_F(FileCommandsWindowTest, DownloadOfTwoStills) {
    OpenWindow(kCard);
    const catalogue::RecordingList stills = window_->file_host().MasterList(kStillTab);
    ASSERT_GE(stills.size(), 2u);
    window_->tab_strip()->SetCurrent(kStillTab);
    dialogs_.selection.pick = {0, 1};
    dialogs_.picker.folder = out_.path();
    NoteButtons();
    Press(file_command::kDownload);
    ExpectProgressSeenMovingAndCompletion();
    EXPECT_EQ(dialogs_.selection.still_lists, std::vector<bool>{true});
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "DOWNLOAD_FOLDER"), out_.path());
    for (std::size_t i = 0; i < 2; ++i) {
        for (const std::string& path : {stills[i].front_path, stills[i].rear_path}) {
            const std::string copy = out_ / fs::path(path).filename().string();
            ASSERT_TRUE(fs::exists(copy)) << copy;
            EXPECT_EQ(fs::file_size(copy), fs::file_size(path));
        }
    }
}

TEST_F(FileCommandsWindowTest, DeleteOnAStagedCardLeavesPlaceholders) {
    ardelle::testing::FakeFatAttributes attributes;
    ardelle::testing::TempFolder copy;
    const std::string card = copy / "card";
    fs::copy(kCard, card, fs::copy_options::recursive);
    const ardelle::testing::StagedVolume volume(card);
    OpenWindow(card);
    const catalogue::RecordingList movies = window_->file_host().MasterList(kMovieTab);
    ASSERT_GE(movies.size(), 3u);
    dialogs_.selection.pick = {1, 2};
    NoteButtons();
    Press(file_command::kDelete);
    ExpectProgressSeenMovingAndCompletion();
    EXPECT_EQ(dialogs_.selection.modes,
              std::vector<fileops::SelectMode>{fileops::SelectMode::kDelete});
    for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {
        const std::string front = movies[i].front_path;
        EXPECT_FALSE(fs::exists(front)) << front;
        std::string placeholder = front;
        placeholder.replace(placeholder.size() - 3, 3, "DMY");
        EXPECT_TRUE(fs::exists(placeholder)) << placeholder;
    }
    // The lists were read again: the deleted recordings are gone (the placeholders end the
    // first run after its first recording), the first one stays.
    const catalogue::RecordingList after = window_->file_host().MasterList(kMovieTab);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after[0].front_path, movies[0].front_path);
    for (const catalogue::RecordingEntry& entry : after) {
        EXPECT_NE(entry.front_path, movies[1].front_path);
        EXPECT_NE(entry.front_path, movies[2].front_path);
    }

    // A still of the stills tab becomes a numbered placeholder beside the others.
    const auto placeholders = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(card + "/JPG/Front")) {
            count += entry.path().extension() == ".DMY" ? 1 : 0;
        }
        return count;
    };
    const int placeholders_before = placeholders();
    const catalogue::RecordingList stills = window_->file_host().MasterList(kStillTab);
    ASSERT_GE(stills.size(), 2u);
    window_->tab_strip()->SetCurrent(kStillTab);
    dialogs_.selection.pick = {1};
    progress_->percents.clear();
    Press(file_command::kDelete);
    ExpectProgressSeenMovingAndCompletion();
    EXPECT_FALSE(fs::exists(stills[1].front_path));
    EXPECT_TRUE(fs::exists(stills[0].front_path));
    EXPECT_EQ(placeholders(), placeholders_before + 1);
    EXPECT_EQ(window_->file_host().MasterList(kStillTab).size(), stills.size() - 1);
}

TEST_F(FileCommandsWindowTest, SnapshotOfAPausedFrameShowsThatFrame) {
    OpenWindow(kCard);
    using playback::PlayerTarget;
    constexpr int kFrame = 40;
    playback::PlayerPair& pair = window_->controller().pair();
    // Played a little, paused, and stepped to frame N of the front file.
    window_->tool_button(command::kPlayPause - command::kFirstTool)->click();
    ASSERT_TRUE(WaitUntil([&] { return pair.GetPositionFrames(PlayerTarget::kFront) > 5; }));
    window_->tool_button(command::kPlayPause - command::kFirstTool)->click();
    ASSERT_EQ(pair.GetState(PlayerTarget::kBoth), playback::PlayerState::kPaused);
    pair.SeekFrame(PlayerTarget::kBoth, kFrame);
    ASSERT_TRUE(WaitUntil([&] { return pair.GetPositionFrames(PlayerTarget::kFront) == kFrame; }));
    QCoreApplication::processEvents();
    const int rear_frame = pair.GetPositionFrames(PlayerTarget::kRear);
    const int named_frame = pair.GetPositionFrames(PlayerTarget::kBoth);  // the reference's
    dialogs_.picker.folder = out_.path();
    window_->tool_button(file_command::kSnapshot - command::kFirstTool)->click();
    EXPECT_EQ(dialogs_.boxes.shown(), std::vector<std::string>{kCompletedBox});
    EXPECT_EQ(base::ReadSetting("FOLDERPATH", "SNAPSHOT_FOLDER"), out_.path());
    EXPECT_EQ(pair.GetState(PlayerTarget::kBoth), playback::PlayerState::kPaused);
    const std::string base =
        fileops::SnapshotBaseName(window_->controller().SelectedEntry().primary_name());
    const struct {
        std::string path;
        int code;
    } pictures[] = {{fileops::FrontSnapshotPath(out_.path(), base, named_frame), kFrame},
                    {fileops::RearSnapshotPath(out_.path(), base, named_frame), rear_frame}};
    // The pictures stay in the build folder as test output.
    const fs::path kept = fs::path(ARDELLE_BINARY_DIR) / "test-output" / "file-commands";
    fs::create_directories(kept);
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.path);
        fs::copy_file(picture.path, kept / fs::path(picture.path).filename(),
                      fs::copy_options::overwrite_existing);
        const QImage image(QString::fromStdString(picture.path));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(testing::ReadCodeOf(image, image.rect()), picture.code);
    }
    EXPECT_TRUE(window_->tool_button(file_command::kJoin - command::kFirstTool)->isEnabled());
}

}  // namespace
}  // namespace ardelle::app
