// What the map window shows for each combination of the window's marks, as a table.
#include "app/map_content_rule.h"

#include <gtest/gtest.h>

#include <string>

namespace ardelle::app {
namespace {

// A map window that records the rule's decisions.
class FakeMapWindow : public MapContentTarget {
  public:
    int ShowMap(int show) override {
        const bool changed = (show != 0) != map_shown;
        map_shown = show != 0;
        return changed ? 1 : 0;
    }
    bool MapHostVisible() const override { return map_shown; }
    void FocusMapHost() override { focused = true; }
    bool LogoVisible() const override { return logo_shown; }
    void RequestLogo(bool show) override {
        logo_shown = show;  // as the panel does once the posted request arrives
        ++requests;
    }
    void HideLogoNow() override { logo_shown = false; }
    int LogoPictureChoice() const override { return picture; }
    void SetLogoPictureChoice(int choice) override { picture = choice; }

    bool map_shown = false;
    bool logo_shown = false;
    bool focused = false;
    int picture = 1;
    int requests = 0;
};

enum class Shown { kMap, kLogo, kNothing };

std::string Name(Shown shown) {
    return shown == Shown::kMap ? "map" : shown == Shown::kLogo ? "logo" : "nothing";
}

TEST(MapContentRule, ShowsTheMapTheLogoOrNothingAndPicksTheLogosPicture) {
    // A movie with GPS playing at a placeable position, the map switched on and reachable.
    MapContentMarks on;
    on.map_display = true;
    on.map_has_position = true;
    on.no_position = false;
    on.map_started = true;
    on.started_up = true;
    MapContentInputs movie;
    movie.connected = true;
    movie.reference_initialised = true;
    movie.gps_list_empty = false;
    movie.movie_selection_valid = true;

    struct Case {
        const char* what;
        MapContentMarks marks;
        MapContentInputs in;
        Shown shown;
        int picture;
    };
    auto with = [](MapContentMarks m, auto change) {
        change(m);
        return m;
    };
    auto in_with = [](MapContentInputs in, auto change) {
        change(in);
        return in;
    };
    const Case cases[] = {
        {"playing with a fix", on, movie, Shown::kMap, 1},
        {"no position shown yet while connected", with(on, [](auto& m) { m.map_started = false; }),
         movie, Shown::kLogo, 1},
        {"switched on, no connection", with(on, [](auto& m) { m.map_has_position = false; }),
         in_with(movie, [](auto& i) { i.connected = false; }), Shown::kLogo, 0},
        {"no connection before start-up ended", with(on, [](auto& m) { m.started_up = false; }),
         in_with(movie, [](auto& i) { i.connected = false; }), Shown::kLogo, 1},
        {"map display off", with(on, [](auto& m) { m.map_display = false; }),
         in_with(movie, [](auto& i) { i.connected = false; }), Shown::kLogo, 1},
        {"parking recording, map unusable", with(on, [](auto& m) { m.map_started = false; }),
         in_with(movie, [](auto& i) { i.parking = true; }), Shown::kLogo, 1},
        {"a position off the earth", with(on, [](auto& m) { m.no_position = true; }),
         in_with(movie, [](auto& i) { i.connected = false; }), Shown::kLogo, 1},
        {"recording without GPS, not started", with(on, [](auto& m) { m.map_started = false; }),
         in_with(movie, [](auto& i) { i.gps_list_empty = true; }), Shown::kLogo, 1},
        {"no source", with(on, [](auto& m) { m.no_source = true; }),
         in_with(movie, [](auto& i) { i.connected = false; }), Shown::kLogo, 0},
        {"a placed still", with(on, [](auto& m) { m.map_has_position = false; }),
         in_with(movie,
                 [](auto& i) {
                     i.stills_tab = true;
                     i.movie_selection_valid = false;
                 }),
         Shown::kMap, 1},
        {"full window while wanted", on, in_with(movie, [](auto& i) { i.full_window = true; }),
         Shown::kNothing, 1},
        {"full window, not wanted", with(on, [](auto& m) { m.map_started = false; }),
         in_with(movie,
                 [](auto& i) {
                     i.full_window = true;
                     i.connected = false;
                 }),
         Shown::kNothing, 1},
    };
    for (const Case& c : cases) {
        for (const bool logo_before : {false, true}) {
            FakeMapWindow window;
            window.logo_shown = logo_before;
            MapContentRule rule;
            rule.marks() = c.marks;
            rule.Run(c.in, window);
            const Shown shown = window.map_shown    ? Shown::kMap
                                : window.logo_shown ? Shown::kLogo
                                                    : Shown::kNothing;
            EXPECT_EQ(Name(shown), Name(c.shown)) << c.what << ", logo before " << logo_before;
            if (c.shown == Shown::kLogo) {
                EXPECT_EQ(window.picture, c.picture) << c.what;
                EXPECT_TRUE(rule.marks().logo_wanted) << c.what;
            }
            if (c.shown == Shown::kMap) {
                EXPECT_FALSE(rule.marks().logo_wanted) << c.what;
            }
        }
    }
}

TEST(MapContentRule, ShowingTheMapFocusesItOnceAndTheLogoIsRequestedOnlyWhenHidden) {
    MapContentRule rule;
    rule.marks().map_display = true;
    rule.marks().map_has_position = true;
    rule.marks().no_position = false;
    rule.marks().map_started = true;
    MapContentInputs in;
    in.connected = true;
    in.reference_initialised = true;
    in.gps_list_empty = false;
    in.movie_selection_valid = true;
    FakeMapWindow window;
    rule.Run(in, window);
    EXPECT_TRUE(window.focused);
    window.focused = false;
    rule.Run(in, window);
    EXPECT_FALSE(window.focused) << "already shown: the focus stays where the user put it";

    in.connected = false;  // the connection drops: the logo with the no-connection picture
    rule.marks().started_up = true;
    rule.Run(in, window);
    EXPECT_FALSE(window.map_shown);
    EXPECT_TRUE(window.logo_shown);
    EXPECT_EQ(window.picture, 0);
    const int requests = window.requests;
    rule.Run(in, window);
    EXPECT_EQ(window.requests, requests) << "a visible logo is not asked for again";
}

}  // namespace
}  // namespace ardelle::app
