#include "minihost/path_store.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/straight_path.h"
#include "minihost/scaled_path.h"

namespace boxwander::minihost {
namespace {

std::shared_ptr<MaskPath> Line(double x0, double y0, double x1, double y1) {
  return std::make_shared<StraightSegmentPath>(
      std::vector<StraightSegmentPath::Segment>{{x0, y0, x1, y1}});
}

class PathStoreTest : public ::testing::Test {
 protected:
  PF_PathOutlinePtr checkout(PF_PathID id, double scale = 1.0) {
    PF_PathOutlinePtr path = nullptr;
    EXPECT_EQ(store.checkout(id, {}, scale, scale, &path), PF_Err_NONE);
    return path;
  }
  Ledger ledger;
  PathStore store{ledger};
};

TEST_F(PathStoreTest, WalkingAPathLeavesNothingOut) {
  store.set(3, Line(10, 20, 40, 60));
  PF_PathOutlinePtr path = checkout(3);
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(ledger.livePaths(), 1u);
  std::int32_t count = 0;
  ASSERT_EQ(store.numSegments(path, &count), PF_Err_NONE);
  EXPECT_EQ(count, 1);
  PF_PathSegPrepPtr prep = nullptr;
  ASSERT_EQ(store.prepare(path, 0, 100, &prep), PF_Err_NONE);
  double length = 0;
  ASSERT_EQ(store.length(path, 0, &prep, &length), PF_Err_NONE);
  EXPECT_EQ(length, 50.0);
  double x, y, dx, dy;
  ASSERT_EQ(store.eval(path, &prep, 0, 25.0, &x, &y, &dx, &dy), PF_Err_NONE);
  EXPECT_EQ(x, 25.0);
  EXPECT_EQ(y, 40.0);
  ASSERT_EQ(store.cleanup(path, 0, &prep), PF_Err_NONE);
  EXPECT_EQ(prep, nullptr);
  ASSERT_EQ(store.checkin(3, path), PF_Err_NONE);
  EXPECT_EQ(ledger.livePaths(), 0u);
  EXPECT_TRUE(ledger.misbehaviours().empty());
}

TEST_F(PathStoreTest, AMaskThatIsNotThereGivesNoPathAndNoError) {
  store.set(1, PathSource([](const HostTime& t) {
              return t.value < 10 ? Line(0, 0, 1, 1) : std::shared_ptr<MaskPath>();
            }));
  for (const PF_PathID id : {0, 2}) {
    EXPECT_EQ(checkout(id), nullptr) << id;
  }
  PF_PathOutlinePtr path = nullptr;
  EXPECT_EQ(store.checkout(1, {10, 1, 30}, 1, 1, &path), PF_Err_NONE);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(store.checkin(1, nullptr), PF_Err_NONE);
  EXPECT_EQ(ledger.pathCheckouts(), 0);
  EXPECT_TRUE(ledger.misbehaviours().empty());
}

TEST_F(PathStoreTest, MisuseIsRecordedAndLeftoversAreCleanedAtCheckin) {
  store.set(1, Line(0, 0, 10, 0));
  PF_PathOutlinePtr path = checkout(1);
  PF_PathSegPrepPtr prep = nullptr;
  ASSERT_EQ(store.prepare(path, 0, 100, &prep), PF_Err_NONE);
  PF_PathSegPrepPtr stranger = reinterpret_cast<PF_PathSegPrepPtr>(&prep);
  double length = 0;
  struct Case {
    const char* name;
    PF_Err err;
    const char* recorded;
  };
  const Case cases[] = {
      {"segment out of range", store.prepare(path, 1, 100, &stranger), "of segment 1 of 1"},
      {"foreign preparation", store.length(path, 0, &stranger, &length), "did not make"},
      {"wrong segment", store.length(path, 1, &prep, &length), "with the preparation of segment 0"},
      {"foreign path", store.numSegments(reinterpret_cast<PF_PathOutlinePtr>(&prep), nullptr),
       "not checked out"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].err, PF_Err_BAD_CALLBACK_PARAM) << cases[i].name;
    ASSERT_GT(ledger.misbehaviours().size(), i);
    EXPECT_NE(ledger.misbehaviours()[i].find(cases[i].recorded), std::string::npos)
        << cases[i].name << ": " << ledger.misbehaviours()[i];
  }
  ledger.clearMisbehaviour();
  EXPECT_EQ(store.checkin(2, path), PF_Err_NONE);
  ASSERT_EQ(ledger.misbehaviours().size(), 2u);
  EXPECT_NE(ledger.misbehaviours()[0].find("under id 2"), std::string::npos);
  EXPECT_NE(ledger.misbehaviours()[1].find("1 segment preparations not cleaned up"),
            std::string::npos);
  EXPECT_EQ(store.livePreparations(), 0u);
  EXPECT_EQ(store.checkin(1, path), PF_Err_BAD_CALLBACK_PARAM);  // already back
}

TEST_F(PathStoreTest, ADownsampledCheckoutIsTheScaledPath) {
  auto source = Line(10, 20, 40, 60);
  store.set(1, source);
  PF_PathOutlinePtr path = checkout(1, 0.5);
  ScaledPath expected(source, 0.5, 0.5);
  PF_PathSegPrepPtr prep = nullptr;
  SegmentPrep expectedPrep = nullptr;
  ASSERT_EQ(store.prepare(path, 0, 100, &prep), PF_Err_NONE);
  ASSERT_EQ(expected.prepareSegment(0, 100, expectedPrep), kErrNone);
  double length = 0;
  double expectedLength = 0;
  store.length(path, 0, &prep, &length);
  expected.segmentLength(0, expectedPrep, expectedLength);
  EXPECT_EQ(length, 25.0);
  EXPECT_EQ(length, expectedLength);
  for (double t = 0.0; t <= length; t += 1.0) {
    double x, y, dx, dy;
    PathPoint p;
    store.eval(path, &prep, 0, t, &x, &y, &dx, &dy);
    expected.evaluateAt(0, expectedPrep, t, p);
    EXPECT_EQ(x, p.x);
    EXPECT_EQ(y, p.y);
    EXPECT_NEAR(x, 5.0 + t * 0.6, 1e-12);
  }
  expected.releaseSegment(0, expectedPrep);
  store.cleanup(path, 0, &prep);
  store.checkin(1, path);
}

TEST_F(PathStoreTest, AScaledSourceIsServedAsItGivesItsPath) {
  const double third = 1.0 / 3.0;
  std::vector<std::pair<double, double>> asked;
  store.setScaled(2, [&](const HostTime&, double sx, double sy) {
    asked.emplace_back(sx, sy);
    return Line(31 * sx, 7 * sy, 95 * sx, 58 * sy);
  });
  PF_PathOutlinePtr path = checkout(2, third);
  ASSERT_EQ(asked, (std::vector<std::pair<double, double>>{{third, third}}));
  // Not rescaled by the host: the very arithmetic of the path the source built.
  StraightSegmentPath expected({{31 * third, 7 * third, 95 * third, 58 * third}});
  PF_PathSegPrepPtr prep = nullptr;
  SegmentPrep expectedPrep = nullptr;
  ASSERT_EQ(store.prepare(path, 0, 100, &prep), PF_Err_NONE);
  ASSERT_EQ(expected.prepareSegment(0, 100, expectedPrep), kErrNone);
  for (const double t : {0.0, 1.0, 7.0, 20.0}) {
    double x, y, dx, dy;
    PathPoint p;
    store.eval(path, &prep, 0, t, &x, &y, &dx, &dy);
    expected.evaluateAt(0, expectedPrep, t, p);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(p.x, p.y)) << t;
  }
  expected.releaseSegment(0, expectedPrep);
  store.cleanup(path, 0, &prep);
  store.checkin(2, path);
  EXPECT_TRUE(ledger.misbehaviours().empty());
}

TEST(ScaledPathTest, UnevenScalesMeasureTheScaledCurve) {
  ScaledPath path(Line(0, 0, 30, 80), 1.0, 0.25);  // scaled: (0, 0) to (30, 20)
  SegmentPrep prep = nullptr;
  ASSERT_EQ(path.prepareSegment(0, 100, prep), kErrNone);
  double length = 0;
  path.segmentLength(0, prep, length);
  EXPECT_NEAR(length, std::hypot(30.0, 20.0), 1e-9);
  PathPoint p;
  path.evaluateAt(0, prep, length / 2, p);
  EXPECT_NEAR(p.x, 15.0, 1e-9);
  EXPECT_NEAR(p.y, 10.0, 1e-9);
  EXPECT_NEAR(p.dy / p.dx, 20.0 / 30.0, 1e-12);
  path.evaluateAt(0, prep, length + 5, p);  // past the end: the end
  EXPECT_NEAR(p.x, 30.0, 1e-9);
  path.releaseSegment(0, prep);
  EXPECT_THROW(ScaledPath(Line(0, 0, 1, 1), 0.0, 1.0), std::invalid_argument);
}

}  // namespace
}  // namespace boxwander::minihost
