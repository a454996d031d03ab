#pragma once

#include <cstdint>
#include <variant>
#include <vector>

#include "draw/pixel.h"

namespace boxwander::cli {

// A picture in one of the effect's depths: rows of `width` pixels, alpha, red, green, blue.
class Image {
 public:
  Image() = default;
  // Transparent black. Throws std::bad_alloc.
  Image(PixelFormat format, std::int32_t width, std::int32_t height);

  PixelFormat format() const noexcept { return static_cast<PixelFormat>(pixels_.index()); }
  std::int32_t width() const noexcept { return width_; }
  std::int32_t height() const noexcept { return height_; }
  std::int64_t pixelCount() const noexcept { return std::int64_t{width_} * height_; }

  // The pixels of the image's own depth (P must match format()).
  template <class P>
  P* pixels() noexcept {
    return std::get<std::vector<P>>(pixels_).data();
  }
  template <class P>
  const P* pixels() const noexcept {
    return std::get<std::vector<P>>(pixels_).data();
  }
  void* data() noexcept {
    return std::visit([](auto& v) -> void* { return v.data(); }, pixels_);
  }
  const void* data() const noexcept {
    return std::visit([](const auto& v) -> const void* { return v.data(); }, pixels_);
  }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  // In PixelFormat order: k8, k16, kFloat.
  std::variant<std::vector<Pixel8>, std::vector<Pixel16>, std::vector<PixelFloat>> pixels_;
};

}  // namespace boxwander::cli
