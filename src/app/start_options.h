#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/tour_script.h"

namespace ardelle::app {

inline constexpr char kStartUsage[] =
    "usage: ardelle [--source PATH] [--frame N] [--scale S] [--tour DIR] [--script STEPS]\n"
    "  --source PATH   open a card, folder or recording; its first recording waits at --frame\n"
    "  --frame N       the front frame shown first (default 0)\n"
    "  --scale S       layout scale instead of the one of the screen's work area\n"
    "  --tour DIR      run the scripted tour (or --script) and save screenshots in DIR\n"
    "  --script STEPS  the tour's steps: shot:NAME;play;pause;wait:MS;command:ID;full;quit\n";

// What the command line asks for.
struct StartOptions {
    std::string source;
    std::int64_t start_frame = 0;
    std::optional<double> scale;
    std::optional<std::vector<TourStep>> script;
    QString shots_folder;
    bool fit_to_monitor = true;
};

// Nothing for arguments that make no sense (the caller prints the usage).
std::optional<StartOptions> ParseStartOptions(const QStringList& arguments);

}  // namespace ardelle::app
