#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ardelle::base {

// Reading and changing one key of INI text the way private-profile routines do:
// section and key names match without regard to ASCII case, the first match wins,
// blanks around keys and values are ignored and every other line is kept as it is.

// The value of section/key, or nothing when the section or key is absent.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// True when a section, key and value can be stored without breaking the file's lines.
bool IsStorableIniKey(std::string_view section, std::string_view key, std::string_view value);

// The text with section/key set to value: the key's line is replaced, or the key is
// added at the end of its section, or the section is appended. The file's line-end
// style (CR LF or LF) is kept.
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

}  // namespace ardelle::base
