#include "app/start_options.h"

namespace ardelle::app {

std::optional<StartOptions> ParseStartOptions(const QStringList& arguments) {
    StartOptions options;
    std::optional<QString> script;
    bool tour = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool has_value = i + 1 < arguments.size();
        bool ok = true;
        if (argument == QLatin1String("--source") && has_value) {
            options.source = arguments[++i].toStdString();
        } else if (argument == QLatin1String("--frame") && has_value) {
            options.start_frame = arguments[++i].toLongLong(&ok);
            ok = ok && options.start_frame >= 0;
        } else if (argument == QLatin1String("--scale") && has_value) {
            const double scale = arguments[++i].toDouble(&ok);
            ok = ok && scale >= 0.25 && scale <= 8.0;
            options.scale = scale;
            options.fit_to_monitor = false;
        } else if (argument == QLatin1String("--tour") && has_value) {
            options.shots_folder = arguments[++i];
            tour = true;
        } else if (argument == QLatin1String("--script") && has_value) {
            script = arguments[++i];
        } else {
            return std::nullopt;
        }
        if (!ok) {
            return std::nullopt;
        }
    }
    if (script && !tour) {
        return std::nullopt;  // a script needs a folder for its shots
    }
    if (tour) {
        options.script = ParseTourScript(script.value_or(DefaultTour()));
        if (!options.script) {
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace ardelle::app
