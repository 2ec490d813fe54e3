#include "app/window_startup.h"

#include <filesystem>

#include "base/screen_scale.h"
#include "fileops/repaired_folder.h"
#include "skin/skin.h"

namespace ardelle::app {

bool RemoveLeftoverRepairedCopies() {
    const std::string folder = fileops::RepairFolderPath();
    std::error_code error;
    if (!std::filesystem::exists(folder, error)) {
        return true;
    }
    return fileops::DeleteToRecycleBin(folder);
}

QRect MaximisedTarget(const QRect& work_area, const QRect& monitor,
                      const std::optional<QRect>& taskbar) {
    QRect target = work_area;
    if (!taskbar) {
        return target;
    }
    const QRect& t = *taskbar;
    const QRect& m = monitor;
    // QRect's right and bottom are the last pixel inside; the tests compare edges alike.
    if (t.left() == m.left() && t.right() != m.right()) {
        target.setLeft(target.left() + 1);
    } else if (t.top() == m.top() && t.bottom() != m.bottom()) {
        target.setTop(target.top() + 1);
    } else if (t.right() == m.right() && t.left() != m.left()) {
        target.setRight(target.right() - 1);
    } else if (t.bottom() == m.bottom() && t.top() != m.top()) {
        target.setBottom(target.bottom() - 1);
    }
    return target;
}

std::optional<QRect> AutoHidingTaskbar() {
    return std::nullopt;
}

bool ApplyMonitorFit(int work_height) {
    skin::Skin& skin = skin::Skin::Instance();
    const base::MonitorFit fit =
        base::FitToMonitor({skin.layout_scale(), skin.font_scale()}, work_height);
    if (fit.maximise) {
        skin.SetFontScaleKeepingFonts(fit.font_scale);
    }
    return fit.maximise;
}

QRect VolumeImageRect(const QSize& window, double scale) {
    const auto units = [scale](double n) { return base::ScaledLength(n, scale); };
    return {window.width() - units(155), window.height() - units(5) - (units(38) + units(12)) / 2,
            units(30), units(20)};
}

skin::IconRole VolumeImageFor(int volume, int volume_max) {
    if (volume <= 0) {
        return skin::IconRole::kVolumeOff;
    }
    return volume * 2 <= volume_max ? skin::IconRole::kVolumeLow : skin::IconRole::kVolumeHigh;
}

}  // namespace ardelle::app
