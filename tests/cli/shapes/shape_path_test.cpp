#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "cli/shapes/cubic_arc_length.h"
#include "cli/shapes/mask_shape.h"
#include "cli/shapes/shape_path.h"
#include "common/truncate.h"
#include "geometry/coverage_map.h"
#include "geometry/path_walk.h"
#include "geometry/straight_path.h"

namespace boxwander::shapes {
namespace {

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

ShapePoint Bezier(const ShapePiece& c, double u) {
  const double v = 1.0 - u;
  const double b0 = v * v * v, b1 = 3 * v * v * u, b2 = 3 * v * u * u, b3 = u * u * u;
  return {b0 * c.p0.x + b1 * c.p1.x + b2 * c.p2.x + b3 * c.p3.x,
          b0 * c.p0.y + b1 * c.p1.y + b2 * c.p2.y + b3 * c.p3.y};
}

// The curve as a polyline of many chords: an independent, finely integrated arc length.
struct Reference {
  std::vector<ShapePoint> points;
  std::vector<double> lengths;

  explicit Reference(const ShapePiece& c, int chords = 1 << 18) {
    points.push_back(c.p0);
    lengths.push_back(0.0);
    for (int i = 1; i <= chords; ++i) {
      const ShapePoint p = Bezier(c, static_cast<double>(i) / chords);
      lengths.push_back(lengths.back() + std::hypot(p.x - points.back().x, p.y - points.back().y));
      points.push_back(p);
    }
  }
  double length() const { return lengths.back(); }
  ShapePoint at(double s) const {
    std::size_t k = 1;
    while (k + 1 < lengths.size() && lengths[k] < s)
      ++k;
    const double span = lengths[k] - lengths[k - 1];
    const double f = span > 0 ? (s - lengths[k - 1]) / span : 0.0;
    return {points[k - 1].x + f * (points[k].x - points[k - 1].x),
            points[k - 1].y + f * (points[k].y - points[k - 1].y)};
  }
};

TEST(CubicArcLength, LengthAndPositionsFollowArcLength) {
  struct Case {
    const char* name;
    ShapePiece piece;
  };
  const Case cases[] = {
      {"quarter circle", {{100, 0}, {100, 55.228}, {55.228, 100}, {0, 100}}},
      {"s-curve", {{0, 0}, {300, -40}, {-100, 240}, {200, 200}}},
      {"cusp", {{0, 0}, {200, 100}, {0, 100}, {200, 0}}},
      {"loop", {{0, 0}, {300, 300}, {-100, 300}, {200, 0}}},
      // Handles along the chord: a straight line whose parameter runs very unevenly.
      {"uneven line", {{0, 0}, {290, 0}, {295, 0}, {300, 0}}},
      {"zero start handle", {{10, 10}, {10, 10}, {80, -40}, {120, 60}}},
      {"tiny", {{5, 5}, {5.2, 5.1}, {5.3, 5.3}, {5.5, 5.2}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CubicArcLength curve(c.piece);
    const Reference ref(c.piece);
    EXPECT_NEAR(curve.length(), ref.length(), 1e-4);
    for (int i = 0; i <= 40; ++i) {
      const double s = ref.length() * i / 40.0;
      const PathPoint p = curve.evaluate(s);
      const ShapePoint expected = ref.at(s);
      ASSERT_NEAR(std::hypot(p.x - expected.x, p.y - expected.y), 0.0, 1e-3) << "s = " << s;
      // The direction points along the travel: toward a point a little further on.
      // (At a cusp the travel reverses and no direction is the right one.)
      const ShapePoint ahead = ref.at(std::min(s + 1e-3, ref.length()));
      const ShapePoint behind = ref.at(std::max(s - 1e-3, 0.0));
      const double fx = ahead.x - expected.x, fy = ahead.y - expected.y;
      const double bx = expected.x - behind.x, by = expected.y - behind.y;
      if (fx * bx + fy * by < 0.0)
        continue;
      const double tx = fx + bx, ty = fy + by;
      const double norm = std::hypot(p.dx, p.dy) * std::hypot(tx, ty);
      ASSERT_GT(norm, 0.0) << "s = " << s;
      EXPECT_GT((p.dx * tx + p.dy * ty) / norm, 0.99) << "s = " << s;
    }
  }
}

TEST(CubicArcLength, EndsAreTheEndPointsExactly) {
  const ShapePiece piece{{0.1, 0.2}, {40.3, -7}, {80, 90.7}, {120.9, 30.3}};
  const CubicArcLength curve(piece);
  const PathPoint start = curve.evaluate(0.0);
  const PathPoint end = curve.evaluate(curve.length());
  EXPECT_EQ(start.x, 0.1);
  EXPECT_EQ(start.y, 0.2);
  EXPECT_EQ(end.x, 120.9);
  EXPECT_EQ(end.y, 30.3);
  // Beyond the ends the point stays at them.
  EXPECT_EQ(curve.evaluate(-5.0).x, 0.1);
  EXPECT_EQ(curve.evaluate(curve.length() + 5.0).x, 120.9);
}

TEST(CubicArcLength, UnmeasurablePiecesEndQuickly) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const ShapePiece pieces[] = {
      {{0, 0}, {nan, 0}, {1, 1}, {2, 2}},
      {{0, 0}, {inf, 0}, {1, 1}, {2, 2}},
      {{-1e308, 0}, {1e308, 1e308}, {-1e308, 1e308}, {1e308, 0}},
  };
  for (const ShapePiece& piece : pieces) {
    const CubicArcLength curve(piece);
    EXPECT_FALSE(std::isfinite(curve.length()));
  }
}

MaskShape MixedShape() {
  MaskShape shape;
  shape.closed = true;
  shape.vertices = {
      {{10.25, 50.5}, {}, {}},
      {{209.75, 50.5}, {}, {30, 0}},  // out handle: the piece after it is curved
      {{250, 150}, {0, -40}, {}},
      {{250, 150}, {}, {}},  // zero-length straight piece before it
      {{-20.5, 180.125}, {}, {}},
  };
  return shape;
}

TEST(ShapePath, StraightPiecesAreTheCoresStraightSegmentsBitForBit) {
  MaskShape shape = MixedShape();
  ShapePath path(shape);
  std::int32_t count = 0;
  ASSERT_EQ(path.segmentCount(count), kErrNone);
  ASSERT_EQ(count, 5);
  for (std::int32_t s = 0; s < count; ++s) {
    const ShapePiece piece = PieceOf(shape, s);
    SCOPED_TRACE(s);
    EXPECT_EQ(piece.straight, s != 1);
    if (!piece.straight)
      continue;
    StraightSegmentPath core({{piece.p0.x, piece.p0.y, piece.p3.x, piece.p3.y}});
    SegmentPrep mine = nullptr, theirs = nullptr;
    ASSERT_EQ(path.prepareSegment(s, 100, mine), kErrNone);
    ASSERT_EQ(core.prepareSegment(0, 100, theirs), kErrNone);
    double a = 0, b = 0;
    ASSERT_EQ(path.segmentLength(s, mine, a), kErrNone);
    ASSERT_EQ(core.segmentLength(0, theirs, b), kErrNone);
    EXPECT_TRUE(SameBits(a, b));
    for (double t = 0.0; t <= a; t += 1.0) {
      PathPoint p, q;
      ASSERT_EQ(path.evaluateAt(s, mine, t, p), kErrNone);
      ASSERT_EQ(core.evaluateAt(0, theirs, t, q), kErrNone);
      ASSERT_TRUE(SameBits(p.x, q.x) && SameBits(p.y, q.y) && SameBits(p.dx, q.dx) &&
                  SameBits(p.dy, q.dy))
          << "t = " << t;
    }
    EXPECT_EQ(path.releaseSegment(s, mine), kErrNone);
  }
  EXPECT_EQ(path.livePreparations(), 0u);
}

TEST(ShapePath, SegmentsFollowTheVerticesAndTheClosingPiece) {
  struct Case {
    const char* name;
    std::size_t vertices;
    bool closed;
    std::int32_t segments;
  };
  const Case cases[] = {
      {"empty", 0, true, 0},       {"one open", 1, false, 0},    {"one closed", 1, true, 1},
      {"three open", 3, false, 2}, {"three closed", 3, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MaskShape shape;
    shape.closed = c.closed;
    for (std::size_t i = 0; i < c.vertices; ++i) {
      shape.vertices.push_back({{10.0 * static_cast<double>(i), 5.0}, {}, {}});
    }
    ShapePath path(shape);
    std::int32_t count = -1;
    ASSERT_EQ(path.segmentCount(count), kErrNone);
    EXPECT_EQ(count, c.segments);
  }
  // The closing piece runs from the last vertex, with its out handle, to the first, with
  // its in handle.
  MaskShape shape;
  shape.closed = true;
  shape.vertices = {{{0, 0}, {-1, -2}, {3, 4}}, {{10, 0}, {5, 6}, {7, 8}}};
  const ShapePiece closing = PieceOf(shape, 1);
  EXPECT_EQ(closing.p0, (ShapePoint{10, 0}));
  EXPECT_EQ(closing.p1, (ShapePoint{17, 8}));
  EXPECT_EQ(closing.p2, (ShapePoint{-1, -2}));
  EXPECT_EQ(closing.p3, (ShapePoint{0, 0}));
  EXPECT_FALSE(closing.straight);
}

TEST(ShapePath, RefusesForeignAndStaleTokens) {
  ShapePath path(MixedShape());
  SegmentPrep curved = nullptr, straight = nullptr;
  ASSERT_EQ(path.prepareSegment(1, 100, curved), kErrNone);
  ASSERT_EQ(path.prepareSegment(0, 100, straight), kErrNone);
  double length = 0;
  PathPoint point;
  int unrelated = 0;
  EXPECT_EQ(path.segmentLength(0, curved, length), kErrBadCallbackParam);
  EXPECT_EQ(path.evaluateAt(1, straight, 0.0, point), kErrBadCallbackParam);
  EXPECT_EQ(path.evaluateAt(1, &unrelated, 0.0, point), kErrBadCallbackParam);
  EXPECT_EQ(path.evaluateAt(1, curved, std::nan(""), point), kErrBadCallbackParam);
  SegmentPrep none = &unrelated;
  EXPECT_EQ(path.prepareSegment(5, 100, none), kErrBadCallbackParam);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(path.prepareSegment(-1, 100, none), kErrBadCallbackParam);
  EXPECT_EQ(path.livePreparations(), 2u);
  ASSERT_EQ(path.releaseSegment(1, curved), kErrNone);
  EXPECT_EQ(path.segmentLength(1, curved, length), kErrBadCallbackParam);
  EXPECT_EQ(path.releaseSegment(1, curved), kErrBadCallbackParam);
  EXPECT_EQ(path.livePreparations(), 1u);
  // The straight preparation is left for the path to free (the sanitizers watch this).
}

TEST(ShapePath, ScalingForDownsamplingScalesLengthsAndPoints) {
  const MaskShape full = MixedShape();
  const MaskShape half = ScaleShape(full, 0.5);
  ShapePath a(full), b(half);
  for (std::int32_t s = 0; s < 5; ++s) {
    SCOPED_TRACE(s);
    SegmentPrep pa = nullptr, pb = nullptr;
    ASSERT_EQ(a.prepareSegment(s, 100, pa), kErrNone);
    ASSERT_EQ(b.prepareSegment(s, 100, pb), kErrNone);
    double la = 0, lb = 0;
    ASSERT_EQ(a.segmentLength(s, pa, la), kErrNone);
    ASSERT_EQ(b.segmentLength(s, pb, lb), kErrNone);
    EXPECT_NEAR(lb, la * 0.5, 1e-9);
    PathPoint qa, qb;
    ASSERT_EQ(a.evaluateAt(s, pa, la * 0.5, qa), kErrNone);
    ASSERT_EQ(b.evaluateAt(s, pb, lb * 0.5, qb), kErrNone);
    EXPECT_NEAR(qb.x, qa.x * 0.5, 1e-6);
    EXPECT_NEAR(qb.y, qa.y * 0.5, 1e-6);
  }
}

// The same path, but unable to tell where its segments can reach the image.
class CannotTell final : public MaskPath {
 public:
  explicit CannotTell(MaskPath& inner) : inner_(inner) {}
  ErrorCode segmentCount(std::int32_t& count) override { return inner_.segmentCount(count); }
  ErrorCode prepareSegment(std::int32_t s, std::int32_t f, SegmentPrep& prep) override {
    return inner_.prepareSegment(s, f, prep);
  }
  ErrorCode segmentLength(std::int32_t s, SegmentPrep prep, double& length) override {
    return inner_.segmentLength(s, prep, length);
  }
  ErrorCode evaluateAt(std::int32_t s, SegmentPrep prep, double t, PathPoint& p) override {
    ++evaluations;
    return inner_.evaluateAt(s, prep, t, p);
  }
  ErrorCode releaseSegment(std::int32_t s, SegmentPrep prep) override {
    return inner_.releaseSegment(s, prep);
  }
  std::int64_t evaluations = 0;

 private:
  MaskPath& inner_;
};

std::vector<RectRecord> ChainOf(MaskPath& path, std::int32_t w, std::int32_t h) {
  RandomGenerator width_rng;
  RandomGenerator ratio_rng;
  SeedForRender(width_rng, 7);
  SeedForRender(ratio_rng, 107);
  CoverageMap map;
  RectList rects;
  const WalkResult r =
      WalkPath(path, {6, 0.2, 1.0, 0.5, {}}, w, h, &map, width_rng, ratio_rng, rects, kErrNone);
  EXPECT_EQ(r.error, kErrNone);
  std::vector<RectRecord> records;
  for (const RectNode* n = rects.first(); n != nullptr; n = n->next) {
    records.push_back(n->record);
  }
  return records;
}

// Curved pieces bound their reach conservatively: every sample that lands inside the image
// lies in the stretch, so the walk places the chain of a walk of every sample.
TEST(ShapePath, CurvesKeepEverySampleThatReachesTheImage) {
  constexpr std::int32_t kW = 40;
  constexpr std::int32_t kH = 30;
  std::mt19937 random(99);
  std::uniform_real_distribution<double> coordinate(-120.0, 160.0);
  for (int i = 0; i < 60; ++i) {
    SCOPED_TRACE(i);
    MaskShape shape;
    for (int v = 0; v < 3; ++v) {
      shape.vertices.push_back({{coordinate(random), coordinate(random)},
                                {coordinate(random) * 0.5, coordinate(random) * 0.5},
                                {coordinate(random) * 0.5, coordinate(random) * 0.5}});
    }
    ShapePath path(shape);
    for (std::int32_t s = 0; s < PieceCount(shape); ++s) {
      SegmentPrep prep = nullptr;
      ASSERT_EQ(path.prepareSegment(s, 100, prep), kErrNone);
      double length = 0.0;
      ASSERT_EQ(path.segmentLength(s, prep, length), kErrNone);
      ArcStretch stretch;
      ASSERT_TRUE(path.reachableStretch(s, prep, kW, kH, stretch));
      for (double t = 0.0; length >= t; t += 1.0) {
        PathPoint p;
        ASSERT_EQ(path.evaluateAt(s, prep, t, p), kErrNone);
        const std::int32_t ix = TruncateToInt32(p.x);
        const std::int32_t iy = TruncateToInt32(p.y);
        if (ix >= 0 && ix < kW && iy >= 0 && iy < kH) {
          EXPECT_TRUE(t >= stretch.from && t <= stretch.to) << s << " at " << t;
        }
      }
      ASSERT_EQ(path.releaseSegment(s, prep), kErrNone);
    }
    CannotTell everything(path);
    EXPECT_EQ(ChainOf(path, kW, kH), ChainOf(everything, kW, kH));
  }
}

// A curve two billion pixels long that crosses the image is evaluated near the image only.
TEST(ShapePath, FarAwayCurveCostsItsVisiblePart) {
  MaskShape shape;
  shape.vertices = {{{1e9, 5.0}, {}, {-3e8, 40.0}}, {{-1e9, 25.0}, {3e8, -40.0}, {}}};
  ShapePath path(shape);
  CannotTell counting(path);
  struct Reaching final : MaskPath {
    CannotTell& inner;
    ShapePath& shape;
    Reaching(CannotTell& i, ShapePath& s) : inner(i), shape(s) {}
    ErrorCode segmentCount(std::int32_t& c) override { return inner.segmentCount(c); }
    ErrorCode prepareSegment(std::int32_t s, std::int32_t f, SegmentPrep& p) override {
      return inner.prepareSegment(s, f, p);
    }
    ErrorCode segmentLength(std::int32_t s, SegmentPrep p, double& l) override {
      return inner.segmentLength(s, p, l);
    }
    ErrorCode evaluateAt(std::int32_t s, SegmentPrep p, double t, PathPoint& pt) override {
      return inner.evaluateAt(s, p, t, pt);
    }
    ErrorCode releaseSegment(std::int32_t s, SegmentPrep p) override {
      return inner.releaseSegment(s, p);
    }
    bool reachableStretch(std::int32_t s, SegmentPrep p, std::int32_t w, std::int32_t h,
                          ArcStretch& st) override {
      return shape.reachableStretch(s, p, w, h, st);
    }
  } reaching(counting, path);
  EXPECT_FALSE(ChainOf(reaching, 1920, 1080).empty());
  EXPECT_LT(counting.evaluations, 10000);
}

}  // namespace
}  // namespace boxwander::shapes
