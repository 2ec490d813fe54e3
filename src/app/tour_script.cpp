#include "app/tour_script.h"

#include <sys/resource.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

#include <cstdio>
#include <ctime>

#include "app/tovel_dlg.h"

namespace ardelle::app {
namespace {
constexpr int kPollMs = 50;
// A shot waits this long at most for both pictures, then settles a little.
constexpr int kPaintTimeoutMs = 10000;
constexpr int kSettleMs = 300;

// "LABEL_area X Y W H": where the surface lies on the screen.
QString AreaLine(const char* label, const QWidget* surface) {
    const QPoint origin = surface->mapToGlobal(QPoint(0, 0));
    return QStringLiteral("%1_area %2 %3 %4 %5\n")
        .arg(QLatin1String(label))
        .arg(origin.x())
        .arg(origin.y())
        .arg(surface->width())
        .arg(surface->height());
}

// "LABEL X Y W H INDEX": the picture the surface painted last, or "LABEL none".
QString PictureLine(const char* label, const CMovieStatic* surface) {
    const playback::FrameMailbox::Picture picture = surface->LastPainted();
    if (picture.frame == nullptr || !surface->isVisible()) {
        return QStringLiteral("%1 none\n").arg(QLatin1String(label));
    }
    const QPoint origin =
        surface->mapToGlobal(QPoint(picture.destination.left, picture.destination.top));
    return QStringLiteral("%1 %2 %3 %4 %5 %6\n")
        .arg(QLatin1String(label))
        .arg(origin.x())
        .arg(origin.y())
        .arg(picture.destination.width())
        .arg(picture.destination.height())
        .arg(surface->surface_index());
}
// The tour waits this long at most for the players' ends.
constexpr int kEndTimeoutMs = 300000;

std::int64_t MonotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long PeakRssKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

std::optional<std::vector<TourStep>> ParseTourScript(const QString& script) {
    std::vector<TourStep> steps;
    for (const QString& raw : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString item = raw.trimmed();
        const QString word = item.section(QLatin1Char(':'), 0, 0);
        const QString argument = item.section(QLatin1Char(':'), 1);
        TourStep step;
        bool number_ok = true;
        if (word == QLatin1String("shot") && !argument.isEmpty() &&
            !argument.contains(QLatin1Char('/'))) {
            step.kind = TourStep::Kind::kShot;
            step.name = argument;
        } else if (word == QLatin1String("wait")) {
            step.kind = TourStep::Kind::kWait;
            step.value = argument.toInt(&number_ok);
        } else if (word == QLatin1String("command")) {
            step.kind = TourStep::Kind::kCommand;
            step.value = argument.toInt(&number_ok);
        } else if (word == QLatin1String("play") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kPlay;
        } else if (word == QLatin1String("pause") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kPause;
        } else if (word == QLatin1String("full") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kFullWindow;
        } else if (word == QLatin1String("quit") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kQuit;
        } else if (word == QLatin1String("painted") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kPainted;
        } else if (word == QLatin1String("mark") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kMark;
        } else if (word == QLatin1String("ended") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kEnded;
        } else if (word == QLatin1String("stats") && argument.isEmpty()) {
            step.kind = TourStep::Kind::kStats;
        } else if (word == QLatin1String("speed")) {
            step.kind = TourStep::Kind::kSpeed;
            const int code = argument.toInt(&number_ok);
            number_ok =
                number_ok && (code == 1 || code == 2 || code == 4 || code == -2 || code == -4);
            step.value = code;
        } else {
            return std::nullopt;
        }
        if (!number_ok || (step.value < 0 && step.kind != TourStep::Kind::kSpeed)) {
            return std::nullopt;
        }
        steps.push_back(step);
    }
    return steps;
}

QString DefaultTour() {
    return QStringLiteral(
        "shot:01-opened-paused;play;wait:3000;shot:02-playing;command:38016;wait:1500;"
        "shot:03-display-switched;command:38016;full;wait:1500;shot:04-full-window;full;"
        "pause;command:38010;wait:500;shot:05-rear-mirrored;quit");
}

TourScript::TourScript(CTovelDlg& window, std::vector<TourStep> steps, QString shots_folder)
    : window_(window), steps_(std::move(steps)), shots_folder_(std::move(shots_folder)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { Next(); });
}

void TourScript::Start() {
    QDir().mkpath(shots_folder_);
    timer_.start(0);
}

bool TourScript::SurfacesPainted() const {
    for (int i = 0; i < 2; ++i) {
        const CMovieStatic* surface = window_.surface(i);
        if (window_.PaintRule(i) == SurfacePaint::kPicture && surface->isVisible() &&
            surface->LastPainted().frame == nullptr) {
            return false;
        }
    }
    return true;
}

void TourScript::Next() {
    if (next_ >= steps_.size()) {
        return;
    }
    const TourStep& step = steps_[next_];
    MainController& controller = window_.controller();
    int delay = 0;
    switch (step.kind) {
        case TourStep::Kind::kShot:
            if (!settling_) {
                if (!SurfacesPainted() && waited_ms_ < kPaintTimeoutMs) {
                    waited_ms_ += kPollMs;
                    timer_.start(kPollMs);
                    return;  // the same step again
                }
                settling_ = true;
                timer_.start(kSettleMs);
                return;
            }
            settling_ = false;
            waited_ms_ = 0;
            Shoot(step.name);
            break;
        case TourStep::Kind::kWait:
            delay = step.value;
            break;
        case TourStep::Kind::kPlay:
            if (controller.pair().GetState(playback::PlayerTarget::kBoth) !=
                playback::PlayerState::kPlaying) {
                controller.OnCommand(command::kPlayPause);
            }
            break;
        case TourStep::Kind::kPause:
            if (controller.pair().GetState(playback::PlayerTarget::kBoth) ==
                playback::PlayerState::kPlaying) {
                controller.OnCommand(command::kPlayPause);
            }
            break;
        case TourStep::Kind::kCommand:
            controller.OnCommand(step.value);
            break;
        case TourStep::Kind::kFullWindow:
            controller.OnSurfaceDoubleClicked(controller.main_surface());
            break;
        case TourStep::Kind::kPainted:
        case TourStep::Kind::kSpeed:
        case TourStep::Kind::kMark:
        case TourStep::Kind::kEnded:
        case TourStep::Kind::kStats:
            if (!RunMeasuringStep(step)) {
                timer_.start(kPollMs / 10);
                return;
            }
            break;
        case TourStep::Kind::kQuit:
            ++next_;
            controller.OnCommand(command::kClose);
            QApplication::quit();
            return;
    }
    ++next_;
    timer_.start(delay);
}

bool TourScript::RunMeasuringStep(const TourStep& step) {
    MainController& controller = window_.controller();
    switch (step.kind) {
        case TourStep::Kind::kPainted:
            if (!SurfacesPainted() && waited_ms_ < kPaintTimeoutMs) {
                waited_ms_ += kPollMs / 10;
                return false;
            }
            waited_ms_ = 0;
            std::printf("painted %lld\n", static_cast<long long>(MonotonicNs()));
            break;
        case TourStep::Kind::kSpeed:
            controller.pair().SetSpeed(step.value);
            break;
        case TourStep::Kind::kMark:
            mark_cpu_s_ = ProcessCpuSeconds();
            mark_ns_ = MonotonicNs();
            for (int i = 0; i < 2; ++i) {
                mark_counts_[i][0] = window_.surface(i)->presented_count();
                mark_counts_[i][1] = window_.surface(i)->painted_count();
            }
            break;
        case TourStep::Kind::kEnded:
            if (!controller.all_ended() && waited_ms_ < kEndTimeoutMs) {
                waited_ms_ += kPollMs / 10;
                return false;
            }
            waited_ms_ = 0;
            break;
        case TourStep::Kind::kStats: {
            const auto count = [&](int surface, int which) {
                const CMovieStatic* s = window_.surface(surface);
                const std::uint64_t now = which == 0 ? s->presented_count() : s->painted_count();
                return static_cast<unsigned long long>(now - mark_counts_[surface][which]);
            };
            std::printf(
                "stats presented0 %llu painted0 %llu presented1 %llu painted1 %llu cpu_s %.3f "
                "wall_s %.3f peak_rss_kb %ld ended %d\n",
                count(0, 0), count(0, 1), count(1, 0), count(1, 1),
                ProcessCpuSeconds() - mark_cpu_s_,
                static_cast<double>(MonotonicNs() - mark_ns_) / 1e9, PeakRssKb(),
                controller.all_ended() ? 1 : 0);
            break;
        }
        default:
            break;
    }
    std::fflush(stdout);
    return true;
}

void TourScript::Shoot(const QString& name) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap shot = screen != nullptr ? screen->grabWindow(0) : QPixmap();
    if (shot.isNull()) {
        shot = window_.grab();  // a platform without a screen to grab
    }
    const QString path = QDir(shots_folder_).filePath(name + QStringLiteral(".png"));
    shot.save(path);
    QFile sidecar(QDir(shots_folder_).filePath(name + QStringLiteral(".txt")));
    if (sidecar.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const int main = window_.controller().main_surface();
        QTextStream out(&sidecar);
        out << PictureLine("main", window_.surface(main));
        out << PictureLine("movie", window_.surface(1 - main));
        out << AreaLine("main", window_.surface(main));
        out << AreaLine("movie", window_.surface(1 - main));
        out << AreaLine("graph", window_.panel_slots().graph);
        out << AreaLine("info_panel", window_.panel_slots().info_panel);
    }
    std::printf("%s\n", QDir(path).absolutePath().toLocal8Bit().constData());
    std::fflush(stdout);
}

}  // namespace ardelle::app
