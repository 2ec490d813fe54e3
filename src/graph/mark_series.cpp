#include "graph/mark_series.h"

namespace ardelle::graph {
namespace {

constexpr Rgb kGreen{0, 255, 0}, kRed{255, 0, 0}, kBlue{128, 128, 255}, kWhite{255, 255, 255};

constexpr std::array<MarkStyle, kMarkKindCount> kStyles = {{
    {kGreen, "G", 1},                    // 0 sudden acceleration (shock X)
    {kGreen, "G", 1},                    // 1 never produced
    {kRed, "G", 0},                      // 2 sudden steering (shock Y)
    {kBlue, "G", 2},                     // 3 sudden drop (shock Z)
    {kBlue, "G", 2},                     // 4 never produced
    {kWhite, "M", 3},                    // 5 manual
    {kWhite, "\xE2\x80\xBB", 3},         // 6 emergency stop "※"
    {kWhite, "P", 3},                    // 7 parking watch
    {kWhite, "#", 3},                    // 8 speeding
    {kWhite, "O", 3},                    // 9 speed camera
    {kWhite, "D", 3},                    // 10 vehicle approaching
    {{255, 255, 0}, "", 4},              // 11 support: sudden steering (star)
    {{255, 0, 255}, "\xE2\x96\xB2", 5},  // 12 support: sudden acceleration "▲"
    {{0, 255, 255}, "\xE2\x96\xBC", 6},  // 13 support: sudden braking "▼"
}};

constexpr std::array<int, kMarkKindCount> kSeriesOfKind = {0, 0, 1, 2, 2, 3, 4,
                                                           5, 6, 7, 8, 9, 9, 9};

bool ValidSeries(std::int64_t series) {
    return series >= 0 && series < kSeriesCount;
}

int ClassifyAt(const GraphTelemetry& telemetry, std::int64_t frame, int series) {
    if (frame < 0 || frame >= static_cast<std::int64_t>(telemetry.frame_map.size())) {
        return -1;
    }
    const std::int32_t index = telemetry.frame_map[static_cast<std::size_t>(frame)];
    if (index < 0 || static_cast<std::size_t>(index) >= telemetry.sensors.size()) {
        return -1;
    }
    return ClassifySample(series, telemetry.sensors[static_cast<std::size_t>(index)]);
}

}  // namespace

const MarkStyle& StyleOfKind(int kind) {
    return kStyles[kind >= 0 && kind < kMarkKindCount ? static_cast<std::size_t>(kind) : 0];
}

Rgb AxisColour(int axis) {
    return axis == 1 ? kRed : axis == 2 ? kBlue : kGreen;
}

int SeriesOfKind(int kind) {
    return kind >= 0 && kind < kMarkKindCount ? kSeriesOfKind[static_cast<std::size_t>(kind)] : -1;
}

int ClassifySample(int series, const telemetry::SensorSample& s) {
    switch (series) {
        case 0:
            return s.shock_axis == 1 ? 0 : -1;
        case 1:
            return s.shock_axis == 2 ? 2 : -1;
        case 2:
            return s.shock_axis == 3 ? 3 : -1;
        case 3:
            return s.event_kind == 5 ? 5 : -1;
        case 4:
            return s.event_kind == 6 ? 6 : -1;
        case 5:
            return s.event_kind == 7 ? 7 : -1;
        case 6:
            return s.secondary == 8 ? 8 : -1;
        case 7:
            return s.high_nibble == 10 && s.low_nibble == 9 ? 9 : -1;
        case 8:
            return s.tertiary == 10 ? 10 : -1;
        case 9:
            return s.event_kind >= 11 && s.event_kind <= 13 ? s.event_kind : -1;
        default:
            return -1;
    }
}

void SeriesSwitches::Set(int series, bool on) {
    if (ValidSeries(series)) {
        graph[static_cast<std::size_t>(series)] = on;
        map[static_cast<std::size_t>(series)] = on;
    }
}

bool ApplyAxisSwitch(SeriesSwitches& switches, std::int64_t axis, std::int64_t state) {
    if (axis < 0 || axis >= kAxisCount) {
        return false;
    }
    switches.Set(static_cast<int>(axis), state != 0);
    return true;
}

bool ApplyEventGroupSwitch(SeriesSwitches& switches, std::int64_t group, std::int64_t state) {
    if (group < 0 || group >= static_cast<std::int64_t>(kEventGroupSeries.size())) {
        return false;
    }
    switches.Set(kEventGroupSeries[static_cast<std::size_t>(group)], state != 0);
    return true;
}

FrameClass ClassifyFrame(const GraphTelemetry& telemetry, std::int64_t frame, int series) {
    FrameClass result;
    result.kind = ClassifyAt(telemetry, frame, series);
    result.is_new =
        result.kind >= 0 && (frame == 0 || ClassifyAt(telemetry, frame - 1, series) != result.kind);
    return result;
}

}  // namespace ardelle::graph
