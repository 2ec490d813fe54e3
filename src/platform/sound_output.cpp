#include "platform/sound_output.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>

#include "platform/environment.h"
#include "platform/files.h"

namespace ardelle::platform {
namespace {

// Whether a folder holds an entry whose name starts with prefix and ends with suffix.
bool HasEntry(const std::string& folder, const std::string& prefix, const std::string& suffix) {
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.size() >= prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            found = true;
            break;
        }
    }
    ::closedir(directory);
    return found;
}

bool ServerConfigured() {
    if (EnvironmentValue("PULSE_SERVER")) {
        return true;
    }
    std::string user_config;
    if (const auto config = EnvironmentValue("XDG_CONFIG_HOME")) {
        user_config = *config;
    } else if (const std::string home = HomeFolder(); !home.empty()) {
        user_config = home + "/.config";
    }
    return PulseConfigNamesServer("/etc/pulse/client.conf") ||
           (!user_config.empty() && PulseConfigNamesServer(user_config + "/pulse/client.conf"));
}

bool ServerSocketIn(const std::string& folder) {
    return !folder.empty() &&
           (PathExists(folder + "/pulse/native") || PathExists(folder + "/pipewire-0"));
}

// A running JACK server: JACK1's folder jack-<uid>, or JACK2's sockets jack_default_<uid>_<n>.
// (A client leaves a jack_db-<uid> folder behind, which says nothing of a server.)
bool JackServerIn(const std::string& shared_memory) {
    return HasEntry(shared_memory, "jack-", "") || HasEntry(shared_memory, "jack_default", "");
}

}  // namespace

bool PulseConfigNamesServer(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, 14, "default-server") == 0) {
            return true;
        }
    }
    return false;
}

SoundPlaces SessionSoundPlaces() {
    SoundPlaces places;
    places.desktop =
        EnvironmentValue("DISPLAY").has_value() || EnvironmentValue("WAYLAND_DISPLAY").has_value();
    places.server_named = ServerConfigured();
    // Without $XDG_RUNTIME_DIR (a login without a session manager) the servers still use the
    // user's usual runtime folder.
    places.runtime_folder =
        EnvironmentValue("XDG_RUNTIME_DIR").value_or("/run/user/" + std::to_string(::getuid()));
    return places;
}

bool SoundOutputMayExist(const SoundPlaces& places) {
    if (places.desktop || places.server_named) {
        return true;
    }
    if (ServerSocketIn(places.runtime_folder) || ServerSocketIn(places.system_run_folder) ||
        JackServerIn(places.device_folder + "/shm")) {
        return true;
    }
    // ALSA playback devices are named pcmC<card>D<device>p; OSS has /dev/dsp.
    return HasEntry(places.device_folder + "/snd", "pcmC", "p") ||
           HasEntry(places.device_folder, "dsp", "");
}

}  // namespace ardelle::platform
