#pragma once

// What the tests that drive the loaded module through our host share: a host set up like
// a fresh instance, controls set as the host stores them, and small test pictures.

#include <cstdint>
#include <memory>
#include <vector>

#include "geometry/straight_path.h"
#include "minihost/host.h"
#include "params/param_index.h"
#include "render/pre_render_data.h"

namespace boxwander::test {

using minihost::Host;
using minihost::World;

inline constexpr PF_PathID kMaskId = 1;

// The fourteen controls, each stored as the host stores it.
void SetControls(Host& host, const ControlValues& c);

// A host with the module loaded and set up (global, parameters, sequence, one UI update).
std::unique_ptr<Host> ReadyHost();

// A curved, self-crossing polyline across a layer of size w x h (full resolution), long
// enough for a chain of some dozens of rectangles.
std::shared_ptr<StraightSegmentPath> TestPath(double w, double h);

// Controls that draw a varied chain along mask kMaskId: Time 40 %, On Original on.
ControlValues DrawingControls();

// A picture with every channel varying, alpha included, in the given depth.
World TestPicture(PixelFormat format, std::int32_t width, std::int32_t height,
                  std::int32_t rowPadding);

// A world whose every pixel is one recognisable colour, to tell "untouched" apart.
World MarkedWorld(PixelFormat format, std::int32_t width, std::int32_t height,
                  std::int32_t rowPadding = 0);

}  // namespace boxwander::test
