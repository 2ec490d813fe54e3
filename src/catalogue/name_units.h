#pragma once

#include <string>
#include <string_view>

namespace ardelle::catalogue::detail {

// File names are UTF-8 here, but the recorder's name rules count characters as UTF-16
// code units (positions, lengths, "any character"). ASCII names - all real recorder
// names - are looked at directly; others are converted once.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view units);

// length code units of name from index (fewer at the end), as UTF-8.
std::string UnitSlice(std::string_view name, size_t index, size_t length);

// The code units of name from index up to, not including, the first stop (or the end).
std::string UnitsUntil(std::string_view name, size_t index, char stop);

// Ordinal, case-sensitive order of the two texts' UTF-16 code units.
bool Utf16Less(std::string_view a, std::string_view b);

inline bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Calls visit with the name as a view of code units: std::string_view for ASCII
// names, std::u16string_view otherwise.
template <class Visit>
auto VisitUnits(std::string_view name, Visit&& visit) {
    if (IsAscii(name)) {
        return visit(name);
    }
    const std::u16string units = Utf8ToUtf16(name);
    return visit(std::u16string_view(units));
}

// The code unit at index, or 0 past the end.
template <class View>
char16_t UnitAt(View units, size_t index) {
    return index < units.size() ? static_cast<char16_t>(units[index]) : char16_t{0};
}

}  // namespace ardelle::catalogue::detail
