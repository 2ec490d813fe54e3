// ardelle: the recorder viewer's window.
#include <QApplication>
#include <QScreen>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/start_options.h"
#include "app/tour_script.h"
#include "app/tovel_dlg.h"
#include "base/screen_scale.h"
#include "base/settings.h"
#include "base/ui_text.h"
#include "skin/skin.h"

namespace {

using ardelle::app::StartOptions;

// Layout and font scale from the primary screen's work area, unless the options fix one.
void ApplyScreenScale(const StartOptions& options) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    ardelle::base::ScreenScale scale;
    if (screen != nullptr) {
        const QRect work = screen->availableGeometry();
        scale = ardelle::base::ComputeScreenScale(work.width(), work.height(),
                                                  static_cast<int>(screen->logicalDotsPerInchX()),
                                                  static_cast<int>(screen->logicalDotsPerInchY()));
    }
    if (options.scale) {
        scale.font = scale.font / scale.layout * *options.scale;
        scale.layout = *options.scale;
    }
    ardelle::skin::Skin::Instance().SetScales(scale.layout, scale.font);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const auto options = ardelle::app::ParseStartOptions(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "%s", ardelle::app::kStartUsage);
        return 2;
    }
    const char* locale = std::setlocale(LC_MESSAGES, nullptr);
    ardelle::base::SetUiLanguage(ardelle::base::ChooseUiLanguage(locale != nullptr ? locale : ""));
    ardelle::base::SetAppFolder(ardelle::base::ResolveAppFolder(std::nullopt));
    ardelle::base::WriteFirstStartSettings(ardelle::base::AppSettings());
    ApplyScreenScale(*options);

    ardelle::app::CTovelDlg window;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        window.move(work.topLeft() + QPoint(std::max(0, (work.width() - window.width()) / 2),
                                            std::max(0, (work.height() - window.height()) / 2)));
    }
    window.SetStartSource(options->source);
    window.SetFitToMonitor(options->fit_to_monitor);
    std::unique_ptr<ardelle::app::TourScript> tour;
    if (options->script) {
        tour = std::make_unique<ardelle::app::TourScript>(window, *options->script,
                                                          options->shots_folder);
        window.controller().SetOnReady([&tour] { tour->Start(); });
    }
    // The recording opens before the window is shown (the players get ready while it maps),
    // as the last source is restored during the window's initialisation.
    bool opened = false;
    if (!options->source.empty()) {
        opened = window.controller().OpenSource(options->source, options->start_frame);
        window.file_host().SetSource(options->source);
    }
    window.show();
    QTimer::singleShot(0, &window, [&] {
        window.AfterInitialisation();
        if (options->source.empty() && !tour && window.list_window(0).RestoreLastSource()) {
            window.list_window(1).RestoreLastSource();
        }
        if (!opened && tour) {
            tour->Start();  // the tour shows the window without a recording
        }
    });
    return QApplication::exec();
}
