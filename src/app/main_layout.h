#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <array>

namespace ardelle::app {

inline constexpr int kToolButtonCount = 17;
inline constexpr int kTitleButtonCount = 3;  // close, maximise, minimise

// The size of the main video area for a window size: W - 4 x [6] - [440] by
// H - [10] - [38] - [27] - [148] - [105].
QSize VideoAreaSize(const QSize& window, double scale);

// Where every child of the main window lies in its normal layout (client coordinates).
// When valid is false (a zero-width window or video area) only the video surface, the
// buttons and the volume slider are placed.
struct MainLayout {
    bool valid = false;
    QRect video_surface;  // ([6], [27]), VW x (VH + 2)
    QRect video_area;     // R: VW wide, one pixel taller than the surface
    QRect position_slider;
    QRect info_panel;
    QRect graph;
    QRect list_area;  // L
    QRect list_window;
    QRect tab_strip;
    QRect progress_bar;
    QRect volume_slider;
    QRect logo_image;    // the skin picture left of the volume slider
    QRect product_name;  // "Ardelle" in the top-left corner
    std::array<QRect, kToolButtonCount> tool_buttons;
    std::array<QRect, kTitleButtonCount> title_buttons;
};

MainLayout ComputeMainLayout(const QSize& window, double scale);

// Tool button i (command 38000 + i): a [32] square, the last five set apart by [32] - [2].
QRect ToolButtonRect(int index, const QSize& window, double scale);
// Title button 0 close, 1 maximise, 2 minimise, from the right.
QRect TitleButtonRect(int index, const QSize& window, double scale);

// The base sizes of the floating windows.
QSize MovieWindowBaseSize(double scale);
QSize MapWindowBaseSize(double scale);
QSize MainWindowBaseSize(double scale);

// The movie window's home: right of the video area, its bottom on the list area's bottom
// (client_origin is the main window's client origin on the screen).
QPoint MovieWindowHome(const QPoint& client_origin, const MainLayout& layout, double scale);
// The map window's home: right of the video area at the list area's top.
QPoint MapWindowHome(const QPoint& client_origin, const MainLayout& layout, double scale);
// The content area of a floating window of that size: ([4], [20]), w - 2 x [4] by
// h - [4] - [20].
QRect FloatingContentRect(const QSize& window, double scale);

}  // namespace ardelle::app
