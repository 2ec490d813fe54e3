#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ardelle::skin {

// What a point of a frameless window is for; the numbers are the platform's hit codes the
// window's drag handling has always used.
enum class HitArea : int {
    kNowhere = 0,
    kClient = 1,
    kTitle = 2,
    kLeft = 10,
    kRight = 11,
    kTop = 12,
    kTopLeft = 13,
    kTopRight = 14,
    kBottom = 15,
    kBottomLeft = 16,
    kBottomRight = 17,
};

// point is relative to the window's top-left corner. A locked window is client everywhere;
// a maximised one is title in its top [27] band; then the corner squares and edge bands
// [4] wide, the title band ([27] high, inset [4]), the bottom band ([38] + [2] high, client).
HitArea HitTestResizeArea(const QSize& window, const QPoint& point, double scale, bool locked,
                          bool maximised);

// The resize direction of an edge or corner: 1 left, 2 top, 3 right, 4 bottom, 5 top-left,
// 6 bottom-right, 7 bottom-left, 8 top-right; 0 for any other area.
int ResizeDirection(HitArea area);
// The same as the window system's edges.
Qt::Edges ResizeEdges(int direction);

struct ConstrainedResize {
    QRect rect;
    double scale_x = 1.0;
    double scale_y = 1.0;
};

// The frame rectangle with its dragged edges at cursor, each axis kept between the base
// size and the monitor size and anchored on the side opposite the dragged edge; the scale
// factors are the kept sizes over the base size.
ConstrainedResize ConstrainResize(const QRect& start, int direction, const QPoint& cursor,
                                  const QSize& base, const QSize& monitor);

// The main window's own answer to the window system: true where a press moves the
// window (the caption band [6] inside the edges and below the top [6], down to [27]).
// Never in the full-window view or while maximised.
bool MainWindowCaptionAt(const QSize& window, const QPoint& point, double scale, bool full_window,
                         bool maximised);

// A title drag of a maximised window restores it once it moved more than [4] either way.
bool TitleDragRestores(const QPoint& press, const QPoint& now, double scale);

}  // namespace ardelle::skin
