#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ardelle::base {

inline constexpr const char* kSettingsFileName = "Default_Folder.ini";
inline constexpr size_t kSettingMaxLength = 259;

// The viewer's settings file: one key is read or written at a time and every other
// line is kept. Writes are atomic (temporary file and rename) and serialised with an
// advisory lock, so copies of the program running at once never lose each other's
// keys; the last writer of a key wins.
class SettingsFile {
  public:
    explicit SettingsFile(std::string path);

    const std::string& path() const { return path_; }
    bool Exists() const;

    // The value (at most kSettingMaxLength bytes, cut at a character boundary);
    // empty when the file or the key is missing.
    std::string Read(std::string_view section, std::string_view key) const;

    // Creates folder, file and section as needed. False (and nothing changed) when the
    // file cannot be written or the key cannot be stored.
    bool Write(std::string_view section, std::string_view key, std::string_view value);

  private:
    std::string path_;
};

// The folder of the settings file: the override when given, else $ARDELLE_APP_FOLDER,
// else $XDG_CONFIG_HOME/ardelle, else ~/.config/ardelle.
std::string ResolveAppFolder(const std::optional<std::string>& override_folder);

// The process-wide application folder, captured once at start-up.
void SetAppFolder(std::string folder);
std::string AppFolder();

// The settings file in AppFolder, and one-key access to it.
SettingsFile& AppSettings();
std::string ReadSetting(std::string_view section, std::string_view key);
bool WriteSetting(std::string_view section, std::string_view key, std::string_view value);

// When the settings file does not exist yet, writes the first-start keys
// DISPLAY/INFOCHECK=31, ASPECT=on and VOLUME=65535 in that order. True when it wrote them.
bool WriteFirstStartSettings(SettingsFile& file);

// How stored values are read back.
bool KeepAspectFromSetting(std::string_view value);  // exactly "on"
int VolumeFromSetting(std::string_view value);       // empty -> 65535, not a number -> 0
std::optional<double> ScaleFromSetting(std::string_view value);  // only values > 0
std::string FormatScaleSetting(double scale);                    // "%f"
std::string FormatVolumeSetting(int volume);                     // "%d"

}  // namespace ardelle::base
