#include "cli/io/image.h"

namespace boxwander::cli {

Image::Image(PixelFormat format, std::int32_t width, std::int32_t height)
    : width_(width > 0 && height > 0 ? width : 0), height_(width > 0 && height > 0 ? height : 0) {
  const auto count = static_cast<std::size_t>(pixelCount());
  VisitFormat(format, [&]<class P>(PixelTag<P>) { pixels_ = std::vector<P>(count, P{}); });
}

}  // namespace boxwander::cli
