#include "geometry/placement_rules.h"

#include <cmath>

#include "common/truncate.h"

namespace boxwander {

namespace {

constexpr double kPi = 3.141592653589793;

// Half sizes can reach the 32-bit limits; their sums with a coordinate are exact in 64 bits.
double Sum(std::int32_t a, std::int32_t b) {
  return static_cast<double>(static_cast<std::int64_t>(a) + b);
}
double Difference(std::int32_t a, std::int32_t b) {
  return static_cast<double>(static_cast<std::int64_t>(a) - b);
}

}  // namespace

std::int32_t RectangleSize(double r, std::int32_t max_half_width, double min_fraction) {
  // 64 bits: M - 2 must not overflow for any M.
  const auto span = static_cast<double>(static_cast<std::int64_t>(max_half_width) - 2);
  const double m = min_fraction;
  return SaturatingAdd(TruncateToInt32(r * (1.0 - m) * span + span * m), 3);
}

std::int32_t HalfHeightFor(std::int32_t size, double ratio) {
  return TruncateToInt32(std::fabs(static_cast<double>(size) / ratio) + 0.5);
}

GrowDirection HeadingGrowDirection(double dx, double dy, double ratio) {
  const double d = std::atan2(1.0, ratio) * 180.0 / kPi;
  const double h = std::atan2(-dx, dy) * 180.0 / kPi + 180.0;
  if (90.0 - d > h) {
    return GrowDirection::kUp;
  }
  if (90.0 + d > h) {
    return GrowDirection::kRight;
  }
  if (270.0 - d > h) {
    return GrowDirection::kDown;
  }
  if (270.0 + d > h) {
    return GrowDirection::kLeft;
  }
  return GrowDirection::kUp;
}

AttachSide FindAttachSide(std::int32_t ix, std::int32_t iy, const CoverageMap& coverage) {
  const std::int32_t w = coverage.width;
  const std::int32_t h = coverage.height;
  // (ix, iy) lies inside, so ix + 1 and iy + 1 cannot overflow.
  const bool left = ix - 1 >= 0;
  const bool top = iy - 1 >= 0;
  const bool right = ix + 1 < w;
  const bool bottom = iy + 1 < h;
  if (left && coverage.holdsLast(ix - 1, iy)) {
    return AttachSide::kLeft;
  }
  if (top && coverage.holdsLast(ix, iy - 1)) {
    return AttachSide::kTop;
  }
  if (right && coverage.holdsLast(ix + 1, iy)) {
    return AttachSide::kRight;
  }
  if (bottom && coverage.holdsLast(ix, iy + 1)) {
    return AttachSide::kBottom;
  }
  if (left && top && coverage.holdsLast(ix - 1, iy - 1)) {
    return AttachSide::kLeft;
  }
  if (right && top && coverage.holdsLast(ix + 1, iy - 1)) {
    return AttachSide::kTop;
  }
  if (right && bottom && coverage.holdsLast(ix + 1, iy + 1)) {
    return AttachSide::kRight;
  }
  if (left && bottom && coverage.holdsLast(ix - 1, iy + 1)) {
    return AttachSide::kBottom;
  }
  if (!left) {
    return AttachSide::kLeft;
  }
  if (!top) {
    return AttachSide::kTop;
  }
  if (!right) {
    return AttachSide::kRight;
  }
  if (!bottom) {
    return AttachSide::kBottom;
  }
  return AttachSide::kNone;
}

GrowDirection GrowAwayFrom(AttachSide side) {
  switch (side) {
    case AttachSide::kLeft:
      return GrowDirection::kRight;
    case AttachSide::kTop:
      return GrowDirection::kDown;
    case AttachSide::kRight:
      return GrowDirection::kLeft;
    case AttachSide::kBottom:
      return GrowDirection::kUp;
    case AttachSide::kNone:
      break;
  }
  return GrowDirection::kUp;
}

bool FollowsTangent(GrowDirection grow, double dx, double dy, double ratio) {
  const bool horizontal = grow == GrowDirection::kRight || grow == GrowDirection::kLeft;
  const double a = horizontal ? std::atan2(std::fabs(dy), std::fabs(dx))
                              : std::atan2(std::fabs(dx), std::fabs(dy));
  const double limit = horizontal ? std::atan2(1.0, ratio) : std::atan2(ratio, 1.0);
  return a <= limit;  // false for NaN: the corner rule
}

Center TangentCenter(GrowDirection grow, std::int32_t ix, std::int32_t iy, double dx, double dy,
                     std::int32_t half_width, std::int32_t half_height, const HostMath& math) {
  const double len = math.Hypot(dx, dy);
  // Without a length the unit vector would be 0/0: keep the centre on the grow axis.
  const bool has_tangent = len != 0.0 && std::isfinite(len);
  const double ux = dx / len;
  const double uy = dy / len;
  const double x = ix;
  const double y = iy;
  switch (grow) {
    case GrowDirection::kRight:
      return {Sum(ix, half_width), has_tangent ? y + (uy / ux) * half_width : y};
    case GrowDirection::kLeft:
      return {Difference(ix, half_width), has_tangent ? y - (uy / ux) * half_width : y};
    case GrowDirection::kDown:
      return {has_tangent ? x + (ux / uy) * half_height : x, Sum(iy, half_height)};
    case GrowDirection::kUp:
      break;
  }
  return {has_tangent ? x - (ux / uy) * half_height : x, Difference(iy, half_height)};
}

Center CornerCenter(std::int32_t ix, std::int32_t iy, double dx, double dy, std::int32_t half_width,
                    std::int32_t half_height) {
  // !(c < 0) rather than c >= 0: -0 and NaN count as >= 0.
  return {!(dx < 0.0) ? Sum(ix, half_width) : Difference(ix, half_width),
          !(dy < 0.0) ? Sum(iy, half_height) : Difference(iy, half_height)};
}

}  // namespace boxwander
