#pragma once

#include <cstdint>
#include <memory>

#include "geometry/mask_path.h"

namespace boxwander::minihost {

// A mask path in full-resolution layer pixels, seen at a render's downsampling: x scaled
// by sx and y by sy. With sx == sy points, directions and arc lengths are scaled exactly
// (t maps to t / s on the source path), so a test can build the same scaled path the host
// serves. With different factors the arc length is measured on a polyline of the scaled
// segment (the frequency, at least 16 points per segment).
class ScaledPath final : public MaskPath {
 public:
  ScaledPath(std::shared_ptr<MaskPath> source, double sx, double sy);

  ErrorCode segmentCount(std::int32_t& count) override;
  ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                           SegmentPrep& prep) override;
  ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) override;
  ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t, PathPoint& point) override;
  ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) override;

 private:
  struct Prepared;
  ErrorCode sourceAt(std::int32_t segment, const Prepared& p, double t, PathPoint& point);

  std::shared_ptr<MaskPath> source_;
  double sx_;
  double sy_;
};

}  // namespace boxwander::minihost
