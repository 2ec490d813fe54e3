#pragma once

#include <string>
#include <string_view>

namespace ardelle::base {

inline constexpr int kUiLanguageCount = 2;
inline constexpr int kUiTextSlots = 260;
inline constexpr int kUiTextDefinedCount = 189;

// 1 when the locale is English (United States), else 0.
int ChooseUiLanguage(std::string_view locale_name);

// The process-wide UI language, chosen once at start-up (0 until then).
void SetUiLanguage(int language);
int UiLanguage();

// The text of an id in a given language; nullptr for ids without text.
const char* UiTextFor(int language, int id);

// The text of an id in the UI language; nullptr for ids without text (189..259).
const char* UiText(int id);

// The same as a string, empty for ids without text.
std::string UiString(int id);

}  // namespace ardelle::base
