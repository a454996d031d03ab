#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace boxwander::cli {

// Whole-text number reading, independent of the locale: a sign, digits, an optional
// fraction and exponent, nothing else. No value for anything else, or for a value that is
// not finite.
std::optional<double> ReadReal(std::string_view text);
// A decimal integer with optional sign that fits 32 bits.
std::optional<std::int32_t> ReadInt32(std::string_view text);

}  // namespace boxwander::cli
