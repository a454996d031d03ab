#include "geometry/straight_path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "common/truncate.h"

namespace boxwander {
namespace {

struct Sample {
  double t;
  PathPoint expected;
};

struct SegmentCase {
  const char* name;
  StraightSegmentPath::Segment segment;
  double length;
  std::vector<Sample> samples;
};

TEST(StraightSegmentPath, LengthAndPointsAreBitExact) {
  const SegmentCase cases[] = {
      {"horizontal",
       {10.0, 50.0, 209.0, 50.0},
       199.0,
       {{0.0, {10.0, 50.0, 1.0, 0.0}}, {37.0, {47.0, 50.0, 1.0, 0.0}}}},
      // The unit vector is formed once and then scaled by t: 3 * 0.8 is not 12 / 5.
      {"3-4-5 slope",
       {0.5, -2.0, 3.5, 2.0},
       5.0,
       {{3.0, {2.3, 0.40000000000000036, 0.6, 0.8}}, {7.0, {4.7, 3.6000000000000005, 0.6, 0.8}}}},
      {"towards the origin", {0.0, 8.0, 0.0, 0.0}, 8.0, {{2.0, {0.0, 6.0, 0.0, -1.0}}}},
      {"zero length", {5.0, 7.0, 5.0, 7.0}, 0.0, {{0.0, {5.0, 7.0, 0.0, 0.0}}}},
  };
  for (const SegmentCase& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath path({c.segment});
    SegmentPrep prep = nullptr;
    ASSERT_EQ(path.prepareSegment(0, 100, prep), kErrNone);
    double length = -1.0;
    ASSERT_EQ(path.segmentLength(0, prep, length), kErrNone);
    EXPECT_EQ(length, c.length);
    for (const Sample& s : c.samples) {
      PathPoint p;
      ASSERT_EQ(path.evaluateAt(0, prep, s.t, p), kErrNone);
      EXPECT_EQ(p.x, s.expected.x);
      EXPECT_EQ(p.y, s.expected.y);
      EXPECT_EQ(p.dx, s.expected.dx);
      EXPECT_EQ(p.dy, s.expected.dy);
    }
    EXPECT_EQ(path.releaseSegment(0, prep), kErrNone);
  }
}

TEST(StraightSegmentPath, RejectsBadSegmentsAndTokens) {
  StraightSegmentPath path({{0, 0, 1, 0}, {1, 0, 1, 1}});
  SegmentPrep prep0 = nullptr;
  SegmentPrep prep1 = nullptr;
  ASSERT_EQ(path.prepareSegment(0, 100, prep0), kErrNone);
  ASSERT_EQ(path.prepareSegment(1, 100, prep1), kErrNone);
  SegmentPrep unused = nullptr;
  EXPECT_EQ(path.prepareSegment(-1, 100, unused), kErrBadCallbackParam);
  EXPECT_EQ(path.prepareSegment(2, 100, unused), kErrBadCallbackParam);
  double length = 0.0;
  PathPoint p;
  EXPECT_EQ(path.segmentLength(2, prep1, length), kErrBadCallbackParam);
  EXPECT_EQ(path.segmentLength(0, prep1, length), kErrBadCallbackParam);
  EXPECT_EQ(path.evaluateAt(1, prep0, 0.0, p), kErrBadCallbackParam);
  EXPECT_EQ(path.evaluateAt(-1, prep0, 0.0, p), kErrBadCallbackParam);
  EXPECT_EQ(path.releaseSegment(0, nullptr), kErrBadCallbackParam);
}

TEST(StraightSegmentPath, PolylineJoinsPointsAndClosesOnRequest) {
  const std::vector<StraightSegmentPath::Point> points{{0, 0}, {3, 0}, {3, 4}};
  struct Case {
    const char* name;
    bool closed;
    std::int32_t count;
    double last_length;
  };
  const Case cases[] = {{"open", false, 2, 4.0}, {"closed", true, 3, 5.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StraightSegmentPath path = StraightSegmentPath::Polyline(points, c.closed);
    std::int32_t count = 0;
    ASSERT_EQ(path.segmentCount(count), kErrNone);
    ASSERT_EQ(count, c.count);
    SegmentPrep prep = nullptr;
    double length = 0.0;
    ASSERT_EQ(path.prepareSegment(count - 1, 100, prep), kErrNone);
    ASSERT_EQ(path.segmentLength(count - 1, prep, length), kErrNone);
    EXPECT_EQ(length, c.last_length);
  }
}

}  // namespace
}  // namespace boxwander

namespace boxwander {
namespace {

// The stretch is exact: its ends are the first and last whole arc lengths whose point lands
// inside the image, checked against evaluating every sample of seeded random segments.
TEST(StraightSegmentPath, ReachableStretchIsExact) {
  constexpr std::int32_t kW = 30;
  constexpr std::int32_t kH = 20;
  std::mt19937 random(1234);
  std::uniform_real_distribution<double> coordinate(-60.0, 90.0);
  std::vector<StraightSegmentPath::Segment> segments;
  for (int i = 0; i < 400; ++i) {
    segments.push_back(
        {coordinate(random), coordinate(random), coordinate(random), coordinate(random)});
  }
  // Axis-parallel, on the boundaries, a point, and far away.
  segments.push_back({-1.0, 5.0, -1.0, 15.0});
  segments.push_back({-0.75, -3.0, -0.75, 25.0});
  segments.push_back({40.0, 19.999, -9.0, 19.999});
  segments.push_back({4.0, 4.0, 4.0, 4.0});
  segments.push_back({-4.0, 4.0, -4.0, 4.0});
  segments.push_back({1e9, 5.5, -1e9, 5.5});
  segments.push_back({5.5, -3e12, 5.5 + 1e-6, 3e12});
  StraightSegmentPath path(segments);
  for (std::int32_t s = 0; s < static_cast<std::int32_t>(segments.size()); ++s) {
    SCOPED_TRACE(s);
    SegmentPrep prep = nullptr;
    ASSERT_EQ(path.prepareSegment(s, 100, prep), kErrNone);
    double length = 0.0;
    ASSERT_EQ(path.segmentLength(s, prep, length), kErrNone);
    ArcStretch stretch;
    ASSERT_TRUE(path.reachableStretch(s, prep, kW, kH, stretch));
    const auto inside = [&](double t) {
      PathPoint p;
      path.evaluateAt(s, prep, t, p);
      const std::int32_t ix = TruncateToInt32(p.x);
      const std::int32_t iy = TruncateToInt32(p.y);
      return ix >= 0 && ix < kW && iy >= 0 && iy < kH;
    };
    if (length > 1e6) {  // too long to walk here: the ends and their neighbours
      ASSERT_LE(stretch.from, stretch.to);
      EXPECT_TRUE(inside(stretch.from) && inside(stretch.to));
      EXPECT_FALSE(stretch.from > 0.0 && inside(stretch.from - 1.0));
      EXPECT_FALSE(stretch.to + 1.0 <= length && inside(stretch.to + 1.0));
      continue;
    }
    std::vector<double> ts;
    for (double t = 0.0; length >= t; t += 1.0) {
      if (inside(t)) {
        ts.push_back(t);
      }
    }
    if (ts.empty()) {
      EXPECT_GT(stretch.from, stretch.to);
    } else {
      EXPECT_EQ(stretch.from, ts.front());
      EXPECT_EQ(stretch.to, ts.back());
    }
  }
}

}  // namespace
}  // namespace boxwander
