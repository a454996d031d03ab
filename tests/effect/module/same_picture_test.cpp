// A frame rendered through the loaded module equals the core's own render of the same
// settings on plain buffers, bit for bit, in every depth and at reduced resolutions.
#include <gtest/gtest.h>

#include <memory>

#include "minihost/scaled_path.h"
#include "minihost/world.h"
#include "render/render_core.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

constexpr std::int32_t kFullW = 192;
constexpr std::int32_t kFullH = 128;

TEST(SamePicture, ModuleEqualsCoreInEveryDepthAndDownsample) {
  struct Case {
    const char* name;
    PixelFormat format;
    std::int32_t downsample;  // 1/downsample in both directions
    std::int32_t mode;
    std::int32_t edge_mode;
    std::int32_t invert;
    std::int32_t on_original;
  };
  const Case cases[] = {
      {"8-bit full", PixelFormat::k8, 1, kModeContinuous, kEdgeModeBrightness, 0, 1},
      {"8-bit half", PixelFormat::k8, 2, kModeDiscrete1, kEdgeModeColor, 1, 0},
      {"8-bit quarter", PixelFormat::k8, 4, kModeDiscrete2, kEdgeModeBrightness, 0, 1},
      {"16-bit full", PixelFormat::k16, 1, kModeDiscrete2, kEdgeModeColor, 0, 0},
      {"16-bit half", PixelFormat::k16, 2, kModeContinuous, kEdgeModeBrightness, 1, 1},
      {"16-bit quarter", PixelFormat::k16, 4, kModeDiscrete1, kEdgeModeColor, 0, 1},
      {"float full", PixelFormat::kFloat, 1, kModeDiscrete1, kEdgeModeBrightness, 1, 1},
      {"float half", PixelFormat::kFloat, 2, kModeDiscrete2, kEdgeModeColor, 0, 1},
      {"float quarter", PixelFormat::kFloat, 4, kModeContinuous, kEdgeModeBrightness, 0, 0},
  };
  const std::shared_ptr<MaskPath> path = TestPath(kFullW, kFullH);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ControlValues controls = DrawingControls();
    controls.mode = c.mode;
    controls.edge_mode = c.edge_mode;
    controls.invert = c.invert;
    controls.on_original = c.on_original;
    controls.time_fixed = c.mode == kModeContinuous ? (63 << 16) : (35 << 16);
    controls.edge_color = {200, 30, 160, 250};

    const std::int32_t w = kFullW / c.downsample;
    const std::int32_t h = kFullH / c.downsample;
    // Rows padded in both worlds, by different whole numbers of pixels.
    const World input = TestPicture(c.format, w, h, 16);

    const auto host = ReadyHost();
    host->paths().set(kMaskId, path);
    SetControls(*host, controls);
    const PF_RationalScale scale{1, static_cast<std::uint32_t>(c.downsample)};
    minihost::RenderOptions options;
    options.downsampleX = options.downsampleY = scale;
    options.outputPadding = 48;
    const minihost::Frame frame = host->render(input, options);
    ASSERT_EQ(frame.err, PF_Err_NONE);
    EXPECT_GT(frame.progress.size(), 2u) << "a chain of several rectangles is drawn";
    EXPECT_TRUE(frame.audit.balanced()) << frame.audit.report();

    World in = input;
    World expected(c.format, w, h, 32);
    const double s = 1.0 / c.downsample;
    minihost::ScaledPath scaled(path, s, s);
    const PreRenderData settings = DerivePreRenderData(controls, 1, scale.den);
    ASSERT_EQ(RenderOnBuffers(settings, c.format, in.view(), expected.view(), &scaled), kErrNone);

    EXPECT_EQ(minihost::FirstDifference(frame.output, expected), std::nullopt);
  }
}

}  // namespace
}  // namespace boxwander::test
