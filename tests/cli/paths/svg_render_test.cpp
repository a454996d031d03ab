// SVG files written for the tests, drawn by rsvg-convert with every shape stroked in a
// colour of its own, against the chain the tool lays along the shape it reads from them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/io/image_io.h"
#include "tests/common/spawn.h"

namespace boxwander::cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string err;
};

// Runs a program found on PATH (or by its path), stderr kept, stdout dropped.
Outcome RunProgram(std::vector<std::string> args, const fs::path& errFile) {
  Outcome r;
  r.status = test::Run(std::move(args),
                       {.outFile = "/dev/null", .errFile = errFile.string(), .searchPath = true});
  std::stringstream text;
  text << std::ifstream(errFile).rdbuf();
  r.err = text.str();
  return r;
}

class SvgFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("boxwander-svg-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  Outcome tool(std::vector<std::string> args) const {
    args.insert(args.begin(), BOXWANDER_TOOL);
    return RunProgram(args, dir_ / "stderr.txt");
  }
  fs::path dir_;
};

struct Colour {
  int r, g, b;
};

// Whether the pixel is a solid part of the stroke of this colour (straight alpha).
bool Stroked(const Image& picture, int x, int y, Colour c) {
  if (x < 0 || y < 0 || x >= picture.width() || y >= picture.height())
    return false;
  const Pixel8 p = picture.pixels<Pixel8>()[std::int64_t{y} * picture.width() + x];
  return p.alpha >= 128 &&
         std::abs(p.red - c.r) + std::abs(p.green - c.g) + std::abs(p.blue - c.b) < 120;
}

struct Pick {
  const char* pick;  // after '#', or "" for the default choice
  Colour colour;
  bool wholeShape;  // its stroke is drawn by the picked subpath alone
};

class SvgDrawn : public SvgFiles {
 protected:
  // Each pick's chain has its anchors on the stroke of its colour (within a pixel); for a
  // whole shape, the anchors also reach as far as its stroke does.
  void expectChainsOnStrokes(const char* file, std::initializer_list<Pick> picks);
};

void SvgDrawn::expectChainsOnStrokes(const char* file, std::initializer_list<Pick> picks) {
  constexpr int kMaxWidth = 6;
  const std::string svg = std::string(SVG_TEST_FILES) + "/" + file;
  const std::string drawn = path("drawn.png");
  ASSERT_EQ(RunProgram({"rsvg-convert", "-o", drawn, svg}, dir_ / "rsvg.txt").status, 0)
      << "rsvg-convert (Debian librsvg2-bin) is needed";
  const Image picture = ReadImage(drawn, PixelFormat::k8);
  for (const Pick& c : picks) {
    SCOPED_TRACE(svg + "#" + c.pick);
    const std::string pick = *c.pick ? std::string("#") + c.pick : "";
    const Outcome r =
        tool({"render", drawn, "-o", path("out.png"), "--path", "@" + svg + pick, "--time", "50",
              "--max-width", std::to_string(kMaxWidth), "--rects-json", path("chain.json")});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json chain = nlohmann::json::parse(std::ifstream(path("chain.json")));
    ASSERT_EQ(chain["error"], 0);
    ASSERT_GE(chain["rects"].size(), 3u);
    int minX = picture.width(), minY = picture.height(), maxX = -1, maxY = -1;
    for (const auto& rect : chain["rects"]) {
      const int x = rect["anchor"][0].get<int>();
      const int y = rect["anchor"][1].get<int>();
      bool near = false;
      for (int dy = -1; dy <= 1 && !near; ++dy) {
        for (int dx = -1; dx <= 1 && !near; ++dx)
          near = Stroked(picture, x + dx, y + dy, c.colour);
      }
      EXPECT_TRUE(near) << "anchor " << x << "," << y << " is off the stroke";
      minX = std::min(minX, x), minY = std::min(minY, y);
      maxX = std::max(maxX, x), maxY = std::max(maxY, y);
    }
    if (!c.wholeShape)
      continue;
    int sx0 = picture.width(), sy0 = picture.height(), sx1 = -1, sy1 = -1;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        if (Stroked(picture, x, y, c.colour)) {
          sx0 = std::min(sx0, x), sy0 = std::min(sy0, y);
          sx1 = std::max(sx1, x), sy1 = std::max(sy1, y);
        }
      }
    }
    const int slack = 2 * kMaxWidth;
    EXPECT_LE(std::abs(minX - sx0), slack);
    EXPECT_LE(std::abs(minY - sy0), slack);
    EXPECT_LE(std::abs(maxX - sx1), slack);
    EXPECT_LE(std::abs(maxY - sy1), slack);
  }
}

TEST_F(SvgDrawn, NestedGroupsWithEveryKindOfTransform) {
  expectChainsOnStrokes("transforms.svg", {{"translate-scale", {255, 0, 0}, true},
                                           {"rotate", {0, 192, 0}, true},
                                           {"rotate-about", {0, 0, 255}, true},
                                           {"skew", {255, 0, 255}, true},
                                           {"matrix", {0, 192, 192}, true},
                                           {"list", {192, 192, 0}, true}});
}

TEST_F(SvgDrawn, ViewBoxesWithOffsetScaleAndAlignment) {
  expectChainsOnStrokes("viewbox.svg",
                        {{"offset", {255, 0, 0}, true}, {"nested", {0, 0, 255}, true}});
  expectChainsOnStrokes("units.svg",
                        {{"stretched", {255, 0, 0}, true}, {"percent", {0, 0, 255}, true}});
}

TEST_F(SvgDrawn, EveryBasicShape) {
  expectChainsOnStrokes("shapes.svg", {{"rect", {255, 0, 0}, true},
                                       {"rounded", {0, 192, 0}, true},
                                       {"rounded-one", {0, 0, 255}, true},
                                       {"circle", {255, 0, 255}, true},
                                       {"ellipse", {0, 192, 192}, true},
                                       {"line", {192, 192, 0}, true},
                                       {"polyline", {0, 0, 0}, true},
                                       {"polygon", {128, 128, 128}, true}});
}

TEST_F(SvgDrawn, SubpathsOfAPathAfterShapesNeverDrawn) {
  // The default is the first subpath of the first drawn shape, past those in <defs> & co.
  expectChainsOnStrokes("subpaths.svg", {{"", {255, 0, 0}, false},
                                         {"several:2", {255, 0, 0}, false},
                                         {"several:3", {255, 0, 0}, false}});
}

TEST_F(SvgFiles, RefusalsAreOneLineAndWriteNothing) {
  const auto write = [&](const std::string& name, const std::string& body) {
    std::ofstream(path(name)) << body;
    return path(name);
  };
  const std::string svg = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>";
  const std::string input = path("in.png");
  ASSERT_EQ(RunProgram({"rsvg-convert", "-o", input,
                        write("in.svg", svg + "<rect width='9' height='9'/></svg>")},
                       dir_ / "rsvg.txt")
                .status,
            0);
  const std::string several = std::string(SVG_TEST_FILES) + "/subpaths.svg";
  const auto transformed = [&](const std::string& name, const std::string& transform) {
    return write(name, svg + "<g transform='" + transform + "'><path d='M 0 0 L 5 5'/></g></svg>");
  };
  struct Case {
    std::string mask;
    std::string says;
  };
  const Case cases[] = {
      {write("none.svg", svg + "<defs><rect id='r' width='5' height='5'/></defs><use href='#r'/>" +
                             "<text>5</text><rect width='0' height='5'/></svg>"),
       "no drawable shape (path, rect, circle, ellipse, line, polyline or polygon outside <defs>, "
       "<clipPath>, <mask>, <symbol>, <marker> and <pattern>); not read: 1 <text>, 1 <use>"},
      {several + "#nope", "#nope: no element has this id"},
      {several + "#in-marker", "#in-marker: <path id=\"in-marker\"> (line 13) is inside <marker>"},
      {several + "#hidden", "display=\"none\""},
      {several + "#gradient", "is not a shape"},
      {several + "#several:4", "<path id=\"several\"> (line 17) has 3 subpaths; subpath 4 is out"},
      {transformed("t1.svg", "translate(10"), "<g> (line 1): transform, offset 12: expected ')'"},
      {transformed("t2.svg", "rotate(1 2)"), "offset 10: expected 1 or 3 numbers in rotate"},
      {transformed("t3.svg", "scale()"), "offset 6: expected 1 or 2 numbers in scale"},
      {transformed("t4.svg", "skewX(1,2)"), "offset 8: expected ')' after 1 numbers of skewX"},
      {transformed("t5.svg", "translate(1 2) foo(3)"), "offset 15: expected matrix, translate"},
      {transformed("t6.svg", "matrix(1 2 3 4 5)"), "expected 6 numbers in matrix"},
      {transformed("t7.svg", "translate(1,,2)"), "offset 12: expected a number"},
      {transformed("t8.svg", "scale(2),,scale(3)"), "offset 9: expected matrix"},
      {write("broken.svg", svg + "<g><path d='M 0 0 L 5 5'></g></svg>"),
       "XML, line 1, column 91: mismatched tag"},
      {write("page.svg", "<html><svg><path d='M 0 0 L 5 5'/></svg></html>"),
       "not an SVG document: the root element is <html>"},
      {write("entity.svg", svg + "<path d='M 0 0 L 5 5&bad;'/></svg>"), "undefined entity"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mask);
    const Outcome r = tool({"render", input, "-o", path("out.png"), "--path", "@" + c.mask,
                            "--rects-json", path("chain.json")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_FALSE(fs::exists(path("out.png")));
    EXPECT_FALSE(fs::exists(path("chain.json")));
  }
}

}  // namespace
}  // namespace boxwander::cli
