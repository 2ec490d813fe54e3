#include "base/settings.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "base/ini_text.h"
#include "platform/environment.h"
#include "platform/file_lock.h"
#include "platform/files.h"

namespace ardelle::base {
namespace {

// Cuts text to at most max bytes without splitting a UTF-8 character.
std::string CutAtCharacter(std::string text, size_t max) {
    if (text.size() <= max) {
        return text;
    }
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    text.resize(end);
    return text;
}

struct AppFolderState {
    std::mutex mutex;
    std::string folder;
    std::optional<SettingsFile> settings;
};

AppFolderState& GlobalAppFolder() {
    static AppFolderState state;
    return state;
}

}  // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

bool SettingsFile::Exists() const {
    return platform::IsRegularFile(path_);
}

std::string SettingsFile::Read(std::string_view section, std::string_view key) const {
    const auto text = platform::ReadWholeFile(path_);
    if (!text) {
        return {};
    }
    return CutAtCharacter(FindIniValue(*text, section, key).value_or(std::string()),
                          kSettingMaxLength);
}

bool SettingsFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    if (!IsStorableIniKey(section, key, value)) {
        return false;
    }
    const std::string folder = platform::FolderOf(path_);
    if (!folder.empty() && !platform::MakeFolders(folder)) {
        return false;
    }
    const platform::ExclusiveFileLock lock(path_ + ".lock");
    if (!lock.held()) {
        return false;
    }
    std::string current;
    if (platform::PathExists(path_)) {
        auto text = platform::ReadWholeFile(path_);
        if (!text) {
            return false;  // never replace a file we could not read
        }
        current = std::move(*text);
    }
    return platform::WriteFileAtomically(path_, SetIniValue(current, section, key, value));
}

std::string ResolveAppFolder(const std::optional<std::string>& override_folder) {
    if (override_folder && !override_folder->empty()) {
        return *override_folder;
    }
    if (auto folder = platform::EnvironmentValue("ARDELLE_APP_FOLDER")) {
        return *folder;
    }
    if (auto config = platform::EnvironmentValue("XDG_CONFIG_HOME")) {
        return *config + "/ardelle";
    }
    return platform::HomeFolder() + "/.config/ardelle";
}

void SetAppFolder(std::string folder) {
    AppFolderState& state = GlobalAppFolder();
    const std::lock_guard lock(state.mutex);
    state.folder = std::move(folder);
    state.settings.emplace(state.folder + "/" + kSettingsFileName);
}

std::string AppFolder() {
    AppFolderState& state = GlobalAppFolder();
    const std::lock_guard lock(state.mutex);
    return state.folder;
}

SettingsFile& AppSettings() {
    AppFolderState& state = GlobalAppFolder();
    const std::lock_guard lock(state.mutex);
    if (!state.settings) {
        state.settings.emplace(state.folder + "/" + kSettingsFileName);
    }
    return *state.settings;
}

std::string ReadSetting(std::string_view section, std::string_view key) {
    return AppSettings().Read(section, key);
}

bool WriteSetting(std::string_view section, std::string_view key, std::string_view value) {
    return AppSettings().Write(section, key, value);
}

bool WriteFirstStartSettings(SettingsFile& file) {
    if (file.Exists()) {
        return false;
    }
    const bool written = file.Write("DISPLAY", "INFOCHECK", "31");
    return file.Write("DISPLAY", "ASPECT", "on") && file.Write("DISPLAY", "VOLUME", "65535") &&
           written;
}

bool KeepAspectFromSetting(std::string_view value) {
    return value == "on";
}

int VolumeFromSetting(std::string_view value) {
    if (value.empty()) {
        return 65535;
    }
    const std::string text(value);
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(parsed < 0 ? 0 : parsed > 65535 ? 65535 : parsed);
}

std::optional<double> ScaleFromSetting(std::string_view value) {
    const std::string text(value);
    const double parsed = std::strtod(text.c_str(), nullptr);
    if (!(parsed > 0.0)) {
        return std::nullopt;
    }
    return parsed;
}

std::string FormatScaleSetting(double scale) {
    char text[64];
    std::snprintf(text, sizeof text, "%f", scale);
    return text;
}

std::string FormatVolumeSetting(int volume) {
    return std::to_string(volume);
}

}  // namespace ardelle::base
