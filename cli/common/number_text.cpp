#include "cli/common/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace boxwander::cli {
namespace {

// from_chars takes no leading '+', and must not see "+-1" as valid.
std::string_view WithoutPlus(std::string_view text) {
  if (text.size() >= 2 && text[0] == '+' && text[1] != '-' && text[1] != '+') {
    return text.substr(1);
  }
  return text;
}

}  // namespace

std::optional<double> ReadReal(std::string_view text) {
  text = WithoutPlus(text);
  // from_chars would also take "inf", "nan" and hexadecimal forms.
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return std::nullopt;
    }
  }
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::int32_t> ReadInt32(std::string_view text) {
  text = WithoutPlus(text);
  std::int32_t value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace boxwander::cli
