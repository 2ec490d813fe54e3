#include "graph/gsensor_dlg.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/screen_scale.h"

namespace ardelle::graph {
namespace {

constexpr int kTileColumns = 512;
constexpr int kPixelsCopiedInPlace = 30000;
constexpr std::size_t kTilesKept = 8;
// Mark labels reach this far right of their line and are drawn into the tile they overlap.
constexpr int kLabelReach = 40;

const QColor kGridLine(44, 44, 44), kGridFullScale(70, 70, 70), kZeroLine(130, 130, 130);
const QColor kBand(170, 0, 0, 127);

QColor ToQColor(Rgb c) {
    return {c.r, c.g, c.b};
}

// ORs a one-pixel line (both ends included) into an image; pixels outside it are skipped.
// Thousands of these make up a tile, so they bypass the painter.
void OrLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
    const int w = image.width(), h = image.height();
    // The pixels are reached once, not through a (detaching) row look-up per pixel.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const auto pixel_row = [bits, stride](int y) {
        return reinterpret_cast<QRgb*>(bits + static_cast<qsizetype>(y) * stride);
    };
    if (y0 == y1) {
        if (y0 < 0 || y0 >= h) {
            return;
        }
        QRgb* row = pixel_row(y0);
        for (int x = std::max(0, std::min(x0, x1)); x <= std::min(w - 1, std::max(x0, x1)); ++x) {
            row[x] |= colour;
        }
        return;
    }
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        if (x0 >= 0 && x0 < w && y0 >= 0 && y0 < h) {
            pixel_row(y0)[x0] |= colour;
        }
        if (x0 == x1 && y0 == y1) {
            return;
        }
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

}  // namespace

CGSensorDlg::CGSensorDlg(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    label_font_.setPixelSize(12);
}

void CGSensorDlg::SetScale(double layout_scale, double font_scale) {
    scale_ = layout_scale > 0 ? layout_scale : 1.0;
    font_scale_ = font_scale > 0 ? font_scale : 1.0;
    label_font_.setPixelSize(std::max(8, base::ScaledLength(12, font_scale_)));
    RebuildAll();
}

void CGSensorDlg::SetLabelFont(const QFont& font) {
    label_font_ = font;
    RebuildAll();
}

GraphLayout CGSensorDlg::Layout() const {
    return GraphLayout(width(), height(), scale_, font_scale_);
}

void CGSensorDlg::SetTelemetry(const GraphTelemetry& telemetry, std::int64_t frame_count,
                               int scale_mode) {
    sensors_.assign(telemetry.sensors.begin(), telemetry.sensors.end());
    frame_map_.assign(telemetry.frame_map.begin(), telemetry.frame_map.end());
    frame_count_ = std::max<std::int64_t>(frame_count, 0);
    current_frame_ = 0;
    has_data_ = true;
    SetScaleMode(scale_mode);
}

void CGSensorDlg::ClearTelemetry() {
    sensors_.clear();
    frame_map_.clear();
    has_data_ = false;
    current_frame_ = 0;
    SetScaleMode(0);
}

void CGSensorDlg::SetScaleMode(int scale_mode) {
    // The labels show the scale; the strip's heights follow it.
    const bool labels_change =
        AxisLabelsFor(scale_mode).positive != AxisLabelsFor(scale_mode_).positive;
    scale_mode_ = scale_mode;
    if (labels_change || background_.isNull()) {
        BuildBackground();
    }
    RebuildStrip();
}

void CGSensorDlg::SetSwitches(const SeriesSwitches& switches) {
    switches_ = switches;
    RebuildStrip();
}

std::int64_t CGSensorDlg::WindowStart() const {
    return WindowStartColumn(Layout(), static_cast<std::int64_t>(frame_map_.size()),
                             current_frame_);
}

bool CGSensorDlg::TracesShown() const {
    return has_data_ && !sensors_.empty() &&
           current_frame_ < static_cast<std::int64_t>(frame_map_.size());
}

void CGSensorDlg::SetCurrentFrame(std::int64_t frame) {
    current_frame_ = std::max<std::int64_t>(frame, 0);
    const int x = Layout().CursorX(current_frame_, frame_count_);
    if (TracesShown() && WindowStart() != frame_start_) {
        update();  // the visible slice of the traces moved
    } else if (x != cursor_x_) {
        update(QRect(cursor_x_, 0, 1, height()));
        update(QRect(x, 0, 1, height()));
    }
}

void CGSensorDlg::resizeEvent(QResizeEvent* /*event*/) {
    RebuildAll();
}

void CGSensorDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (sink_ == nullptr) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        sink_->Post({AppMessage::kGraphPreviousMark, 0, 0});
    } else if (event->button() == Qt::RightButton) {
        sink_->Post({AppMessage::kGraphNextMark, 0, 0});
    }
}

void CGSensorDlg::RebuildAll() {
    BuildBackground();
    RebuildStrip();
}

void CGSensorDlg::RebuildStrip() {
    for (auto& tile : tiles_) {
        spare_tiles_.push_back(std::move(tile.second));
    }
    tiles_.clear();
    frame_start_ = -1;
    const GraphLayout layout = Layout();
    // The strip's lists keep their memory from pass to pass.
    RunTracePass(has_data_ ? GraphTelemetry{sensors_, frame_map_} : GraphTelemetry{}, layout,
                 StripPlan(layout, static_cast<std::int64_t>(frame_map_.size())), scale_mode_,
                 switches_, strip_);
    update();
}

QImage CGSensorDlg::GridTile(const GraphLayout& layout) const {
    const int s5 = base::ScaledLength(5, scale_);
    QImage tile(std::max(1, layout.GridTileWidth()), std::max(1, layout.GridHeight()),
                QImage::Format_RGB32);
    tile.fill(Qt::black);
    QPainter p(&tile);
    const int left = layout.LeftMargin(), h = layout.GridHeight(), zero = layout.ZeroY();
    const int half = layout.TraceLimit() / 2;
    const int step = std::max(2, base::ScaledLength(40, scale_));
    p.setPen(kGridLine);
    for (int x = left; x < tile.width(); x += step) {
        p.drawLine(x, s5, x, h - s5);
    }
    p.drawLine(left, zero - half, tile.width(), zero - half);
    p.drawLine(left, zero + half, tile.width(), zero + half);
    p.setPen(kGridFullScale);
    p.drawLine(left, s5, tile.width(), s5);
    p.drawLine(left, h - s5, tile.width(), h - s5);
    QPen dotted(kZeroLine);
    dotted.setStyle(Qt::DotLine);
    p.setPen(dotted);
    p.drawLine(left, zero, tile.width(), zero);
    return tile;
}

void CGSensorDlg::BuildBackground() {
    const GraphLayout layout = Layout();
    background_ = QImage(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    background_.fill(Qt::black);
    if (layout.TileWidth() <= 0 || width() <= 0) {
        return;
    }
    QPainter p(&background_);
    const QImage tile = GridTile(layout);
    for (const int x : layout.GridTilePositions()) {
        p.drawImage(x, 0, tile);
    }
    const AxisLabels labels = AxisLabelsFor(scale_mode_);
    p.setFont(label_font_);
    p.setPen(Qt::white);
    const auto draw = [&p](const Rect& r, std::string_view text) {
        p.drawText(QRect(r.x, r.y, r.width, r.height), Qt::AlignRight | Qt::AlignTop,
                   QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    };
    draw(layout.PositiveLabelBox(), labels.positive);
    draw(layout.ZeroLabelBox(), labels.zero);
    draw(layout.NegativeLabelBox(), labels.negative);
}

void CGSensorDlg::DrawMark(QPainter& p, const GraphLayout& layout, const GraphMark& mark,
                           int x) const {
    const MarkStyle& style = StyleOfKind(mark.kind);
    const int top = layout.LabelTop(style.row);
    if (mark.kind == kStarKind) {
        const double size = 11 * scale_, cx = x + 1 + size / 2, cy = top + size / 2;
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const double r = (i % 2 == 0 ? 0.5 : 0.22) * size;
            const double a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(cx + r * std::cos(a), cy + r * std::sin(a));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(style.colour));
        p.drawPolygon(star);
        p.setBrush(Qt::NoBrush);
        return;
    }
    p.setPen(Qt::white);
    p.setFont(label_font_);
    p.drawText(QRect(x + 1, top, kLabelReach, height()), Qt::AlignLeft | Qt::AlignTop,
               QString::fromUtf8(style.label.data(), static_cast<qsizetype>(style.label.size())));
}

const QImage& CGSensorDlg::Tile(std::int64_t index) {
    const auto found = std::find_if(tiles_.begin(), tiles_.end(),
                                    [index](const auto& t) { return t.first == index; });
    if (found != tiles_.end()) {
        tiles_.splice(tiles_.begin(), tiles_, found);
        return tiles_.front().second;
    }
    const GraphLayout layout = Layout();
    const std::int64_t x0 = index * kTileColumns;
    QImage tile;
    while (!spare_tiles_.empty() && tile.isNull()) {  // reuse the memory of dropped tiles
        if (spare_tiles_.back().height() == std::max(1, height())) {
            tile = std::move(spare_tiles_.back());
        }
        spare_tiles_.pop_back();
    }
    if (tile.isNull()) {
        tile = QImage(kTileColumns, std::max(1, height()), QImage::Format_RGB32);
    }
    // Cleared in place (QImage::fill hands large images to the thread pool).
    for (int y = 0; y < tile.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(tile.bits() + y * tile.bytesPerLine());
        std::fill(row, row + tile.width(), qRgb(0, 0, 0));
    }
    // Traces merge their colours where they cross (the additive look of the recorder's graph).
    const auto origin = static_cast<int>(x0);
    for (int axis = 0; axis < kAxisCount; ++axis) {
        const QRgb colour = ToQColor(AxisColour(axis)).rgb();
        const auto& segments = strip_.segments[static_cast<std::size_t>(axis)];
        // A trace runs left to right: its segments ending before the tile are skipped at once.
        auto s = std::lower_bound(segments.begin(), segments.end(), x0,
                                  [](const TraceSegment& t, std::int64_t x) { return t.x1 < x; });
        for (; s != segments.end() && std::min(s->x0, s->x1) < x0 + kTileColumns; ++s) {
            OrLine(tile, s->x0 - origin, s->y0, s->x1 - origin, s->y1, colour);
        }
    }
    const auto in_tile = [x0](const GraphMark& m) {
        return m.x + kLabelReach >= x0 && m.x < x0 + kTileColumns;
    };
    // The mark lines are merged (OR) like the traces; only labels and stars need a painter.
    for (const GraphMark& mark : strip_.marks) {
        if (mark.x >= x0 && mark.x < x0 + kTileColumns) {
            OrLine(tile, mark.x - origin, layout.MarkBottom(), mark.x - origin, 0,
                   ToQColor(StyleOfKind(mark.kind).colour).rgb());
        }
    }
    if (std::any_of(strip_.marks.begin(), strip_.marks.end(), in_tile)) {
        QPainter p(&tile);
        p.translate(static_cast<double>(-x0), 0.0);
        for (const GraphMark& mark : strip_.marks) {
            if (in_tile(mark)) {
                DrawMark(p, layout, mark, mark.x);
            }
        }
    }
    tiles_.emplace_front(index, std::move(tile));
    if (tiles_.size() > kTilesKept) {
        spare_tiles_.push_back(std::move(tiles_.back().second));
        tiles_.pop_back();
    }
    return tiles_.front().second;
}

// The shown picture: the grid, the band blended over it, the traces' slice merged (OR) in.
// Done on the pixels, row by row while each row is in the cache: this runs on most ticks of a
// long recording.
void CGSensorDlg::Compose(std::int64_t start) {
    if (frame_.size() != background_.size()) {
        frame_ = QImage(background_.size(), QImage::Format_RGB32);
    }
    frame_start_ = start;
    const int w = frame_.width(), h = frame_.height();
    const auto row_bytes = static_cast<std::size_t>(w) * sizeof(QRgb);
    // Rows by address: a look-up per row would check for sharing every time.
    uchar* const out = frame_.bits();
    const qsizetype out_stride = frame_.bytesPerLine();
    const uchar* const grid = background_.constBits();
    const qsizetype grid_stride = background_.bytesPerLine();
    if (!TracesShown() || strip_.width <= 0) {
        for (int y = 0; y < h; ++y) {
            std::memcpy(out + y * out_stride, grid + y * grid_stride, row_bytes);
        }
        return;
    }
    const GraphLayout layout = Layout();
    const int left = layout.LeftMargin();
    const std::int64_t end = start + (w - left);
    struct Span {
        int x0, x1;
    };
    std::vector<Span> bands;  // window columns of the band, all on the same rows
    for (const BandSpan& band : strip_.bands) {
        if (band.x1 > start && band.x0 < end) {
            bands.push_back({std::max(left, left + static_cast<int>(band.x0 - start)),
                             std::min(w, left + static_cast<int>(band.x1 - start))});
        }
    }
    const Rect band_rows = layout.BandBox(0, 0);
    struct Slice {
        const QImage* tile;
        int dx, sx, n;
    };
    std::vector<Slice> slices;
    const std::int64_t last = std::min<std::int64_t>(end, strip_.width);
    for (std::int64_t t = start / kTileColumns; t * kTileColumns < last; ++t) {
        const std::int64_t from = std::max(start, t * kTileColumns);
        const std::int64_t to = std::min(last, (t + 1) * kTileColumns);
        slices.push_back({&Tile(t), static_cast<int>(left + from - start),
                          static_cast<int>(from - t * kTileColumns), static_cast<int>(to - from)});
    }
    const int alpha = kBand.alpha();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(out + y * out_stride);
        std::memcpy(row, grid + y * grid_stride, row_bytes);
        if (y >= band_rows.y && y < band_rows.y + band_rows.height) {
            for (const Span& band : bands) {
                for (int x = band.x0; x < band.x1; ++x) {
                    const QRgb d = row[x];
                    row[x] = qRgb((kBand.red() * alpha + qRed(d) * (255 - alpha)) / 255,
                                  qGreen(d) * (255 - alpha) / 255, qBlue(d) * (255 - alpha) / 255);
                }
            }
        }
        for (const Slice& slice : slices) {
            if (y >= slice.tile->height()) {
                continue;
            }
            QRgb* d = row + slice.dx;
            const auto* src = reinterpret_cast<const QRgb*>(slice.tile->constBits() +
                                                            y * slice.tile->bytesPerLine()) +
                              slice.sx;
            for (int i = 0; i < slice.n; ++i) {
                d[i] |= src[i];
            }
        }
    }
}

void CGSensorDlg::DrawInBands(QPainter& p, const QRect& dirty) const {
    // The raster engine hands a copy of more than about 32768 pixels to its thread pool and
    // waits for it; on a busy machine the hand-off costs more than the copy. Bands of fewer
    // pixels are copied on this thread.
    const int rows = std::max(1, kPixelsCopiedInPlace / std::max(1, dirty.width()));
    for (int y = dirty.top(); y <= dirty.bottom(); y += rows) {
        const QRect band(dirty.left(), y, dirty.width(), std::min(rows, dirty.bottom() + 1 - y));
        p.drawImage(band, frame_, band);
    }
}

void CGSensorDlg::paintEvent(QPaintEvent* event) {
    const std::int64_t start = TracesShown() ? WindowStart() : 0;
    if (frame_.size() != size() || start != frame_start_) {
        Compose(start);
    }
    QPainter p(this);
    DrawInBands(p, event->rect());
    const GraphLayout layout = Layout();
    if (layout.TileWidth() == 0 || width() <= 0) {
        return;
    }
    cursor_x_ = layout.CursorX(current_frame_, frame_count_);
    p.setPen(Qt::white);
    p.drawLine(cursor_x_, 0, cursor_x_, height() - 1);
}

}  // namespace ardelle::graph
