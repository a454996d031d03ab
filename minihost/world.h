#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "draw/pixel.h"
#include "render/render_core.h"

namespace boxwander::minihost {

// A pixel buffer the host owns: rows of width pixels of one depth (alpha, red, green,
// blue), each followed by rowPadding bytes, so row bytes = width * pixel size + padding.
// Guard bytes lie before the first row and after the last; they and the row padding hold
// a fixed pattern, and intact() tells whether anything wrote over them. Pixels start at
// zero (transparent black). Copying a world copies its pixels.
class World {
 public:
  static constexpr std::size_t kGuardBytes = 64;
  static constexpr std::uint8_t kCanary = 0xA5;

  // An empty 8-bit world.
  World() : World(PixelFormat::k8, 0, 0) {}
  // Throws std::invalid_argument for a negative size, a padding that is negative or not a
  // multiple of the channel size (rows must stay aligned for their channels), or row
  // bytes beyond 32 bits; std::bad_alloc when the memory cannot be had.
  World(PixelFormat format, std::int32_t width, std::int32_t height, std::int32_t rowPadding = 0);

  PixelFormat format() const noexcept { return format_; }
  std::int32_t width() const noexcept { return width_; }
  std::int32_t height() const noexcept { return height_; }
  std::int32_t rowBytes() const noexcept { return rowBytes_; }
  std::int32_t rowPadding() const noexcept { return rowBytes_ - width_ * BytesPerPixel(format_); }

  std::uint8_t* data() noexcept { return storage_.data() + kGuardBytes; }
  const std::uint8_t* data() const noexcept { return storage_.data() + kGuardBytes; }

  // Typed access; P must be the pixel type of the world's depth (std::logic_error else).
  template <class P>
  P* row(std::int32_t y) {
    CheckType(kFormatOf<P>);
    return reinterpret_cast<P*>(data() + static_cast<std::ptrdiff_t>(y) * rowBytes_);
  }
  template <class P>
  const P* row(std::int32_t y) const {
    CheckType(kFormatOf<P>);
    return reinterpret_cast<const P*>(data() + static_cast<std::ptrdiff_t>(y) * rowBytes_);
  }
  template <class P>
  P& at(std::int32_t x, std::int32_t y) {
    return row<P>(y)[x];
  }
  template <class P>
  const P& at(std::int32_t x, std::int32_t y) const {
    return row<P>(y)[x];
  }
  // Sets every pixel (not the padding).
  template <class P>
  void fill(const P& value) {
    for (std::int32_t y = 0; y < height_; ++y) {
      P* r = row<P>(y);
      for (std::int32_t x = 0; x < width_; ++x) {
        r[x] = value;
      }
    }
  }

  // The world as the core sees it: row stride in whole pixels (row bytes / pixel size).
  ImageView view() noexcept;

  // Whether the guard bytes and every row's padding still hold the pattern; damage()
  // says where the first overwritten byte is.
  bool intact() const noexcept { return !damage().has_value(); }
  std::optional<std::string> damage() const;

 private:
  void CheckType(PixelFormat f) const {
    if (f != format_) {
      throw std::logic_error("pixel type does not match the world's depth");
    }
  }

  PixelFormat format_;
  std::int32_t width_;
  std::int32_t height_;
  std::int32_t rowBytes_;
  std::vector<std::uint8_t> storage_;
};

// nullopt when both worlds have the same depth, size and pixels (padding not compared);
// else a one-line description of the first difference, with the first differing pixel's
// position and both values.
std::optional<std::string> FirstDifference(const World& a, const World& b);

}  // namespace boxwander::minihost
