#include "geometry/straight_path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

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
