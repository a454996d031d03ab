#pragma once

#include <cstdint>

#include "geometry/mask_path.h"
#include "host/host_interface.h"
#include "host/suite_cache.h"

namespace boxwander {

// The walk's MaskPath served by the host's path data suite on one checked-out path. The
// suite is acquired on first use, so a walk that makes no path call acquires nothing.
class HostMaskPath final : public MaskPath {
 public:
  HostMaskPath(SuiteCache& suites, PF_ProgPtr effect_ref, PF_PathOutlinePtr path) noexcept
      : suites_(suites), effect_ref_(effect_ref), path_(path) {}
  HostMaskPath(const HostMaskPath&) = delete;
  HostMaskPath& operator=(const HostMaskPath&) = delete;

  ErrorCode segmentCount(std::int32_t& count) override;
  ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                           SegmentPrep& prep) override;
  ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) override;
  ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t, PathPoint& point) override;
  ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) override;

 private:
  const PF_PathDataSuite1& suite();

  SuiteCache& suites_;
  const PF_PathDataSuite1* suite_ = nullptr;  // once acquired
  PF_ProgPtr effect_ref_;
  PF_PathOutlinePtr path_;
};

}  // namespace boxwander
