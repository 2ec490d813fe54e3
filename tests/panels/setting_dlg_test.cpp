// The settings window offscreen: its texts and places, the messages its switches post, that it
// is made once and kept, that it writes nothing to the settings file, and one picture of it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include <filesystem>
#include <vector>

#include "base/settings.h"
#include "base/ui_text.h"
#include "graph/offscreen_qt.h"
#include "panels/setting_dlg.h"
#include "skin/skin.h"
#include "skin/skin_check_button.h"

namespace ardelle::panels {
namespace {

struct RecordingSink : MessageSink {
    void Post(const PostedMessage& message) override { posted.push_back(message); }
    std::vector<PostedMessage> posted;
};

void SendMouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// A press and release on the middle of the switch's box, as a user clicks it.
void ClickSwitch(skin::CSkinCheckButton& button) {
    const QPoint at = button.BoxRect().center();
    SendMouse(button, QEvent::MouseButtonPress, at, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

class SettingDlgTest : public ::testing::Test {
  protected:
    void SetUp() override { skin::Skin::Instance().SetScales(1.0, 1.0); }
    QApplication& app_ = ardelle::testing::OffscreenApp();  // before any widget
    QWidget main_window_;
    RecordingSink sink_;
};

TEST_F(SettingDlgTest, TextsAndPlacesAtTwoScales) {
    struct Case {
        double scale;
        QRect mark_group;
        QRect version_group;
        QRect first_switch;
        QRect last_switch;  // switch 5: right column, third row
        QSize size;
    };
    const Case cases[] = {
        {1.0,
         {10, 30, 434, 160},
         {10, 190, 434, 110},
         {40, 60, 160, 40},
         {240, 140, 160, 40},
         {460, 315}},
        {1.5,
         {15, 45, 651, 240},
         {15, 285, 651, 165},
         {60, 90, 240, 60},
         {360, 210, 240, 60},
         {690, 472}},
    };
    const int labels[] = {115, 124, 125, 129, 143, 183};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scale);
        skin::Skin::Instance().SetScales(c.scale, c.scale);
        CSettingDlg dialog(&main_window_, &sink_, graph::SeriesSwitches{});
        EXPECT_FALSE(dialog.isVisible());  // made hidden, shown by the settings command
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定"));
        EXPECT_EQ(dialog.mark_group(), c.mark_group);
        EXPECT_EQ(dialog.version_group(), c.version_group);
        EXPECT_EQ(dialog.switch_button(0)->geometry(), c.first_switch);
        EXPECT_EQ(dialog.switch_button(5)->geometry(), c.last_switch);
        EXPECT_EQ(dialog.size(), c.size);
        for (int i = 0; i < kSettingSwitchCount; ++i) {
            EXPECT_EQ(dialog.switch_button(i)->text(), QString::fromUtf8(base::UiText(labels[i])));
            EXPECT_TRUE(dialog.switch_button(i)->checked());
        }
        EXPECT_EQ(dialog.switch_button(6), nullptr);
        EXPECT_TRUE(dialog.version_group().contains(dialog.version_notice()->geometry()));
        EXPECT_TRUE(dialog.version_notice()->text().startsWith(QStringLiteral("version 1.0.0\n")));
    }
    EXPECT_EQ(QString::fromUtf8(base::UiText(115)), QStringLiteral("ドライブサポート"));
    EXPECT_EQ(QString::fromUtf8(base::UiText(183)), QStringLiteral("後続車接近"));
    EXPECT_EQ(QString::fromUtf8(base::UiText(128)),
              QStringLiteral("加速度グラフ/マップアイコン表示設定"));
    EXPECT_EQ(QString::fromUtf8(base::UiText(127)), QStringLiteral("バージョン情報"));
}

TEST_F(SettingDlgTest, EachSwitchPostsItsIndexAndNewStateAndRepaintsItsBox) {
    CSettingDlg dialog(&main_window_, &sink_, graph::SeriesSwitches{});
    dialog.show();
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        SCOPED_TRACE(i);
        skin::CSkinCheckButton& button = *dialog.switch_button(i);
        ClickSwitch(button);
        EXPECT_FALSE(button.checked());
        EXPECT_FALSE(dialog.SwitchOn(i));
        ClickSwitch(button);
        EXPECT_TRUE(button.checked());
    }
    std::vector<PostedMessage> expected;
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        expected.push_back({AppMessage::kSettingsSwitch, i, 0});
        expected.push_back({AppMessage::kSettingsSwitch, i, 1});
    }
    EXPECT_EQ(sink_.posted, expected);
}

TEST_F(SettingDlgTest, TheSettingsCommandMakesOneWindowCentredOnTheMonitorAndKeepsIt) {
    graph::SeriesSwitches current;
    CSettingDlg* first = ShowSettingsDialog(&main_window_, &sink_, current);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    const QRect monitor = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(first->geometry().center().x() - monitor.center().x()), 1);
    EXPECT_LE(std::abs(first->geometry().center().y() - monitor.center().y()), 1);

    // Speeding off; the main window applies it; the close button hides the window.
    ClickSwitch(*first->switch_button(3));
    ASSERT_EQ(sink_.posted.size(), 1u);
    ASSERT_TRUE(
        graph::ApplyEventGroupSwitch(current, sink_.posted[0].wparam, sink_.posted[0].lparam));
    ASSERT_NE(first->close_button(), nullptr);
    first->close_button()->click();
    EXPECT_FALSE(first->isVisible());

    CSettingDlg* again = ShowSettingsDialog(&main_window_, &sink_, current);
    EXPECT_EQ(again, first);
    EXPECT_TRUE(again->isVisible());
    EXPECT_FALSE(again->switch_button(3)->checked());  // as the marks are: hidden
    EXPECT_TRUE(again->switch_button(2)->checked());
    ClickSwitch(*again->switch_button(3));  // one click brings them back
    EXPECT_EQ(sink_.posted.back(), (PostedMessage{AppMessage::kSettingsSwitch, 3, 1}));
    EXPECT_EQ(main_window_.findChildren<CSettingDlg*>().size(), 1);
}

TEST_F(SettingDlgTest, ClicksResizeAndCloseWriteNothingToTheSettingsFile) {
    const std::filesystem::path folder =
        std::filesystem::path(ARDELLE_BINARY_DIR) / "test-output" / "setting-dlg-app-folder";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    base::SetAppFolder(folder.string());
    CSettingDlg* dialog = ShowSettingsDialog(&main_window_, &sink_, graph::SeriesSwitches{});
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        ClickSwitch(*dialog->switch_button(i));
    }
    // A drag on the bottom-right corner resizes the window.
    const QPoint corner(dialog->width() - 2, dialog->height() - 2);
    const QPoint start_size(dialog->width(), dialog->height());
    SendMouse(*dialog, QEvent::MouseButtonPress, corner, Qt::LeftButton);
    SendMouse(*dialog, QEvent::MouseMove, corner + QPoint(40, 30), Qt::LeftButton);
    SendMouse(*dialog, QEvent::MouseButtonRelease, corner + QPoint(40, 30), Qt::NoButton);
    EXPECT_GT(dialog->width(), start_size.x());
    dialog->close_button()->click();
    EXPECT_EQ(sink_.posted.size(), 6u);
    EXPECT_FALSE(std::filesystem::exists(folder / base::kSettingsFileName))
        << "after a resize from " << start_size.x() << "x" << start_size.y() << " to "
        << dialog->width() << "x" << dialog->height();
}

TEST_F(SettingDlgTest, PictureForALook) {
    skin::Skin::Instance().SetScales(1.5, 1.5);
    graph::SeriesSwitches current;
    current.Set(6, false);  // speeding marks hidden
    CSettingDlg dialog(&main_window_, &sink_, current);
    dialog.ShowCentred();
    const QImage picture = dialog.grab().toImage();
    ardelle::testing::SaveTestPicture(picture, "settings_dialog.png");
    // The title strip is grey; the ticked box is the pressed colour, the unticked one is not.
    const skin::Skin& skin = skin::Skin::Instance();
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, 2),
              skin.Colour(skin::ColourRole::kTitleStrip));
    const auto box_centre = [&](int i) {
        const skin::CSkinCheckButton& b = *dialog.switch_button(i);
        return b.geometry().topLeft() + b.BoxRect().topLeft() + QPoint(2, 2);
    };
    const QColor pressed = skin.Colour(skin::ColourRole::kButtonPressed);
    EXPECT_EQ(picture.pixelColor(box_centre(0)), pressed);
    EXPECT_NE(picture.pixelColor(box_centre(3)), pressed);
}

}  // namespace
}  // namespace ardelle::panels
