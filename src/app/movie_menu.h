#pragma once

#include <QWidget>
#include <vector>

#include "playback/player_types.h"

namespace ardelle::app {

// What the video context menu depends on: the reference player's state, the tab, the
// view, the surface clicked and the display values the entries show.
struct MovieMenuState {
    playback::PlayerState state = playback::PlayerState::kClosed;
    int tab = 0;  // 0 videos, 1 stills
    bool full_window = false;
    int surface = 0;          // the surface clicked (0 front, 1 rear)
    bool mirror = false;      // the clicked surface's mirror flag
    int speed_code = 1;       // playback::SpeedCode
    bool keep_aspect = true;  // videos: the main player's mode; stills: the still view's flag
    bool still_list_empty = true;
};

// One line of the menu: a command with its UI text, or a separator.
struct MovieMenuEntry {
    int id = 0;
    int text = 0;
    bool separator = false;
    bool enabled = true;
    bool checked = false;

    static MovieMenuEntry Separator() { return {0, 0, true, false, false}; }
    friend bool operator==(const MovieMenuEntry&, const MovieMenuEntry&) = default;
};

// The entries offered for a state; empty when no menu is shown.
std::vector<MovieMenuEntry> MovieMenuEntries(const MovieMenuState& state);

// The size of one item at a layout scale: wider in the full-window view.
QSize MovieMenuItemSize(double layout_scale, bool full_window);

// The video context menu, drawn by the program: one item per entry, a highlighted item in
// blue, disabled items in grey, a check mark beside a checked one. Exec() shows it at a
// screen point and returns the chosen command id, 0 when the menu was dismissed.
class CMovieMenu : public QWidget {
  public:
    CMovieMenu(std::vector<MovieMenuEntry> entries, double layout_scale, bool full_window,
               QWidget* parent = nullptr);

    int Exec(const QPoint& global);
    // The entry under a point of the menu, -1 for none.
    int EntryAt(const QPoint& point) const;
    QRect EntryRect(int index) const;
    void SetHighlighted(int index);
    int chosen() const { return chosen_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    int SeparatorHeight() const;

    std::vector<MovieMenuEntry> entries_;
    double scale_;
    QSize item_size_;
    int highlighted_ = -1;
    int chosen_ = 0;
    bool running_ = false;
};

}  // namespace ardelle::app
