#pragma once

#include <cstdint>

namespace boxwander {

// Positions in the host's parameter array; each control's parameter ID equals its index.
enum class ParamIndex : std::int32_t {
  Input = 0,  // the layer the effect is applied to, added by the host
  Path,
  Mode,
  Time,
  MaxWidth,
  MinWidth,
  WidthHeight,
  WidthHeightVariance,
  EdgeThickness,
  EdgeMode,
  EdgeBrightness,
  EdgeColor,
  Invert,
  Seed,
  OnOriginal,
  Count  // number of parameters, layer included
};

constexpr std::int32_t ToInt(ParamIndex index) noexcept {
  return static_cast<std::int32_t>(index);
}

}  // namespace boxwander
