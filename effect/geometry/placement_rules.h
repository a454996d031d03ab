#pragma once

#include <cstdint>

#include "geometry/placement.h"

namespace boxwander {

// The pieces PlaceRectangle is made of, each one rule of where a rectangle goes.

// Where the new rectangle lies as seen from its sample.
enum class GrowDirection : std::int32_t { kRight, kLeft, kDown, kUp };

// Where the previous rectangle lies as seen from the sample.
enum class AttachSide : std::int32_t { kNone = 0, kLeft = 1, kTop = 2, kRight = 3, kBottom = 4 };

struct Center {
  double x = 0.0;
  double y = 0.0;
};

// The drawn half width: truncate(r (1 - m) (M - 2) + (M - 2) m) + 3, with M - 2 an integer.
// From 3 + truncate((M - 2) m) to M when M >= 3 and m < 1; M + 1 when m = 1.
std::int32_t RectangleSize(double r, std::int32_t max_half_width, double min_fraction);

// The half width divided by the ratio, rounded half up. 0 once the ratio exceeds 2 * size.
std::int32_t HalfHeightFor(std::int32_t size, double ratio);

// First rectangle: the grow direction from the heading h, in degrees clockwise from up,
// against the diagonal's angle d. Strict comparisons; a heading that is not a number
// grows Up.
GrowDirection HeadingGrowDirection(double dx, double dy, double ratio);

// Later rectangles: which neighbour of (ix, iy) carries the last rectangle's index, the
// four sides first, then the corners, then the buffer's borders.
AttachSide FindAttachSide(std::int32_t ix, std::int32_t iy, const CoverageMap& coverage);

// Grows away from the previous rectangle; with no neighbour found, Up.
GrowDirection GrowAwayFrom(AttachSide side);

// Later rectangles: true when the path runs no steeper than the rectangle's diagonal (the
// tangent rule applies), false for the corner rule, also when the angle is not a number.
bool FollowsTangent(GrowDirection grow, double dx, double dy, double ratio);

// The centre on the tangent through the sample, one half size along the grow axis. A
// direction whose length is 0 or not finite has no tangent: the centre then lies on the
// grow axis through the sample. The direction's length is math's hypot.
Center TangentCenter(GrowDirection grow, std::int32_t ix, std::int32_t iy, double dx, double dy,
                     std::int32_t half_width, std::int32_t half_height, const HostMath& math = {});

// The sample becomes the rectangle's corner that points back against the travel. -0 and
// NaN components count as >= 0.
Center CornerCenter(std::int32_t ix, std::int32_t iy, double dx, double dy, std::int32_t half_width,
                    std::int32_t half_height);

}  // namespace boxwander
