#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <optional>
#include <vector>

namespace ardelle::app {

class CTovelDlg;

// One step of a scripted tour.
struct TourStep {
    enum class Kind {
        kShot,
        kWait,
        kPlay,
        kPause,
        kCommand,
        kFullWindow,
        kQuit,
        kPainted,  // waits for both pictures, prints "painted NS" (monotonic clock)
        kSpeed,    // sets the speed code of both players
        kMark,     // remembers the process CPU time and the clock for kStats
        kEnded,    // waits until every opened player reported its end
        kStats,    // prints presented and painted counts, CPU and peak memory since kMark
    };
    Kind kind = Kind::kQuit;
    QString name;   // the shot's file name (without .png)
    int value = 0;  // milliseconds to wait, or a command id
};

// Parses "shot:NAME;play;wait:3000;pause;command:38016;full;quit" (and the measuring steps
// painted, speed:CODE, mark, ended, stats); nothing for a bad step.
std::optional<std::vector<TourStep>> ParseTourScript(const QString& script);

// The default tour of `make run` on a machine without a display.
QString DefaultTour();

// Runs a tour on the main window once the first recording is ready: each shot grabs the
// screen as NAME.png in the shots folder, beside NAME.txt with the screen rectangles of the
// pictures the two surfaces painted ("main x y w h", "movie x y w h"), and prints its path.
class TourScript : public QObject {
  public:
    TourScript(CTovelDlg& window, std::vector<TourStep> steps, QString shots_folder);
    void Start();

  private:
    void Next();
    void Shoot(const QString& name);
    bool SurfacesPainted() const;
    // True when the step is done; false to run it again after a poll interval.
    bool RunMeasuringStep(const TourStep& step);

    CTovelDlg& window_;
    std::vector<TourStep> steps_;
    QString shots_folder_;
    std::size_t next_ = 0;
    int waited_ms_ = 0;
    bool settling_ = false;
    double mark_cpu_s_ = 0.0;
    std::int64_t mark_ns_ = 0;
    std::uint64_t mark_counts_[2][2] = {};
    QTimer timer_;
};

}  // namespace ardelle::app
