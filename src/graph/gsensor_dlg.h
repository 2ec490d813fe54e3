#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <list>
#include <utility>
#include <vector>

#include "base/messages.h"
#include "graph/graph_layout.h"
#include "graph/mark_series.h"
#include "graph/trace_pass.h"

namespace ardelle::graph {

// The acceleration graph under the video: grid, the three axis traces, event marks and the
// position cursor. The traces of the whole recording are computed once per recording, switch
// change or size; moving the cursor repaints the cursor (and, where the recording is longer
// than the graph is wide, the visible slice of the cached traces) only.
class CGSensorDlg : public QWidget {
  public:
    explicit CGSensorDlg(QWidget* parent = nullptr);

    // Where mouse releases are posted (previous mark 0x8191, next mark 0x8192).
    void SetMessageSink(MessageSink* sink) { sink_ = sink; }
    // The layout and text scale of the screen (base::ComputeScreenScale).
    void SetScale(double layout_scale, double font_scale);
    void SetLabelFont(const QFont& font);

    // A recording's telemetry became current: the lists are copied (the caller holds the
    // player lock during the call), the current frame becomes 0 and has-data is set.
    void SetTelemetry(const GraphTelemetry& telemetry, std::int64_t frame_count, int scale_mode);
    // The recording was closed: no traces, scale mode 0.
    void ClearTelemetry();
    void SetCurrentFrame(std::int64_t frame);
    void SetScaleMode(int scale_mode);
    // Both switches of every series; the traces are computed again.
    void SetSwitches(const SeriesSwitches& switches);

    const SeriesSwitches& switches() const { return switches_; }
    std::int64_t current_frame() const { return current_frame_; }
    int scale_mode() const { return scale_mode_; }
    bool has_data() const { return has_data_; }
    const TracePass& strip() const { return strip_; }
    GraphLayout Layout() const;
    // The strip column shown at the left edge of the plot.
    std::int64_t WindowStart() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void RebuildAll();    // after a size, scale or font change
    void RebuildStrip();  // the traces and marks of the whole recording; tiles dropped
    void BuildBackground();
    QImage GridTile(const GraphLayout& layout) const;
    const QImage& Tile(std::int64_t index);
    void Compose(std::int64_t start);
    void DrawInBands(QPainter& p, const QRect& dirty) const;
    void DrawMark(QPainter& painter, const GraphLayout& layout, const GraphMark& mark, int x) const;
    bool TracesShown() const;

    MessageSink* sink_ = nullptr;
    double scale_ = 1.0, font_scale_ = 1.0;
    QFont label_font_;
    std::vector<telemetry::SensorSample> sensors_;
    std::vector<std::int32_t> frame_map_;
    std::int64_t frame_count_ = 0;
    std::int64_t current_frame_ = 0;
    int scale_mode_ = kInitialScaleMode;
    bool has_data_ = false;
    SeriesSwitches switches_;

    TracePass strip_;
    QImage background_;
    std::list<std::pair<std::int64_t, QImage>> tiles_;  // most recently used first
    std::vector<QImage> spare_tiles_;
    QImage frame_;
    std::int64_t frame_start_ = -1;  // window start frame_ was composed for; -1 none
    int cursor_x_ = -1;
};

}  // namespace ardelle::graph
