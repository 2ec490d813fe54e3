#include "panels/info_panel_layout.h"

#include <cmath>

namespace ardelle::panels {

InfoPanelLayout::InfoPanelLayout(double scale, double width_factor)
    : s_(std::isfinite(scale) && scale > 0 ? scale : 1.0),
      w_(std::isfinite(width_factor) && width_factor > 0 ? width_factor : 1.0) {}

int InfoPanelLayout::S(double units) const {
    return static_cast<int>(units * s_);
}

int InfoPanelLayout::SW(double units) const {
    return static_cast<int>(units * s_ * w_);
}

Rect InfoPanelLayout::AxisLabel(int axis) const {
    return {SW(26) + S(22) + SW(140 * axis), S(40), S(150), S(40)};
}

Rect InfoPanelLayout::AxisValue(int axis) const {
    return {SW(26) + S(22) + SW(140 * axis), S(62), S(58), S(20)};
}

Rect InfoPanelLayout::AxisButton(int axis) const {
    return {SW(26) + SW(140 * axis), S(45), S(12), S(12)};
}

Rect InfoPanelLayout::DateTime() const {
    return {SW(26), S(7), S(200), S(19)};
}

Rect InfoPanelLayout::Rate() const {
    return {SW(300), S(7), S(160), S(27)};
}

Rect InfoPanelLayout::Voltage() const {
    return {SW(560), S(50), S(60), S(27)};
}

Rect InfoPanelLayout::VoltageUnit() const {
    Rect r = Voltage();
    r.x += S(18);
    return r;
}

Rect InfoPanelLayout::Speed() const {
    return {static_cast<int>(530 * s_ * std::pow(w_, 1.1)), S(7), S(100), S(21)};
}

Rect InfoPanelLayout::SpeedValue() const {
    Rect r = Speed();
    r.width -= S(35);
    return r;
}

Rect InfoPanelLayout::SpeedUnit() const {
    Rect r = Speed();
    r.y += S(4);
    return r;
}

Rect InfoPanelLayout::SpeedOff() const {
    Rect r = Speed();
    r.width -= S(20);
    r.y += S(4);
    return r;
}

int InfoPanelLayout::SpeedPlaceholderX() const {
    return Speed().x + S(19);
}

Rect InfoPanelLayout::Badge() const {
    return {SW(440), S(45), S(64), S(20)};
}

Rect InfoPanelLayout::StatusCell() const {
    return {SW(515), S(46), S(60), S(20)};
}

Rect InfoPanelLayout::GpsCell() const {
    return {SW(580), S(45), S(60), S(20)};
}

Rect InfoPanelLayout::GpsOff() const {
    const int right = SW(440) + S(185);
    return {right - S(60), S(54), S(60), S(20)};
}

}  // namespace ardelle::panels
