#include "panels/setting_switches.h"

#include <cstdlib>
#include <string_view>

#include "base/screen_scale.h"

namespace ardelle::panels {

void SettingSwitches::Initialise(const graph::SeriesSwitches& current) {
    for (int i = 0; i < kSettingSwitchCount; ++i) {
        const int series = graph::kEventGroupSeries[static_cast<std::size_t>(i)];
        on_[static_cast<std::size_t>(i)] = current.graph[static_cast<std::size_t>(series)];
    }
}

bool SettingSwitches::On(int index) const {
    return index >= 0 && index < kSettingSwitchCount && on_[static_cast<std::size_t>(index)];
}

bool SettingSwitches::Click(int control_id, MessageSink* sink) {
    const int index = control_id - kFirstSwitchControl;
    if (index < 0 || index >= kSettingSwitchCount) {
        return false;  // outside the routed range, or one of the routed ids without a switch
    }
    bool& on = on_[static_cast<std::size_t>(index)];
    on = !on;
    if (sink != nullptr) {
        sink->Post({AppMessage::kSettingsSwitch, index, on ? 1 : 0});
    }
    return true;
}

graph::Rect MarkGroupBox(double s) {
    return {base::ScaledLength(10, s), base::ScaledLength(30, s), base::ScaledLength(434, s),
            base::ScaledLength(160, s)};
}

graph::Rect VersionGroupBox(double s) {
    return {base::ScaledLength(10, s), base::ScaledLength(190, s), base::ScaledLength(434, s),
            base::ScaledLength(110, s)};
}

graph::Rect SwitchBox(int index, double s) {
    // Column and row of each switch.
    static constexpr std::array<int, kSettingSwitchCount> kColumn = {0, 0, 1, 1, 0, 1};
    static constexpr std::array<int, kSettingSwitchCount> kRow = {0, 1, 0, 1, 2, 2};
    if (index < 0 || index >= kSettingSwitchCount) {
        return {};
    }
    const auto i = static_cast<std::size_t>(index);
    return {base::ScaledLength(40 + 200 * kColumn[i], s), base::ScaledLength(60 + 40 * kRow[i], s),
            base::ScaledLength(160, s), base::ScaledLength(40, s)};
}

graph::Rect SettingsDialogSize(double s) {
    return {0, 0, base::ScaledLength(460, s), base::ScaledLength(315, s)};
}

std::string VersionNotice(int build_year) {
    return std::string("version ") + kViewerVersion + "\nCopyright (C) " +
           std::to_string(build_year) + " The Ardelle developers";
}

int BuildYear() {
    constexpr std::string_view date = __DATE__;  // "Mmm dd yyyy"
    return std::atoi(date.substr(7).data());
}

}  // namespace ardelle::panels
