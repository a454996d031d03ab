#include "geometry/placement.h"

#include <cmath>

#include "common/truncate.h"
#include "geometry/placement_rules.h"

namespace boxwander {

RectRecord PlaceRectangle(std::int32_t ix, std::int32_t iy, double dx, double dy, WalkState& state,
                          const CoverageMap& coverage, RandomGenerator& width_rng,
                          RandomGenerator& ratio_rng, const ChainSettings& settings) {
  // One width draw per rectangle, then one ratio draw only with variance: the k-th
  // rectangle always gets the same draws whatever the path.
  const std::int32_t size =
      RectangleSize(width_rng.nextReal(), settings.max_half_width, settings.min_fraction);
  if (settings.wh_variance != 0.0) {  // NaN counts as not 0
    const double u = ratio_rng.nextReal();
    const double e = (u * 2.0 - 1.0) * settings.wh_variance;
    state.ratio = settings.wh_ratio * settings.math.Pow(10.0, e);
  }
  const std::int32_t half_width = TruncateToInt32(std::fabs(static_cast<double>(size)) + 0.5);
  const std::int32_t half_height = HalfHeightFor(size, state.ratio);

  Center center;
  if (state.firstRect) {
    const GrowDirection grow = HeadingGrowDirection(dx, dy, state.ratio);
    center = TangentCenter(grow, ix, iy, dx, dy, half_width, half_height, settings.math);
    state.firstRect = false;
  } else {
    const GrowDirection grow = GrowAwayFrom(FindAttachSide(ix, iy, coverage));
    center = FollowsTangent(grow, dx, dy, state.ratio)
                 ? TangentCenter(grow, ix, iy, dx, dy, half_width, half_height, settings.math)
                 : CornerCenter(ix, iy, dx, dy, half_width, half_height);
  }
  return {ix, iy, TruncateToInt32(center.x), TruncateToInt32(center.y), half_width, half_height};
}

}  // namespace boxwander
