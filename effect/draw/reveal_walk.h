#pragma once

#include <cstdint>

#include "common/error_code.h"
#include "draw/choices.h"
#include "draw/rasterize.h"
#include "draw/reveal.h"
#include "draw/reveal_frame.h"
#include "geometry/rect_list.h"

namespace boxwander {

// What Time and Mode allow before the walk: in the first half how much is shown, in the
// second how much has gone (rectangles in Discrete 2, half-width pixels otherwise).
struct RevealBudget {
  bool firstHalf = true;
  std::int32_t budget = 0;
};
RevealBudget ComputeRevealBudget(std::int32_t mode, double time, std::int32_t rectCount,
                                 std::int32_t halfWidthTotal) noexcept;

// The anchor a vanishing rectangle shrinks toward: the next record's, or for the last
// record its own anchor mirrored through its centre.
RectSpan TailSpan(const RectRecord& record, const RectNode* next, double ratio) noexcept;

// Visits frame.rects in order and calls draw(record, span) for every rectangle that Time
// leaves visible, whole or shrunk; reports progress per counted rectangle. Returns 0 or the
// first non-zero progress result, which stops the reports but not the drawing.
template <class Draw>
ErrorCode WalkReveal(const RevealFrame& frame, const ProgressFn& progress, Draw&& draw) {
  const std::int32_t mode = frame.mode;
  const bool continuous = mode == kModeContinuous;
  const bool byCount = mode == kModeDiscrete2;
  const RevealBudget start =
      ComputeRevealBudget(mode, frame.time, frame.rectCount, frame.halfWidthTotal);
  const bool firstHalf = start.firstHalf;
  // 64 bits: subtracting a half width from a saturated budget must not overflow.
  std::int64_t budget = start.budget;
  bool stopped = false;
  std::int32_t handled = 0;
  ErrorCode result = kErrNone;

  for (const RectNode* node = frame.rects.first(); node != nullptr; node = node->next) {
    const RectRecord record = node->record;
    std::int64_t visibleWidth = record.halfWidth;
    bool tailPending = false;

    if (!byCount) {
      if (firstHalf) {
        budget -= record.halfWidth;
        if (budget < 0) {
          visibleWidth = record.halfWidth + budget;
          stopped = true;
        }
      } else if (!stopped) {
        budget -= record.halfWidth;
        if (budget > 0) {
          continue;  // already gone
        }
        visibleWidth = -budget;
        tailPending = stopped = true;
      }
    } else {
      if (firstHalf) {
        if (handled >= budget) {
          stopped = true;
        }
      } else if (!stopped) {
        if (handled < budget) {
          ++handled;  // already gone, yet counted for progress
          continue;
        }
        tailPending = stopped = true;
      }
    }

    const double ratio = static_cast<double>(visibleWidth) / record.halfWidth;
    if (continuous && firstHalf && stopped) {
      draw(record, ShrinkSpan(record, record.anchorX, record.anchorY, ratio));
    } else if (continuous && tailPending) {
      draw(record, TailSpan(record, node->next, ratio));
    } else {
      draw(record, WholeSpan(record));
    }

    if (firstHalf && stopped) {
      break;  // the growing rectangle is the last one drawn and is not counted
    }
    ++handled;
    if (result == kErrNone && progress) {
      result = progress(handled, frame.rectCount);
    }
  }
  return result;
}

}  // namespace boxwander
