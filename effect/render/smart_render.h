#pragma once

#include <cstdint>
#include <optional>

#include "host/host_interface.h"
#include "render/render_frame.h"

namespace boxwander {

// The render depth for the host's pixel format code; none for any other code.
std::optional<PixelFormat> PixelFormatOf(PF_PixelFormat code) noexcept;

}  // namespace boxwander
