#include "cli/io/downsample.h"

#include <cmath>

#include "common/truncate.h"

namespace boxwander::cli {
namespace {

template <class P>
typename PixelTraits<P>::Channel Rounded(double v) {
  using Channel = typename PixelTraits<P>::Channel;
  if constexpr (std::is_floating_point_v<Channel>) {
    return static_cast<Channel>(v);
  } else {
    return static_cast<Channel>(TruncateToInt32(std::floor(v + 0.5)));
  }
}

template <class P>
void Average(const Image& in, Image& out, std::int32_t factor) {
  const P* src = in.pixels<P>();
  P* dst = out.pixels<P>();
  for (std::int32_t oy = 0; oy < out.height(); ++oy) {
    for (std::int32_t ox = 0; ox < out.width(); ++ox) {
      double a = 0, r = 0, g = 0, b = 0, ra = 0, ga = 0, ba = 0;
      std::int32_t count = 0;
      for (std::int32_t y = oy * factor; y < in.height() && y < (oy + 1) * factor; ++y) {
        for (std::int32_t x = ox * factor; x < in.width() && x < (ox + 1) * factor; ++x) {
          const P& p = src[std::int64_t{y} * in.width() + x];
          a += p.alpha;
          r += p.red;
          g += p.green;
          b += p.blue;
          ra += static_cast<double>(p.red) * p.alpha;
          ga += static_cast<double>(p.green) * p.alpha;
          ba += static_cast<double>(p.blue) * p.alpha;
          ++count;
        }
      }
      P& o = dst[std::int64_t{oy} * out.width() + ox];
      o.alpha = Rounded<P>(a / count);
      o.red = Rounded<P>(a > 0 ? ra / a : r / count);
      o.green = Rounded<P>(a > 0 ? ga / a : g / count);
      o.blue = Rounded<P>(a > 0 ? ba / a : b / count);
    }
  }
}

}  // namespace

Image Downsample(const Image& image, std::int32_t factor) {
  if (factor <= 1) {
    return image;
  }
  Image out(image.format(), (image.width() + factor - 1) / factor,
            (image.height() + factor - 1) / factor);
  VisitFormat(image.format(), [&]<class P>(PixelTag<P>) { Average<P>(image, out, factor); });
  return out;
}

}  // namespace boxwander::cli
