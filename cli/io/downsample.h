#pragma once

#include <cstdint>

#include "cli/io/image.h"

namespace boxwander::cli {

// The layer as the host hands it to a render at 1/factor resolution: each output pixel
// averages a factor x factor block (blocks at the right and bottom edges may be smaller;
// the size is rounded up). Colours are weighted by alpha, since alpha is straight: a clear
// pixel's colour does not bleed into its neighbours. Integer depths round half up.
Image Downsample(const Image& image, std::int32_t factor);

}  // namespace boxwander::cli
