#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/controller_ports.h"
#include "base/messages.h"
#include "base/user_dialogs.h"

class QWidget;

namespace ardelle::app {

// The controller's numbered timers on QTimers of the UI thread.
class QtControllerTimers : public ControllerTimers {
  public:
    explicit QtControllerTimers(std::function<void(int)> on_timer)
        : on_timer_(std::move(on_timer)) {}
    void Start(int id, int period_ms, bool single_shot) override;
    void Kill(int id) override;

  private:
    std::function<void(int)> on_timer_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

// The folder dialog of the window, preselecting the folder stored under section/key (or
// the application folder when that is gone). A cancel answers the preselected folder, or
// nothing where a cancel must stop what asked (a file operation's output folder).
class QtFolderPicker : public base::FolderPicker {
  public:
    enum class OnCancel { kPreselected, kNothing };
    explicit QtFolderPicker(QWidget* parent, OnCancel on_cancel = OnCancel::kPreselected)
        : parent_(parent), on_cancel_(on_cancel) {}
    std::string PickFolder(std::string_view section, std::string_view key,
                           std::string_view title) override;

  private:
    QWidget* parent_;
    OnCancel on_cancel_;
};

}  // namespace ardelle::app
