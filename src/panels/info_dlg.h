#pragma once

#include <QFont>
#include <QWidget>

#include <array>
#include <cstdint>

#include "base/messages.h"
#include "panels/info_panel_format.h"
#include "panels/info_panel_layout.h"
#include "telemetry/samples.h"

namespace ardelle::panels {

// The info panel above the graph: date and time of the shown frame, playback rate, speed,
// the three G values, the resolution badge, recording-status and GPS icons, the battery
// voltage of parking recordings, and one toggle per axis (posting 0x82BD). It only formats
// what the main window writes into its fields.
class CInfoDlg : public QWidget {
  public:
    explicit CInfoDlg(QWidget* parent = nullptr);

    void SetMessageSink(MessageSink* sink) { sink_ = sink; }
    void SetScale(double layout_scale, double font_scale);
    void SetFonts(const QFont& normal, const QFont& small);

    // The fields as the main window writes them; Refresh() schedules the repaint.
    InfoPanelFields& fields() { return fields_; }
    const InfoPanelFields& fields() const { return fields_; }
    void Refresh() { update(); }
    // Every field back to its reset value, repainted at once.
    void Reset();
    // One position update: the sample of the shown frame and its GPS link (either may be
    // null), then a repaint.
    void ShowPosition(std::int64_t frame, const telemetry::SensorSample* sample,
                      const telemetry::GpsSample* gps);

    bool AxisOn(int axis) const;
    // Sets a toggle without posting (the main window restoring its state).
    void SetAxisOn(int axis, bool on);
    QRect AxisButtonRect(int axis) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    InfoPanelLayout Layout() const;
    void DrawAxes(QPainter& p, const InfoPanelLayout& layout) const;
    void DrawTimeRateAndVoltage(QPainter& p, const InfoPanelLayout& layout) const;
    void DrawSpeed(QPainter& p, const InfoPanelLayout& layout) const;
    void DrawBadgeAndIcons(QPainter& p, const InfoPanelLayout& layout) const;
    void DrawButtons(QPainter& p, const InfoPanelLayout& layout) const;

    MessageSink* sink_ = nullptr;
    double scale_ = 1.0, font_scale_ = 1.0;
    QFont normal_font_, small_font_;
    InfoPanelFields fields_;
    std::array<bool, 3> axis_on_{true, true, true};
};

}  // namespace ardelle::panels
