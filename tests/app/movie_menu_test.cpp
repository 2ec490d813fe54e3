// The video context menu: its entries for every player state, tab and view as a table, and
// the program-drawn popup's sizes and colours.
#include "app/movie_menu.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "graph/offscreen_qt.h"

namespace ardelle::app {
namespace {

using playback::PlayerState;

// The entries as text: ids with their UI texts, "|" for separators, "-" for disabled entries
// and "v" for checked ones.
std::string Describe(const std::vector<MovieMenuEntry>& entries) {
    std::string out;
    for (const MovieMenuEntry& e : entries) {
        if (!out.empty()) {
            out += ' ';
        }
        if (e.separator) {
            out += '|';
            continue;
        }
        out += std::to_string(e.id) + ":" + std::to_string(e.text);
        out += e.enabled ? "" : "-";
        out += e.checked ? "v" : "";
    }
    return out;
}

TEST(MovieMenuEntries, EachStateTabAndViewOffersItsEntries) {
    struct Case {
        PlayerState state;
        int tab;
        bool full_window;
        int surface;
        bool mirror;
        int speed;
        bool keep_aspect;
        bool still_list_empty;
        const char* expected;
    };
    constexpr auto kPlaying = PlayerState::kPlaying;
    constexpr auto kPaused = PlayerState::kPaused;
    constexpr auto kStopped = PlayerState::kStopped;
    constexpr auto kClosed = PlayerState::kClosed;
    const Case cases[] = {
        {kPlaying, 0, false, 1, false, 1, true, true,
         "38002:82 38000:87 38004:79 38003:85 | 38006:86 38014:84 | 38010:169 38016:147 | "
         "38012:81"},
        {kPlaying, 0, true, 1, false, 1, true, true,
         "38002:82 38000:87 38004:79 38003:85 38200:89 | 38010:169 38016:147"},
        {kPaused, 0, false, 1, false, 1, true, true,
         "38002:83 38000:87 | 38006:86 38014:84 | 38010:169 38016:147 | 38012:81"},
        {kPaused, 0, true, 1, false, 1, false, true,
         "38002:83 38000:87 38200:88 | 38010:169 38016:147"},
        {kStopped, 0, false, 1, false, 1, true, true,
         "38002:83 | 38006:86 38014:84 | 38010:169 38016:147 | 38012:81"},
        {kStopped, 0, true, 1, false, 1, true, true, "38002:83 38200:89 | 38010:169 38016:147"},
        {kClosed, 0, false, 1, false, 1, true, false, ""},
        // Speed limits while playing, the mirror's check mark and the front surface.
        {kPlaying, 0, true, 0, true, 2, true, true,
         "38002:82 38000:87 38004:79- 38003:85 38200:89 | 38010:169-v 38016:147"},
        {kPlaying, 0, true, 1, true, -2, true, true,
         "38002:82 38000:87 38004:79 38003:85- 38200:89 | 38010:169v 38016:147"},
        // The stills tab: closed (with stills) or stopped only.
        {kClosed, 1, false, 1, false, 1, true, false, "38014:84 | 38010:169 38016:147 | 38012:81"},
        {kClosed, 1, false, 1, false, 1, true, true, ""},
        {kStopped, 1, true, 1, false, 1, false, true, "38200:88 | 38010:169 38016:147"},
        {kPlaying, 1, false, 1, false, 1, true, false, ""},
        {kPaused, 1, false, 1, false, 1, true, false, ""},
    };
    for (const Case& c : cases) {
        MovieMenuState state;
        state.state = c.state;
        state.tab = c.tab;
        state.full_window = c.full_window;
        state.surface = c.surface;
        state.mirror = c.mirror;
        state.speed_code = c.speed;
        state.keep_aspect = c.keep_aspect;
        state.still_list_empty = c.still_list_empty;
        EXPECT_EQ(Describe(MovieMenuEntries(state)), c.expected)
            << "state " << static_cast<int>(c.state) << " tab " << c.tab << " full "
            << c.full_window;
    }
}

TEST(MovieMenu, ItemsHaveTheirSizesAndTheHighlightItsColours) {
    ardelle::testing::OffscreenApp();
    EXPECT_EQ(MovieMenuItemSize(1.5, true), QSize(330, 30));
    EXPECT_EQ(MovieMenuItemSize(1.5, false), QSize(105, 30));
    EXPECT_EQ(MovieMenuItemSize(0.75, false), QSize(52, 15));

    const std::vector<MovieMenuEntry> entries = {
        {38002, 82, false, true, false},
        MovieMenuEntry::Separator(),
        {38010, 169, false, false, true},
        {38016, 147, false, true, false},
    };
    CMovieMenu menu(entries, 1.0, true, nullptr);
    EXPECT_GE(menu.width(), 220);
    EXPECT_EQ(menu.EntryRect(0).height(), 20);
    EXPECT_EQ(menu.EntryAt(menu.EntryRect(1).center()), -1) << "a separator is not an item";
    EXPECT_EQ(menu.EntryAt(menu.EntryRect(3).center()), 3);

    auto pixel_at_right_of = [&](int index) {
        QImage picture(menu.size(), QImage::Format_RGB32);
        menu.render(&picture);
        const QRect box = menu.EntryRect(index);
        ardelle::testing::SaveTestPicture(picture, "movie_menu.png");
        return picture.pixelColor(box.right() - 2, box.top() + 2);
    };
    menu.SetHighlighted(0);
    EXPECT_EQ(pixel_at_right_of(0), QColor(0, 0, 255)) << "a highlighted enabled item";
    menu.SetHighlighted(2);
    EXPECT_EQ(pixel_at_right_of(2), QColor(195, 196, 255)) << "a highlighted disabled item";
    EXPECT_NE(pixel_at_right_of(3), QColor(0, 0, 255)) << "other items keep the background";
}

// Clicks inside the menu at a point, as the window system delivers a release.
void Release(CMovieMenu& menu, const QPoint& point) {
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(point),
                        menu.mapToGlobal(QPointF(point)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&menu, &release);
}

TEST(MovieMenu, ExecReturnsTheChosenEnabledCommandAndNothingWhenDismissed) {
    ardelle::testing::OffscreenApp();
    const std::vector<MovieMenuEntry> entries = {
        {38002, 82, false, true, false},
        MovieMenuEntry::Separator(),
        {38010, 169, false, false, false},
        {38016, 147, false, true, false},
    };
    CMovieMenu menu(entries, 1.0, false, nullptr);
    QTimer::singleShot(50, &menu, [&] {
        Release(menu, menu.EntryRect(2).center());  // disabled: the menu stays
        Release(menu, menu.EntryRect(1).center());  // a separator: the menu stays
        Release(menu, menu.EntryRect(3).center());
    });
    EXPECT_EQ(menu.Exec(QPoint(100, 100)), 38016);
    EXPECT_FALSE(menu.isVisible());

    QTimer::singleShot(50, &menu, [&] {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&menu, &escape);
    });
    EXPECT_EQ(menu.Exec(QPoint(100, 100)), 0);
}

}  // namespace
}  // namespace ardelle::app
