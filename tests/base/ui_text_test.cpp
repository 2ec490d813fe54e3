#include <gtest/gtest.h>

#include <string>

#include "base/ui_text.h"

namespace ardelle::base {
namespace {

TEST(UiText, KnownTextsAndGaps) {
    SetUiLanguage(0);
    const struct {
        int id;
        const char* text;
    } cases[] = {
        {0, "閉じる"},
        {2, "CSV"},
        {5, "回転 180°"},
        {33, "%d個"},
        {90, "同名のファイルが存在します。続行しますか？"},
        {105,
         "新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリックしてく"
         "ださい。"},
        {112, "メイリオ"},
        {165, "常時タイムラプス"},
        {180, "拡大モードです\n\n拡大したい場所を\nクリックしてください"},
        {188, "リヤカメラの画像データがありません"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(UiText(c.id), nullptr) << c.id;
        EXPECT_EQ(std::string(UiText(c.id)), c.text) << c.id;
    }
    for (int id : {189, 200, 259, 260, -1}) {
        EXPECT_EQ(UiText(id), nullptr) << id;
        EXPECT_EQ(UiString(id), "") << id;
    }
}

TEST(UiText, BothLanguagesHoldEveryDefinedText) {
    for (int id = 0; id < kUiTextDefinedCount; ++id) {
        ASSERT_NE(UiTextFor(0, id), nullptr) << id;
        ASSERT_NE(UiTextFor(1, id), nullptr) << id;
        EXPECT_STRNE(UiTextFor(0, id), "") << id;
        EXPECT_STREQ(UiTextFor(0, id), UiTextFor(1, id)) << id;
    }
    EXPECT_EQ(UiTextFor(2, 0), nullptr);
}

TEST(UiLanguage, OnlyUnitedStatesEnglishPicksTheSecondTable) {
    const struct {
        const char* locale;
        int language;
    } cases[] = {
        {"en_US", 1},       {"en_US.UTF-8", 1}, {"en_US@euro", 1}, {"en_GB.UTF-8", 0},
        {"ja_JP.UTF-8", 0}, {"C", 0},           {"", 0},           {"en_USA", 0},
        {"en", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChooseUiLanguage(c.locale), c.language) << c.locale;
    }
    SetUiLanguage(1);
    EXPECT_EQ(UiLanguage(), 1);
    EXPECT_STREQ(UiText(1), "結合");
    SetUiLanguage(0);
}

}  // namespace
}  // namespace ardelle::base
