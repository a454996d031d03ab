#pragma once

#include "draw/pixel.h"

namespace boxwander {

// Source over destination: colour is the alpha-weighted mean, alpha the sum of weights.
// 8 and 16 bits stay in integers, float in single precision.
Pixel8 BlendOver8(Pixel8 destination, Pixel8 source) noexcept;
Pixel16 BlendOver16(Pixel16 destination, Pixel16 source) noexcept;
PixelFloat BlendOverFloat(PixelFloat destination, PixelFloat source) noexcept;

// Depth-generic spelling, for templated callers.
template <class P>
P BlendOver(P destination, P source) noexcept;

}  // namespace boxwander
