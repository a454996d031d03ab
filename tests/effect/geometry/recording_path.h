#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "geometry/mask_path.h"

namespace boxwander {

// Wraps a path, logs every call the walk makes, and can fail one chosen call or report
// a chosen length for every segment.
class RecordingPath final : public MaskPath {
 public:
  enum class Op { kCount, kPrepare, kLength, kEvaluate, kRelease };
  struct Call {
    Op op;
    std::int32_t segment;
    double t;  // evaluateAt only
  };

  explicit RecordingPath(MaskPath& inner) : inner_(inner) {}

  // The occurrence-th call (from 0) of op returns code instead of being served.
  void FailAt(Op op, int occurrence, ErrorCode code) {
    fail_op_ = op;
    fail_occurrence_ = occurrence;
    fail_code_ = code;
  }
  void OverrideLength(double length) { length_ = length; }
  // Passes the reachable-stretch question on to the inner path (by default it cannot tell).
  void ForwardReach() { forward_reach_ = true; }

  const std::vector<Call>& calls() const { return calls_; }
  std::vector<double> EvaluatedTs() const {
    std::vector<double> ts;
    for (const Call& c : calls_) {
      if (c.op == Op::kEvaluate) {
        ts.push_back(c.t);
      }
    }
    return ts;
  }

  ErrorCode segmentCount(std::int32_t& count) override {
    return Log(Op::kCount, -1, 0.0) ? fail_code_ : inner_.segmentCount(count);
  }
  ErrorCode prepareSegment(std::int32_t segment, std::int32_t frequency,
                           SegmentPrep& prep) override {
    frequencies_ok_ = frequencies_ok_ && frequency == 100;
    return Log(Op::kPrepare, segment, 0.0) ? fail_code_
                                           : inner_.prepareSegment(segment, frequency, prep);
  }
  ErrorCode segmentLength(std::int32_t segment, SegmentPrep prep, double& length) override {
    if (Log(Op::kLength, segment, 0.0)) {
      return fail_code_;
    }
    const ErrorCode e = inner_.segmentLength(segment, prep, length);
    if (length_) {
      length = *length_;
    }
    return e;
  }
  ErrorCode evaluateAt(std::int32_t segment, SegmentPrep prep, double t,
                       PathPoint& point) override {
    return Log(Op::kEvaluate, segment, t) ? fail_code_ : inner_.evaluateAt(segment, prep, t, point);
  }
  ErrorCode releaseSegment(std::int32_t segment, SegmentPrep prep) override {
    return Log(Op::kRelease, segment, 0.0) ? fail_code_ : inner_.releaseSegment(segment, prep);
  }

  bool reachableStretch(std::int32_t segment, SegmentPrep prep, std::int32_t width,
                        std::int32_t height, ArcStretch& stretch) override {
    return forward_reach_ && inner_.reachableStretch(segment, prep, width, height, stretch);
  }

  bool frequencies_ok() const { return frequencies_ok_; }

 private:
  // Logs the call; true when it is the one to fail.
  bool Log(Op op, std::int32_t segment, double t) {
    calls_.push_back({op, segment, t});
    const int seen = seen_[static_cast<int>(op)]++;
    return op == fail_op_ && seen == fail_occurrence_;
  }

  MaskPath& inner_;
  std::vector<Call> calls_;
  int seen_[5] = {};
  std::optional<double> length_;
  Op fail_op_ = Op::kCount;
  int fail_occurrence_ = -1;
  ErrorCode fail_code_ = kErrNone;
  bool frequencies_ok_ = true;
  bool forward_reach_ = false;
};

}  // namespace boxwander
