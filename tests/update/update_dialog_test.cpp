#include "update/update_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/qt_app.h"
#include "update/update_notice.h"

namespace ardelle::update {
namespace {

QApplication& App() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return ardelle::testing::QtApp<QApplication>();
}

// The anchors a label's markup makes, in document order.
QStringList AnchorsOf(const QString& markup) {
    QTextDocument document;
    document.setHtml(markup);
    QStringList anchors;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QString href = it.fragment().charFormat().anchorHref();
            if (!href.isEmpty() && (anchors.isEmpty() || anchors.last() != href)) {
                anchors << href;
            }
        }
    }
    return anchors;
}

QString PlainTextOf(const QString& markup) {
    QTextDocument document;
    document.setHtml(markup);
    return document.toPlainText();
}

// Moves the mouse over the label until it hovers the link to href; the point, or (-1, -1).
QPoint FindLink(QLabel& label, const QString& href) {
    QString hovered;
    const auto connection = QObject::connect(&label, &QLabel::linkHovered,
                                             [&](const QString& link) { hovered = link; });
    QPoint found(-1, -1);
    for (int y = 2; y < label.height() && found.x() < 0; y += 4) {
        for (int x = 2; x < label.width(); x += 6) {
            QTest::mouseMove(&label, QPoint(x, y));
            if (hovered == href) {
                found = QPoint(x, y);
                break;
            }
        }
    }
    QObject::disconnect(connection);
    return found;
}

struct Fixture {
    std::vector<QUrl> opened;
    CUpdateDialog dialog{{1.0, QFont(), [this](const QUrl& url) { opened.push_back(url); }}};
};

const QString kViewerPage = QStringLiteral("http://127.0.0.1:8/viewer?a=1&b=2");
const QString kGpsPage = QStringLiteral("https://127.0.0.1:8/gps");

QString HostileNotice() {
    return ComposeNotice(
        {{QStringLiteral("ビューワーソフト"), QStringLiteral("1.0.0"),
          QStringLiteral("1.0.1\"><a href=\"http://evil.test/\">x</a>&amp;"), kViewerPage},
         {QStringLiteral("GPSデータ情報"), QStringLiteral("24/03/15"), QStringLiteral("24/04/01"),
          kGpsPage}});
}

TEST(CUpdateDialog, ShowsTheNoticeWithOnlyItsOwnLinks) {
    App();
    Fixture f;
    const QString notice = HostileNotice();
    f.dialog.SetNoticeText(notice);
    const QString markup = f.dialog.link_control()->text();
    EXPECT_EQ(f.dialog.link_control()->textFormat(), Qt::RichText);
    EXPECT_EQ(AnchorsOf(markup), (QStringList{kViewerPage, kGpsPage}));
    const QString plain = PlainTextOf(markup);
    EXPECT_TRUE(plain.contains(
        QStringLiteral("現在のバージョン：1.0.0   \u2192   更新バージョン：1.0.1\"><a "
                       "href=\"http://evil.test/\">x</a>&amp;\n")))
        << plain.toStdString();
    EXPECT_TRUE(plain.startsWith(QStringLiteral("新しいバージョンのソフトを利用できます。\n")));
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("更新情報"));
}

TEST(CUpdateDialog, ClickingALinkHandsItsAddressToTheOpenerAndStaysOpen) {
    App();
    Fixture f;
    f.dialog.SetNoticeText(HostileNotice());
    f.dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.dialog));
    const QPoint at = FindLink(*f.dialog.link_control(), kGpsPage);
    ASSERT_GE(at.x(), 0) << "no link under the mouse";
    QTest::mouseClick(f.dialog.link_control(), Qt::LeftButton, {}, at);
    ASSERT_EQ(f.opened.size(), 1u);
    EXPECT_EQ(f.opened[0], QUrl(kGpsPage));
    EXPECT_TRUE(f.dialog.isVisible());

    f.dialog.grab().save(QStringLiteral(ARDELLE_BINARY_DIR "/update-notice.png"));
}

TEST(CUpdateDialog, OpensOnlyWebAddresses) {
    App();
    Fixture f;
    for (const char* address : {"javascript:alert(1)", "file:///etc/passwd", "mailto:a@b", ""}) {
        emit f.dialog.link_control()->linkActivated(QString::fromLatin1(address));
    }
    EXPECT_TRUE(f.opened.empty());
    emit f.dialog.link_control()->linkActivated(kViewerPage);
    EXPECT_EQ(f.opened, std::vector<QUrl>{QUrl(kViewerPage)});
}

TEST(CUpdateDialog, EnterKeepsItOpenAndCloseHidesItForTheRun) {
    App();
    Fixture f;
    f.dialog.SetNoticeText(HostileNotice());
    f.dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.dialog));
    QTest::keyClick(&f.dialog, Qt::Key_Return);
    QTest::keyClick(&f.dialog, Qt::Key_Enter);
    QTest::keyClick(&f.dialog, Qt::Key_Escape);
    EXPECT_TRUE(f.dialog.isVisible());
    EXPECT_FALSE(f.dialog.IsClosed());

    QTest::mouseClick(f.dialog.close_button(), Qt::LeftButton);
    EXPECT_FALSE(f.dialog.isVisible());
    EXPECT_TRUE(f.dialog.IsClosed());
    f.dialog.show();
    EXPECT_FALSE(f.dialog.isVisible());
}

TEST(CUpdateDialog, IsASkinnedFramelessDialogWithItsTitleStrip) {
    App();
    Fixture f;
    f.dialog.SetNoticeText(HostileNotice());
    f.dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.dialog));
    EXPECT_TRUE(f.dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(f.dialog.windowTitle(), QStringLiteral("更新情報"));
    const QImage picture = f.dialog.grab().toImage();
    const QColor strip = picture.pixelColor(picture.width() / 2, 3);
    const QColor body = picture.pixelColor(picture.width() - 4, picture.height() / 2);
    const QColor bottom = picture.pixelColor(4, picture.height() - 4);
    EXPECT_EQ(body, QColor(Qt::white));
    EXPECT_NE(strip, QColor(Qt::white));
    EXPECT_NE(bottom, QColor(Qt::white));
    picture.save(QStringLiteral("update_dialog.png"));
}

TEST(CUpdateDialog, LaysOutAtTheLayoutScale) {
    App();
    for (const double scale : {1.0, 1.5}) {
        CUpdateDialog dialog({scale, QFont(), {}});
        const auto s = [scale](double units) { return static_cast<int>(units * scale); };
        EXPECT_EQ(dialog.size(), QSize(s(640), s(480)));
        EXPECT_EQ(dialog.link_control()->geometry(),
                  QRect(s(10), s(10) + s(20), dialog.width() - s(20), dialog.height() - s(80)));
        EXPECT_EQ(dialog.close_button()->geometry(),
                  QRect(dialog.width() - s(10) - s(100), dialog.height() - s(40), s(100), s(30)));
        EXPECT_EQ(dialog.close_button()->text(), QStringLiteral("閉じる"));
        dialog.show();
        dialog.resize(800, 600);
        QApplication::processEvents();
        EXPECT_EQ(dialog.close_button()->geometry().topLeft(),
                  QPoint(800 - s(10) - s(100), 600 - s(40)));
    }
}

}  // namespace
}  // namespace ardelle::update
