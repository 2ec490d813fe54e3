#include "skin/resize_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "base/settings.h"
#include "support/qt_application.h"
#include "support/qt_printers.h"
#include "support/temp_folder.h"

namespace ardelle::skin {
namespace {

void Send(QWidget& widget, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons) {
    const QPointF at(local);
    QMouseEvent event(type, at, QPointF(widget.geometry().topLeft()) + at, Qt::LeftButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// Where the window system cannot move or resize a frameless window (the offscreen
// platform, like X11 without a window manager), the window drags itself.
class ResizeDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ardelle::testing::TestApplication();
        base::SetAppFolder(settings_.path());
        dialog_ = std::make_unique<CResizeDialog>();
        dialog_->SetBaseSize({452, 274});
        dialog_->setGeometry(100, 100, 452, 274);
        dialog_->show();
    }
    ardelle::testing::TempFolder settings_;
    std::unique_ptr<CResizeDialog> dialog_;
};

TEST_F(ResizeDialogTest, ACornerDragResizesWithinItsLimitsAndSavesTheScale) {
    dialog_->SetSection(QStringLiteral("MOVIEDISPLAY"));
    Send(*dialog_, QEvent::MouseButtonPress, {450, 272}, Qt::LeftButton);
    ASSERT_TRUE(dialog_->own_resize_active()) << "the bottom-right corner resizes";
    Send(*dialog_, QEvent::MouseMove, {550, 372}, Qt::LeftButton);
    Send(*dialog_, QEvent::MouseButtonRelease, {678, 411}, Qt::NoButton);
    // The dragged corner lies at the cursor; the top-left corner stays.
    EXPECT_EQ(dialog_->geometry(), QRect(100, 100, 678, 411));
    EXPECT_DOUBLE_EQ(dialog_->scale_x(), 678.0 / 452);
    EXPECT_EQ(base::ReadSetting("MOVIEDISPLAY", "SCALEX"), "1.500000");
    // A drag smaller than the base size stops at the base size.
    Send(*dialog_, QEvent::MouseButtonPress, {676, 409}, Qt::LeftButton);
    Send(*dialog_, QEvent::MouseButtonRelease, {10, 10}, Qt::NoButton);
    EXPECT_EQ(dialog_->geometry().size(), QSize(452, 274));
    EXPECT_EQ(base::ReadSetting("MOVIEDISPLAY", "SCALEY"), "1.000000");
}

TEST_F(ResizeDialogTest, ATitleDragMovesTheWindowAndTheStoredScaleIsReadBack) {
    Send(*dialog_, QEvent::MouseButtonPress, {200, 10}, Qt::LeftButton);
    EXPECT_TRUE(dialog_->move_drag_mark());
    EXPECT_FALSE(dialog_->own_resize_active());
    Send(*dialog_, QEvent::MouseMove, {230, 30}, Qt::LeftButton);
    Send(*dialog_, QEvent::MouseButtonRelease, {230, 30}, Qt::NoButton);
    EXPECT_EQ(dialog_->geometry().topLeft(), QPoint(130, 120));
    EXPECT_EQ(dialog_->size(), QSize(452, 274));

    base::WriteSetting("MAPDISPLAY", "SCALEX", "1.250000");
    base::WriteSetting("MAPDISPLAY", "SCALEY", "0");  // not above 0: ignored
    dialog_->SetSection(QStringLiteral("MAPDISPLAY"));
    EXPECT_EQ(dialog_->size(), QSize(565, 274));
}

// Counts the restores a title drag of a maximised window asks for.
class MaximisedDialog : public CResizeDialog {
  public:
    int restores = 0;

  protected:
    void TitleDraggedWhileMaximised() override { ++restores; }
};

TEST(ResizeDialogMaximisedTest, DraggingTheTitleMoreThanFourPixelsRestores) {
    ardelle::testing::TestApplication();
    struct Case {
        QPoint to;
        int restores;
    };
    for (const Case c :
         {Case{{203, 10}, 0}, Case{{204, 14}, 0}, Case{{205, 10}, 1}, Case{{200, 16}, 1}}) {
        MaximisedDialog dialog;
        dialog.SetBaseSize({452, 274});
        dialog.setGeometry(0, 0, 1000, 700);
        dialog.SetMaximisedFlag(true);
        Send(dialog, QEvent::MouseButtonPress, {200, 10}, Qt::LeftButton);
        Send(dialog, QEvent::MouseMove, c.to, Qt::LeftButton);
        Send(dialog, QEvent::MouseButtonRelease, c.to, Qt::NoButton);
        EXPECT_EQ(dialog.restores, c.restores) << c.to;
        EXPECT_EQ(dialog.pos(), QPoint(0, 0)) << "a maximised window does not move";
    }
}

}  // namespace
}  // namespace ardelle::skin
