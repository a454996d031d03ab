// Fixed scenes rendered through the loaded module, held by hashes of their pixels. The
// Linux and the Windows module must both give these bytes: the scenes use no arithmetic of
// the test's own beyond + and *, so a differing hash is a difference in the effect or in
// the platform's arithmetic under it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "cli/shapes/shape_path.h"
#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

constexpr std::int32_t kFullW = 160;
constexpr std::int32_t kFullH = 120;

// FNV-1a over the pixels row by row, padding excluded.
std::string PixelHash(const World& w) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  const auto rowLength = static_cast<std::size_t>(w.rowBytes() - w.rowPadding());
  for (std::int32_t y = 0; y < w.height(); ++y) {
    const std::uint8_t* row = w.data() + static_cast<std::ptrdiff_t>(y) * w.rowBytes();
    for (std::size_t i = 0; i < rowLength; ++i) {
      h = (h ^ row[i]) * 0x100000001B3ull;
    }
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

// A zigzag of straight pieces, closed, with one very short piece.
std::shared_ptr<MaskPath> StraightPath() {
  return std::make_shared<StraightSegmentPath>(StraightSegmentPath::Polyline(
      {{8, 12}, {150, 20}, {30, 60}, {30.25, 60.5}, {140, 104}, {12, 110}}, true));
}

// Cubic pieces with handles of every kind, open: an S, a loop back and a straight end.
std::shared_ptr<MaskPath> CurvedPath() {
  shapes::MaskShape shape;
  shape.closed = false;
  shape.vertices = {
      {{10, 100}, {0, 0}, {30, -90}},   {{80, 60}, {-25, 10}, {25, -10}},
      {{150, 30}, {0, -20}, {-10, 70}}, {{40, 20}, {40, 40}, {0, 0}},
      {{20, 50}, {0, 0}, {0, 0}},
  };
  return std::make_shared<shapes::ShapePath>(shape);
}

struct Scene {
  const char* name;
  bool curved;
  PixelFormat format;
  std::int32_t downsample;
  std::int32_t mode;
  std::int32_t edge_mode;
  std::int32_t invert;
  std::int32_t on_original;
  std::int32_t time_percent;
  double wh;
  const char* hash;
};

TEST(SceneHashes, FixedScenesGiveTheirCommittedPixels) {
  const Scene scenes[] = {
      {"straight 8-bit continuous", false, PixelFormat::k8, 1, kModeContinuous, kEdgeModeBrightness,
       0, 1, 30, 0.0, "b1738029ba08ccf8"},
      {"straight 8-bit discrete 1 half", false, PixelFormat::k8, 2, kModeDiscrete1, kEdgeModeColor,
       1, 0, 50, 0.4, "f4a81f2bae670883"},
      {"straight 16-bit discrete 2", false, PixelFormat::k16, 1, kModeDiscrete2, kEdgeModeColor, 0,
       1, 70, -0.3, "d73091592d73630d"},
      {"straight 16-bit continuous half", false, PixelFormat::k16, 2, kModeContinuous,
       kEdgeModeBrightness, 1, 1, 45, 0.2, "fc6569e408689d1f"},
      {"straight float discrete 1", false, PixelFormat::kFloat, 1, kModeDiscrete1,
       kEdgeModeBrightness, 1, 0, 25, -0.6, "e6ae42eff4afb15b"},
      {"straight float discrete 2 half", false, PixelFormat::kFloat, 2, kModeDiscrete2,
       kEdgeModeColor, 0, 1, 60, 0.0, "3b4891e64b8508d7"},
      {"curved 8-bit discrete 2", true, PixelFormat::k8, 1, kModeDiscrete2, kEdgeModeBrightness, 1,
       1, 40, 0.5, "d0609baed2b4e4c9"},
      {"curved 8-bit continuous half", true, PixelFormat::k8, 2, kModeContinuous, kEdgeModeColor, 0,
       0, 80, -0.2, "e3e9d27213498009"},
      {"curved 16-bit discrete 1", true, PixelFormat::k16, 1, kModeDiscrete1, kEdgeModeBrightness,
       0, 1, 50, 0.0, "9ea37ae0b17012dc"},
      {"curved 16-bit discrete 2 half", true, PixelFormat::k16, 2, kModeDiscrete2, kEdgeModeColor,
       1, 1, 35, 0.7, "3b53484ac13127b6"},
      {"curved float continuous", true, PixelFormat::kFloat, 1, kModeContinuous, kEdgeModeColor, 1,
       1, 55, 0.3, "e3a19f3f435f1cd2"},
      {"curved float discrete 1 half", true, PixelFormat::kFloat, 2, kModeDiscrete1,
       kEdgeModeBrightness, 0, 0, 65, -0.4, "c8cc318904ae39f6"},
  };
  for (const Scene& s : scenes) {
    SCOPED_TRACE(s.name);
    ControlValues c = DrawingControls();
    c.mode = s.mode;
    c.edge_mode = s.edge_mode;
    c.invert = s.invert;
    c.on_original = s.on_original;
    c.time_fixed = s.time_percent << 16;
    c.wh = s.wh;
    c.wh_variance_fixed = 40 << 16;
    c.max_width = 20;
    c.edge_thickness = 3;
    c.edge_brightness = 2.25;
    c.edge_color = {230, 20, 180, 90};

    const auto host = ReadyHost();
    host->paths().set(kMaskId, s.curved ? CurvedPath() : StraightPath());
    SetControls(*host, c);
    minihost::RenderOptions options;
    options.downsampleX = options.downsampleY = {1, static_cast<std::uint32_t>(s.downsample)};
    options.outputPadding = 32;
    const World input = TestPicture(s.format, kFullW / s.downsample, kFullH / s.downsample, 16);
    const minihost::Frame frame = host->render(input, options);
    ASSERT_EQ(frame.err, PF_Err_NONE);
    EXPECT_GT(frame.progress.size(), 4u) << "a chain of several rectangles is drawn";
    EXPECT_EQ(PixelHash(frame.output), s.hash);
  }
}

}  // namespace
}  // namespace boxwander::test
