#include "catalogue/name_units.h"

#include <algorithm>

namespace ardelle::catalogue::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence at text[i]; malformed bytes decode to U+FFFD one at a time.
char32_t DecodeAt(std::string_view text, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > text.size()) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        value = (value << 6) | (byte(i + k) & 0x3Fu);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < kSmallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return value;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t value = DecodeAt(text, i);
        if (value >= 0x10000) {
            const char32_t offset = value - 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(value));
        }
    }
    return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string text;
    text.reserve(units.size());
    const auto put = [&](char32_t value, int extra, unsigned lead) {
        text.push_back(static_cast<char>(lead | (value >> (6 * extra))));
        for (int k = extra - 1; k >= 0; --k) {
            text.push_back(static_cast<char>(0x80 | ((value >> (6 * k)) & 0x3F)));
        }
    };
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t value = units[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            value = 0x10000 + ((value - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (value >= 0xD800 && value <= 0xDFFF) {
            value = kReplacement;
        }
        if (value < 0x80) {
            put(value, 0, 0);
        } else if (value < 0x800) {
            put(value, 1, 0xC0);
        } else if (value < 0x10000) {
            put(value, 2, 0xE0);
        } else {
            put(value, 3, 0xF0);
        }
    }
    return text;
}

std::string UnitSlice(std::string_view name, size_t index, size_t length) {
    if (IsAscii(name)) {
        return index < name.size() ? std::string(name.substr(index, length)) : std::string();
    }
    const std::u16string units = Utf8ToUtf16(name);
    if (index >= units.size()) {
        return {};
    }
    return Utf16ToUtf8(std::u16string_view(units).substr(index, length));
}

std::string UnitsUntil(std::string_view name, size_t index, char stop) {
    if (IsAscii(name)) {
        if (index >= name.size()) {
            return {};
        }
        const std::string_view rest = name.substr(index);
        return std::string(rest.substr(0, rest.find(stop)));
    }
    const std::u16string units = Utf8ToUtf16(name);
    if (index >= units.size()) {
        return {};
    }
    const std::u16string_view rest = std::u16string_view(units).substr(index);
    return Utf16ToUtf8(rest.substr(0, rest.find(static_cast<char16_t>(stop))));
}

bool Utf16Less(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < common && a[i] == b[i]) {
        ++i;
    }
    if (i == common) {
        return a.size() < b.size();
    }
    // UTF-8 byte order is code point order; UTF-16 order differs only where a code point
    // above U+FFFF (a surrogate pair) meets one in U+E000..U+FFFF, so compare the first
    // units of the two differing code points.
    while (i > 0 && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) {
        --i;
    }
    size_t ia = i;
    size_t ib = i;
    const char32_t ca = DecodeAt(a, ia);
    const char32_t cb = DecodeAt(b, ib);
    const auto first_unit = [](char32_t c) {
        return c < 0x10000 ? c : 0xD800 + ((c - 0x10000) >> 10);
    };
    if (first_unit(ca) != first_unit(cb)) {
        return first_unit(ca) < first_unit(cb);
    }
    if (ca != cb) {
        return ca < cb;
    }
    return a.substr(i) < b.substr(i);
}

}  // namespace ardelle::catalogue::detail
