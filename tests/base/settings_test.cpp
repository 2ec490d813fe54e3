#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/settings.h"
#include "platform/files.h"
#include "support/temp_folder.h"

namespace ardelle::base {
namespace {

TEST(SettingsFile, FirstStartWritesTheThreeKeysInOrder) {
    testing::TempFolder folder;
    SettingsFile settings(folder / "config/Default_Folder.ini");
    EXPECT_FALSE(settings.Exists());
    EXPECT_EQ(settings.Read("DISPLAY", "ASPECT"), "");
    EXPECT_TRUE(WriteFirstStartSettings(settings));
    EXPECT_EQ(platform::ReadWholeFile(settings.path()).value_or(""),
              "[DISPLAY]\nINFOCHECK=31\nASPECT=on\nVOLUME=65535\n");
    // Only at first start.
    ASSERT_TRUE(settings.Write("DISPLAY", "ASPECT", "off"));
    EXPECT_FALSE(WriteFirstStartSettings(settings));
    EXPECT_EQ(settings.Read("DISPLAY", "ASPECT"), "off");
}

TEST(SettingsFile, WriteKeepsForeignLinesAndReadCutsLongValues) {
    testing::TempFolder folder;
    const std::string path = folder / "Default_Folder.ini";
    ASSERT_TRUE(platform::WriteFileAtomically(path, "; hand-written\n[SOURCE]\nSELECT=SD\n"));
    SettingsFile settings(path);
    ASSERT_TRUE(settings.Write("FOLDERPATH", "CSV_FOLDER", "/home/u/csv"));
    EXPECT_EQ(platform::ReadWholeFile(path).value_or(""),
              "; hand-written\n[SOURCE]\nSELECT=SD\n[FOLDERPATH]\nCSV_FOLDER=/home/u/csv\n");

    const std::string long_value(300, 'x');
    ASSERT_TRUE(settings.Write("SOURCE", "FOLDER", long_value));
    EXPECT_EQ(settings.Read("SOURCE", "FOLDER"), std::string(kSettingMaxLength, 'x'));
    // A multi-byte character at the cut is not split.
    ASSERT_TRUE(settings.Write("SOURCE", "FILE", std::string(258, 'y') + "日"));
    EXPECT_EQ(settings.Read("SOURCE", "FILE"), std::string(258, 'y'));
}

TEST(SettingsFile, RefusedWritesChangeNothing) {
    testing::TempFolder folder;
    SettingsFile settings(folder / "Default_Folder.ini");
    ASSERT_TRUE(settings.Write("DISPLAY", "VOLUME", "10"));
    EXPECT_FALSE(settings.Write("DISPLAY", "VOLUME", "1\n[EVIL]\nX=1"));
    EXPECT_EQ(settings.Read("DISPLAY", "VOLUME"), "10");
    // A folder where the file should be cannot be written.
    SettingsFile blocked(folder.path());
    EXPECT_FALSE(blocked.Write("DISPLAY", "VOLUME", "1"));
}

TEST(SettingsFile, ConcurrentWritersOfDifferentKeysLoseNothing) {
    testing::TempFolder folder;
    const std::string path = folder / "Default_Folder.ini";
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 25;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = ::fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
            SettingsFile settings(path);
            bool ok = true;
            for (int k = 0; k < kKeysEach; ++k) {
                ok = settings.Write("S" + std::to_string(w), "K" + std::to_string(k),
                                    std::to_string(w * 100 + k)) &&
                     ok;
            }
            std::_Exit(ok ? 0 : 1);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsFile settings(path);
    for (int w = 0; w < kWriters; ++w) {
        for (int k = 0; k < kKeysEach; ++k) {
            EXPECT_EQ(settings.Read("S" + std::to_string(w), "K" + std::to_string(k)),
                      std::to_string(w * 100 + k));
        }
    }
}

TEST(SettingValues, ReadBackRules) {
    EXPECT_TRUE(KeepAspectFromSetting("on"));
    for (const char* off : {"On", "ON", "off", "", " on"}) {
        EXPECT_FALSE(KeepAspectFromSetting(off)) << off;
    }
    const struct {
        const char* text;
        int volume;
    } volumes[] = {{"", 65535},  {"abc", 0},       {"100", 100},
                   {" 42x", 42}, {"70000", 65535}, {"-5", 0}};
    for (const auto& v : volumes) {
        EXPECT_EQ(VolumeFromSetting(v.text), v.volume) << v.text;
    }
    EXPECT_EQ(ScaleFromSetting("1.250000"), 1.25);
    for (const char* ignored : {"0", "-1.5", "x", ""}) {
        EXPECT_FALSE(ScaleFromSetting(ignored).has_value()) << ignored;
    }
    EXPECT_EQ(FormatScaleSetting(1.25), "1.250000");
    EXPECT_EQ(FormatVolumeSetting(65535), "65535");
}

TEST(AppFolder, OverrideThenEnvironmentThenXdgThenHome) {
    ::setenv("HOME", "/home/someone", 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("ARDELLE_APP_FOLDER");
    EXPECT_EQ(ResolveAppFolder(std::nullopt), "/home/someone/.config/ardelle");
    ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
    EXPECT_EQ(ResolveAppFolder(std::nullopt), "/xdg/ardelle");
    ::setenv("ARDELLE_APP_FOLDER", "/portable", 1);
    EXPECT_EQ(ResolveAppFolder(std::nullopt), "/portable");
    EXPECT_EQ(ResolveAppFolder(std::string("/given")), "/given");
    ::unsetenv("ARDELLE_APP_FOLDER");
    ::unsetenv("XDG_CONFIG_HOME");

    testing::TempFolder folder;
    SetAppFolder(folder.path());
    EXPECT_EQ(AppFolder(), folder.path());
    ASSERT_TRUE(WriteSetting("SOURCE", "SELECT", "FOLDER"));
    EXPECT_EQ(ReadSetting("SOURCE", "SELECT"), "FOLDER");
    EXPECT_TRUE(platform::IsRegularFile(folder / "Default_Folder.ini"));
}

}  // namespace
}  // namespace ardelle::base
