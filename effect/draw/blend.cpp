#include "draw/blend.h"

namespace boxwander {

Pixel8 BlendOver8(Pixel8 destination, Pixel8 source) noexcept {
  return BlendOver(destination, source);
}
Pixel16 BlendOver16(Pixel16 destination, Pixel16 source) noexcept {
  return BlendOver(destination, source);
}
PixelFloat BlendOverFloat(PixelFloat destination, PixelFloat source) noexcept {
  return BlendOver(destination, source);
}

}  // namespace boxwander
