#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "cli/io/image.h"
#include "draw/pixel.h"

namespace boxwander::cli {

// "" when both images hold the same pixels, else where they first differ.
inline std::string FirstDifference(const Image& a, const Image& b) {
  if (a.format() != b.format() || a.width() != b.width() || a.height() != b.height()) {
    return "different depth or size";
  }
  const auto bytes = BytesPerPixel(a.format());
  for (std::int64_t i = 0; i < a.pixelCount(); ++i) {
    if (std::memcmp(static_cast<const char*>(a.data()) + i * bytes,
                    static_cast<const char*>(b.data()) + i * bytes,
                    static_cast<std::size_t>(bytes)) != 0) {
      return "pixel " + std::to_string(i % a.width()) + "," + std::to_string(i / a.width());
    }
  }
  return "";
}

}  // namespace boxwander::cli
