#include "cli/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace ardelle::cli {

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void JsonWriter::BeforeValue() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_in_level_.empty()) {
        if (!first_in_level_.back()) {
            text_ += ',';
        }
        first_in_level_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    first_in_level_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    first_in_level_.pop_back();
    text_ += '}';
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    first_in_level_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    first_in_level_.pop_back();
    text_ += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    text_ += JsonQuoted(key);
    text_ += ':';
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    BeforeValue();
    text_ += JsonQuoted(value);
    return *this;
}

JsonWriter& JsonWriter::Int(std::int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Double(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        text_ += "null";  // JSON has no NaN or infinity
        return *this;
    }
    // The shortest text that reads back as the same double.
    char number[32];
    const auto result = std::to_chars(number, number + sizeof number, value);
    text_.append(number, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    text_ += "null";
    return *this;
}

JsonWriter& JsonWriter::OptionalString(const std::optional<std::string>& value) {
    return value ? String(*value) : Null();
}

}  // namespace ardelle::cli
