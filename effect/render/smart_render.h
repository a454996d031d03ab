#pragma once

#include <cstdint>
#include <optional>

#include "host/host_interface.h"
#include "render/render_frame.h"

namespace boxwander {

// The render depth for the host's pixel format code; none for any other code.
std::optional<PixelFormat> PixelFormatOf(PF_PixelFormat code) noexcept;

// Bytes of a CoverageMap for pixel_count input pixels, worked out in 64 bits; none when
// no allocation in this process could hold it.
std::optional<std::uint64_t> CoverageMapBytes(std::int64_t pixel_count) noexcept;

}  // namespace boxwander
