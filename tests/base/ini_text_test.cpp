#include <gtest/gtest.h>

#include "base/ini_text.h"

namespace ardelle::base {
namespace {

TEST(FindIniValue, ReadsAsPrivateProfileRoutinesDo) {
    const std::string text =
        "; comment\n[DISPLAY]\nASPECT = on \nvolume=100\nVOLUME=5\n\n[Other]\nASPECT=off\n"
        "[SOURCE]\nFOLDER=\"/media/card\"\nFILE=/x y/z.MP4\n";
    const struct {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"DISPLAY", "ASPECT", "on"},          // blanks around key and value ignored
        {"display", "Aspect", "on"},          // names match without regard to case
        {"DISPLAY", "VOLUME", "100"},         // the first of two equal keys wins
        {"OTHER", "ASPECT", "off"},           // the same key in another section
        {"SOURCE", "FOLDER", "/media/card"},  // surrounding quotes are dropped
        {"SOURCE", "FILE", "/x y/z.MP4"},    {"DISPLAY", "SCALEX", std::nullopt},
        {"MISSING", "ASPECT", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindIniValue(text, c.section, c.key), c.value) << c.section << "/" << c.key;
    }
}

TEST(SetIniValue, ChangesOneKeyAndKeepsEveryOtherLine) {
    const struct {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    } cases[] = {
        {"", "DISPLAY", "ASPECT", "on", "[DISPLAY]\nASPECT=on\n"},
        {"[DISPLAY]\nASPECT=on\n", "DISPLAY", "ASPECT", "off", "[DISPLAY]\nASPECT=off\n"},
        {"[DISPLAY]\nASPECT=on\n\n[SOURCE]\nSD=/m\n", "DISPLAY", "VOLUME", "7",
         "[DISPLAY]\nASPECT=on\nVOLUME=7\n\n[SOURCE]\nSD=/m\n"},
        {"[DISPLAY]\nASPECT=on", "SOURCE", "SD", "/m", "[DISPLAY]\nASPECT=on\n[SOURCE]\nSD=/m\n"},
        {"[DISPLAY]\r\nASPECT=on\r\n", "display", "volume", "1",
         "[DISPLAY]\r\nASPECT=on\r\nvolume=1\r\n"},
        {"# note\n[D]\n a = 1 ; kept\nb=2\n", "D", "A", "9", "# note\n[D]\nA=9\nb=2\n"},
        {"[D]\nx=1", "D", "y", "2", "[D]\nx=1\ny=2\n"},
        {"[D]\nx=1\n", "D", "x", "", "[D]\nx=\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetIniValue(c.before, c.section, c.key, c.value), c.after) << c.before;
    }
}

TEST(IsStorableIniKey, RefusesWhatWouldBreakTheLines) {
    EXPECT_TRUE(IsStorableIniKey("FOLDERPATH", "CSV_FOLDER", "/home/u/My Files"));
    EXPECT_FALSE(IsStorableIniKey("FOLDERPATH", "CSV_FOLDER", "/a\n[DISPLAY]"));
    EXPECT_FALSE(IsStorableIniKey("A]B", "K", "v"));
    EXPECT_FALSE(IsStorableIniKey("S", "K=1", "v"));
    EXPECT_FALSE(IsStorableIniKey("S", "", "v"));
    EXPECT_FALSE(IsStorableIniKey("", "K", "v"));
    EXPECT_FALSE(IsStorableIniKey("S", "[K", "v"));
}

}  // namespace
}  // namespace ardelle::base
