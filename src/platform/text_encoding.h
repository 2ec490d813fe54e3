#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ardelle::platform {

// The character set of the user's locale as the C library resolves it from LC_ALL,
// LC_CTYPE and LANG ("UTF-8", "EUC-JP", ...). A locale that is not installed counts as
// the C locale, whose set is plain ASCII ("ANSI_X3.4-1968").
std::string UserCharset();

// True for the names glibc and the usual locales give UTF-8.
bool IsUtf8Charset(std::string_view charset);

// UTF-8 text converted to charset. Nothing when the set is unknown or cannot represent
// a character of the text: no character is ever replaced or dropped.
std::optional<std::string> ConvertFromUtf8(std::string_view text, const std::string& charset);

}  // namespace ardelle::platform
