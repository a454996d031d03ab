#include "render/render_core.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "geometry/straight_path.h"

namespace boxwander {
namespace {

PreRenderData Settings(ControlValues controls = {}) {
  if (controls.path_id == 0) {
    controls.path_id = 1;
  }
  return DerivePreRenderData(controls, 1, 1);
}

TEST(PrepareFrame, WorksOutTheDrawingValuesOncePerRender) {
  const struct {
    double brightness;
    double gain;
  } gains[] = {{0.0, 0.0}, {1.0, 1.0}, {2.0, 3.0}, {10.0, 1023.0}};
  for (const auto& g : gains) {
    ControlValues controls;
    controls.edge_brightness = g.brightness;
    const PreRenderData s = Settings(controls);
    RenderFrame frame;
    frame.settings = &s;
    PrepareFrame(frame);
    EXPECT_EQ(frame.edge_gain, g.gain) << g.brightness;
    EXPECT_EQ(frame.edge_inset, 0);
    EXPECT_EQ(frame.edge_color16, (Pixel16{32768, 32768, 32768, 32768}));
    EXPECT_EQ(frame.edge_color_float, (PixelFloat{1.0f, 1.0f, 1.0f, 1.0f}));
  }
}

// The reveal and the drawing read their settings from the frame, not from the record.
TEST(PrepareFrame, HandsTheRevealAndTheDrawingTheirSettings) {
  ControlValues controls;
  controls.mode = kModeDiscrete2;
  controls.time_fixed = 30 << 16;
  controls.edge_mode = kEdgeModeColor;
  controls.edge_color = {10, 20, 30, 40};
  controls.invert = 1;
  const PreRenderData s = Settings(controls);
  RenderFrame frame;
  frame.settings = &s;
  PrepareFrame(frame);
  EXPECT_EQ(frame.mode, kModeDiscrete2);
  EXPECT_EQ(frame.time, s.time);
  EXPECT_EQ(frame.edge_mode, kEdgeModeColor);
  EXPECT_EQ(frame.edge_color, (Pixel8{10, 20, 30, 40}));
  EXPECT_EQ(frame.invert, 1);
}

TEST(PrepareFrame, SeedsBothGeneratorsAndDropsTheirFirstDraw) {
  const std::int32_t seeds[][2] = {{0, 100}, {50000, 50100}, {2147483647, -2147483549}};
  for (const auto& seed : seeds) {
    ControlValues controls;
    controls.seed = seed[0];
    const PreRenderData s = Settings(controls);
    RenderFrame frame;
    frame.settings = &s;
    PrepareFrame(frame);
    RandomGenerator width;
    width.setSeed(seed[0]);
    width.nextInt();
    RandomGenerator ratio;
    ratio.setSeed(seed[1]);
    ratio.nextInt();
    EXPECT_EQ(frame.width_rng.state(), width.state()) << seed[0];
    EXPECT_EQ(frame.ratio_rng.state(), ratio.state()) << seed[0];
  }
}

// The worked example of a walk along a horizontal line, through the whole core.
TEST(ComputeChain, PlacesTheWorkedExampleChain) {
  ControlValues controls;
  controls.max_width = 20;  // half width 10
  const PreRenderData s = Settings(controls);
  StraightSegmentPath path({{10.0, 50.0, 209.0, 50.0}});
  const Chain chain = ComputeChain(s, 300, 300, path);
  ASSERT_EQ(chain.error, kErrNone);
  ASSERT_GE(chain.records.size(), 3u);
  EXPECT_EQ(chain.records[0], (RectRecord{10, 50, 18, 50, 8, 8}));
  EXPECT_EQ(chain.records[1], (RectRecord{27, 50, 32, 50, 5, 5}));
  EXPECT_EQ(chain.records[2], (RectRecord{38, 50, 46, 50, 8, 8}));
  EXPECT_EQ(chain.rectCount, 15);
  EXPECT_EQ(chain.halfWidthTotal, 100);
  EXPECT_EQ(chain.records.size(), 15u);
}

template <class P>
struct Image {
  std::int32_t width, height, row_pixels;
  std::vector<P> pixels;
  Image(std::int32_t w, std::int32_t h, std::int32_t pad, P fill)
      : width(w),
        height(h),
        row_pixels(w + pad),
        pixels(static_cast<std::size_t>(h) * (w + pad), fill) {}
  ImageView view() { return {pixels.data(), width, height, row_pixels}; }
};

TEST(RenderOnBuffers, WithNothingToDrawGivesTheCopyOrTransparentBlack) {
  StraightSegmentPath path({{1.0, 5.0, 30.0, 5.0}});
  const Pixel8 colour{200, 10, 20, 30};
  const Pixel8 padding{1, 2, 3, 4};
  const struct {
    const char* name;
    std::int32_t path_id;
    std::int32_t time_percent;
    bool with_path;
  } cases[] = {{"no mask chosen", 0, 50, true},
               {"no path", 1, 50, false},
               {"time 0", 1, 0, true},
               {"time 100", 1, 100, true}};
  for (const auto& c : cases) {
    for (std::int32_t on_original : {0, 1}) {
      ControlValues controls;
      controls.path_id = c.path_id;
      controls.time_fixed = c.time_percent << 16;
      controls.on_original = on_original;
      const PreRenderData s = DerivePreRenderData(controls, 1, 1);
      Image<Pixel8> in(32, 10, 0, colour);
      Image<Pixel8> out(32, 10, 3, padding);
      ASSERT_EQ(
          RenderOnBuffers(s, PixelFormat::k8, in.view(), out.view(), c.with_path ? &path : nullptr),
          kErrNone)
          << c.name;
      for (std::int32_t y = 0; y < out.height; ++y) {
        for (std::int32_t x = 0; x < out.row_pixels; ++x) {
          const Pixel8 expected = x >= out.width     ? padding
                                  : on_original != 0 ? colour
                                                     : Pixel8{0, 0, 0, 0};
          ASSERT_EQ(out.pixels[static_cast<std::size_t>(y) * out.row_pixels + x], expected)
              << c.name << " on_original " << on_original << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(RenderOnBuffers, RefusesBuffersThatDoNotFitAndLeavesTheOutputAlone) {
  StraightSegmentPath path({{1.0, 5.0, 30.0, 5.0}});
  const PreRenderData s = Settings();
  const Pixel8 marker{9, 9, 9, 9};
  Image<Pixel8> in(32, 10, 0, Pixel8{255, 1, 2, 3});
  Image<Pixel8> narrow(31, 10, 0, marker);
  Image<Pixel8> shorter(32, 9, 0, marker);
  EXPECT_EQ(RenderOnBuffers(s, PixelFormat::k8, in.view(), narrow.view(), &path),
            kErrMismatchedBuffers);
  EXPECT_EQ(RenderOnBuffers(s, PixelFormat::k8, in.view(), shorter.view(), &path),
            kErrMismatchedBuffers);
  for (const Pixel8& p : narrow.pixels) {
    ASSERT_EQ(p, marker);
  }
  for (const Pixel8& p : shorter.pixels) {
    ASSERT_EQ(p, marker);
  }
}

TEST(RenderOnBuffers, ReturnsTheFirstProgressResultButDrawsEverything) {
  StraightSegmentPath path({{1.0, 20.0, 60.0, 20.0}});
  ControlValues controls;
  controls.max_width = 10;
  controls.edge_mode = kEdgeModeColor;
  controls.edge_color = Pixel8{255, 0, 0, 255};
  const PreRenderData s = Settings(controls);
  Image<Pixel8> in(64, 40, 0, Pixel8{255, 0, 255, 0});
  Image<Pixel8> cancelled(64, 40, 0, Pixel8{});
  Image<Pixel8> finished(64, 40, 0, Pixel8{});
  std::int32_t calls = 0;
  const ErrorCode result = RenderOnBuffers(s, PixelFormat::k8, in.view(), cancelled.view(), &path,
                                           [&](std::int32_t, std::int32_t) {
                                             ++calls;
                                             return ErrorCode{7};
                                           });
  EXPECT_EQ(result, 7);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(RenderOnBuffers(s, PixelFormat::k8, in.view(), finished.view(), &path), kErrNone);
  EXPECT_EQ(cancelled.pixels, finished.pixels);
}

// Channels of 0 and full scale mean the same in every depth, so the three renders of
// one scene must agree pixel for pixel.
TEST(RenderOnBuffers, DrawsTheSamePictureInEveryDepth) {
  StraightSegmentPath path({{2.0, 2.0, 60.0, 38.0}, {60.0, 38.0, 5.0, 30.0}});
  ControlValues controls;
  controls.max_width = 12;
  controls.edge_thickness = 2;
  controls.edge_mode = kEdgeModeColor;
  controls.edge_color = Pixel8{255, 0, 0, 255};
  controls.time_fixed = 30 << 16;
  const PreRenderData s = Settings(controls);
  Image<Pixel8> in8(64, 40, 1, Pixel8{255, 255, 0, 0});
  Image<Pixel16> in16(64, 40, 2, Pixel16{32768, 32768, 0, 0});
  Image<PixelFloat> inf(64, 40, 0, PixelFloat{1.0f, 1.0f, 0.0f, 0.0f});
  Image<Pixel8> out8(64, 40, 0, Pixel8{});
  Image<Pixel16> out16(64, 40, 3, Pixel16{});
  Image<PixelFloat> outf(64, 40, 1, PixelFloat{});
  ASSERT_EQ(RenderOnBuffers(s, PixelFormat::k8, in8.view(), out8.view(), &path), kErrNone);
  ASSERT_EQ(RenderOnBuffers(s, PixelFormat::k16, in16.view(), out16.view(), &path), kErrNone);
  ASSERT_EQ(RenderOnBuffers(s, PixelFormat::kFloat, inf.view(), outf.view(), &path), kErrNone);
  std::int32_t drawn = 0;
  for (std::int32_t y = 0; y < 40; ++y) {
    for (std::int32_t x = 0; x < 64; ++x) {
      const Pixel8 a = out8.pixels[static_cast<std::size_t>(y) * out8.row_pixels + x];
      const Pixel16 b = out16.pixels[static_cast<std::size_t>(y) * out16.row_pixels + x];
      const PixelFloat c = outf.pixels[static_cast<std::size_t>(y) * outf.row_pixels + x];
      ASSERT_EQ(b, (Pixel16{static_cast<std::uint16_t>(a.alpha / 255 * 32768),
                            static_cast<std::uint16_t>(a.red / 255 * 32768),
                            static_cast<std::uint16_t>(a.green / 255 * 32768),
                            static_cast<std::uint16_t>(a.blue / 255 * 32768)}))
          << x << "," << y;
      ASSERT_EQ(c,
                (PixelFloat{a.alpha / 255.0f, a.red / 255.0f, a.green / 255.0f, a.blue / 255.0f}))
          << x << "," << y;
      drawn += a.alpha != 0 ? 1 : 0;
    }
  }
  EXPECT_GT(drawn, 100);
}

}  // namespace
}  // namespace boxwander
