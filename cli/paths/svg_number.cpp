#include "cli/paths/svg_number.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace boxwander::cli {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

SvgNumber ScanSvgNumber(std::string_view text, std::size_t start) {
  std::size_t i = start;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++digits;
  }
  if (digits == 0)
    return {SvgNumber::Status::kNoDigits, 0.0, start};
  // An 'e' not followed by digits is an error rather than the start of a unit ("em", "ex"
  // are told apart: a letter after the 'e' leaves the exponent out).
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    const bool unit = j < text.size() && (text[j] == 'm' || text[j] == 'x');
    if (!unit) {
      if (j < text.size() && (text[j] == '+' || text[j] == '-'))
        ++j;
      if (j >= text.size() || !IsDigit(text[j]))
        return {SvgNumber::Status::kNoExponentDigits, 0.0, j};
      while (j < text.size() && IsDigit(text[j]))
        ++j;
      i = j;
    }
  }
  // from_chars takes no leading '+'.
  const std::size_t from = text[start] == '+' ? start + 1 : start;
  double value = 0.0;
  const auto result = std::from_chars(text.data() + from, text.data() + i, value);
  if (result.ec != std::errc{} || !std::isfinite(value)) {
    return {SvgNumber::Status::kOutOfRange, 0.0, start};
  }
  return {SvgNumber::Status::kOk, value, i};
}

}  // namespace boxwander::cli
