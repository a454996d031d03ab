#include "cli/io/image.h"

namespace boxwander::cli {

Image::Image(PixelFormat format, std::int32_t width, std::int32_t height)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0) {
  const auto count = static_cast<std::size_t>(pixelCount());
  switch (format) {
    case PixelFormat::k8:
      pixels_ = std::vector<Pixel8>(count, Pixel8{});
      break;
    case PixelFormat::k16:
      pixels_ = std::vector<Pixel16>(count, Pixel16{});
      break;
    case PixelFormat::kFloat:
      pixels_ = std::vector<PixelFloat>(count, PixelFloat{});
      break;
  }
}

}  // namespace boxwander::cli
