#pragma once

#include <cstdint>
#include <vector>

#include "geometry/mask_path.h"

namespace boxwander {

// A MaskPath of straight segments. Length is std::hypot of the span, the unit direction
// is worked out once per segment, and a point is start + t * direction; a zero-length
// segment gives its start and direction (0, 0). The arithmetic is fixed: results are
// compared bit for bit.
class StraightSegmentPath final : public MaskPath {
 public:
  struct Segment {
    double x0, y0, x1, y1;
  };
  struct Point {
    double x, y;
  };

  explicit StraightSegmentPath(const std::vector<Segment>& segments);
  // Consecutive points joined; closed adds the segment from the last point to the first.
  static StraightSegmentPath Polyline(const std::vector<Point>& points, bool closed);

  ErrorCode segmentCount(std::int32_t& count) override;
  ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                           SegmentPrep& prep) override;
  ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) override;
  ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t, PathPoint& point) override;
  ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) override;
  // Exact: from and to are the first and last whole arc lengths whose point evaluateAt
  // puts inside the image (empty when there is none), found on evaluateAt's own arithmetic.
  bool reachableStretch(std::int32_t segment, SegmentPrep prep, std::int32_t width,
                        std::int32_t height, ArcStretch& stretch) override;

 private:
  struct Prepared {
    double x0, y0, ux, uy, length;
  };
  std::vector<Prepared> segments_;
};

}  // namespace boxwander
