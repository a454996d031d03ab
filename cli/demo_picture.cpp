#include "cli/demo_picture.h"

#include <cmath>

#include "common/truncate.h"

namespace boxwander::cli {

Image DemoPicture(std::int32_t scale) {
  const std::int32_t width = 320 * scale;
  const std::int32_t height = 180 * scale;
  Image image(PixelFormat::k8, width, height);
  Pixel8* p = image.pixels<Pixel8>();
  const struct {
    double x, y, r;
    std::uint8_t red, green, blue;
  } discs[] = {
      {70, 60, 38, 250, 200, 60}, {200, 120, 46, 40, 210, 170}, {280, 50, 30, 230, 80, 120}};
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width;
      const double v = static_cast<double>(y) / height;
      const auto channel = [](double value) {
        return static_cast<std::uint8_t>(TruncateToInt32(value));
      };
      Pixel8 c{255, channel(40 + 150 * u),
               channel(50 + 90 * (0.5 + 0.5 * std::sin(6.0 * v + 2.0 * u))),
               channel(190 - 120 * u)};
      for (const auto& d : discs) {
        if (std::hypot(x - d.x * scale, y - d.y * scale) < d.r * scale)
          c = {255, d.red, d.green, d.blue};
      }
      p[std::int64_t{y} * width + x] = c;
    }
  }
  return image;
}

}  // namespace boxwander::cli
