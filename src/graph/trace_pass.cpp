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

    // Inlined: it runs three times for every sample of a pass.
    [[gnu::always_inline]] void Add(int x, double value, bool final) {
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
    [[gnu::always_inline]] int Height(double value) const {
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

// The kind each series reads in one sample (-1 none); series switched off read none.
using SeriesKinds = std::array<int, kSeriesCount>;

SeriesKinds KindsOf(const telemetry::SensorSample& sample, const SeriesSwitches& switches) {
    SeriesKinds kinds;
    for (int series = 0; series < kSeriesCount; ++series) {
        kinds[static_cast<std::size_t>(series)] =
            switches.graph[static_cast<std::size_t>(series)] ? ClassifySample(series, sample) : -1;
    }
    return kinds;
}

// The kinds of the frame before the first one a pass visits (none before frame 0).
SeriesKinds KindsBefore(const GraphTelemetry& telemetry, std::int64_t frame,
                        const SeriesSwitches& switches) {
    SeriesKinds kinds;
    kinds.fill(-1);
    for (int series = 0; series < kSeriesCount; ++series) {
        if (frame > 0 && switches.graph[static_cast<std::size_t>(series)]) {
            kinds[static_cast<std::size_t>(series)] =
                ClassifyFrame(telemetry, frame - 1, series).kind;
        }
    }
    return kinds;
}

// The band and the marks of a pass. The frames of a pass follow each other, so the frame
// before a newly visited sample shows the previously visited one: a mark is new where the
// kind differs from that sample's (as ClassifyFrame would find it, without looking it up).
class PassBuilder {
  public:
    PassBuilder(const PassPlan& plan, TracePass& pass) : plan_(plan), pass_(pass) {}

    // The band under the columns [x0, x1) of a sample of these kinds when it is speeding.
    void Band(int x0, int x1, const SeriesKinds& kinds) const {
        if (x1 > x0 && kinds[kSpeedingSeries] == kSpeedingKind) {
            AddBand(pass_.bands, plan_.x_offset + x0, plan_.x_offset + x1);
        }
    }

    // The marks of one column: the speeding series on its own, then the first other series
    // that classifies the frame.
    void Collect(int x, std::int64_t frame, const SeriesKinds& kinds, const SeriesKinds& before) {
        if (kinds[kSpeedingSeries] == kSpeedingKind && before[kSpeedingSeries] != kSpeedingKind) {
            lists_[kSpeedingSeries].push_back(
                {plan_.x_offset + x, kSpeedingKind, kSpeedingSeries, frame});
        }
        for (const int series : kMarkPrecedence) {
            const auto i = static_cast<std::size_t>(series);
            if (kinds[i] >= 0) {
                if (kinds[i] != before[i]) {
                    lists_[i].push_back({plan_.x_offset + x, kinds[i], series, frame});
                }
                break;
            }
        }
    }

    void TakeMarks() {
        for (auto& list : lists_) {
            pass_.marks.insert(pass_.marks.end(), list.begin(), list.end());
        }
    }

  private:
    const PassPlan& plan_;
    TracePass& pass_;
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
    RunTracePass(telemetry, layout, plan, scale_mode, switches, pass);
    return pass;
}

void RunTracePass(const GraphTelemetry& telemetry, const GraphLayout& layout, const PassPlan& plan,
                  int scale_mode, const SeriesSwitches& switches, TracePass& pass) {
    for (auto& axis : pass.segments) {
        axis.clear();
    }
    pass.bands.clear();
    pass.marks.clear();
    pass.width = 0;
    const auto map_frames = static_cast<std::int64_t>(telemetry.frame_map.size());
    if (map_frames == 0 || telemetry.sensors.empty() || plan.columns <= 0) {
        return;
    }
    std::vector<AxisTracer> tracers;
    tracers.reserve(kAxisCount);
    const auto expected_points =
        std::min<std::size_t>(telemetry.sensors.size(), static_cast<std::size_t>(plan.columns)) + 2;
    for (int axis = 0; axis < kAxisCount; ++axis) {
        pass.segments[static_cast<std::size_t>(axis)].reserve(expected_points);
        tracers.emplace_back(layout.ZeroY(), layout.PixelsPerG(scale_mode), layout.TraceLimit(),
                             plan.x_offset, pass.segments[static_cast<std::size_t>(axis)]);
    }
    PassBuilder builder(plan, pass);
    std::int32_t previous = -1;
    const telemetry::SensorSample* last = nullptr;
    int last_x = 0;
    SeriesKinds last_kinds{};
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
        const SeriesKinds kinds = KindsOf(sample, switches);
        if (last == nullptr) {
            for (int axis = 0; axis < kAxisCount; ++axis) {
                tracers[static_cast<std::size_t>(axis)].Start(AxisValue(sample, axis));
            }
            last_kinds = KindsBefore(telemetry, frame, switches);
        } else {
            // The columns since the previous point show the previous sample.
            builder.Band(last_x, x, last_kinds);
        }
        for (int axis = 0; axis < kAxisCount; ++axis) {
            if (switches.graph[static_cast<std::size_t>(axis)]) {
                tracers[static_cast<std::size_t>(axis)].Add(x, AxisValue(sample, axis), false);
            }
        }
        builder.Collect(x, frame, kinds, last_kinds);
        last_x = x;
        last_kinds = kinds;
        previous = v;
        last = &sample;
    }
    if (last == nullptr) {
        return;
    }
    for (int axis = 0; axis < kAxisCount; ++axis) {
        if (switches.graph[static_cast<std::size_t>(axis)]) {
            tracers[static_cast<std::size_t>(axis)].Add(plan.plot_width, AxisValue(*last, axis),
                                                        true);
        }
    }
    // The last sample's band covers its own columns. (Collecting the last frame once more one
    // column further could only repeat a mark already recorded, so it is not done.)
    builder.Band(last_x, last_x + static_cast<int>(plan.column_width) + 1, last_kinds);
    const int right = plan.x_offset + plan.plot_width + 1;
    for (BandSpan& band : pass.bands) {
        band.x1 = std::min(band.x1, right);
    }
    std::erase_if(pass.bands, [](const BandSpan& b) { return b.x1 <= b.x0; });
    builder.TakeMarks();
    pass.width = right;
}

}  // namespace ardelle::graph
