#include "graph/map_marks.h"

#include "graph/trace_pass.h"

namespace ardelle::graph {
namespace {

bool GraphShowsKind(const SeriesSwitches& switches, int kind) {
    const int series = SeriesOfKind(kind);
    return series >= 0 && switches.graph[static_cast<std::size_t>(series)];
}

void Append(const GraphTelemetry& telemetry, std::int64_t frame, const FrameClass& c, int series,
            std::vector<MarkRecord>& out) {
    const std::int32_t index = telemetry.frame_map[static_cast<std::size_t>(frame)];
    out.push_back({index, 0, c.kind, series, frame});
}

std::optional<std::int64_t> FirstAfter(const std::vector<MarkRecord>& marks,
                                       const SeriesSwitches& switches, std::int64_t frame) {
    for (const MarkRecord& mark : marks) {
        if (mark.frame > frame && GraphShowsKind(switches, mark.kind)) {
            return mark.frame;
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> LastBefore(const std::vector<MarkRecord>& marks,
                                       const SeriesSwitches& switches, std::int64_t frame) {
    for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
        if (it->frame < frame && GraphShowsKind(switches, it->kind)) {
            return it->frame;
        }
    }
    return std::nullopt;
}

}  // namespace

bool MapAllowsKind(const SeriesSwitches& switches, int kind) {
    if (kind >= 0 && kind <= 5) {
        return true;
    }
    const int series = SeriesOfKind(kind);
    return series >= 0 && switches.map[static_cast<std::size_t>(series)];
}

void CollectMapMarks(const GraphTelemetry& telemetry, const SeriesSwitches& switches,
                     std::int64_t frame, std::vector<MarkRecord>& out) {
    if (switches.map[kSpeedingSeries]) {
        const FrameClass c = ClassifyFrame(telemetry, frame, kSpeedingSeries);
        if (c.kind >= 0 && c.is_new && MapAllowsKind(switches, c.kind)) {
            Append(telemetry, frame, c, kSpeedingSeries, out);
        }
    }
    for (const int series : kMarkPrecedence) {
        if (!switches.map[static_cast<std::size_t>(series)]) {
            continue;
        }
        const FrameClass c = ClassifyFrame(telemetry, frame, series);
        if (c.kind >= 0) {
            if (c.is_new && MapAllowsKind(switches, c.kind)) {
                Append(telemetry, frame, c, series, out);
            }
            return;
        }
    }
}

std::vector<MarkRecord> CollectAllMapMarks(const GraphTelemetry& telemetry,
                                           const SeriesSwitches& switches) {
    std::vector<MarkRecord> marks;
    const auto frames = static_cast<std::int64_t>(telemetry.frame_map.size());
    for (std::int64_t frame = 0; frame < frames; ++frame) {
        CollectMapMarks(telemetry, switches, frame, marks);
    }
    return marks;
}

std::optional<std::int64_t> NextMarkFrame(const std::vector<MarkRecord>& marks,
                                          const SeriesSwitches& switches, std::int64_t shown) {
    if (auto next = FirstAfter(marks, switches, shown)) {
        return next;
    }
    return FirstAfter(marks, switches, -1);
}

std::optional<std::int64_t> PreviousMarkFrame(const std::vector<MarkRecord>& marks,
                                              const SeriesSwitches& switches, std::int64_t shown,
                                              std::int64_t duration) {
    if (auto previous = LastBefore(marks, switches, shown)) {
        return previous;
    }
    return LastBefore(marks, switches, duration + 1);
}

}  // namespace ardelle::graph
