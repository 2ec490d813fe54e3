#pragma once

#include <cstddef>
#include <cstdint>

namespace ardelle::telemetry {

// The recorder writes numbers as fixed-width ASCII fields. They are read as the C
// library's decimal conversions read a zero-terminated copy of the field (leading
// blanks skipped, optional sign, stop at the first character that cannot continue the
// number, no digits -> 0), but independent of the process locale: a viewer running in a
// locale with a decimal comma must read "3541.1234" all the same.

double ParseDecimalField(const std::uint8_t* field, std::size_t width);
long ParseIntegerField(const std::uint8_t* field, std::size_t width);
bool FieldHasDigit(const std::uint8_t* field, std::size_t width);

}  // namespace ardelle::telemetry
