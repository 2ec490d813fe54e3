#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace ardelle::cli {

// Builds one JSON value as text, with commas and escaping handled; objects and arrays
// nest through Begin/End calls. Doubles are written with enough digits to round-trip.
class JsonWriter {
  public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);

    JsonWriter& String(std::string_view value);
    JsonWriter& Int(std::int64_t value);
    JsonWriter& Double(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    JsonWriter& OptionalString(const std::optional<std::string>& value);

    // Key followed by value, for the common case.
    template <class T>
    JsonWriter& Field(std::string_view key, const T& value);

    const std::string& text() const { return text_; }

  private:
    void BeforeValue();

    std::string text_;
    std::vector<bool> first_in_level_;
    bool after_key_ = false;
};

template <class T>
JsonWriter& JsonWriter::Field(std::string_view key, const T& value) {
    Key(key);
    if constexpr (std::is_same_v<T, bool>) {
        return Bool(value);
    } else if constexpr (std::is_integral_v<T>) {
        return Int(static_cast<std::int64_t>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        return Double(static_cast<double>(value));
    } else if constexpr (std::is_same_v<T, std::optional<std::string>>) {
        return OptionalString(value);
    } else {
        return String(value);
    }
}

// The text escaped as a JSON string literal, quotes included.
std::string JsonQuoted(std::string_view text);

}  // namespace ardelle::cli
