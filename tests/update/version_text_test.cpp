#include "update/version_text.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include "update/update_notice.h"

namespace ardelle::update {
namespace {

TEST(VersionText, CutAndDateForm) {
    struct Case {
        const char* text;
        const char* cut;
        const char* date;
    };
    for (const Case& c : {
             Case{"1.2.3.4", "1.2.3", "1./2./3.4"},
             Case{"1.2.3", "1.2.3", "1./2./3"},
             Case{"1.2.3\r\n", "1.2.3\r\n", "1./2./3\r\n"},
             Case{"10.20.30.40.50", "10.20.30", "10/.2/0.30/.4/0./50/"},
             Case{"240315", "240315", "24/03/15"},
             Case{"2403", "2403", "24/03/"},
             Case{"24031599", "24031599", "24/03/1599/"},
             Case{"", "", ""},
         }) {
        EXPECT_EQ(CutVersion(QString::fromUtf8(c.text)).toStdString(), c.cut) << c.text;
        EXPECT_EQ(DateForm(QString::fromUtf8(c.text)).toStdString(), c.date) << c.text;
    }
}

TEST(VersionText, VersionFromServedBody) {
    struct Case {
        const char* name;
        QByteArray body;
        bool with_marker;
        std::optional<QString> version;
    };
    const QByteArray after_1024 = QByteArray(1020, ' ') + "VER:1.0.1";
    const QByteArray long_version = "VER:" + QByteArray(1000, 'a');
    const QByteArray long_date = QByteArray(5000, '2');
    for (const Case& c : {
             Case{"marker", "VER:1.0.1", true, QStringLiteral("1.0.1")},
             Case{"kept_unchanged", "xx VER: 1.0.1\r\n", true, QStringLiteral(" 1.0.1\r\n")},
             Case{"no_marker", "1.0.1", true, std::nullopt},
             Case{"marker_past_the_first_bytes", after_1024, true, std::nullopt},
             Case{"empty_after_marker", "VER:", true, std::nullopt},
             Case{"nul_before_marker", QByteArray("\xff\xfe\0VER:1.0.1", 12), true, std::nullopt},
             Case{"nul_ends_version", QByteArray("VER:1.0\0.9", 10), true, QStringLiteral("1.0")},
             Case{"broken_utf8", "VER:1.\xff", true, QString::fromUtf8("1.\xef\xbf\xbd")},
             Case{"cut_to_259", long_version, true, QString(kVersionMaxChars, QLatin1Char('a'))},
             Case{"gps_whole_body", "240401", false, QStringLiteral("240401")},
             Case{"gps_empty", "", false, std::nullopt},
             Case{"gps_cut_to_259", long_date, false, QString(kVersionMaxChars, QLatin1Char('2'))},
         }) {
        EXPECT_EQ(VersionFromBody(c.body, c.with_marker), c.version) << c.name;
    }
}

TEST(VersionText, CutTextNeverSplitsASurrogatePair) {
    const QString text = QString(258, QLatin1Char('a')) + QString::fromUtf8("\xf0\x9f\x9a\x97");
    EXPECT_EQ(CutText(text, kVersionMaxChars), QString(258, QLatin1Char('a')));
    EXPECT_EQ(CutText(QStringLiteral("abc"), kVersionMaxChars), QStringLiteral("abc"));
}

UpdateItem Item(const char* section, const char* current, const char* latest, const char* page) {
    return {QString::fromUtf8(section), QString::fromUtf8(current), QString::fromUtf8(latest),
            QString::fromUtf8(page)};
}

const char* const kHeader =
    "新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリックしてくださ"
    "い。";

TEST(UpdateNotice, OneTwoAndThreeItems) {
    const UpdateItem firmware = Item("ドライブレコーダー本体", "1.2.3", "1.2.4", "http://h/fw");
    const UpdateItem viewer = Item("ビューワーソフト", "1.0.0", "1.0.1", "http://h/viewer?a=1&b=2");
    const UpdateItem gps = Item("GPSデータ情報", "24/03/15", "24/04/01", "http://h/gps");
    const std::string firmware_block =
        "ドライブレコーダー本体:\r\n現在のバージョン：1.2.3   →   更新バージョン：1.2.4\r\n\r\n"
        "URL : <a href=\"http://h/fw\">http://h/fw</a>";
    const std::string viewer_block =
        "ビューワーソフト:\r\n現在のバージョン：1.0.0   →   更新バージョン：1.0.1\r\n\r\n"
        "URL : <a href=\"http://h/viewer?a=1&amp;b=2\">http://h/viewer?a=1&amp;b=2</a>";
    const std::string gps_block =
        "GPSデータ情報:\r\n現在のバージョン：24/03/15   →   更新バージョン：24/04/01\r\n\r\n"
        "URL : <a href=\"http://h/gps\">http://h/gps</a>";
    const std::string head = std::string(kHeader) + "\r\n\r\n";

    EXPECT_EQ(ComposeNotice({}).toStdString(), "");
    EXPECT_EQ(ComposeNotice({viewer}).toStdString(), head + viewer_block);
    EXPECT_EQ(ComposeNotice({firmware, gps}).toStdString(),
              head + firmware_block + "\r\n\r\n\r\n" + gps_block + "\r\n");
    EXPECT_EQ(ComposeNotice({firmware, viewer, gps}).toStdString(),
              head + firmware_block + "\r\n\r\n\r\n" + viewer_block + "\r\n\r\n\r\n" + gps_block +
                  "\r\n");
}

TEST(UpdateNotice, ServerTextCannotAddMarkup) {
    const QString hostile = QString::fromUtf8(
        "1.0\"><a href=\"http://evil.test/\">x</a><script>alert('x')</script>&amp;\x01\x7f\t\n");
    EXPECT_EQ(EscapeNoticeText(hostile).toStdString(),
              "1.0&quot;&gt;&lt;a href=&quot;http://evil.test/&quot;&gt;x&lt;/a&gt;"
              "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp;\u2401\u2421\t\n");
    const QString notice =
        ComposeNotice({Item("v", "1.0.0", hostile.toUtf8().constData(), "http://h/")});
    EXPECT_EQ(notice.count(QStringLiteral("<a ")), 1);
    EXPECT_EQ(notice.count(QStringLiteral("<")), 2);  // the one anchor, opened and closed
    EXPECT_FALSE(notice.contains(QStringLiteral("evil.test/\"")));
}

TEST(UpdateNotice, LongNoticeIsCutOutsideEveryTagEntityAndLink) {
    const std::string amps(kVersionMaxChars, '&');  // 5 characters each once escaped
    const UpdateItem item = Item("s", amps.c_str(), amps.c_str(), "http://h/page");
    const QString notice = ComposeNotice({item, item, item});
    EXPECT_LE(notice.size(), kNoticeMaxChars);
    EXPECT_GT(notice.size(), kNoticeMaxChars - 6);
    EXPECT_TRUE(notice.endsWith(QStringLiteral("&amp;")));
    EXPECT_EQ(notice.count(QStringLiteral("<a ")), 0);

    // A cut that would fall inside a link ends before the link.
    const QString markup = QStringLiteral("abc URL : <a href=\"http://h/\">http://h/</a> tail");
    for (int at = 10; at < 40; ++at) {
        EXPECT_EQ(CutMarkup(markup, at), QStringLiteral("abc URL : ")) << at;
    }
    EXPECT_EQ(CutMarkup(markup, 44), markup.left(44));
    EXPECT_EQ(CutMarkup(QStringLiteral("a&amp;b"), 4), QStringLiteral("a"));
}

}  // namespace
}  // namespace ardelle::update
