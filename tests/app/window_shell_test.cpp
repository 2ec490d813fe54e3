// The main window's shell: maximised placement, the monitor fit, the leftover repaired
// copies, the update notice, the end of a drag and the rectangle a restore returns to.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QStyleHints>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/tovel_dlg.h"
#include "app/update_host.h"
#include "app/window_startup.h"
#include "base/settings.h"
#include "catalogue/recording_entry.h"
#include "skin/skin.h"
#include "support/local_http_server.h"
#include "support/qt_application.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

TEST(MaximisedTarget, AnAutoHidingTaskbarKeepsOnePixelOnItsSideUncovered) {
    const QRect monitor(0, 0, 1920, 1080);
    struct Case {
        const char* name;
        std::optional<QRect> taskbar;
        QRect expected;
    };
    const Case cases[] = {
        {"no auto-hiding taskbar", std::nullopt, monitor},
        {"bottom", QRect(0, 1040, 1920, 40), QRect(0, 0, 1920, 1079)},
        {"left", QRect(0, 0, 60, 1080), QRect(1, 0, 1919, 1080)},
        {"top", QRect(0, 0, 1920, 30), QRect(0, 1, 1920, 1079)},
        {"right", QRect(1860, 0, 60, 1080), QRect(0, 0, 1919, 1080)},
        {"covers the monitor", monitor, monitor},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MaximisedTarget(monitor, monitor, c.taskbar), c.expected) << c.name;
    }
}

TEST(ApplyMonitorFit, ALowMonitorShrinksTheTextFactorButNotTheFontsMade) {
    ardelle::testing::TestApplication();
    skin::Skin& skin = skin::Skin::Instance();
    struct Case {
        int work_height;
        bool maximise;
        double font_scale;
    };
    for (const Case& c :
         {Case{800, false, 1.0}, Case{697, false, 1.0}, Case{600, true, 600.0 / 697}}) {
        skin.SetScales(1.0, 1.0);
        const int made = skin.Font(skin::FontRole::k13).pixelSize();
        EXPECT_EQ(ApplyMonitorFit(c.work_height), c.maximise) << c.work_height;
        EXPECT_DOUBLE_EQ(skin.font_scale(), c.font_scale) << c.work_height;
        EXPECT_EQ(skin.Font(skin::FontRole::k13).pixelSize(), made) << c.work_height;
    }
    skin.SetScales(1.0, 1.0);
}

TEST(VolumeImage, LiesLeftOfTheVolumeSliderAndFollowsItsValue) {
    EXPECT_EQ(VolumeImageRect({1120, 697}, 1.0), QRect(965, 667, 30, 20));
    EXPECT_EQ(VolumeImageRect({2240, 1394}, 2.0), QRect(1930, 1334, 60, 40));
    struct Case {
        int volume;
        skin::IconRole expected;
    };
    for (const Case& c :
         {Case{0, skin::IconRole::kVolumeOff}, Case{1, skin::IconRole::kVolumeLow},
          Case{32767, skin::IconRole::kVolumeLow}, Case{32768, skin::IconRole::kVolumeHigh},
          Case{65535, skin::IconRole::kVolumeHigh}}) {
        EXPECT_EQ(VolumeImageFor(c.volume, 65535), c.expected) << c.volume;
    }
}

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ardelle::testing::TestApplication();
        ::setenv("TMPDIR", temporary_.path().c_str(), 1);
        base::SetAppFolder(settings_.path());
        skin::Skin::Instance().SetScales(1.0, 1.0);
    }
    void TearDown() override {
        window_.reset();
        ::unsetenv("TMPDIR");
    }
    ardelle::testing::TempFolder settings_;
    ardelle::testing::TempFolder temporary_;
    std::unique_ptr<CTovelDlg> window_;
};

TEST_F(ShellTest, StartUpClearsTheRepairedCopiesAnEarlierRunLeft) {
    const std::filesystem::path folder =
        std::filesystem::path(temporary_.path()) / "repaired_movie_files";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "20240101_000000_F.MP4") << "left over";
    window_ = std::make_unique<CTovelDlg>();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(ShellTest, TheNoticeOfTheCheckOpensTheUpdateWindowOnce) {
    ardelle::testing::LocalHttpServer server;
    ASSERT_TRUE(server.IsListening());
    server.Serve("/viewer.txt", ardelle::testing::ServedAnswer::Text("VER:99.0.0"));
    base::AppSettings().Write("UPDATE", "VIEWER_VERSION_URL", server.Url("/viewer.txt"));
    base::AppSettings().Write("UPDATE", "VIEWER_PAGE_URL", server.Url("/page"));
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    window_->AfterInitialisation();
    UpdateNoticeHost* host = window_->update_host();
    ASSERT_TRUE(host->started());
    for (int i = 0; i < 400 && host->dialog() == nullptr; ++i) {
        QTest::qWait(25);
    }
    ASSERT_NE(host->dialog(), nullptr) << "the notice arrived as 0x87D1";
    EXPECT_EQ(host->dialog()->windowTitle(), QStringLiteral("更新情報"));
    EXPECT_TRUE(host->dialog()->isVisible());
    EXPECT_TRUE(host->dialog()->link_control()->text().contains(
        QString::fromStdString(server.Url("/page"))));
    EXPECT_EQ(server.RequestCount("/viewer.txt"), 1);
    window_->AfterInitialisation();  // started once only
    QTest::qWait(100);
    EXPECT_EQ(server.RequestCount("/viewer.txt"), 1);
}

TEST_F(ShellTest, RestoringAfterTheFullWindowViewOfAMaximisedWindowReturnsToItsRectangle) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    window_->AfterInitialisation();
    const QRect normal = window_->geometry();
    EXPECT_EQ(window_->restore_rect(), normal);
    window_->Maximise(true);
    EXPECT_NE(window_->geometry(), normal);
    window_->ShowFullWindow(true, 0);
    window_->ShowFullWindow(false, 0);
    EXPECT_EQ(window_->restore_rect(), normal) << "protected while leaving the view";
    window_->Maximise(false);
    EXPECT_EQ(window_->geometry(), normal);
}

TEST_F(ShellTest, TheEndOfAResizeDragIsFinishedAQuarterDoubleClickLater) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->AfterInitialisation();
    const QSize before = window_->size();
    const QPoint corner(before.width() - 2, before.height() - 2);
    QTest::mousePress(window_.get(), Qt::LeftButton, {}, corner);
    QTest::mouseMove(window_.get(), corner + QPoint(40, 30), 50);
    QTest::mouseRelease(window_.get(), Qt::LeftButton, {}, corner + QPoint(40, 30), 50);
    EXPECT_TRUE(window_->drag_end_pending());
    const int quarter = QGuiApplication::styleHints()->mouseDoubleClickInterval() / 4;
    QTest::qWait(quarter + 200);
    EXPECT_FALSE(window_->drag_end_pending());
    EXPECT_EQ(window_->restore_rect(), window_->geometry());
    EXPECT_EQ(window_->surface(0)->geometry(),
              ComputeMainLayout(window_->size(), 1.0).video_surface);
}

class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override { ids.push_back(message.id); }
    bool Has(AppMessage id) const { return std::find(ids.begin(), ids.end(), id) != ids.end(); }
    std::vector<AppMessage> ids;
};

TEST_F(ShellTest, TheMovieWindowTellsItsOwnerOfItsPaintAndItsClose) {
    RecordingSink owner;
    CMovieDialog movie(QStringLiteral("リヤカメラ"), &owner, 1);
    movie.SetBaseSize({452, 274});
    movie.resize(452, 274);
    movie.CreateCloseButton(24);
    movie.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&movie));
    movie.repaint();
    EXPECT_TRUE(owner.Has(AppMessage::kMovieWindowPainted));
    QTest::mouseClick(movie.close_button(), Qt::LeftButton);
    EXPECT_TRUE(owner.Has(AppMessage::kMovieWindowClosed));
    EXPECT_FALSE(movie.isVisible());
}

TEST_F(ShellTest, TheVolumePictureIsRedrawnWhenTheSliderMoves) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const QRect area = VolumeImageRect(window_->size(), 1.0);
    window_->volume_slider()->SetPos(65535);
    const QImage loud = window_->grab(area).toImage();
    window_->volume_slider()->SetPos(0);
    window_->queue().Post({AppMessage::kSliderButtonUp, 38101, 0});
    QApplication::processEvents();
    const QImage off = window_->grab(area).toImage();
    EXPECT_NE(loud, off);
    window_->grab().save(QStringLiteral("main_window_volume_off.png"));
    EXPECT_FALSE(area.intersects(window_->volume_slider()->geometry()));
    EXPECT_FALSE(area.intersects(window_->tool_button(16)->geometry()));
}

TEST_F(ShellTest, TheCaptionBandMovesTheWindowAndTheEdgesStillResizeIt) {
    window_ = std::make_unique<CTovelDlg>();
    using skin::HitArea;
    struct Case {
        QPoint point;
        HitArea expected;
    };
    const Case cases[] = {
        {{600, 10}, HitArea::kTitle},   {{600, 26}, HitArea::kTitle},
        {{600, 27}, HitArea::kNowhere}, {{5, 15}, HitArea::kClient},
        {{1115, 15}, HitArea::kClient}, {{1113, 15}, HitArea::kTitle},
        {{2, 300}, HitArea::kLeft},     {{1118, 696}, HitArea::kBottomRight},
        {{600, 2}, HitArea::kTop},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window_->HitAt(c.point), c.expected) << c.point.x() << "," << c.point.y();
    }
    window_->Maximise(true);
    EXPECT_EQ(window_->HitAt({600, 10}), HitArea::kTitle) << "the own drag sees it";
}

// Two JPEG pictures with a black left half, the shape that tells a mirror.
std::string WritePicture(const std::filesystem::path& path, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width / 2; ++x) {
            picture.setPixelColor(x, y, Qt::black);
        }
    }
    EXPECT_TRUE(picture.save(QString::fromStdString(path.string()), "JPEG", 95));
    return path.string();
}

bool Dark(const QColor& colour) {
    return colour.lightness() < 40;
}

TEST_F(ShellTest, TheStillsTabDrawsBothPicturesMirroredAndStretchedOnRequest) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    window_->AfterInitialisation();
    const std::filesystem::path folder(temporary_.path());
    catalogue::RecordingEntry entry;
    entry.front_path = WritePicture(folder / "front.jpg", 1920, 1080);
    entry.rear_path = WritePicture(folder / "rear.jpg", 1920, 1080);
    window_->SwitchTab(1);
    EXPECT_FALSE(window_->surface(0)->isVisible());
    EXPECT_TRUE(window_->still_surface(0)->isVisible());
    EXPECT_EQ(window_->still_surface(0)->geometry(), window_->surface(0)->geometry());
    window_->DrawStillViews(&entry);
    EXPECT_EQ(entry.quality_code, 12);
    const QImage front = window_->still_surface(0)->grab().toImage();
    const QImage rear = window_->still_surface(1)->grab().toImage();
    front.save(QStringLiteral("stills_front.png"));
    EXPECT_TRUE(Dark(front.pixelColor(40, front.height() / 2)));
    EXPECT_FALSE(Dark(front.pixelColor(front.width() - 40, front.height() / 2)));
    EXPECT_EQ(front.pixelColor(300, 0), QColor(4, 0, 0)) << "keep-aspect leaves the top row";
    EXPECT_TRUE(Dark(rear.pixelColor(20, rear.height() / 2)));

    window_->still_views().ToggleMirror();
    const QImage mirrored = window_->still_surface(1)->grab().toImage();
    EXPECT_FALSE(Dark(mirrored.pixelColor(20, mirrored.height() / 2)));
    EXPECT_TRUE(Dark(window_->still_surface(0)->grab().toImage().pixelColor(40, 100)))
        << "only the rear picture mirrors";

    window_->still_views().ToggleKeepAspect();
    const QImage stretched = window_->still_surface(0)->grab().toImage();
    EXPECT_TRUE(Dark(stretched.pixelColor(40, 0)));
    EXPECT_FALSE(Dark(stretched.pixelColor(stretched.width() - 40, 0)));

    // No rear picture: its surface says so; no front picture: the front one does.
    entry.rear_path.clear();
    window_->DrawStillViews(&entry);
    EXPECT_EQ(window_->still_surface(1)->background_text(), 188);
    entry.rear_path = entry.front_path;
    entry.front_path.clear();
    window_->DrawStillViews(&entry);
    EXPECT_EQ(window_->still_surface(0)->background_text(), 187);
    const QImage text = window_->still_surface(0)->grab().toImage();
    text.save(QStringLiteral("stills_no_front.png"));
    window_->DrawStillViews(nullptr);
    EXPECT_EQ(window_->still_surface(1)->background_text(), 0);
    EXPECT_TRUE(window_->still_surface(1)->picture().isNull());

    window_->SwitchTab(0);
    EXPECT_TRUE(window_->surface(0)->isVisible());
    EXPECT_FALSE(window_->still_surface(0)->isVisible());
}

TEST_F(ShellTest, AResizeEndsTheStillZoomOfThatWindowsSurfaceAndAMoveKeepsIt) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    window_->SwitchTab(1);
    const std::filesystem::path folder(temporary_.path());
    catalogue::RecordingEntry entry;
    entry.front_path = WritePicture(folder / "f.jpg", 1920, 1080);
    entry.rear_path = WritePicture(folder / "r.jpg", 1920, 1080);
    window_->DrawStillViews(&entry);
    StillViews& stills = window_->still_views();
    ASSERT_TRUE(stills.ZoomClick(0, 0, true, {100, 100}, 1.0));
    ASSERT_TRUE(stills.ZoomClick(1, 1, true, {50, 50}, 1.0));
    EXPECT_EQ(stills.zoom(0).level, 2.0f);
    struct Case {
        const char* name;
        std::int64_t was_resize;
        std::int64_t from;  // 2: the movie window, else the main window's surface
        float main_level;
        float movie_level;
    };
    for (const Case& c :
         {Case{"movie window moved", 0, 2, 2.0f, 2.0f}, Case{"main window moved", 0, 0, 2.0f, 2.0f},
          Case{"movie window resized", 1, 2, 2.0f, 1.0f},
          Case{"main window resized", 1, 0, 1.0f, 1.0f}}) {
        window_->queue().Post({AppMessage::kFloatingWindowMoved, c.was_resize, c.from});
        QApplication::processEvents();
        EXPECT_EQ(stills.zoom(0).level, c.main_level) << c.name;
        EXPECT_EQ(stills.zoom(1).level, c.movie_level) << c.name;
    }
}

TEST_F(ShellTest, AStillPictureThatCannotBeDecodedStopsTheDrawing) {
    window_ = std::make_unique<CTovelDlg>();
    window_->show();
    window_->SwitchTab(1);
    const std::filesystem::path folder(temporary_.path());
    catalogue::RecordingEntry good;
    good.front_path = WritePicture(folder / "a.jpg", 1280, 720);
    good.rear_path = WritePicture(folder / "b.jpg", 1280, 720);
    window_->DrawStillViews(&good);
    EXPECT_EQ(good.quality_code, 11);
    std::ofstream(folder / "broken.jpg") << "not a picture";
    catalogue::RecordingEntry broken;
    broken.front_path = (folder / "broken.jpg").string();
    broken.rear_path = WritePicture(folder / "c.jpg", 640, 480);
    window_->DrawStillViews(&broken);
    EXPECT_FALSE(window_->still_surface(1)->picture().isNull()) << "keeps what it showed";
    EXPECT_EQ(broken.quality_code, 0);
}

}  // namespace
}  // namespace ardelle::app
