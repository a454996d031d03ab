#include "cli/controls/controls.h"

#include <charconv>
#include <cmath>

#include "cli/common/cli_error.h"
#include "cli/common/number_text.h"
#include "common/truncate.h"

namespace boxwander::cli {
namespace {

// The shortest text that reads back as the same value, so that a refused 100.00001 is not
// shown as 100.
std::string Number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::string RangeText(const NumericControl& control) {
  return Number(control.min) + ".." + Number(control.max);
}

Track ParseControlTrack(const NumericControl& control, std::string_view text) {
  const std::string option = std::string("--") + control.option;
  Track track;
  try {
    track = ParseTrack(text);
  } catch (const CliError& e) {
    throw CliError(option + ": " + e.what());
  }
  for (const Keyframe& key : track.keys()) {
    if (!(key.value >= control.min && key.value <= control.max)) {
      throw CliError(option + ": " + Number(key.value) + " is out of range " + RangeText(control));
    }
    if (control.kind == ControlKind::kInteger && std::floor(key.value) != key.value) {
      throw CliError(option + ": " + Number(key.value) + " is not a whole number");
    }
  }
  return track;
}

std::int32_t QuantiseToInt32(const NumericControl& control, double value) {
  const double scaled = control.kind == ControlKind::kFixed ? value * 65536.0 : value;
  return TruncateToInt32(std::floor(scaled + 0.5));
}

std::int32_t ParseMode(std::string_view text) {
  if (text == "continuous")
    return kModeContinuous;
  if (text == "discrete1")
    return kModeDiscrete1;
  if (text == "discrete2")
    return kModeDiscrete2;
  throw CliError("--mode: expected continuous, discrete1 or discrete2, found '" +
                 std::string(text) + "'");
}

std::int32_t ParseEdgeMode(std::string_view text) {
  if (text == "brightness")
    return kEdgeModeBrightness;
  if (text == "color")
    return kEdgeModeColor;
  throw CliError("--edge-mode: expected brightness or color, found '" + std::string(text) + "'");
}

Pixel8 ParseColor(std::string_view text) {
  const auto fail = [&text]() -> CliError {
    return CliError("--edge-color: expected #RRGGBB, #AARRGGBB or r,g,b[,a] (0..255), found '" +
                    std::string(text) + "'");
  };
  std::uint8_t channels[4] = {255, 0, 0, 0};  // alpha, red, green, blue
  if (!text.empty() && text.front() == '#') {
    const std::string_view hex = text.substr(1);
    if (hex.size() != 6 && hex.size() != 8)
      throw fail();
    const auto digit = [&](char c) -> unsigned {
      if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
      if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
      if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
      throw fail();
    };
    const std::size_t first = hex.size() == 8 ? 0 : 1;
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
      channels[first + i] =
          static_cast<std::uint8_t>(digit(hex[2 * i]) * 16 + digit(hex[2 * i + 1]));
    }
  } else {
    // Red, green, blue and an optional alpha last.
    std::size_t count = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t comma = text.find(',', start);
      const auto value = ReadInt32(text.substr(
          start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
      if (!value || count == 4)
        throw fail();
      if (*value < 0 || *value > 255) {
        throw CliError("--edge-color: " + std::to_string(*value) + " is out of range 0..255");
      }
      channels[(count + 1) % 4] = static_cast<std::uint8_t>(*value);
      ++count;
      if (comma == std::string_view::npos)
        break;
      start = comma + 1;
    }
    if (count < 3)
      throw fail();
  }
  return {channels[0], channels[1], channels[2], channels[3]};
}

ControlValues AnimatedControls::at(std::int32_t frame, const ControlValues& declared) const {
  ControlValues v = declared;
  const auto quantised = [frame](const NumericControl& control, const std::optional<Track>& track,
                                 std::int32_t& field) {
    if (track) {
      field = QuantiseToInt32(control, track->at(frame));
    }
  };
  const auto real = [frame](const std::optional<Track>& track, double& field) {
    if (track) {
      field = track->at(frame);
    }
  };
  quantised(kTime, time, v.time_fixed);
  quantised(kMaxWidth, maxWidth, v.max_width);
  quantised(kMinWidth, minWidth, v.min_width_fixed);
  real(widthHeight, v.wh);
  quantised(kWidthHeightVariance, widthHeightVariance, v.wh_variance_fixed);
  quantised(kEdgeThickness, edgeThickness, v.edge_thickness);
  real(edgeBrightness, v.edge_brightness);
  quantised(kSeed, seed, v.seed);
  v.mode = mode.value_or(v.mode);
  v.edge_mode = edgeMode.value_or(v.edge_mode);
  v.edge_color = edgeColor.value_or(v.edge_color);
  if (invert) {
    v.invert = 1;
  }
  if (onOriginal) {
    v.on_original = 1;
  }
  return v;
}

}  // namespace boxwander::cli
