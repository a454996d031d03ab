#include "draw/reveal.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "common/truncate.h"
#include "draw/pixel.h"
#include "draw/reveal_walk.h"

namespace boxwander {
namespace {

std::int32_t SaturateToInt32(std::int64_t v) noexcept {
  if (v > std::numeric_limits<std::int32_t>::max()) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (v < std::numeric_limits<std::int32_t>::min()) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(v);
}

// Offsets of two or more pixels scale to ceil(offset * ratio + 0.5); -1, 0 and 1 stay.
std::int64_t ScaleOffset(std::int64_t offset, double ratio) noexcept {
  if (offset >= -1 && offset <= 1) {
    return offset;
  }
  return TruncateToInt32(std::ceil(static_cast<double>(offset) * ratio + 0.5));
}

}  // namespace

RectSpan ShrinkSpan(const RectRecord& record, std::int32_t anchorX, std::int32_t anchorY,
                    double ratio) noexcept {
  const std::int64_t ax = anchorX;
  const std::int64_t ay = anchorY;
  const std::int64_t l = ScaleOffset(std::int64_t{record.centerX} - record.halfWidth - ax, ratio);
  const std::int64_t r = ScaleOffset(std::int64_t{record.centerX} + record.halfWidth - ax, ratio);
  const std::int64_t t = ScaleOffset(std::int64_t{record.centerY} - record.halfHeight - ay, ratio);
  const std::int64_t b = ScaleOffset(std::int64_t{record.centerY} + record.halfHeight - ay, ratio);
  const std::int64_t left = l + ax;
  const std::int64_t right = r + ax;
  const std::int64_t top = t + ay;
  const std::int64_t bottom = b + ay;
  const std::int64_t cx = (left + right) / 2;  // truncated toward zero
  const std::int64_t cy = (top + bottom) / 2;
  return {SaturateToInt32(cx),         SaturateToInt32(cy),       SaturateToInt32(cx - left),
          SaturateToInt32(right - cx), SaturateToInt32(cy - top), SaturateToInt32(bottom - cy)};
}

RectSpan TailSpan(const RectRecord& record, const RectNode* next, double ratio) noexcept {
  if (next != nullptr) {
    return ShrinkSpan(record, next->record.anchorX, next->record.anchorY, ratio);
  }
  const std::int32_t mirroredX = SaturateToInt32(2 * std::int64_t{record.centerX} - record.anchorX);
  const std::int32_t mirroredY = SaturateToInt32(2 * std::int64_t{record.centerY} - record.anchorY);
  return ShrinkSpan(record, mirroredX, mirroredY, ratio);
}

RevealBudget ComputeRevealBudget(std::int32_t mode, double time, std::int32_t rectCount,
                                 std::int32_t halfWidthTotal) noexcept {
  RevealBudget out;
  out.firstHalf = time <= 0.5;
  const double f = out.firstHalf ? time : time - 0.5;
  // 2 * total is formed in 64 bits: the doubled total may not fit 32.
  if (mode == kModeDiscrete2) {
    out.budget = TruncateToInt32(std::floor(static_cast<double>(2 * std::int64_t{rectCount}) * f));
  } else {
    out.budget = TruncateToInt32(
        std::floor(static_cast<double>(2 * std::int64_t{halfWidthTotal}) * f + 0.5));
  }
  return out;
}

ErrorCode RevealWalk(const RevealFrame& frame, const ProgressFn& progress) {
  // One depth dispatch per walk; every rectangle then draws with the depth known.
  return VisitFormat(frame.format, [&]<class P>(PixelTag<P>) {
    return WalkReveal(frame, progress, [&](const RectRecord& record, const RectSpan& span) {
      DrawRectangleOf<P>(frame, record, span);
    });
  });
}

}  // namespace boxwander
