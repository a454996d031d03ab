#include "geometry/path_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "common/truncate.h"
#include "geometry/straight_path.h"
#include "recording_path.h"

namespace boxwander {
namespace {

using Seg = StraightSegmentPath::Segment;
using Op = RecordingPath::Op;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// Seed 0 and these settings: first half width 8 (see the worked example).
constexpr ChainSettings kSettings{10, 0.1, 1.0, 0.0, {}};

// One walk with freshly seeded generators, an empty list and a map holding leftovers of an
// earlier walk (the walk starts it afresh).
struct Walk {
  Walk(MaskPath& path, std::int32_t w, std::int32_t h, const ChainSettings& settings = kSettings,
       std::int32_t seed = 0, ErrorCode pending = kErrNone)
      : map{7, 7, 9, 0, 0, 6, 6} {
    SeedForRender(width_rng, seed);
    SeedForRender(ratio_rng, seed + 100);
    result = WalkPath(path, settings, w, h, &map, width_rng, ratio_rng, rects, pending);
    for (const RectNode* n = rects.first(); n != nullptr; n = n->next) {
      records.push_back(n->record);
    }
  }
  // The pixels that carry the last rectangle's index: its extent clipped to the image.
  bool LastExtentIs(std::int32_t left, std::int32_t top, std::int32_t right,
                    std::int32_t bottom) const {
    return map.left == left && map.top == top && map.right == right && map.bottom == bottom;
  }

  CoverageMap map;
  RandomGenerator width_rng;
  RandomGenerator ratio_rng;
  RectList rects;
  WalkResult result;
  std::vector<RectRecord> records;
};

TEST(WalkPath, WorkedExample) {
  StraightSegmentPath path({{10.0, 50.0, 209.0, 50.0}});
  const Walk walk(path, 300, 300);
  ASSERT_EQ(walk.result.error, kErrNone);
  ASSERT_GE(walk.records.size(), 3u);
  EXPECT_EQ(walk.records[0], (RectRecord{10, 50, 18, 50, 8, 8}));
  EXPECT_EQ(walk.records[1], (RectRecord{27, 50, 32, 50, 5, 5}));
  EXPECT_EQ(walk.records[2], (RectRecord{38, 50, 46, 50, 8, 8}));
  EXPECT_EQ(walk.result.rectCount, 15);
  EXPECT_EQ(walk.records.size(), 15u);
  EXPECT_EQ(walk.result.halfWidthTotal, 100);
  // The first rectangle spans columns 10..26 and rows 42..58; the second starts at 27.
  EXPECT_EQ(walk.records[0].centerX + walk.records[0].halfWidth + 1,
            walk.records[1].centerX - walk.records[1].halfWidth);
  // The map ends with the last rectangle, index 16.
  const RectRecord& last = walk.records.back();
  EXPECT_EQ(walk.map.index, 16);
  EXPECT_TRUE(walk.LastExtentIs(last.centerX - last.halfWidth, last.centerY - last.halfHeight,
                                last.centerX + last.halfWidth, last.centerY + last.halfHeight));
}

TEST(WalkPath, WithoutVarianceEveryRectangleKeepsTheBaseRatio) {
  StraightSegmentPath path({{10.0, 50.0, 209.0, 50.0}});
  const Walk walk(path, 300, 300, {10, 0.1, 4.0, 0.0, {}});
  ASSERT_GT(walk.result.rectCount, 1);
  for (const RectRecord& r : walk.records) {
    // Half width divided by 4, rounded half up.
    EXPECT_EQ(r.halfHeight, (r.halfWidth + 2) / 4) << r.halfWidth;
  }
  RandomGenerator untouched;
  SeedForRender(untouched, 100);
  EXPECT_EQ(walk.ratio_rng.state(), untouched.state());
}

TEST(WalkPath, SamplesEverySegmentFromZeroByWholeSteps) {
  struct Case {
    const char* name;
    double length;
    std::vector<double> ts;
  };
  const Case cases[] = {
      {"2.7", 2.7, {0.0, 1.0, 2.0}},
      {"exactly 3", 3.0, {0.0, 1.0, 2.0, 3.0}},
      {"zero", 0.0, {0.0}},
      {"negative", -1.0, {}},
      {"NaN", kNaN, {}},
      {"infinite", kInf, {}},
      {"too long to step through", 9007199254740992.0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Lies outside the buffer, so no sample places anything.
    StraightSegmentPath inner({{-50.0, -50.0, -40.0, -50.0}});
    RecordingPath path(inner);
    path.OverrideLength(c.length);
    const Walk walk(path, 30, 20);
    EXPECT_EQ(walk.result.error, kErrNone);
    EXPECT_EQ(path.EvaluatedTs(), c.ts);
    // Prepared and released even when it gets no samples.
    ASSERT_GE(path.calls().size(), 4u);
    EXPECT_EQ(path.calls()[1].op, Op::kPrepare);
    EXPECT_EQ(path.calls().back().op, Op::kRelease);
    EXPECT_TRUE(path.frequencies_ok());
  }
}

TEST(WalkPath, WhereSamplesPlaceRectangles) {
  struct Case {
    const char* name;
    std::vector<Seg> segments;
    std::vector<RectRecord> expected;
  };
  const Case cases[] = {
      {"x = -0.5 lies in column 0", {{-0.5, 5.0, -0.5, 5.0}}, {{0, 5, 0, 13, 8, 8}}},
      {"x = -1.0 lies outside", {{-1.0, 5.0, -1.0, 5.0}}, {}},
      {"y = -0.5 lies in row 0", {{5.0, -0.5, 5.0, -0.5}}, {{5, 0, 5, 8, 8, 8}}},
      {"x = width lies outside", {{30.0, 5.0, 30.0, 5.0}}, {}},
      {"far beyond the 32-bit range", {{1e300, 5.0, 1e300, 5.0}, {5.0, -1e300, 5.0, -1e300}}, {}},
      {"path wholly outside",
       {{-20.0, -20.0, -5.0, -20.0}, {-5.0, -20.0, -5.0, 40.0}, {40.0, 25.0, 60.0, 25.0}},
       {}},
      // Enters at (0, 13) heading steeply up: as the first rectangle it grows Up from the
      // heading; taken for a later one it would grow Right from the border.
      {"first rectangle where the path enters", {{-3.0, 20.0, 3.0, 2.0}}, {{0, 13, 2, 5, 8, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath path(c.segments);
    const Walk walk(path, 30, 20);
    EXPECT_EQ(walk.result.error, kErrNone);
    EXPECT_EQ(walk.records, c.expected);
    EXPECT_EQ(walk.result.rectCount, static_cast<std::int32_t>(c.expected.size()));
    if (c.expected.empty()) {
      EXPECT_EQ(walk.result.halfWidthTotal, 0);
      EXPECT_EQ(walk.map.index, 0);
      EXPECT_EQ(walk.map.width, 30);
      EXPECT_EQ(walk.map.height, 20);
      EXPECT_FALSE(walk.map.holdsLast(0, 0));
    }
  }
}

// A path that gives a point that is not a number for its first two samples.
class NaNStartPath final : public MaskPath {
 public:
  ErrorCode segmentCount(std::int32_t& count) override {
    count = 1;
    return kErrNone;
  }
  ErrorCode prepareSegment(std::int32_t, std::int32_t, SegmentPrep& prep) override {
    prep = nullptr;
    return kErrNone;
  }
  ErrorCode segmentLength(std::int32_t, SegmentPrep, double& length) override {
    length = 2.0;
    return kErrNone;
  }
  ErrorCode evaluateAt(std::int32_t, SegmentPrep, double t, PathPoint& p) override {
    p = t == 0.0   ? PathPoint{kNaN, 5.0, 1.0, 0.0}
        : t == 1.0 ? PathPoint{5.0, kNaN, 1.0, 0.0}
                   : PathPoint{5.0, 5.0, 1.0, 0.0};
    return kErrNone;
  }
  ErrorCode releaseSegment(std::int32_t, SegmentPrep) override { return kErrNone; }
};

TEST(WalkPath, PointsThatAreNotANumberPlaceNothing) {
  NaNStartPath path;
  const Walk walk(path, 30, 20);
  EXPECT_EQ(walk.records, (std::vector<RectRecord>{{5, 5, 13, 5, 8, 8}}));
}

TEST(WalkPath, SharedVertexIsSampledAgain) {
  StraightSegmentPath inner({{10.0, 10.0, 11.0, 10.0}, {11.0, 10.0, 11.0, 10.5}});
  RecordingPath path(inner);
  const Walk walk(path, 30, 20);
  std::vector<std::pair<std::int32_t, double>> samples;
  for (const RecordingPath::Call& c : path.calls()) {
    if (c.op == Op::kEvaluate) {
      samples.emplace_back(c.segment, c.t);
    }
  }
  EXPECT_EQ(samples, (std::vector<std::pair<std::int32_t, double>>{{0, 0.0}, {0, 1.0}, {1, 0.0}}));
  EXPECT_EQ(walk.result.rectCount, 1);  // the vertex lies in the one rectangle both times
}

TEST(WalkPath, RectanglePartlyOutsideIsCountedAndClipped) {
  // Heading right from (25, 10): columns 25..41 and rows 2..18, of which columns 25..29 lie
  // inside a 30-wide buffer.
  StraightSegmentPath path({{25.0, 10.0, 29.0, 10.0}});
  const Walk walk(path, 30, 20);
  ASSERT_EQ(walk.records, (std::vector<RectRecord>{{25, 10, 33, 10, 8, 8}}));
  EXPECT_EQ(walk.result.halfWidthTotal, 8);
  for (std::int32_t y = 0; y < 20; ++y) {
    for (std::int32_t x = 0; x < 30; ++x) {
      const bool inside = x >= 25 && y >= 2 && y <= 18;
      EXPECT_EQ(walk.map.holdsLast(x, y), inside) << x << "," << y;
    }
  }
}

TEST(WalkPath, ReturningOverOlderRectanglesPlacesNewOnes) {
  StraightSegmentPath out({{10.0, 50.0, 100.0, 50.0}});
  StraightSegmentPath back({{10.0, 50.0, 100.0, 50.0}, {100.0, 50.0, 10.0, 50.0}});
  const Walk forward(out, 300, 300);
  const Walk round_trip(back, 300, 300);
  // Only the last rectangle stops a sample; the way back crosses older ones.
  EXPECT_GT(round_trip.result.rectCount, forward.result.rectCount + 1);
  const RectRecord& last = round_trip.records.back();
  const std::int32_t last_index = round_trip.result.rectCount + 1;
  EXPECT_EQ(round_trip.map.index, last_index);
  EXPECT_TRUE(round_trip.map.holdsLast(last.anchorX, last.anchorY));
}

TEST(WalkPath, StopsAtTheFirstFailingPathCall) {
  struct Case {
    const char* name;
    Op op;
    int occurrence;
  };
  const Case cases[] = {
      {"segment count", Op::kCount, 0},       {"first prepare", Op::kPrepare, 0},
      {"second prepare", Op::kPrepare, 1},    {"second length", Op::kLength, 1},
      {"first evaluation", Op::kEvaluate, 0}, {"later evaluation", Op::kEvaluate, 5},
      {"first release", Op::kRelease, 0},
  };
  constexpr ErrorCode kHostCode = 77;  // passed on unchanged
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath inner({{10.0, 50.0, 20.0, 50.0}, {20.0, 50.0, 20.0, 60.0}});
    RecordingPath path(inner);
    path.FailAt(c.op, c.occurrence, kHostCode);
    const Walk walk(path, 300, 300);
    EXPECT_EQ(walk.result.error, kHostCode);
    // Nothing follows the failing call but the release of a segment it had prepared.
    ASSERT_FALSE(path.calls().empty());
    const bool prepared = c.op == Op::kLength || c.op == Op::kEvaluate;
    const auto failed = path.calls().end() - (prepared ? 2 : 1);
    EXPECT_EQ(failed->op, c.op);
    if (prepared) {
      EXPECT_EQ(path.calls().back().op, Op::kRelease);
      EXPECT_EQ(path.calls().back().segment, failed->segment);
    }
    EXPECT_EQ(walk.result.rectCount, static_cast<std::int32_t>(walk.records.size()));
  }
}

TEST(WalkPath, MakesNoPathCallWithoutAUsableStart) {
  struct Case {
    const char* name;
    ErrorCode pending;
    bool with_map;
    ErrorCode expected;
  };
  const Case cases[] = {
      {"error already pending", 9, true, 9},
      {"no coverage map", kErrNone, false, kErrInternalStructDamaged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath inner({{10.0, 50.0, 20.0, 50.0}});
    RecordingPath path(inner);
    CoverageMap map;
    RandomGenerator width_rng;
    RandomGenerator ratio_rng;
    RectList rects;
    const WalkResult r = WalkPath(path, kSettings, 100, 100, c.with_map ? &map : nullptr, width_rng,
                                  ratio_rng, rects, c.pending);
    EXPECT_EQ(r.error, c.expected);
    EXPECT_TRUE(path.calls().empty());
    EXPECT_TRUE(rects.empty());
    EXPECT_EQ(r.rectCount, 0);
  }
}

// With the path telling which stretch of each segment can reach the image, the walk
// evaluates exactly the samples that land inside it, at the same t, and places the same
// chain as a walk of every sample.
TEST(WalkPath, SamplesOnlyWhatCanReachTheImage) {
  struct Case {
    const char* name;
    std::vector<Seg> segments;
  };
  const Case cases[] = {
      {"crossing", {{-40.5, 3.25, 70.0, 17.0}}},
      {"entering and leaving twice", {{-10.0, 10.0, 45.0, 10.0}, {45.0, 10.0, 15.0, -30.0}}},
      {"steep, far below", {{12.0, 900.0, 13.0, -700.0}}},
      {"backwards", {{45.7, 19.9, -3.0, 0.2}}},
      {"wholly outside", {{-5.0, -5.0, 50.0, -1.0}}},
      {"on the edges", {{-1.0, 0.0, -1.0, 19.0}, {-0.5, 0.0, -0.5, 19.0}, {30.0, 19.5, 0.0, 19.5}}},
      {"a point", {{5.0, 5.0, 5.0, 5.0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath inner(c.segments);
    RecordingPath everything(inner);
    RecordingPath reachable(inner);
    reachable.ForwardReach();
    const Walk all(everything, 30, 20);
    const Walk some(reachable, 30, 20);
    EXPECT_EQ(some.records, all.records);
    EXPECT_EQ(some.result.halfWidthTotal, all.result.halfWidthTotal);
    EXPECT_EQ(some.map, all.map);
    // The samples evaluated are those of the full walk whose pixel lies inside.
    std::vector<std::pair<std::int32_t, double>> inside;
    for (const RecordingPath::Call& call : everything.calls()) {
      PathPoint p;
      SegmentPrep prep = nullptr;
      if (call.op != Op::kEvaluate || inner.prepareSegment(call.segment, 100, prep) != kErrNone ||
          inner.evaluateAt(call.segment, prep, call.t, p) != kErrNone) {
        continue;
      }
      const std::int32_t ix = TruncateToInt32(p.x);
      const std::int32_t iy = TruncateToInt32(p.y);
      if (ix >= 0 && ix < 30 && iy >= 0 && iy < 20) {
        inside.emplace_back(call.segment, call.t);
      }
    }
    std::vector<std::pair<std::int32_t, double>> evaluated;
    for (const RecordingPath::Call& call : reachable.calls()) {
      if (call.op == Op::kEvaluate) {
        evaluated.emplace_back(call.segment, call.t);
      }
    }
    EXPECT_EQ(evaluated, inside);
  }
}

// A segment two billion pixels long whose visible part is the image's width: only that part
// is evaluated, and it places the chain of a segment that is just that part.
TEST(WalkPath, FarAwaySegmentCostsItsVisiblePart) {
  StraightSegmentPath inner({{1e9, 5.0, -1e9, 5.0}});
  RecordingPath far(inner);
  far.ForwardReach();
  const Walk walk(far, 30, 20);
  StraightSegmentPath near({{40.0, 5.0, -40.0, 5.0}});
  const Walk expected(near, 30, 20);
  ASSERT_GT(expected.result.rectCount, 0);
  EXPECT_EQ(walk.records, expected.records);
  EXPECT_EQ(far.EvaluatedTs().size(), 30u);
  EXPECT_EQ(far.EvaluatedTs().front(), 1e9 - 29.0);
}

TEST(WalkPath, SameInputsSameChain) {
  const std::vector<StraightSegmentPath::Point> zigzag{{3.5, 40.0},  {20.25, 2.0}, {33.0, 45.5},
                                                       {50.75, 7.0}, {63.9, 47.9}, {30.0, 24.0}};
  StraightSegmentPath path = StraightSegmentPath::Polyline(zigzag, true);
  const ChainSettings settings{7, 0.25, 0.5, 0.7, {}};
  const Walk a(path, 64, 48, settings, 1234);
  const Walk b(path, 64, 48, settings, 1234);
  ASSERT_GT(a.result.rectCount, 10);
  EXPECT_EQ(a.records, b.records);
  EXPECT_EQ(a.map, b.map);
  EXPECT_EQ(a.result.rectCount, b.result.rectCount);
  EXPECT_EQ(a.result.halfWidthTotal, b.result.halfWidthTotal);
  EXPECT_EQ(a.width_rng.state(), b.width_rng.state());
  EXPECT_EQ(a.ratio_rng.state(), b.ratio_rng.state());
}

}  // namespace
}  // namespace boxwander
