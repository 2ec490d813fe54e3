#pragma once

#include "graph/graph_layout.h"

namespace ardelle::panels {

using graph::Rect;

// Where the info panel puts each item at a layout scale s and a width factor w (x positions
// stretch with w while the main window is maximised).
class InfoPanelLayout {
  public:
    InfoPanelLayout(double scale, double width_factor);

    Rect AxisLabel(int axis) const;
    Rect AxisValue(int axis) const;
    Rect AxisButton(int axis) const;
    Rect DateTime() const;
    Rect Rate() const;
    Rect Voltage() const;
    Rect VoltageUnit() const;
    Rect Speed() const;
    Rect SpeedValue() const;  // the value's box, narrowed for the unit
    Rect SpeedUnit() const;
    Rect SpeedOff() const;
    int SpeedPlaceholderX() const;
    Rect Badge() const;
    Rect StatusCell() const;
    Rect GpsCell() const;
    Rect GpsOff() const;  // "OFF" right-aligned in it, top at its y

  private:
    int S(double units) const;   // units x s
    int SW(double units) const;  // units x s x w
    double s_, w_;
};

}  // namespace ardelle::panels
