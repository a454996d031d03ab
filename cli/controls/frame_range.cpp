#include "cli/controls/frame_range.h"

#include <optional>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"

namespace boxwander::cli {

FrameRange ParseFrameRange(std::string_view text) {
  const auto fail = [&text]() -> CliError {
    return CliError("--frames: expected A-B or A (whole numbers from 0, A <= B), found '" +
                    std::string(text) + "'");
  };
  const std::size_t dash = text.find('-');
  const auto whole = [](std::string_view part) -> std::optional<std::int32_t> {
    // Digits only: no sign, so "-" separates unambiguously.
    if (part.empty() || part.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    return ReadInt32(part);
  };
  const auto first = whole(text.substr(0, dash));
  const auto last = dash == std::string_view::npos ? first : whole(text.substr(dash + 1));
  if (!first || !last || *first > *last)
    throw fail();
  return {*first, *last};
}

bool HasFrameNumber(std::string_view pattern) noexcept {
  return pattern.find('#') != std::string_view::npos;
}

std::string FrameFileName(std::string_view pattern, std::int32_t frame) {
  const std::string number = std::to_string(frame);
  std::string name;
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern[i] != '#') {
      name += pattern[i++];
      continue;
    }
    std::size_t run = 0;
    while (i < pattern.size() && pattern[i] == '#')
      ++i, ++run;
    if (number.size() < run)
      name.append(run - number.size(), '0');
    name += number;
  }
  return name;
}

}  // namespace boxwander::cli
