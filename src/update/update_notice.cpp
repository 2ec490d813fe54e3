#include "update/update_notice.h"

#include "base/ui_text.h"

namespace ardelle::update {
namespace {

constexpr int kHeaderText = 105;
constexpr int kCurrentVersionText = 107;
constexpr int kNewVersionText = 109;

QString ItemBlock(const UpdateItem& item) {
    const QString page = EscapeNoticeText(item.page);
    return EscapeNoticeText(item.section) + QStringLiteral(":\r\n") +
           UiQString(kCurrentVersionText) + EscapeNoticeText(item.current_version) +
           QStringLiteral("   \u2192   ") + UiQString(kNewVersionText) +
           EscapeNoticeText(item.new_version) + QStringLiteral("\r\n\r\nURL : <a href=\"") + page +
           QStringLiteral("\">") + page + QStringLiteral("</a>");
}

}  // namespace

QString UiQString(int id) {
    return QString::fromStdString(base::UiString(id));
}

QString EscapeNoticeText(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        switch (u) {
            case u'&':
                safe += QStringLiteral("&amp;");
                break;
            case u'<':
                safe += QStringLiteral("&lt;");
                break;
            case u'>':
                safe += QStringLiteral("&gt;");
                break;
            case u'"':
                safe += QStringLiteral("&quot;");
                break;
            case u'\'':
                safe += QStringLiteral("&#39;");
                break;
            case u'\t':
            case u'\r':
            case u'\n':
                safe += c;
                break;
            default:
                if (u < 0x20) {
                    safe += QChar(static_cast<char16_t>(0x2400 + u));  // control pictures
                } else if (u == 0x7F) {
                    safe += QChar(static_cast<char16_t>(0x2421));
                } else {
                    safe += c;
                }
        }
    }
    return safe;
}

QString CutMarkup(const QString& markup, int max_chars) {
    if (markup.size() <= max_chars) {
        return markup;
    }
    qsizetype last_safe = 0;
    bool in_tag = false;
    bool in_entity = false;
    bool in_anchor = false;
    for (qsizetype i = 0; i < max_chars; ++i) {
        const QChar c = markup[i];
        if (in_tag) {
            if (c == QLatin1Char('>')) {
                in_tag = false;
            }
        } else if (in_entity) {
            if (c == QLatin1Char(';')) {
                in_entity = false;
            }
        } else if (c == QLatin1Char('<')) {
            in_tag = true;
            in_anchor = !markup.mid(i, 4).startsWith(QLatin1String("</a>"));
        } else if (c == QLatin1Char('&')) {
            in_entity = true;
        }
        const qsizetype end = i + 1;
        if (!in_tag && !in_entity && !in_anchor && !c.isHighSurrogate()) {
            last_safe = end;
        }
    }
    return markup.left(last_safe);
}

QString ComposeNotice(const std::vector<UpdateItem>& items) {
    if (items.empty()) {
        return {};
    }
    QString notice = UiQString(kHeaderText) + QStringLiteral("\r\n\r\n");
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            notice += QStringLiteral("\r\n\r\n\r\n");
        }
        notice += ItemBlock(items[i]);
    }
    // One item ends with its link; two or three end with a line break.
    if (items.size() > 1) {
        notice += QStringLiteral("\r\n");
    }
    return CutMarkup(notice, kNoticeMaxChars);
}

}  // namespace ardelle::update
