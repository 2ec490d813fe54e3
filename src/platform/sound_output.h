#pragma once

#include <string>

namespace ardelle::platform {

// Where a session could find sound output: the desktop, a sound server and the devices.
// Roots are parameters so that tests can stage them.
struct SoundPlaces {
    bool desktop = false;        // a display is set ($DISPLAY or $WAYLAND_DISPLAY)
    bool server_named = false;   // $PULSE_SERVER, or a client.conf naming a default server
    std::string runtime_folder;  // $XDG_RUNTIME_DIR, else /run/user/<uid>
    std::string device_folder = "/dev";
    std::string system_run_folder = "/run";
};

// Whether a PulseAudio client configuration has an active "default-server" line.
bool PulseConfigNamesServer(const std::string& path);

// The places of this process's session.
SoundPlaces SessionSoundPlaces();

// Whether any sound output may exist: a desktop (which may reach a server in ways not visible
// here), a named server, a PulseAudio, PipeWire or JACK socket, or an ALSA or OSS playback
// device. When there is none, trying every kind of audio output can only end in silence.
bool SoundOutputMayExist(const SoundPlaces& places);

}  // namespace ardelle::platform
