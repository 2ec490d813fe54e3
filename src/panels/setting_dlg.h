#pragma once

#include <QString>
#include <array>

#include "base/messages.h"
#include "graph/mark_series.h"
#include "panels/setting_switches.h"
#include "skin/skin_dialog.h"

class QLabel;

namespace ardelle::skin {
class CSkinCheckButton;
}

namespace ardelle::panels {

// The settings window: the six event-mark switches in their group box and the version notice.
// A click on a switch flips it and posts 0x81F5 (wparam the switch, lparam 1 on / 0 off) to
// the main window's sink. The window keeps nothing in the settings file: the switches live
// in the main window for the run.
class CSettingDlg : public skin::CSkinDialog {
  public:
    // Created hidden as a child of the main window; the switches show `current`.
    CSettingDlg(QWidget* parent, MessageSink* sink, const graph::SeriesSwitches& current);

    void SetSink(MessageSink* sink) { sink_ = sink; }
    // Shows the switches as the main window has them now.
    void Initialise(const graph::SeriesSwitches& current);
    // Centred on the monitor that holds the parent's top-left corner, shown and raised.
    void ShowCentred();

    bool SwitchOn(int index) const { return switches_.On(index); }
    skin::CSkinCheckButton* switch_button(int index) const;
    QLabel* version_notice() const { return version_notice_; }
    QRect mark_group() const { return mark_group_; }
    QRect version_group() const { return version_group_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void OnSwitchClicked(int control_id);
    void PaintGroupBox(class QPainter& painter, const QRect& box, const QString& title) const;

    MessageSink* sink_;
    SettingSwitches switches_;
    std::array<skin::CSkinCheckButton*, kSettingSwitchCount> buttons_{};
    QLabel* version_notice_ = nullptr;
    QRect mark_group_;
    QRect version_group_;
};

// The main window's settings command: shows the parent's settings window, made hidden on
// first use and kept for the run, with the switches as `current` has them. Posts go to sink.
// Without a parent each call makes a new window, which the caller then owns.
CSettingDlg* ShowSettingsDialog(QWidget* parent, MessageSink* sink,
                                const graph::SeriesSwitches& current);

}  // namespace ardelle::panels
