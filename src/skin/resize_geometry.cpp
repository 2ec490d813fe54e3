#include "skin/resize_geometry.h"

#include <algorithm>
#include <cstdlib>

#include "base/screen_scale.h"

namespace ardelle::skin {
namespace {
int Units(double units, double scale) {
    return base::ScaledLength(units, scale);
}

// One axis: the dragged length kept within [base, monitor].
int KeepLength(int wanted, int base, int monitor) {
    if (wanted < base) {
        return base;
    }
    if (monitor >= base && wanted > monitor) {
        return monitor;
    }
    return wanted;
}
}  // namespace

HitArea HitTestResizeArea(const QSize& window, const QPoint& point, double scale, bool locked,
                          bool maximised) {
    if (locked) {
        return HitArea::kClient;
    }
    const int x = point.x();
    const int y = point.y();
    const int w = window.width();
    const int h = window.height();
    const int title = Units(27, scale);
    if (maximised && y >= 0 && y < title) {
        return HitArea::kTitle;
    }
    const int b = Units(4, scale);
    const bool left = x < b;
    const bool right = x >= w - b;
    const bool top = y < b;
    const bool bottom = y >= h - b;
    if (top && left)
        return HitArea::kTopLeft;
    if (top && right)
        return HitArea::kTopRight;
    if (top)
        return HitArea::kTop;
    if (bottom && left)
        return HitArea::kBottomLeft;
    if (bottom && right)
        return HitArea::kBottomRight;
    if (left)
        return HitArea::kLeft;
    if (right)
        return HitArea::kRight;
    if (bottom)
        return HitArea::kBottom;
    if (y < title)
        return HitArea::kTitle;
    if (y >= h - (Units(38, scale) - Units(-2, scale)))
        return HitArea::kClient;
    return HitArea::kNowhere;
}

int ResizeDirection(HitArea area) {
    switch (area) {
        case HitArea::kLeft:
            return 1;
        case HitArea::kTop:
            return 2;
        case HitArea::kRight:
            return 3;
        case HitArea::kBottom:
            return 4;
        case HitArea::kTopLeft:
            return 5;
        case HitArea::kBottomRight:
            return 6;
        case HitArea::kBottomLeft:
            return 7;
        case HitArea::kTopRight:
            return 8;
        default:
            return 0;
    }
}

Qt::Edges ResizeEdges(int direction) {
    switch (direction) {
        case 1:
            return Qt::LeftEdge;
        case 2:
            return Qt::TopEdge;
        case 3:
            return Qt::RightEdge;
        case 4:
            return Qt::BottomEdge;
        case 5:
            return Qt::TopEdge | Qt::LeftEdge;
        case 6:
            return Qt::BottomEdge | Qt::RightEdge;
        case 7:
            return Qt::BottomEdge | Qt::LeftEdge;
        case 8:
            return Qt::TopEdge | Qt::RightEdge;
        default:
            return {};
    }
}

ConstrainedResize ConstrainResize(const QRect& start, int direction, const QPoint& cursor,
                                  const QSize& base, const QSize& monitor) {
    const Qt::Edges edges = ResizeEdges(direction);
    // Exclusive right and bottom, as the window system's rectangles.
    int left = start.left();
    int top = start.top();
    int right = start.left() + start.width();
    int bottom = start.top() + start.height();
    if (edges & Qt::LeftEdge)
        left = cursor.x();
    if (edges & Qt::RightEdge)
        right = cursor.x();
    if (edges & Qt::TopEdge)
        top = cursor.y();
    if (edges & Qt::BottomEdge)
        bottom = cursor.y();
    const int width = KeepLength(right - left, base.width(), monitor.width());
    const int height = KeepLength(bottom - top, base.height(), monitor.height());
    ConstrainedResize result;
    // Anchored on the side opposite the dragged edge.
    const int x = (edges & Qt::LeftEdge) ? right - width : left;
    const int y = (edges & Qt::TopEdge) ? bottom - height : top;
    result.rect = QRect(x, y, width, height);
    result.scale_x = base.width() > 0 ? static_cast<double>(width) / base.width() : 1.0;
    result.scale_y = base.height() > 0 ? static_cast<double>(height) / base.height() : 1.0;
    return result;
}

bool MainWindowCaptionAt(const QSize& window, const QPoint& point, double scale, bool full_window,
                         bool maximised) {
    if (full_window || maximised) {
        return false;
    }
    const int edge = Units(6, scale);
    return point.y() >= edge && point.y() < Units(27, scale) && point.x() >= edge &&
           point.x() < window.width() - edge;
}

bool TitleDragRestores(const QPoint& press, const QPoint& now, double scale) {
    const int limit = Units(4, scale);
    return std::abs(now.x() - press.x()) > limit || std::abs(now.y() - press.y()) > limit;
}

}  // namespace ardelle::skin
