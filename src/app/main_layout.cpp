#include "app/main_layout.h"

#include "base/screen_scale.h"

namespace ardelle::app {
namespace {

int U(double units, double scale) {
    return base::ScaledLength(units, scale);
}

// x 9 / 16: multiply, then divide with the quotient truncated toward zero.
int NineSixteenths(int value) {
    return value * 9 / 16;
}

// A rectangle from left, top, exclusive right and bottom.
QRect FromEdges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

int Right(const QRect& rect) {
    return rect.left() + rect.width();
}

int Bottom(const QRect& rect) {
    return rect.top() + rect.height();
}

}  // namespace

QSize VideoAreaSize(const QSize& window, double s) {
    return {window.width() - 4 * U(6, s) - U(440, s),
            window.height() - U(10, s) - U(38, s) - U(27, s) - U(148, s) - U(105, s)};
}

QRect ToolButtonRect(int i, const QSize& window, double s) {
    const int gap = i < 12 ? 0 : U(32, s) - U(2, s);
    const int x = U(20, s) + i * (U(32, s) + U(11, s)) + gap;
    const int y = window.height() - (U(32, s) + U(38, s)) / 2 - U(1, s);
    return {x, y, U(32, s), U(32, s)};
}

QRect TitleButtonRect(int i, const QSize& window, double s) {
    const int w = i == 0 ? U(46, s) : U(26, s);
    const int x = window.width() - U(6, s) - i * w - U(46, s) - U(4, s);
    return {x, 0, w, U(18, s)};
}

MainLayout ComputeMainLayout(const QSize& window, double s) {
    MainLayout layout;
    const QSize area = VideoAreaSize(window, s);
    const int vw = area.width();
    const int vh = area.height();
    const int a_right = window.width();
    const int a_bottom = window.height();
    layout.video_surface = QRect(U(6, s), U(27, s), vw, vh + 2);
    for (int i = 0; i < kToolButtonCount; ++i) {
        layout.tool_buttons[static_cast<std::size_t>(i)] = ToolButtonRect(i, window, s);
    }
    for (int i = 0; i < kTitleButtonCount; ++i) {
        layout.title_buttons[static_cast<std::size_t>(i)] = TitleButtonRect(i, window, s);
    }
    const int strip_y = a_bottom - U(5, s) - (U(38, s) + U(12, s)) / 2;
    layout.volume_slider = QRect(a_right - U(120, s), strip_y, U(100, s), U(20, s));
    layout.logo_image = QRect(a_right - U(155, s), strip_y, U(30, s), U(20, s));
    layout.product_name = FromEdges(U(4, s) + U(6, s), U(4, s), U(400, s), U(30, s));
    if (window.width() <= 0 || vw <= 0) {
        return layout;
    }
    layout.valid = true;
    const QRect& surface = layout.video_surface;
    // R: the surface with right = left + VW and the bottom one lower.
    const QRect r =
        FromEdges(surface.left(), surface.top(), surface.left() + vw, Bottom(surface) + 1);
    layout.video_area = r;
    const int r_bottom = Bottom(r);
    layout.position_slider = QRect(r.left() + 2, r_bottom, vw - 2, U(10, s));
    layout.info_panel = QRect(r.left() + 2, r_bottom + U(10, s), vw - 2, U(105, s));
    layout.graph = QRect(r.left() + 2, r_bottom + U(10, s) + U(105, s), vw - 2,
                         a_bottom - r_bottom - U(38, s) - U(10, s) - U(5, s) + U(2, s) - U(105, s));
    // The bar lies over the surface's bottom strip; the surface's rectangle is taken one
    // pixel higher, as the window rectangles it was measured from.
    const int bar_bottom = Bottom(surface) - 1;
    layout.progress_bar = QRect(surface.left(), bar_bottom - U(22, s), surface.width(), U(22, s));
    const QRect l = FromEdges(Right(r), r.top() + 1, Right(r) + U(440, s) + 2 * U(6, s),
                              a_bottom - U(4, s) + U(1, s) - U(38, s));
    layout.list_area = l;
    layout.list_window = QRect(l.left(), l.top() + U(30, s), l.width(), l.height() - U(30, s));
    layout.tab_strip = QRect(l.left() + 1, l.top() + 1, U(440, s) + 2 * U(6, s) - 2, U(30, s));
    return layout;
}

QSize MainWindowBaseSize(double s) {
    return {U(1120, s), U(697, s)};
}

QSize MovieWindowBaseSize(double s) {
    const int width = U(440, s) + 2 * U(6, s);
    const int height =
        U(4, s) + NineSixteenths(2 * U(6, s) - 2 * U(4, s) + U(440, s)) + U(20, s) + 1;
    return {width, height};
}

QSize MapWindowBaseSize(double s) {
    const int width = U(440, s) + 2 * U(6, s);
    const int height = NineSixteenths((-2 * U(6, s) - U(2, s)) * 2 + U(1120, s) - U(440, s)) +
                       2 * U(4, s) + U(20, s) - U(1, s);
    return {width, height};
}

QPoint MovieWindowHome(const QPoint& origin, const MainLayout& layout, double s) {
    const int top = Bottom(layout.list_area) - U(4, s) -
                    NineSixteenths(U(440, s) + 2 * (U(6, s) - U(4, s))) - U(20, s) - 1;
    return {origin.x() + Right(layout.video_area), origin.y() + top};
}

QPoint MapWindowHome(const QPoint& origin, const MainLayout& layout, double) {
    return {origin.x() + Right(layout.video_area), origin.y() + layout.list_area.top()};
}

QRect FloatingContentRect(const QSize& window, double s) {
    return {U(4, s), U(20, s), window.width() - 2 * U(4, s), window.height() - U(4, s) - U(20, s)};
}

}  // namespace ardelle::app
