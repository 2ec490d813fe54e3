#include <gtest/gtest.h>

#include "support/qt_printers.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <vector>

#include "base/ui_text.h"
#include "skin/msg_dlg.h"
#include "skin/skin_button.h"
#include "skin/skin_check_button.h"
#include "skin/skin_progress_bar_ctrl.h"
#include "skin/skin_slider_ctrl.h"
#include "skin/skin_tab_ctrl.h"
#include "support/qt_application.h"

namespace ardelle::skin {
namespace {

class RecordingSink : public MessageSink {
  public:
    void Post(const PostedMessage& message) override { messages.push_back(message); }
    std::vector<PostedMessage> messages;
};

void SendMouse(QWidget& widget, QEvent::Type type, int x, Qt::MouseButtons buttons) {
    const QPointF local(x, widget.height() / 2);
    QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

class SkinWidgetsTest : public ::testing::Test {
  protected:
    void SetUp() override { ardelle::testing::TestApplication(); }
};

TEST_F(SkinWidgetsTest, SliderPostsPressMovesAndReleaseWithItsIdAndPosition) {
    RecordingSink sink;
    CSkinSliderCtrl slider(38100, &sink, nullptr);
    slider.resize(200, 20);
    slider.SetRange(0, 99);
    SendMouse(slider, QEvent::MouseButtonPress, 100, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseMove, 150, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseMove, 400, Qt::LeftButton);  // beyond the widened range
    SendMouse(slider, QEvent::MouseButtonRelease, 150, Qt::NoButton);
    const std::vector<PostedMessage> expected = {
        {AppMessage::kSliderButtonDown, 38100, 50},
        {AppMessage::kSliderMoving, 38100, 75},
        {AppMessage::kSliderButtonUp, 38100, 75},
    };
    EXPECT_EQ(sink.messages, expected);
    EXPECT_EQ(slider.pos(), 75);
    EXPECT_FALSE(slider.dragging());
}

TEST_F(SkinWidgetsTest, SliderPressBesideTheThumbIsNotedAndADisabledSliderStaysSilent) {
    RecordingSink sink;
    CSkinSliderCtrl slider(38101, &sink, nullptr);
    slider.resize(200, 20);
    slider.SetRange(0, 99);
    SendMouse(slider, QEvent::MouseButtonPress, 5, Qt::LeftButton);
    EXPECT_FALSE(slider.pressed_beside_thumb());  // the thumb lands where the press was
    SendMouse(slider, QEvent::MouseButtonRelease, 5, Qt::NoButton);
    sink.messages.clear();
    slider.SetEnabledFlag(false);
    SendMouse(slider, QEvent::MouseButtonPress, 100, Qt::LeftButton);
    SendMouse(slider, QEvent::MouseButtonRelease, 100, Qt::NoButton);
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(slider.pos(), 2);
}

TEST_F(SkinWidgetsTest, ButtonFramesFollowTheirState) {
    struct Case {
        bool enabled;
        bool pressed;
        bool on;
        bool hover;
        ButtonFrame frame;
    };
    const Case cases[] = {
        {true, false, false, false, ButtonFrame::kNormal},
        {true, false, false, true, ButtonFrame::kHover},
        {true, true, false, true, ButtonFrame::kPressed},
        {true, false, true, false, ButtonFrame::kPressed},
        {false, true, true, true, ButtonFrame::kDisabled},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ButtonFrameFor(c.enabled, c.pressed, c.on, c.hover), c.frame)
            << c.enabled << c.pressed << c.on << c.hover;
    }
    CSkinButton button(IconRole::kPlay, 38002, nullptr);
    button.resize(32, 32);
    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&button, &space);
    QKeyEvent space_up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(&button, &space_up);
    EXPECT_EQ(clicks, 0) << "keys never press a skinned button";
    button.click();
    EXPECT_EQ(clicks, 1);
    button.SetOn(true);
    EXPECT_EQ(button.frame(), ButtonFrame::kPressed);
    // The icon is drawn: the button is not one flat colour.
    const QImage image = button.grab().toImage();
    const QColor face = image.pixelColor(2, 16);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ink += image.pixelColor(x, y) != face ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 40);
}

TEST_F(SkinWidgetsTest, CheckButtonReportsClicksAndShowsTheOwnersCheckedFlag) {
    CSkinCheckButton check(QStringLiteral("衝撃"), nullptr);
    check.resize(100, 20);
    int clicks = 0;
    QObject::connect(&check, &QAbstractButton::clicked, [&] { ++clicks; });
    check.click();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(check.checked()) << "the owner decides the checked flag";
    EXPECT_EQ(check.frame(), ButtonFrame::kNormal);
    check.SetChecked(true);
    EXPECT_EQ(check.frame(), ButtonFrame::kPressed);
    check.setEnabled(false);
    EXPECT_EQ(check.frame(), ButtonFrame::kDisabled);
    EXPECT_EQ(check.BoxRect(), QRect(0, 4, 12, 12));
}

TEST_F(SkinWidgetsTest, TabStripReportsOnlyANewSelection) {
    CSkinTabCtrl tabs({QStringLiteral("録画動画"), QStringLiteral("撮影画像")}, nullptr);
    tabs.resize(450, 30);
    std::vector<int> selected;
    tabs.SetOnSelected([&](int index) { selected.push_back(index); });
    SendMouse(tabs, QEvent::MouseButtonPress, 300, Qt::LeftButton);
    SendMouse(tabs, QEvent::MouseButtonPress, 300, Qt::LeftButton);
    SendMouse(tabs, QEvent::MouseButtonPress, 10, Qt::LeftButton);
    EXPECT_EQ(selected, (std::vector<int>{1, 0}));
    EXPECT_EQ(tabs.current(), 0);
    EXPECT_EQ(tabs.grab().toImage().pixelColor(449, 0), QColor(35, 24, 21));
}

// Counts pixels of one colour in a column range.
int CountColour(const QImage& image, int from_x, int to_x, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = from_x; x < to_x; ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

TEST_F(SkinWidgetsTest, ProgressBarAtHalfIsHalfBlueWithTheTextInTheOtherColour) {
    CSkinProgressBarCtrl bar(nullptr);
    bar.resize(400, 22);
    bar.SetRange(0, 100);
    bar.SetPos(50);
    EXPECT_EQ(bar.Text(), QStringLiteral("50 %"));
    const QImage image = bar.grab().toImage();
    const QColor blue(0, 0, 255);
    const QColor white(255, 255, 255);
    EXPECT_EQ(image.pixelColor(10, 11), blue);
    EXPECT_EQ(image.pixelColor(390, 11), white);
    // The text straddles the middle: white strokes over the blue half, blue over the white.
    EXPECT_GT(CountColour(image, 150, 200, white), 0);
    EXPECT_GT(CountColour(image, 200, 250, blue), 0);
    EXPECT_EQ(CountColour(image, 0, 140, white), 0);
    bar.SetRange(5, 5);  // an empty range draws nothing done
    EXPECT_EQ(bar.DoneWidth(400), 0);
}

TEST_F(SkinWidgetsTest, MessageDialogButtonsAnswersAndKeys) {
    struct Case {
        base::MessageStyle style;
        bool cancel_shown;
        QString ok_text;
        bool press_ok;
        int answer;
    };
    const Case cases[] = {
        {base::MessageStyle::kOk, false, QStringLiteral("OK"), true, 1},
        {base::MessageStyle::kOkCancel, true, QStringLiteral("OK"), false, 0},
        {base::MessageStyle::kYesNo, true, QString::fromUtf8(base::UiText(175)), true, 1},
        {base::MessageStyle::kYesNo, true, QString::fromUtf8(base::UiText(175)), false, 0},
    };
    for (const Case& c : cases) {
        CMsgDlg dialog(nullptr, QStringLiteral("動画のオープンに失敗しました。"),
                       QStringLiteral("ERROR"), c.style);
        EXPECT_EQ(dialog.cancel_button()->isVisibleTo(&dialog), c.cancel_shown);
        EXPECT_EQ(dialog.ok_button()->text(), c.ok_text);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ERROR"));
        bool esc_ignored = false;
        QTimer::singleShot(0, &dialog, [&] {
            // Esc and Enter never end a skinned dialog.
            for (const int key : {Qt::Key_Escape, Qt::Key_Return}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(&dialog, &press);
            }
            esc_ignored = dialog.isVisible();
            (c.press_ok ? dialog.ok_button() : dialog.cancel_button())->click();
        });
        EXPECT_EQ(dialog.Run(), c.answer);
        EXPECT_TRUE(esc_ignored);
        // Sized to its text: wider than the two buttons, the text inside.
        EXPECT_GE(dialog.width(), dialog.SizeForText().width());
        EXPECT_TRUE(dialog.rect().contains(dialog.ok_button()->geometry()));
    }
}

}  // namespace
}  // namespace ardelle::skin
