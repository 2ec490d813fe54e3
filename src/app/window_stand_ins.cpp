#include "app/window_stand_ins.h"

#include <QFileDialog>

#include "base/settings.h"
#include "platform/files.h"

namespace ardelle::app {
void QtControllerTimers::Start(int id, int period_ms, bool single_shot) {
    std::unique_ptr<QTimer>& timer = timers_[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { on_timer_(id); });
    }
    timer->setSingleShot(single_shot);
    timer->start(period_ms);
}

void QtControllerTimers::Kill(int id) {
    if (auto it = timers_.find(id); it != timers_.end()) {
        it->second->stop();
    }
}

std::string QtFolderPicker::PickFolder(std::string_view section, std::string_view key,
                                       std::string_view title) {
    std::string start = base::ReadSetting(std::string(section), std::string(key));
    if (start.empty() || !platform::IsDirectory(start)) {
        start = base::AppFolder();
    }
    const QString chosen = QFileDialog::getExistingDirectory(
        parent_, QString::fromUtf8(title.data(), static_cast<int>(title.size())),
        QString::fromStdString(start));
    if (chosen.isEmpty()) {
        return on_cancel_ == OnCancel::kPreselected ? start : std::string();
    }
    return chosen.toStdString();
}

}  // namespace ardelle::app
