#pragma once

#include <QString>
#include <vector>

namespace ardelle::update {

// The notice keeps at most this many characters.
inline constexpr int kNoticeMaxChars = 1299;

// One line of the notice: a thing with a newer (or just different) version.
struct UpdateItem {
    QString section;  // UI text 108, 110 or 111
    QString current_version;
    QString new_version;
    QString page;  // the information page: an http(s) address from the configuration
};

// A text of the UI string table as a QString.
QString UiQString(int id);

// Text made safe to stand between tags and in an attribute: & < > " ' become entities and
// control characters other than tab and line breaks become their visible pictures, so
// nothing a server sends can add markup or change an address.
QString EscapeNoticeText(const QString& text);

// The notice for one to three items, in the order given (UI text 105 as header, 107 and 109
// before the versions, each page as an anchor). Cut at kNoticeMaxChars, never inside a tag,
// an entity or a link. Empty for no items.
QString ComposeNotice(const std::vector<UpdateItem>& items);

// The longest prefix of markup, at most max_chars long, that ends outside any tag, entity
// or anchor element and splits no surrogate pair.
QString CutMarkup(const QString& markup, int max_chars);

}  // namespace ardelle::update
