#include "telemetry/text_fields.h"

#include <charconv>
#include <string_view>

namespace ardelle::telemetry {
namespace {

bool IsCBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The field up to its first NUL, as the zero-terminated copy would hold it.
std::string_view FieldText(const std::uint8_t* field, std::size_t width) {
    std::size_t length = 0;
    while (length < width && field[length] != 0) {
        ++length;
    }
    return {reinterpret_cast<const char*>(field), length};
}

}  // namespace

double ParseDecimalField(const std::uint8_t* field, std::size_t width) {
    const std::string_view text = FieldText(field, width);
    size_t start = 0;
    while (start < text.size() && IsCBlank(text[start])) {
        ++start;
    }
    bool negative = false;
    if (start < text.size() && (text[start] == '+' || text[start] == '-')) {
        negative = text[start] == '-';
        ++start;
    }
    // A second sign is not a number ("+-1" reads as 0 in C as well).
    if (start >= text.size() || text[start] == '+' || text[start] == '-') {
        return 0.0;
    }
    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + text.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        return 0.0;
    }
    return negative ? -value : value;
}

long ParseIntegerField(const std::uint8_t* field, std::size_t width) {
    long value = 0;
    std::size_t i = 0;
    while (i < width && field[i] != 0 && IsCBlank(static_cast<char>(field[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < width && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    for (; i < width && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = value * 10 + (field[i] - '0');  // fields are at most a few digits wide
    }
    return negative ? -value : value;
}

bool FieldHasDigit(const std::uint8_t* field, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        if (field[i] >= '0' && field[i] <= '9') {
            return true;
        }
    }
    return false;
}

}  // namespace ardelle::telemetry
