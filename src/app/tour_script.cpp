#include "app/tour_script.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>
#include <cstdio>

#include "app/tovel_dlg.h"

namespace ardelle::app {
namespace {
constexpr int kPollMs = 50;
// A shot waits this long at most for both pictures, then settles a little.
constexpr int kPaintTimeoutMs = 10000;
constexpr int kSettleMs = 300;

// "LABEL_area X Y W H": where the surface lies on the screen.
QString AreaLine(const char* label, const CMovieStatic* surface) {
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
        } else {
            return std::nullopt;
        }
        if (!number_ok || step.value < 0) {
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
    ViewerController& controller = window_.controller();
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
        case TourStep::Kind::kQuit:
            ++next_;
            controller.OnCommand(command::kClose);
            QApplication::quit();
            return;
    }
    ++next_;
    timer_.start(delay);
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
    }
    std::printf("%s\n", QDir(path).absolutePath().toLocal8Bit().constData());
    std::fflush(stdout);
}

}  // namespace ardelle::app
