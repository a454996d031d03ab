#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/controls/keyframes.h"
#include "draw/pixel.h"
#include "render/pre_render_data.h"

namespace boxwander::cli {

// How the host stores a numeric control, which decides how a value is quantised.
enum class ControlKind {
  kFixed,    // 16.16 fixed point: to the nearest 1/65536
  kInteger,  // 32-bit integer: given as whole numbers, interpolated values to the nearest
  kFloat,    // double: as given
};

// A numeric control: its option name, valid range in the control's own units, default.
struct NumericControl {
  const char* option;  // without the leading "--"
  const char* name;    // as the module shows it
  ControlKind kind;
  double min;
  double max;
  double initial;
  const char* unit;  // "%" for percentages, "" otherwise
};

inline constexpr NumericControl kTime{"time", "Time", ControlKind::kFixed, 0, 100, 50, "%"};
inline constexpr NumericControl kMaxWidth{"max-width", "Max Width", ControlKind::kInteger, 2, 5000,
                                          50,          ""};
inline constexpr NumericControl kMinWidth{"min-width", "Min Width", ControlKind::kFixed, 0, 100,
                                          10,          "%"};
inline constexpr NumericControl kWidthHeight{"wh", "W/H", ControlKind::kFloat, -1, 1, 0, ""};
inline constexpr NumericControl kWidthHeightVariance{
    "wh-variance", "W/H Variance", ControlKind::kFixed, 0, 100, 0, "%"};
inline constexpr NumericControl kEdgeThickness{
    "edge-thickness", "Edge Thickness", ControlKind::kInteger, 1, 100, 1, ""};
inline constexpr NumericControl kEdgeBrightness{
    "edge-brightness", "Edge Brightness", ControlKind::kFloat, 0, 10, 1, ""};
inline constexpr NumericControl kSeed{"seed", "Seed", ControlKind::kInteger, 0, 50000, 0, ""};

// "0..100" or "-1..1": the range as the messages and the help show it.
std::string RangeText(const NumericControl& control);

// A control's value or keyframes, every value checked against the range (and, for integer
// controls, to be whole). Throws CliError: "--time: 150 is out of range 0..100".
Track ParseControlTrack(const NumericControl& control, std::string_view text);

// The value as the host stores it (integer controls and fixed-point as their integer
// form: 16.16 for fixed point), rounding half up.
std::int32_t QuantiseToInt32(const NumericControl& control, double value);

// Popups and colour: "continuous|discrete1|discrete2", "brightness|color",
// "#RRGGBB", "#AARRGGBB" or "r,g,b[,a]" (0..255 each). Throw CliError naming the option.
std::int32_t ParseMode(std::string_view text);
std::int32_t ParseEdgeMode(std::string_view text);
Pixel8 ParseColor(std::string_view text);

// Every control of the effect over time; values at a frame come out as the host stores them.
struct AnimatedControls {
  Track time{kTime.initial};
  Track maxWidth{kMaxWidth.initial};
  Track minWidth{kMinWidth.initial};
  Track widthHeight{kWidthHeight.initial};
  Track widthHeightVariance{kWidthHeightVariance.initial};
  Track edgeThickness{kEdgeThickness.initial};
  Track edgeBrightness{kEdgeBrightness.initial};
  Track seed{kSeed.initial};
  std::int32_t mode = kModeContinuous;
  std::int32_t edgeMode = kEdgeModeBrightness;
  Pixel8 edgeColor{255, 255, 255, 255};
  bool invert = false;
  bool onOriginal = false;

  // path_id is left 0: the host fills it in for the mask it supplies.
  ControlValues at(std::int32_t frame) const;
};

}  // namespace boxwander::cli
