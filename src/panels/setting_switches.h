#pragma once

#include <array>
#include <string>

#include "base/messages.h"
#include "graph/graph_layout.h"
#include "graph/mark_series.h"

namespace ardelle::panels {

// The settings dialog's six event-mark switches (control ids 32968 + i), their labels and
// places, and the version notice. A click flips one switch and posts 0x81F5 (wparam i,
// lparam the new state) to the main window, which switches the series of that event group.
inline constexpr int kSettingSwitchCount = 6;
inline constexpr int kFirstSwitchControl = 32968;
inline constexpr int kLastRoutedSwitchControl = 32975;  // ids up to here reach the handler
inline constexpr std::array<int, kSettingSwitchCount> kSwitchLabelTexts = {115, 124, 125,
                                                                           129, 143, 183};
inline constexpr int kSettingsTitleText = 123;
inline constexpr int kMarkGroupTitleText = 128;
inline constexpr int kVersionGroupTitleText = 127;
inline constexpr int kVersionNoticeControl = 32981;
inline constexpr const char* kViewerVersion = "1.0.0";

class SettingSwitches {
  public:
    // Every dialog initialisation shows the main window's current series state (all on at
    // start), so that a switch never reads "on" while its marks are hidden.
    void Initialise(const graph::SeriesSwitches& current);
    bool On(int index) const;
    // A click on a control: true when it was a switch, which is flipped and reported.
    bool Click(int control_id, MessageSink* sink);

  private:
    std::array<bool, kSettingSwitchCount> on_{true, true, true, true, true, true};
};

// Places at layout scale s: the two group boxes, the switches in two columns (0, 1, 4 left;
// 2, 3, 5 right) and the dialog's size.
graph::Rect MarkGroupBox(double scale);
graph::Rect VersionGroupBox(double scale);
graph::Rect SwitchBox(int index, double scale);
graph::Rect SettingsDialogSize(double scale);

// "version 1.0.0" and a rights line with the year the program was built.
std::string VersionNotice(int build_year);
int BuildYear();

}  // namespace ardelle::panels
