// The main window itself on the offscreen platform: its children where the layout puts
// them, and a new work area rescaling everything.
#include "app/tovel_dlg.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/settings.h"
#include "skin/skin.h"
#include "support/qt_application.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace ardelle::app {
namespace {

class TovelDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ardelle::testing::TestApplication();
        // Start-up clears the repaired copies of the temporary folder: a folder of its own.
        ::setenv("TMPDIR", settings_.path().c_str(), 1);
        base::SetAppFolder(settings_.path());
        skin::Skin::Instance().SetScales(1.0, 1.0);
        window_ = std::make_unique<CTovelDlg>();
    }
    void TearDown() override {
        window_.reset();
        skin::Skin::Instance().SetScales(1.0, 1.0);
        ::unsetenv("TMPDIR");
    }
    ardelle::testing::TempFolder settings_;
    std::unique_ptr<CTovelDlg> window_;
};

TEST_F(TovelDlgTest, ChildrenLieWhereTheLayoutPutsThemAndPanelsWaitForTheirContent) {
    EXPECT_EQ(window_->size(), QSize(1120, 697));
    const MainLayout expected = ComputeMainLayout({1120, 697}, 1.0);
    EXPECT_EQ(window_->surface(0)->geometry(), expected.video_surface);
    EXPECT_EQ(window_->surface(0)->ClientRect(), (playback::VideoRect{0, 0, 656, 371}));
    EXPECT_EQ(window_->panel_slots().graph->geometry(), expected.graph);
    EXPECT_EQ(window_->panel_slots().info_panel->geometry(), expected.info_panel);
    EXPECT_EQ(window_->panel_slots().lists[0]->geometry(), expected.list_window);
    EXPECT_EQ(window_->tool_button(12)->geometry(), expected.tool_buttons[12]);
    EXPECT_EQ(window_->title_button(0)->geometry(), QRect(1064, 0, 46, 18));
    EXPECT_EQ(window_->tool_button(2)->toolTip(), QStringLiteral("再生"));
    EXPECT_EQ(window_->movie_window()->windowTitle(), QStringLiteral("リヤカメラ"));
    // A subsystem's widget fills its place and follows its size.
    auto* content = new QWidget;
    window_->panel_slots().graph->SetContent(content);
    EXPECT_EQ(content->geometry(), QRect(QPoint(0, 0), expected.graph.size()));
    EXPECT_EQ(content->parentWidget(), window_->panel_slots().graph);
}

TEST_F(TovelDlgTest, ANewWorkAreaRescalesTheWindowsAndTheirChildren) {
    // A 4K-like work area: scale 2160 / 48 / 22.
    window_->RescaleToWorkArea({0, 0, 3840, 2160}, 96, 96);
    const double s = 2160.0 / 48 / 22;
    EXPECT_DOUBLE_EQ(skin::Skin::Instance().layout_scale(), s);
    EXPECT_EQ(window_->size(), MainWindowBaseSize(s));
    EXPECT_EQ(window_->surface(0)->geometry(),
              ComputeMainLayout(MainWindowBaseSize(s), s).video_surface);
    EXPECT_EQ(window_->tool_button(0)->size(), QSize(65, 65));
    EXPECT_EQ(window_->movie_window()->size(), MovieWindowBaseSize(s));
    EXPECT_EQ(window_->surface(1)->geometry(), FloatingContentRect(MovieWindowBaseSize(s), s));
    // The same work area again changes nothing.
    window_->resize(2400, 1500);
    window_->RescaleToWorkArea({0, 0, 3840, 2160}, 96, 96);
    EXPECT_EQ(window_->size(), QSize(2400, 1500));
}

}  // namespace
}  // namespace ardelle::app
