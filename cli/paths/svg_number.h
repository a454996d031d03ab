#pragma once

#include <cstddef>
#include <string_view>

namespace boxwander::cli {

// One number of SVG's attribute grammar (path data, transform lists, points, lengths): a
// sign, digits with an optional fraction, an optional exponent. It ends where the grammar
// ends, so "1.5.5" reads 1.5 and leaves ".5", and "10px" reads 10.
struct SvgNumber {
  enum class Status { kOk, kNoDigits, kNoExponentDigits, kOutOfRange };
  Status status = Status::kOk;
  double value = 0.0;
  // Where the number ends when it was read; otherwise where reading went wrong.
  std::size_t end = 0;
};

SvgNumber ScanSvgNumber(std::string_view text, std::size_t start);

}  // namespace boxwander::cli
