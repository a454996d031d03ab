#pragma once

#include <cstdint>
#include <optional>
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

// A numeric control as the tool must know it before any module is loaded, for the help and
// to check values as they are parsed: its option name, the type of the parameter it sets
// and that parameter's valid range in the control's own units. Defaults come from the
// module's declaration. A test holds this table against the parameters the module
// declares.
struct NumericControl {
  const char* option;  // without the leading "--"
  const char* name;    // as the module shows it
  ControlKind kind;
  double min;
  double max;
  const char* unit;  // "%" for percentages, "" otherwise
};

inline constexpr NumericControl kTime{"time", "Time", ControlKind::kFixed, 0, 100, "%"};
inline constexpr NumericControl kMaxWidth{"max-width", "Max Width", ControlKind::kInteger,
                                          2,           5000,        ""};
inline constexpr NumericControl kMinWidth{"min-width", "Min Width", ControlKind::kFixed,
                                          0,           100,         "%"};
inline constexpr NumericControl kWidthHeight{"wh", "W/H", ControlKind::kFloat, -1, 1, ""};
inline constexpr NumericControl kWidthHeightVariance{
    "wh-variance", "W/H Variance", ControlKind::kFixed, 0, 100, "%"};
inline constexpr NumericControl kEdgeThickness{
    "edge-thickness", "Edge Thickness", ControlKind::kInteger, 1, 100, ""};
inline constexpr NumericControl kEdgeBrightness{
    "edge-brightness", "Edge Brightness", ControlKind::kFloat, 0, 10, ""};
inline constexpr NumericControl kSeed{"seed", "Seed", ControlKind::kInteger, 0, 50000, ""};
inline constexpr const NumericControl* kNumericControls[] = {
    &kTime,          &kMaxWidth,       &kMinWidth, &kWidthHeight, &kWidthHeightVariance,
    &kEdgeThickness, &kEdgeBrightness, &kSeed};

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

// The controls given on the command line, over time; values at a frame come out as the
// host stores them. A control not given keeps the value the module declared.
struct AnimatedControls {
  std::optional<Track> time;
  std::optional<Track> maxWidth;
  std::optional<Track> minWidth;
  std::optional<Track> widthHeight;
  std::optional<Track> widthHeightVariance;
  std::optional<Track> edgeThickness;
  std::optional<Track> edgeBrightness;
  std::optional<Track> seed;
  std::optional<std::int32_t> mode;
  std::optional<std::int32_t> edgeMode;
  std::optional<Pixel8> edgeColor;
  bool invert = false;      // given: on
  bool onOriginal = false;  // given: on

  // The given controls at frame over `declared`, the values the module declared (by
  // default the record's own defaults, which a test holds equal to the declaration).
  // path_id is taken from `declared`: the host fills it in for the mask it supplies.
  ControlValues at(std::int32_t frame, const ControlValues& declared = {}) const;
};

}  // namespace boxwander::cli
