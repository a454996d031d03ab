#include <gtest/gtest.h>

#include <unistd.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "cli/paths/svg_drawing.h"
#include "cli/paths/svg_listing.h"
#include "cli/paths/svg_mask_pick.h"
#include "cli/paths/svg_transform.h"
#include "cli/paths/svg_viewport.h"
#include "tests/cli/failure_of.h"

namespace boxwander::cli {
namespace {

using shapes::MaskShape;
using shapes::ShapePoint;

std::string Svg(const std::string& body, const std::string& attributes = "") {
  return "<svg xmlns='http://www.w3.org/2000/svg' " + attributes + ">" + body + "</svg>";
}

void ExpectNear(ShapePoint got, ShapePoint want) {
  EXPECT_NEAR(got.x, want.x, 1e-9);
  EXPECT_NEAR(got.y, want.y, 1e-9);
}

TEST(SvgDocument, ReadsWhatXmlAllowsAroundTheShapes) {
  struct Case {
    const char* name;
    std::string document;
  };
  const Case cases[] = {
      {"entities and references",
       "<?xml version='1.0'?><!DOCTYPE svg [<!ENTITY ns 'http://www.w3.org/2000/svg'>"
       "<!ENTITY start 'M 1 2'>]><svg xmlns='&ns;'><path d='&start;&#32;L&#x20;3 4'/></svg>"},
      {"comments, CDATA and other namespaces",
       "<svg xmlns='http://www.w3.org/2000/svg' xmlns:x='urn:x'><!-- <path d='M 9 9 L 8 8'/> -->"
       "<style><![CDATA[ path { stroke: red } <path d='M 9 9 L 8 8'/> ]]></style>"
       "<x:path d='M 9 9 L 8 8'/><x:g><path d='M 9 9 L 8 8'/></x:g>"
       "<path d='M 1 2 L 3 4'/></svg>"},
      {"svg: prefix",
       "<svg:svg xmlns:svg='http://www.w3.org/2000/svg'><svg:g>"
       "<svg:path d='M 1 2 L 3 4'/></svg:g></svg:svg>"},
      {"no namespace", "<svg><path d='M 1 2 L 3 4'/></svg>"},
  };
  const MaskShape line{{{{1, 2}, {}, {}}, {{3, 4}, {}, {}}}, false};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SvgDrawing drawing = ReadSvgDrawing(c.document);
    ASSERT_EQ(drawing.shapes.size(), 1u);
    EXPECT_EQ(drawing.shapes[0].subpaths, std::vector<MaskShape>{line});
  }
}

TEST(SvgDocument, LoadsNothingFromOutsideAndBoundsEntityExpansion) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("boxwander-svg-entities-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string outside = (dir / "outside.xml").string();
  std::ofstream(outside) << "<path d='M 9 9 L 8 8'/>";
  // An external entity in content is skipped, never read.
  const SvgDrawing drawing =
      ReadSvgDrawing("<!DOCTYPE svg [<!ENTITY outside SYSTEM 'file://" + outside + "'>]>" +
                     Svg("&outside;<path d='M 1 2 L 3 4'/>"));
  ASSERT_EQ(drawing.shapes.size(), 1u);
  EXPECT_EQ(drawing.shapes[0].subpaths[0].vertices[0].position, (ShapePoint{1, 2}));
  EXPECT_NE(FailureOf([&] {
              ReadSvgDrawing("<!DOCTYPE svg [<!ENTITY outside SYSTEM 'file://" + outside + "'>]>" +
                             Svg("<path d='&outside;'/>"));
            }).find("external entity"),
            std::string::npos);
  std::filesystem::remove_all(dir);

  std::string laughs = "<!DOCTYPE svg [<!ENTITY a0 'M 0 0 L 1 1 '>";
  for (int i = 1; i < 12; ++i) {
    const std::string prev = "&a" + std::to_string(i - 1) + ";";
    laughs += "<!ENTITY a" + std::to_string(i) + " '" + prev + prev + prev + prev + prev + prev +
              prev + prev + prev + prev + "'>";
  }
  laughs += "]>" + Svg("<path d='&a11;'/>");
  EXPECT_NE(FailureOf([&] { ReadSvgDrawing(laughs); }).find("XML"), std::string::npos);
}

TEST(SvgTransform, EachKindMapsAPointAsSvgDefinesIt) {
  struct Case {
    const char* text;
    ShapePoint to;  // where (10, 20) goes
  };
  const double r = std::sqrt(0.5);
  const Case cases[] = {
      {"", {10, 20}},
      {"translate(3)", {13, 20}},
      {"translate(3,-4)", {13, 16}},
      {"scale(2)", {20, 40}},
      {"scale(2 -1)", {20, -20}},
      {"rotate(90)", {-20, 10}},
      {"rotate(90 10 0)", {-10, 0}},
      {"rotate(-45,0,0)", {10 * r + 20 * r, -10 * r + 20 * r}},
      {"skewX(45)", {30, 20}},
      {"skewY(45)", {10, 30}},
      {"matrix(1 2 3 4 5 6)", {75, 106}},
      {"matrix(1,2,3,4,5,6)", {75, 106}},
      // The rightmost transform applies first.
      {"translate(1 1) scale(2)", {21, 41}},
      {" scale(2),translate(1 1) ", {22, 42}},
      {"scale(2)translate(1e1,-.5E1)", {40, 30}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ExpectNear(ParseTransformList(c.text).apply({10, 20}), c.to);
  }
}

TEST(SvgViewport, ViewBoxMapsAsPreserveAspectRatioSays) {
  struct Case {
    const char* aspect;
    ShapePoint origin;  // where the viewBox's (10, 20) corner goes
    ShapePoint scale;
  };
  // A 100 x 50 box into a 400 x 100 viewport: meet scales by 2, slice by 4.
  const Case cases[] = {
      {"", {100, 0}, {2, 2}},
      {"xMinYMin", {0, 0}, {2, 2}},
      {"xMaxYMax meet", {200, 0}, {2, 2}},
      {"xMidYMid slice", {0, -50}, {4, 4}},
      {"xMinYMax slice", {0, -100}, {4, 4}},
      {"none", {0, 0}, {4, 2}},
      {"defer xMinYMin", {0, 0}, {2, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.aspect);
    const Affine m = ViewBoxTransform({10, 20, 100, 50}, 0, 0, 400, 100, c.aspect);
    ExpectNear(m.apply({10, 20}), c.origin);
    ExpectNear(m.apply({11, 21}), {c.origin.x + c.scale.x, c.origin.y + c.scale.y});
  }
  EXPECT_NE(FailureOf([] { ViewBoxTransform({0, 0, 1, 1}, 0, 0, 1, 1, "xMidYMid fit"); }), "");
  EXPECT_NE(FailureOf([] { ParseViewBox("0 0 10"); }), "");
  EXPECT_NE(FailureOf([] { ParseViewBox("0 0 -1 10"); }), "");
  EXPECT_NEAR(ParseLength("1in", {}, LengthAxis::kHorizontal), 96.0, 1e-12);
  EXPECT_NEAR(ParseLength(" 25.4mm", {}, LengthAxis::kHorizontal), 96.0, 1e-12);
  EXPECT_NEAR(ParseLength("50%", {300, 200}, LengthAxis::kVertical), 100.0, 1e-12);
  EXPECT_NE(FailureOf([] { ParseLength("3furlongs", {}, LengthAxis::kHorizontal); }), "");
}

TEST(SvgDrawing, RootSizeAndViewBoxGiveLayerPixels) {
  struct Case {
    const char* attributes;
    ShapePoint layer;
    ShapePoint to;  // where user point (10, 20) lands
  };
  const Case cases[] = {
      {"width='100' height='50'", {100, 50}, {10, 20}},
      {"viewBox='0 0 200 100'", {200, 100}, {10, 20}},
      {"width='400' viewBox='0 10 200 100'", {400, 200}, {20, 20}},
      {"width='2in' height='1in' viewBox='10 20 100 50'", {192, 96}, {0, 0}},
      {"width='100%' height='100%' viewBox='0 0 30 40'", {30, 40}, {10, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    const SvgDrawing d = ReadSvgDrawing(Svg("<path d='M 10 20 L 30 20'/>", c.attributes));
    EXPECT_EQ(d.layer.width, c.layer.x);
    EXPECT_EQ(d.layer.height, c.layer.y);
    ExpectNear(d.shapes.at(0).subpaths.at(0).vertices[0].position, c.to);
  }
}

TEST(SvgDrawing, BasicShapesStartAndRunWhereSvgSays) {
  struct Case {
    const char* element;
    ShapePoint start, next;  // the first two vertices
    std::size_t vertices;
    bool closed;
  };
  const Case cases[] = {
      {"<rect x='1' y='2' width='10' height='5'/>", {1, 2}, {11, 2}, 4, true},
      {"<rect x='1' y='2' width='10' height='6' rx='2'/>", {3, 2}, {9, 2}, 8, true},
      // ry alone rounds both ways; each radius past half its side is clamped there.
      {"<rect x='0' y='0' width='10' height='6' ry='9'/>", {5, 0}, {10, 3}, 4, true},
      {"<circle cx='5' cy='6' r='2'/>", {7, 6}, {5, 8}, 4, true},
      {"<ellipse cx='5' cy='6' rx='3' ry='2'/>", {8, 6}, {5, 8}, 4, true},
      {"<ellipse cx='5' cy='6' ry='2'/>", {7, 6}, {5, 8}, 4, true},
      {"<line x1='1' y1='2' x2='3' y2='4'/>", {1, 2}, {3, 4}, 2, false},
      {"<polyline points='1,2 3,4 5,2'/>", {1, 2}, {3, 4}, 3, false},
      {"<polygon points='1 2,3 4,5 2'/>", {1, 2}, {3, 4}, 3, true},
      {"<path d='M 1 2 L 3 4 5 2 Z M 0 0 L 1 1'/>", {1, 2}, {3, 4}, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    const SvgDrawing d = ReadSvgDrawing(Svg(c.element));
    ASSERT_EQ(d.shapes.size(), 1u);
    const MaskShape& s = d.shapes[0].subpaths.at(0);
    ASSERT_EQ(s.vertices.size(), c.vertices);
    ExpectNear(s.vertices[0].position, c.start);
    ExpectNear(s.vertices[1].position, c.next);
    EXPECT_EQ(s.closed, c.closed);
  }
  // Shapes of no size draw nothing.
  EXPECT_TRUE(ReadSvgDrawing(Svg("<rect width='0' height='5'/><circle r='0'/><path d=''/>"))
                  .shapes.empty());
}

TEST(SvgDrawing, AMalformedShapeIsKeptWithItsReasonAndSpoilsNoOther) {
  const SvgDrawing d = ReadSvgDrawing(
      Svg("<polygon points='1 2 3'/><rect width='5.' height='5'/><g transform='scale(2'>"
          "<circle r='1'/></g><svg width='5x'><circle r='1'/></svg><line x2='1'/>"));
  const char* const reasons[] = {
      "<polygon> (line 1): points: an odd count of coordinates",
      "<rect> (line 1): width: '5.' is not a length",
      "<g> (line 1): transform, offset 7: expected ')', found the end of the list",
      "<svg> (line 1): '5x' is not a length (unknown unit)",
      "",
  };
  ASSERT_EQ(d.shapes.size(), std::size(reasons));
  for (std::size_t i = 0; i < std::size(reasons); ++i) {
    EXPECT_EQ(d.shapes[i].error, reasons[i]);
    EXPECT_EQ(d.shapes[i].subpaths.empty(), *reasons[i] != '\0');
  }
  EXPECT_EQ(FailureOf([&] { PickSvgMask(d, std::nullopt, "m.svg"); }),
            std::string(reasons[0]) +
                "; pick another shape with @m.svg#ID:N (boxwander info m.svg lists them)");
  EXPECT_EQ(FailureOf([&] { PickSvgMask(d, ParseSvgPick("3"), "m.svg"); }), reasons[2]);
  EXPECT_EQ(PickSvgMask(d, ParseSvgPick("5"), "m.svg").shape.vertices.size(), 2u);
}

TEST(SvgDrawing, CurvesStayCurvesUnderTransforms) {
  const SvgDrawing d =
      ReadSvgDrawing(Svg("<g transform='translate(5 0)'><path transform='scale(2 1) skewX(45)' "
                         "d='M 0 0 C 1 0 2 1 2 2'/></g>"));
  const MaskShape& s = d.shapes.at(0).subpaths.at(0);
  // Control points mapped: (x, y) -> (2 (x + y) + 5, y).
  ExpectNear(s.vertices[0].position, {5, 0});
  ExpectNear(s.vertices[0].out, {2, 0});  // (1, 0) - (0, 0)
  ExpectNear(s.vertices[1].position, {13, 2});
  ExpectNear(s.vertices[1].in, {-2, -1});  // (2, 1) - (2, 2) = (0, -1)
}

TEST(SvgMaskPick, PicksByIdNumberAndSubpathAndSaysWhatItChose) {
  const SvgDrawing d = ReadSvgDrawing(
      Svg("<defs><path id='kept' d='M 0 0 L 1 1'/></defs>"
          "<path id='a' d='M 0 0 L 1 0 M 5 5 L 6 5 M 7 7 L 8 8'/><rect width='2' height='2'/>"));
  struct Case {
    std::optional<SvgPick> pick;
    ShapePoint start;
    const char* note;  // a piece of it, or "" for none
  };
  const Case cases[] = {
      {std::nullopt,
       {0, 0},
       "m.svg: took subpath 1 of 3 of <path id=\"a\"> (line 1), the first "
       "of 2 drawn shapes; pick another with @m.svg#ID:N"},
      {ParseSvgPick("a"),
       {0, 0},
       "took subpath 1 of 3 of <path id=\"a\"> (line 1); pick another "
       "with @m.svg#a:N"},
      {ParseSvgPick("a:3"), {7, 7}, ""},
      {ParseSvgPick(":2"), {5, 5}, "took subpath 2 of <path id=\"a\"> (line 1), the first of 2"},
      {ParseSvgPick("2"), {0, 0}, ""},
      {ParseSvgPick("2:1"), {0, 0}, ""},
  };
  for (const Case& c : cases) {
    const PickedMask m = PickSvgMask(d, c.pick, "m.svg");
    ExpectNear(m.shape.vertices[0].position, c.start);
    if (*c.note == '\0') {
      EXPECT_EQ(m.note, "");
    } else {
      EXPECT_NE(m.note.find(c.note), std::string::npos) << m.note;
    }
  }
  struct Refusal {
    const char* pick;
    const char* says;
  };
  const Refusal refusals[] = {
      {"kept", "#kept: <path id=\"kept\"> (line 1) is inside <defs>, not drawn"},
      {"3", "#3: no element has this id, and the file draws 2 shapes"},
      {"b", "#b: no element has this id"},
      {"a:4", "has 3 subpaths; subpath 4 is out of range"},
      {"a:0", "numbered from 1"},
      {"a:", "expected a subpath number"},
      {"", "expected an id"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.pick);
    const std::string message = FailureOf([&] { PickSvgMask(d, ParseSvgPick(r.pick), "m.svg"); });
    EXPECT_NE(message.find(r.says), std::string::npos) << message;
  }
  const std::string listing = ListSvgShapes(d, "m.svg");
  for (const char* line : {"  #a  <path id=\"a\"> (line 1)\n",
                           "    #a:3  open, 1 pieces, from (7, 7)\n", "  #2  <rect> (line 1)\n",
                           "  #kept  <path id=\"kept\"> (line 1) is "
                           "inside <defs>, not drawn\n"}) {
    EXPECT_NE(listing.find(line), std::string::npos) << listing;
  }
}

}  // namespace
}  // namespace boxwander::cli
