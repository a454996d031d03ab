#include "render/host_mask_path.h"

namespace boxwander {

const PF_PathDataSuite1& HostMaskPath::suite() {
  if (suite_ == nullptr) {
    suite_ = &suites_.pathDataSuite();
  }
  return *suite_;
}

ErrorCode HostMaskPath::segmentCount(std::int32_t& count) {
  return suite().PF_PathNumSegments(effect_ref_, path_, &count);
}

ErrorCode HostMaskPath::prepareSegment(std::int32_t segment, std::int32_t frequency,
                                       SegmentPrep& prep) {
  PF_PathSegPrepPtr made = nullptr;
  const ErrorCode error =
      suite().PF_PathPrepareSegLength(effect_ref_, path_, segment, frequency, &made);
  prep = made;
  return error;
}

ErrorCode HostMaskPath::segmentLength(std::int32_t segment, SegmentPrep prep, double& length) {
  auto token = static_cast<PF_PathSegPrepPtr>(prep);
  return suite().PF_PathGetSegLength(effect_ref_, path_, segment, &token, &length);
}

ErrorCode HostMaskPath::evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                                   PathPoint& point) {
  auto token = static_cast<PF_PathSegPrepPtr>(prep);
  return suite().PF_PathEvalSegLengthDeriv1(effect_ref_, path_, &token, segment, t, &point.x,
                                            &point.y, &point.dx, &point.dy);
}

ErrorCode HostMaskPath::releaseSegment(std::int32_t segment, SegmentPrep prep) {
  auto token = static_cast<PF_PathSegPrepPtr>(prep);
  return suite().PF_PathCleanupSegLength(effect_ref_, path_, segment, &token);
}

}  // namespace boxwander
