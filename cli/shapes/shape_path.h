#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "cli/shapes/cubic_arc_length.h"
#include "cli/shapes/mask_shape.h"
#include "geometry/mask_path.h"
#include "geometry/straight_path.h"

namespace boxwander::shapes {

// A mask shape served through the walk's path interface, as the host's path data suite
// serves it: one segment per vertex-to-vertex piece. Straight pieces are the core's
// straight segments, with exactly their arithmetic; curved pieces are measured by arc length.
//
// Preparations are owned here: a token that is not live, or that belongs to another
// segment, is refused with kErrBadCallbackParam instead of being dereferenced, and tokens
// the caller never released are freed with the path (and counted until then).
class ShapePath final : public MaskPath {
 public:
  explicit ShapePath(const MaskShape& shape);
  ~ShapePath() override;
  ShapePath(const ShapePath&) = delete;
  ShapePath& operator=(const ShapePath&) = delete;

  ErrorCode segmentCount(std::int32_t& count) override;
  // The frequency is a hint of the host's; the arc-length table is as fine as it must be.
  ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                           SegmentPrep& prep) override;
  ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) override;
  // On a curved segment t is clamped to 0..length; a t that is not a number is refused.
  ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t, PathPoint& point) override;
  ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) override;
  // Straight pieces answer exactly, as the core's straight segments do; curved pieces with a
  // conservative bound from their control points.
  bool reachableStretch(std::int32_t segment, SegmentPrep prep, std::int32_t width,
                        std::int32_t height, ArcStretch& stretch) override;

  // Preparations handed out and not yet released.
  std::size_t livePreparations() const noexcept { return live_.size(); }

 private:
  struct Piece {
    ShapePiece shape;
    std::int32_t straightIndex = -1;  // index in straight_, or -1 for a curved piece
  };
  struct Preparation {
    std::int32_t segment = 0;
    SegmentPrep straightPrep = nullptr;
    std::optional<CubicArcLength> curve;
  };

  Preparation* find(std::int32_t segment, SegmentPrep prep) const noexcept;

  std::vector<Piece> pieces_;
  StraightSegmentPath straight_;
  std::vector<std::unique_ptr<Preparation>> live_;
};

}  // namespace boxwander::shapes
