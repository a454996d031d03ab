#include "minihost/world.h"

#include <cstring>
#include <limits>
#include <sstream>

namespace boxwander::minihost {
namespace {

std::int32_t ChannelBytes(PixelFormat f) {
  return BytesPerPixel(f) / 4;
}

template <class P>
std::string Describe(const P& p) {
  std::ostringstream out;
  if constexpr (std::is_same_v<P, PixelFloat>) {
    out.precision(9);
    out << p.alpha << ' ' << p.red << ' ' << p.green << ' ' << p.blue;
  } else {
    out << +p.alpha << ' ' << +p.red << ' ' << +p.green << ' ' << +p.blue;
  }
  return out.str();
}

template <class P>
std::optional<std::string> FirstDifferentPixel(const World& a, const World& b) {
  for (std::int32_t y = 0; y < a.height(); ++y) {
    const P* ra = a.row<P>(y);
    const P* rb = b.row<P>(y);
    for (std::int32_t x = 0; x < a.width(); ++x) {
      // Bit for bit: a float NaN equals itself here, and 0.0 differs from -0.0.
      if (std::memcmp(&ra[x], &rb[x], sizeof(P)) != 0) {
        return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + "): " + Describe(ra[x]) +
               " vs " + Describe(rb[x]);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

World::World(PixelFormat format, std::int32_t width, std::int32_t height, std::int32_t rowPadding)
    : format_(format), width_(width), height_(height), rowBytes_(0) {
  if (width < 0 || height < 0) {
    throw std::invalid_argument("world size must not be negative");
  }
  if (rowPadding < 0 || rowPadding % ChannelBytes(format) != 0) {
    throw std::invalid_argument("row padding must be a non-negative multiple of the channel size");
  }
  const std::int64_t rowBytes =
      static_cast<std::int64_t>(width) * BytesPerPixel(format) + rowPadding;
  if (rowBytes > std::numeric_limits<std::int32_t>::max()) {
    throw std::invalid_argument("world rows too long");
  }
  rowBytes_ = static_cast<std::int32_t>(rowBytes);
  const std::int64_t pixelBytes = rowBytes * height;  // below 2^62: no overflow
  storage_.assign(static_cast<std::size_t>(pixelBytes) + 2 * kGuardBytes, kCanary);
  const std::size_t pixelRun = static_cast<std::size_t>(width) * BytesPerPixel(format);
  for (std::int32_t y = 0; y < height; ++y) {
    std::memset(data() + static_cast<std::ptrdiff_t>(y) * rowBytes_, 0, pixelRun);
  }
}

ImageView World::view() noexcept {
  return {data(), width_, height_, rowBytes_ / BytesPerPixel(format_)};
}

std::optional<std::string> World::damage() const {
  const auto firstBad = [](const std::uint8_t* p, std::size_t n) -> std::optional<std::size_t> {
    for (std::size_t i = 0; i < n; ++i) {
      if (p[i] != kCanary) {
        return i;
      }
    }
    return std::nullopt;
  };
  if (const auto i = firstBad(storage_.data(), kGuardBytes)) {
    return "guard before the first row overwritten at byte " + std::to_string(*i);
  }
  const std::size_t pixelRun = static_cast<std::size_t>(width_) * BytesPerPixel(format_);
  const std::size_t padding = static_cast<std::size_t>(rowBytes_) - pixelRun;
  for (std::int32_t y = 0; y < height_; ++y) {
    const std::uint8_t* pad = data() + static_cast<std::ptrdiff_t>(y) * rowBytes_ + pixelRun;
    if (const auto i = firstBad(pad, padding)) {
      return "padding of row " + std::to_string(y) + " overwritten at byte " +
             std::to_string(pixelRun + *i);
    }
  }
  const std::uint8_t* back = data() + static_cast<std::ptrdiff_t>(height_) * rowBytes_;
  if (const auto i = firstBad(back, kGuardBytes)) {
    return "guard after the last row overwritten at byte " + std::to_string(*i);
  }
  return std::nullopt;
}

std::optional<std::string> FirstDifference(const World& a, const World& b) {
  if (a.format() != b.format() || a.width() != b.width() || a.height() != b.height()) {
    return "worlds differ in depth or size";
  }
  return VisitFormat(a.format(),
                     [&]<class P>(PixelTag<P>) { return FirstDifferentPixel<P>(a, b); });
}

}  // namespace boxwander::minihost
