#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/paths/svg_path_data.h"

namespace boxwander::cli {
namespace {

using shapes::MaskShape;
using shapes::MaskVertex;
using shapes::ShapePoint;

TEST(SvgPathData, MalformedDataIsReportedWhereItGoesWrong) {
  struct Case {
    const char* data;
    std::size_t offset;
    const char* says;
  };
  const Case cases[] = {
      {"", 0, "empty"},
      {"   ", 3, "empty"},
      {"L 10 10", 0, "moveto"},
      {"M 10", 4, "expected a number, found the end"},
      {"M 10 10 L 20 x", 13, "found 'x'"},
      {"M 10 10 X 5", 8, "expected a path command"},
      {"M 10 10 L 5 5,,6 6", 14, "expected a path command"},
      {"M 0 0 Z 5 5", 8, "expected a path command"},
      {"M 1e 2", 4, "exponent"},
      {"M 1. .", 5, "number"},
      {"M 0 0 A 5 5 0 2 0 10 10", 14, "flag"},
      {"M 1e999 0", 2, "out of range"},
      {"M 0 0 L 1e308 0 l 1e308 0", 16, "out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    try {
      ParseSvgPathData(c.data);
      ADD_FAILURE() << "accepted";
    } catch (const PathDataError& e) {
      EXPECT_EQ(e.offset(), c.offset) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

void ExpectShapesNear(const std::vector<MaskShape>& actual,
                      const std::vector<MaskShape>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t s = 0; s < actual.size(); ++s) {
    EXPECT_EQ(actual[s].closed, expected[s].closed) << "shape " << s;
    ASSERT_EQ(actual[s].vertices.size(), expected[s].vertices.size()) << "shape " << s;
    for (std::size_t i = 0; i < actual[s].vertices.size(); ++i) {
      const MaskVertex& a = actual[s].vertices[i];
      const MaskVertex& e = expected[s].vertices[i];
      const ShapePoint pa[] = {a.position, a.in, a.out};
      const ShapePoint pe[] = {e.position, e.in, e.out};
      for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(pa[k].x, pe[k].x, 1e-9) << "shape " << s << " vertex " << i << " part " << k;
        EXPECT_NEAR(pa[k].y, pe[k].y, 1e-9) << "shape " << s << " vertex " << i << " part " << k;
      }
    }
  }
}

TEST(SvgPathData, CommandsBecomeVerticesAndHandles) {
  struct Case {
    const char* data;
    std::vector<MaskShape> expected;
  };
  const MaskShape square{
      {{{10, 20}, {}, {}}, {{30, 40}, {}, {}}, {{50, 40}, {}, {}}, {{50, 60}, {}, {}}}, true};
  const Case cases[] = {
      {"M10 20 L30 40 H50 V60 Z", {square}},
      {"m10 20 l20 20 h20 v20 z", {square}},
      // Implicit linetos after a moveto; numbers run together where the grammar allows.
      {"M0,0l10-5.5.5e1,1",
       {{{{{0, 0}, {}, {}}, {{10, -5.5}, {}, {}}, {{15, -4.5}, {}, {}}}, false}}},
      // S reflects the previous second control point.
      {"M0 0 C 10 0 20 10 20 20 S 30 40 40 40",
       {{{{{0, 0}, {}, {10, 0}}, {{20, 20}, {0, -10}, {0, 10}}, {{40, 40}, {-10, 0}, {}}}, false}}},
      // Quadratics are raised to cubics; T reflects the previous quadratic control.
      {"M0 0 Q 30 0 30 30 T 60 60",
       {{{{{0, 0}, {}, {20, 0}}, {{30, 30}, {0, -20}, {0, 20}}, {{60, 60}, {-20, 0}, {}}}, false}}},
      // A closing point on the start merges with it, keeping its in handle.
      {"M 0 0 L 10 0 C 10 5 5 10 0 10 C -5 10 0 5 0 0 Z",
       {{{{{0, 0}, {0, 5}, {}}, {{10, 0}, {}, {0, 5}}, {{0, 10}, {5, 0}, {-5, 0}}}, true}}},
      // Subpaths; a lone moveto draws nothing; a command after Z starts at the start point.
      {"M 0 0 L 10 0 M 5 5 M 20 20 L 30 30 Z L 40 20",
       {{{{{0, 0}, {}, {}}, {{10, 0}, {}, {}}}, false},
        {{{{20, 20}, {}, {}}, {{30, 30}, {}, {}}}, true},
        {{{{20, 20}, {}, {}}, {{40, 20}, {}, {}}}, false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    ExpectShapesNear(ParseSvgPathData(c.data), c.expected);
  }
}

ShapePoint Midpoint(const MaskVertex& a, const MaskVertex& b) {
  const ShapePoint p1{a.position.x + a.out.x, a.position.y + a.out.y};
  const ShapePoint p2{b.position.x + b.in.x, b.position.y + b.in.y};
  return {0.125 * a.position.x + 0.375 * p1.x + 0.375 * p2.x + 0.125 * b.position.x,
          0.125 * a.position.y + 0.375 * p1.y + 0.375 * p2.y + 0.125 * b.position.y};
}

TEST(SvgPathData, ArcsBecomeQuarterCubicsOnTheEllipse) {
  struct Case {
    const char* data;
    std::size_t vertices;
    ShapePoint centre;
    double radius;
    ShapePoint passes;  // a vertex the arc must pass through
  };
  const Case cases[] = {
      {"M 0 0 A 50 50 0 0 1 100 0", 3, {50, 0}, 50, {50, -50}},
      {"M 0 0 A 50 50 0 0 0 100 0", 3, {50, 0}, 50, {50, 50}},
      // Radii too small for the end points grow until they fit.
      {"M 0 0 a 1 1 0 0 1 100 0", 3, {50, 0}, 50, {50, -50}},
      // The large arc of two: three quarter turns.
      {"M 0 0 A 50 50 0 1 1 50 50", 4, {50, 0}, 50, {100, 0}},
      // An ellipse turned by 90 degrees: its 20-pixel radius lies along x.
      {"M 0 0 A 50 20 90 0 1 0 100", 3, {0, 50}, 0, {20, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    const auto shapes = ParseSvgPathData(c.data);
    ASSERT_EQ(shapes.size(), 1u);
    const auto& v = shapes[0].vertices;
    ASSERT_EQ(v.size(), c.vertices);
    bool passes = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
      passes = passes || (std::abs(v[i].position.x - c.passes.x) < 1e-9 &&
                          std::abs(v[i].position.y - c.passes.y) < 1e-9);
      if (c.radius > 0 && i + 1 < v.size()) {
        const ShapePoint m = Midpoint(v[i], v[i + 1]);
        // A quarter-turn cubic strays from the circle by under 0.03 % of the radius.
        EXPECT_NEAR(std::hypot(m.x - c.centre.x, m.y - c.centre.y), c.radius, 3e-4 * c.radius);
      }
    }
    EXPECT_TRUE(passes);
  }
  // Degenerate arcs: zero radius is a line, an arc to its own start is left out.
  ExpectShapesNear(ParseSvgPathData("M 0 0 A 0 5 0 0 1 10 0 A 5 5 0 0 1 10 0"),
                   {{{{{0, 0}, {}, {}}, {{10, 0}, {}, {}}}, false}});
}

}  // namespace
}  // namespace boxwander::cli
