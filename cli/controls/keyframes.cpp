#include "cli/controls/keyframes.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"

namespace boxwander::cli {

Track::Track(std::vector<Keyframe> keys) : keys_(std::move(keys)) {
  std::stable_sort(keys_.begin(), keys_.end(),
                   [](const Keyframe& a, const Keyframe& b) { return a.frame < b.frame; });
  for (std::size_t i = 1; i < keys_.size(); ++i) {
    if (keys_[i].frame == keys_[i - 1].frame) {
      throw CliError("frame " + std::to_string(keys_[i].frame) + " has two keyframes");
    }
  }
}

double Track::at(std::int32_t frame) const noexcept {
  if (keys_.empty()) {
    return 0.0;
  }
  if (frame <= keys_.front().frame) {
    return keys_.front().value;
  }
  if (frame >= keys_.back().frame) {
    return keys_.back().value;
  }
  const auto next = std::upper_bound(keys_.begin(), keys_.end(), frame,
                                     [](std::int32_t f, const Keyframe& k) { return f < k.frame; });
  const Keyframe& b = *next;
  const Keyframe& a = *(next - 1);
  const double w =
      (static_cast<double>(frame) - a.frame) / (static_cast<double>(b.frame) - a.frame);
  // lerp gives each keyframe's value exactly at its frame.
  return std::lerp(a.value, b.value, w);
}

Track ParseTrack(std::string_view text) {
  const auto fail = [&text]() -> CliError {
    return CliError("expected VALUE or VALUE@FRAME[,VALUE@FRAME...], found '" + std::string(text) +
                    "'");
  };
  if (text.find('@') == std::string_view::npos) {
    const auto value = ReadReal(text);
    if (!value)
      throw fail();
    return Track(*value);
  }
  std::vector<Keyframe> keys;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const std::string_view item = text.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const std::size_t at = item.find('@');
    if (at == std::string_view::npos)
      throw fail();
    const auto value = ReadReal(item.substr(0, at));
    const auto frame = ReadInt32(item.substr(at + 1));
    if (!value || !frame)
      throw fail();
    keys.push_back({*frame, *value});
    if (comma == std::string_view::npos)
      break;
    start = comma + 1;
  }
  return Track(std::move(keys));
}

}  // namespace boxwander::cli
