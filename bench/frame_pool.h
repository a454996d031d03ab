#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "draw/color.h"
#include "draw/pixel.h"
#include "render/render_core.h"

namespace boxwander::bench {

// Frames enough to overflow every cache several times: a benchmark that takes the next
// pair each iteration reads and writes memory that is cold, as a host's frames are.
inline constexpr std::size_t kPoolBytes = std::size_t{256} << 20;

template <class P>
P FromEight(Pixel8 p);
template <>
inline Pixel8 FromEight<Pixel8>(Pixel8 p) {
  return p;
}
template <>
inline Pixel16 FromEight<Pixel16>(Pixel8 p) {
  return Color8To16(p);
}
template <>
inline PixelFloat FromEight<PixelFloat>(Pixel8 p) {
  return Color8ToFloat(p);
}

// Noise in every colour channel, alpha 255 or the given one, in the depth of P.
template <class P>
std::vector<P> NoiseFrame(std::int32_t width, std::int32_t height, std::uint8_t alpha) {
  std::mt19937 rng(2024);
  std::vector<P> frame(static_cast<std::size_t>(width) * height);
  for (P& p : frame) {
    const std::uint32_t bits = rng();
    p = FromEight<P>({alpha, static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                      static_cast<std::uint8_t>(bits >> 16)});
  }
  return frame;
}

// Copies of one input frame and as many output frames, taken in turn.
template <class P>
class FramePool {
 public:
  FramePool(std::int32_t width, std::int32_t height, std::uint8_t alpha)
      : width_(width), height_(height) {
    const std::vector<P> noise = NoiseFrame<P>(width, height, alpha);
    const std::size_t bytes = noise.size() * sizeof(P);
    const std::size_t count = std::max<std::size_t>(2, kPoolBytes / (2 * bytes));
    for (std::size_t i = 0; i < count; ++i) {
      inputs_.push_back(noise);
      outputs_.emplace_back(noise.size());
    }
  }

  std::size_t size() const noexcept { return inputs_.size(); }
  ImageView input(std::size_t i) noexcept { return View(inputs_[i % size()]); }
  ImageView output(std::size_t i) noexcept { return View(outputs_[i % size()]); }
  std::size_t frameBytes() const noexcept { return inputs_[0].size() * sizeof(P); }

 private:
  ImageView View(std::vector<P>& frame) noexcept { return {frame.data(), width_, height_, width_}; }

  std::int32_t width_;
  std::int32_t height_;
  std::vector<std::vector<P>> inputs_;
  std::vector<std::vector<P>> outputs_;
};

}  // namespace boxwander::bench
