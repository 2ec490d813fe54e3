// Whether a session could have sound output, from staged desktops, servers and devices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sound_output.h"
#include "support/temp_folder.h"

namespace ardelle::platform {
namespace {

void Touch(const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path).put('\n');
}

TEST(SoundOutput, AnyDesktopServerOrPlaybackDeviceMayGiveSound) {
    struct Case {
        const char* what;
        bool desktop, server_named;
        std::vector<std::string> files;  // under the staged root
        bool may_exist;
    };
    const Case cases[] = {
        {"nothing at all", false, false, {}, false},
        {"a desktop", true, false, {}, true},
        {"a named server", false, true, {}, true},
        {"a PulseAudio socket", false, false, {"runtime/pulse/native"}, true},
        {"a PipeWire socket", false, false, {"runtime/pipewire-0"}, true},
        {"a system-wide PulseAudio", false, false, {"run/pulse/native"}, true},
        {"a JACK1 server", false, false, {"dev/shm/jack-1000/default/jack_0"}, true},
        {"a JACK2 server", false, false, {"dev/shm/jack_default_1000_0"}, true},
        {"only a JACK client's leftovers", false, false, {"dev/shm/jack_db-1000/x"}, false},
        {"an ALSA playback device", false, false, {"dev/snd/controlC0", "dev/snd/pcmC0D0p"}, true},
        {"ALSA capture and control only",
         false,
         false,
         {"dev/snd/controlC0", "dev/snd/pcmC0D0c", "dev/snd/timer"},
         false},
        {"an OSS device", false, false, {"dev/dsp"}, true},
        {"an empty runtime folder", false, false, {"runtime/bus", "run/user/x"}, false},
    };
    for (const Case& c : cases) {
        testing::TempFolder root;
        std::filesystem::create_directories(root / "dev");
        for (const std::string& file : c.files) {
            Touch(root / file);
        }
        SoundPlaces places;
        places.desktop = c.desktop;
        places.server_named = c.server_named;
        places.runtime_folder = root / "runtime";
        places.device_folder = root / "dev";
        places.system_run_folder = root / "run";
        EXPECT_EQ(SoundOutputMayExist(places), c.may_exist) << c.what;
    }
}

TEST(SoundOutput, OnlyAnActiveDefaultServerLineNamesAServer) {
    struct Case {
        const char* text;
        bool names;
    };
    const Case cases[] = {
        {"; default-server =\n; autospawn = yes\n", false},
        {"# default-server = tcp:sound.example\n", false},
        {"autospawn = no\ndefault-server = tcp:sound.example\n", true},
        {"  \tdefault-server=unix:/tmp/pulse\n", true},
        {"", false},
    };
    testing::TempFolder folder;
    for (const Case& c : cases) {
        const std::string path = folder / "client.conf";
        std::ofstream(path, std::ios::trunc) << c.text;
        EXPECT_EQ(PulseConfigNamesServer(path), c.names) << c.text;
    }
    EXPECT_FALSE(PulseConfigNamesServer(folder / "missing.conf"));
}

}  // namespace
}  // namespace ardelle::platform
