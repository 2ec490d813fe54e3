#include "app/movie_menu.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "app/viewer_view.h"
#include "base/ui_text.h"
#include "skin/skin.h"

namespace ardelle::app {
namespace {

using playback::PlayerState;

constexpr int kTextPause = 82;
constexpr int kTextPlay = 83;
constexpr int kTextStop = 87;
constexpr int kTextFaster = 79;
constexpr int kTextSlower = 85;
constexpr int kTextSnapshot = 86;
constexpr int kTextSettings = 84;
constexpr int kTextMirror = 169;
constexpr int kTextDisplaySwitch = 147;
constexpr int kTextBrowse = 81;
constexpr int kTextKeepAspect = 88;
constexpr int kTextStretch = 89;

constexpr int kToStart = 38000;
constexpr int kSlower = 38003;
constexpr int kFaster = 38004;
constexpr int kSnapshot = 38006;
constexpr int kBrowse = 38012;
constexpr int kSettings = 38014;

MovieMenuEntry Item(int id, int text) {
    return {id, text, false, true, false};
}

// The entries every menu ends with: mirror (only for the rear surface, checked when its
// picture is mirrored) and the display switch, then browsing outside the full-window view.
void AppendViewEntries(const MovieMenuState& s, std::vector<MovieMenuEntry>& out) {
    out.push_back({command::kMirror, kTextMirror, false, s.surface != 0, s.mirror});
    out.push_back(Item(command::kDisplaySwitch, kTextDisplaySwitch));
    if (!s.full_window) {
        out.push_back(MovieMenuEntry::Separator());
        out.push_back(Item(kBrowse, kTextBrowse));
    }
}

MovieMenuEntry DisplayModeEntry(const MovieMenuState& s) {
    return Item(command::kDisplayMode, s.keep_aspect ? kTextStretch : kTextKeepAspect);
}

std::vector<MovieMenuEntry> VideoEntries(const MovieMenuState& s) {
    std::vector<MovieMenuEntry> out;
    const bool playing = s.state == PlayerState::kPlaying;
    out.push_back(Item(command::kPlayPause, playing ? kTextPause : kTextPlay));
    if (s.state != PlayerState::kStopped) {
        out.push_back(Item(kToStart, kTextStop));
    }
    if (playing) {
        out.push_back({kFaster, kTextFaster, false, s.speed_code <= 1, false});
        out.push_back({kSlower, kTextSlower, false, s.speed_code >= 0, false});
    }
    if (s.full_window) {
        out.push_back(DisplayModeEntry(s));
    } else {
        out.push_back(MovieMenuEntry::Separator());
        out.push_back(Item(kSnapshot, kTextSnapshot));
        out.push_back(Item(kSettings, kTextSettings));
    }
    out.push_back(MovieMenuEntry::Separator());
    AppendViewEntries(s, out);
    return out;
}

std::vector<MovieMenuEntry> StillEntries(const MovieMenuState& s) {
    std::vector<MovieMenuEntry> out;
    out.push_back(s.full_window ? DisplayModeEntry(s) : Item(kSettings, kTextSettings));
    out.push_back(MovieMenuEntry::Separator());
    AppendViewEntries(s, out);
    return out;
}

}  // namespace

std::vector<MovieMenuEntry> MovieMenuEntries(const MovieMenuState& s) {
    if (s.tab == 0) {
        return s.state == PlayerState::kClosed ? std::vector<MovieMenuEntry>{} : VideoEntries(s);
    }
    const bool offered = s.state == PlayerState::kStopped ||
                         (s.state == PlayerState::kClosed && !s.still_list_empty);
    return offered ? StillEntries(s) : std::vector<MovieMenuEntry>{};
}

QSize MovieMenuItemSize(double layout_scale, bool full_window) {
    return {static_cast<int>((full_window ? 220.0 : 70.0) * layout_scale),
            static_cast<int>(20.0 * layout_scale)};
}

CMovieMenu::CMovieMenu(std::vector<MovieMenuEntry> entries, double layout_scale, bool full_window,
                       QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint),
      entries_(std::move(entries)),
      scale_(layout_scale),
      item_size_(MovieMenuItemSize(layout_scale, full_window)) {
    setObjectName(QStringLiteral("movie_menu"));
    setMouseTracking(true);
    setAttribute(Qt::WA_DeleteOnClose, false);
    int height = 0;
    for (const MovieMenuEntry& entry : entries_) {
        height += entry.separator ? SeparatorHeight() : item_size_.height();
    }
    // The item width is the menu's minimum; a longer text (another language) widens it.
    int width = item_size_.width();
    const QFontMetrics metrics(skin::Skin::Instance().Font(skin::FontRole::k10));
    const int text_left = static_cast<int>(20.0 * scale_);
    for (const MovieMenuEntry& entry : entries_) {
        if (!entry.separator) {
            const QString text = QString::fromUtf8(base::UiText(entry.text));
            width = std::max(width, text_left + metrics.horizontalAdvance(text) + text_left / 2);
        }
    }
    item_size_.setWidth(width);
    setFixedSize(width, height);
}

int CMovieMenu::SeparatorHeight() const {
    return std::max(3, static_cast<int>(6.0 * scale_));
}

QRect CMovieMenu::EntryRect(int index) const {
    int top = 0;
    for (int i = 0; i < index && i < static_cast<int>(entries_.size()); ++i) {
        top += entries_[static_cast<std::size_t>(i)].separator ? SeparatorHeight()
                                                               : item_size_.height();
    }
    const bool separator = entries_[static_cast<std::size_t>(index)].separator;
    return {0, top, item_size_.width(), separator ? SeparatorHeight() : item_size_.height()};
}

int CMovieMenu::EntryAt(const QPoint& point) const {
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        if (!entries_[static_cast<std::size_t>(i)].separator && EntryRect(i).contains(point)) {
            return i;
        }
    }
    return -1;
}

void CMovieMenu::SetHighlighted(int index) {
    if (index != highlighted_) {
        highlighted_ = index;
        update();
    }
}

int CMovieMenu::Exec(const QPoint& global) {
    QPoint origin = global;
    if (const QScreen* monitor = QGuiApplication::screenAt(global)) {
        const QRect area = monitor->availableGeometry();
        origin.setX(std::min(origin.x(), area.right() - width()));
        origin.setY(std::min(origin.y(), area.bottom() - height()));
    }
    move(origin);
    chosen_ = 0;
    running_ = true;
    show();
    QEventLoop loop;
    while (running_ && isVisible()) {
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    running_ = false;
    hide();
    return chosen_;
}

void CMovieMenu::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = QApplication::palette("QMenu").color(QPalette::Window);
    painter.fillRect(rect(), background);
    painter.setFont(skin::Skin::Instance().Font(skin::FontRole::k10));
    const int text_left = static_cast<int>(20.0 * scale_);
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        const MovieMenuEntry& entry = entries_[static_cast<std::size_t>(i)];
        const QRect box = EntryRect(i);
        if (entry.separator) {
            painter.setPen(QColor(160, 160, 160));
            painter.drawLine(box.left() + 2, box.center().y(), box.right() - 2, box.center().y());
            continue;
        }
        QColor text_colour = entry.enabled ? QColor(0, 0, 0) : QColor(127, 127, 127);
        if (i == highlighted_) {
            painter.fillRect(box, entry.enabled ? QColor(0, 0, 255) : QColor(195, 196, 255));
            text_colour = entry.enabled ? QColor(255, 255, 255) : QColor(127, 127, 127);
        }
        if (entry.checked) {
            const int pen = std::max(1, static_cast<int>(2.0 * scale_));
            painter.setPen(QPen(QColor(0, 0, 0), pen));
            const double unit = box.height() / 20.0;
            const QPointF tick[3] = {{box.left() + 6 * unit, box.top() + 10 * unit},
                                     {box.left() + 9 * unit, box.top() + 14 * unit},
                                     {box.left() + 15 * unit, box.top() + 6 * unit}};
            painter.drawPolyline(tick, 3);
        }
        painter.setPen(text_colour);
        painter.drawText(box.adjusted(text_left, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(base::UiText(entry.text)));
    }
}

void CMovieMenu::mouseMoveEvent(QMouseEvent* event) {
    SetHighlighted(EntryAt(event->position().toPoint()));
}

void CMovieMenu::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (!rect().contains(point)) {
        running_ = false;  // a click outside dismisses the menu
        hide();
        return;
    }
    const int index = EntryAt(point);
    if (index >= 0 && entries_[static_cast<std::size_t>(index)].enabled) {
        chosen_ = entries_[static_cast<std::size_t>(index)].id;
        running_ = false;
        hide();
    }
}

void CMovieMenu::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        running_ = false;
        hide();
    }
}

void CMovieMenu::hideEvent(QHideEvent* event) {
    running_ = false;
    QWidget::hideEvent(event);
}

}  // namespace ardelle::app
