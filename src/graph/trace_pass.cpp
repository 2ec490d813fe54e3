#include "graph/trace_pass.h"

#include <algorithm>
#include <cmath>

namespace ardelle::graph {
namespace {

constexpr double kClampG = 2.0;
constexpr int kFlatRunColumns = 7;

struct Point {
    int x = 0, y = 0;
};

// Pixels per frame of a recording drawn across the plot.
double PixelsPerFrame(const GraphLayout& layout, std::int64_t map_frames) {
    return static_cast<double>(layout.PlotWidth()) / static_cast<double>(map_frames);
}

double AxisValue(const telemetry::SensorSample& s, int axis) {
    return axis == 0 ? s.x : axis == 1 ? s.y : s.z;
}

// One axis' polyline: a drawn point, a pending point and the length of the flat run, so that
// a run of equal values costs one segment per seven columns.
class AxisTracer {
  public:
    AxisTracer(int zero_y, int pixels_per_g, int limit, int x_offset,
               std::vector<TraceSegment>& out)
        : zero_y_(zero_y),
          pixels_per_g_(pixels_per_g),
          limit_(limit),
          x_offset_(x_offset),
          out_(out) {}

    void Start(double value) {
        drawn_ = pending_ = {0, Height(value)};
        count_ = 0;
    }

    void Add(int x, double value, bool final) {
        const Point point{x, Height(value)};
        ++count_;
        if (point.y != drawn_.y) {
            if (count_ > kFlatRunColumns) {
                Draw(drawn_, pending_);
                drawn_ = pending_;
            }
            Draw(drawn_, point);
            drawn_ = point;
            count_ = 0;
        } else if (count_ % kFlatRunColumns == 0 || final) {
            Draw(drawn_, point);
        }
        pending_ = point;
    }

  private:
    // Rows above the zero line; a corrupt value never leaves the plot.
    int Height(double value) const {
        const double g = std::isnan(value) ? 0.0 : std::clamp(value, -kClampG, kClampG);
        return std::clamp(static_cast<int>(pixels_per_g_ * g), -limit_, limit_);
    }
    void Draw(Point a, Point b) {
        out_.push_back({x_offset_ + a.x, zero_y_ - a.y, x_offset_ + b.x, zero_y_ - b.y});
    }

    int zero_y_, pixels_per_g_, limit_, x_offset_;
    std::vector<TraceSegment>& out_;
    Point drawn_, pending_;
    int count_ = 0;
};

// Adds column spans to the band, merging those that touch.
void AddBand(std::vector<BandSpan>& bands, int x0, int x1) {
    if (!bands.empty() && x0 <= bands.back().x1 && x1 >= bands.back().x0) {
        bands.back().x0 = std::min(bands.back().x0, x0);
        bands.back().x1 = std::max(bands.back().x1, x1);
    } else {
        bands.push_back({x0, x1});
    }
}

class PassBuilder {
  public:
    PassBuilder(const GraphTelemetry& telemetry, const PassPlan& plan,
                const SeriesSwitches& switches)
        : telemetry_(telemetry), plan_(plan), switches_(switches) {}

    // The band under the columns [x0, x1) of a frame's sample when that sample is speeding.
    void Band(TracePass& pass, int x0, int x1, std::int64_t frame) const {
        if (x1 > x0 && switches_.graph[kSpeedingSeries] &&
            ClassifyFrame(telemetry_, frame, kSpeedingSeries).kind == kSpeedingKind) {
            AddBand(pass.bands, plan_.x_offset + x0, plan_.x_offset + x1);
        }
    }

    // The marks of one column: the speeding series on its own, then the first other series
    // that classifies the frame.
    void Collect(int x, std::int64_t frame) {
        if (switches_.graph[kSpeedingSeries]) {
            const FrameClass c = ClassifyFrame(telemetry_, frame, kSpeedingSeries);
            if (c.kind == kSpeedingKind && c.is_new) {
                lists_[kSpeedingSeries].push_back(
                    {plan_.x_offset + x, c.kind, kSpeedingSeries, frame});
            }
        }
        for (const int series : kMarkPrecedence) {
            if (!switches_.graph[static_cast<std::size_t>(series)]) {
                continue;
            }
            const FrameClass c = ClassifyFrame(telemetry_, frame, series);
            if (c.kind >= 0) {
                if (c.is_new) {
                    lists_[static_cast<std::size_t>(series)].push_back(
                        {plan_.x_offset + x, c.kind, series, frame});
                }
                break;
            }
        }
    }

    void TakeMarks(TracePass& pass) {
        for (auto& list : lists_) {
            pass.marks.insert(pass.marks.end(), list.begin(), list.end());
            list.clear();
        }
    }

  private:
    const GraphTelemetry& telemetry_;
    const PassPlan& plan_;
    const SeriesSwitches& switches_;
    std::array<std::vector<GraphMark>, kSeriesCount> lists_;
};

}  // namespace

PassPlan WindowPlan(const GraphLayout& layout, std::int64_t map_frames,
                    std::int64_t current_frame) {
    PassPlan plan;
    plan.x_offset = layout.LeftMargin();
    plan.plot_width = layout.PlotWidth();
    if (map_frames <= 0 || current_frame >= map_frames || plan.plot_width <= 0) {
        return plan;
    }
    const double q = PixelsPerFrame(layout, map_frames);
    plan.column_width = std::max(q, 1.0);
    const double fit = q / plan.column_width;
    plan.start_frame = (1.0 - fit) * static_cast<double>(std::max<std::int64_t>(current_frame, 0));
    plan.columns = static_cast<std::int64_t>(std::ceil(plan.plot_width / plan.column_width));
    return plan;
}

PassPlan StripPlan(const GraphLayout& layout, std::int64_t map_frames) {
    PassPlan plan = WindowPlan(layout, map_frames, 0);
    plan.x_offset = 0;
    if (plan.columns > 0 && plan.column_width <= 1.0) {
        plan.columns = map_frames;
        plan.plot_width = static_cast<int>(std::min<std::int64_t>(map_frames, 1 << 30));
    }
    return plan;
}

std::int64_t WindowStartColumn(const GraphLayout& layout, std::int64_t map_frames,
                               std::int64_t current_frame) {
    const PassPlan plan = WindowPlan(layout, map_frames, current_frame);
    return static_cast<std::int64_t>(plan.start_frame);
}

TracePass RunTracePass(const GraphTelemetry& telemetry, const GraphLayout& layout,
                       const PassPlan& plan, int scale_mode, const SeriesSwitches& switches) {
    TracePass pass;
    const auto map_frames = static_cast<std::int64_t>(telemetry.frame_map.size());
    if (map_frames == 0 || telemetry.sensors.empty() || plan.columns <= 0) {
        return pass;
    }
    std::vector<AxisTracer> tracers;
    const auto expected_points =
        std::min<std::size_t>(telemetry.sensors.size(), static_cast<std::size_t>(plan.columns)) + 2;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        pass.segments[static_cast<std::size_t>(axis)].reserve(expected_points);
        tracers.emplace_back(layout.ZeroY(), layout.PixelsPerG(scale_mode), layout.TraceLimit(),
                             plan.x_offset, pass.segments[static_cast<std::size_t>(axis)]);
    }
    PassBuilder builder(telemetry, plan, switches);
    std::int32_t previous = -1;
    const telemetry::SensorSample* last = nullptr;
    int last_x = 0;
    std::int64_t last_frame = 0;
    for (std::int64_t i = 0; i < plan.columns; ++i) {
        const auto frame = static_cast<std::int64_t>(plan.start_frame + static_cast<double>(i));
        if (frame < 0 || frame >= map_frames) {
            break;
        }
        const std::int32_t v = telemetry.frame_map[static_cast<std::size_t>(frame)];
        if (last != nullptr && v == previous) {
            continue;
        }
        if (v < 0 || static_cast<std::size_t>(v) >= telemetry.sensors.size()) {
            break;
        }
        const int x = static_cast<int>(static_cast<double>(i) * plan.column_width);
        const telemetry::SensorSample& sample = telemetry.sensors[static_cast<std::size_t>(v)];
        if (last == nullptr) {
            for (int axis = 0; axis < kAxisCount; ++axis) {
                tracers[static_cast<std::size_t>(axis)].Start(AxisValue(sample, axis));
            }
        } else {
            // The columns since the previous point show the previous sample.
            builder.Band(pass, last_x, x, last_frame);
        }
        for (int axis = 0; axis < kAxisCount; ++axis) {
            if (switches.graph[static_cast<std::size_t>(axis)]) {
                tracers[static_cast<std::size_t>(axis)].Add(x, AxisValue(sample, axis), false);
            }
        }
        builder.Collect(x, frame);
        last_x = x;
        last_frame = frame;
        previous = v;
        last = &sample;
    }
    if (last == nullptr) {
        return pass;
    }
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (switches.graph[static_cast<std::size_t>(axis)]) {
            tracers[static_cast<std::size_t>(axis)].Add(plan.plot_width, AxisValue(*last, axis),
                                                        true);
        }
    }
    // The last sample's band covers its own columns. (Collecting the last frame once more one
    // column further could only repeat a mark already recorded, so it is not done.)
    builder.Band(pass, last_x, last_x + static_cast<int>(plan.column_width) + 1, last_frame);
    const int right = plan.x_offset + plan.plot_width + 1;
    for (BandSpan& band : pass.bands) {
        band.x1 = std::min(band.x1, right);
    }
    std::erase_if(pass.bands, [](const BandSpan& b) { return b.x1 <= b.x0; });
    builder.TakeMarks(pass);
    pass.width = right;
    return pass;
}

}  // namespace ardelle::graph
