// Steps of a frame that no failure shows: what pre-render asks of the input and reports,
// and the frames that have nothing to draw.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

using minihost::Frame;
using minihost::HostOp;
using minihost::RenderOptions;

constexpr std::int32_t kW = 64;
constexpr std::int32_t kH = 48;

TEST(SmartPreRender, AsksForTheInputUnderTheHostsRequestAndReportsItsRectangles) {
  const auto host = ReadyHost();
  host->paths().set(kMaskId, TestPath(kW, kH));
  SetControls(*host, DrawingControls());
  RenderOptions options;
  const PF_LRect request{-5, 4, 40, 90};  // reaching past the input's bottom
  options.request = request;
  const Frame f = host->render(TestPicture(PixelFormat::k8, kW, kH, 0), options);
  ASSERT_EQ(f.err, PF_Err_NONE);

  // The host's own request (channel mask 0xF, field 0), with only the colour of fully
  // transparent pixels asked to be kept.
  ASSERT_TRUE(f.layerRequest.has_value());
  const PF_RenderRequest& asked = *f.layerRequest;
  EXPECT_EQ(asked.rect.left, request.left);
  EXPECT_EQ(asked.rect.top, request.top);
  EXPECT_EQ(asked.rect.right, request.right);
  EXPECT_EQ(asked.rect.bottom, request.bottom);
  EXPECT_EQ(asked.field, 0);
  EXPECT_EQ(asked.channel_mask, 0xF);
  EXPECT_EQ(asked.preserve_rgb_of_zero_alpha, 1);

  // The host's rectangles start empty, so they take the input's exactly: the request cut
  // to the layer, and the whole layer.
  EXPECT_EQ(f.resultRect.left, 0);
  EXPECT_EQ(f.resultRect.top, 4);
  EXPECT_EQ(f.resultRect.right, 40);
  EXPECT_EQ(f.resultRect.bottom, kH);
  EXPECT_EQ(f.maxResultRect.left, 0);
  EXPECT_EQ(f.maxResultRect.top, 0);
  EXPECT_EQ(f.maxResultRect.right, kW);
  EXPECT_EQ(f.maxResultRect.bottom, kH);
}

TEST(SmartPreRender, ReadsTheControlsInItsOwnOrder) {
  const auto host = ReadyHost();
  host->paths().set(kMaskId, TestPath(kW, kH));
  SetControls(*host, DrawingControls());
  const Frame f = host->render(TestPicture(PixelFormat::k8, kW, kH, 0));
  ASSERT_EQ(f.err, PF_Err_NONE);
  // Path, Mode, Max Width, Min Width, Edge Thickness, Edge Brightness, On Original, Seed,
  // Edge Mode, Edge Color, Invert, Time, W/H, W/H Variance; the layer through
  // checkout_layer, not here.
  EXPECT_EQ(f.preRender.paramCheckouts,
            (std::vector<PF_ParamIndex>{1, 2, 4, 5, 8, 10, 14, 13, 9, 11, 12, 3, 6, 7}));
  ASSERT_TRUE(f.render.has_value());
  EXPECT_TRUE(f.render->paramCheckouts.empty());
}

// The suites a command released, in order.
std::vector<std::string> Releases(const minihost::CommandResult& r) {
  std::vector<std::string> released;
  for (const minihost::SuiteCall& call : r.suiteCalls) {
    if (!call.acquire) {
      released.push_back(call.name + " " + std::to_string(call.version));
    }
  }
  return released;
}

TEST(Suites, ReleasedInTheirFixedOrder) {
  const auto host = std::make_unique<Host>(BOXWANDER_MODULE_PATH);
  const minihost::CommandResult global = host->globalSetup();
  ASSERT_EQ(global.err, PF_Err_NONE);
  EXPECT_EQ(Releases(global),
            (std::vector<std::string>{"AEGP Utility Suite 7", "PF Handle Suite 1"}));
  ASSERT_EQ(host->paramsSetup().err, PF_Err_NONE);
  ASSERT_EQ(host->sequenceSetup().err, PF_Err_NONE);
  const minihost::CommandResult ui = host->updateParamsUI();
  ASSERT_EQ(ui.err, PF_Err_NONE);
  EXPECT_EQ(Releases(ui),
            (std::vector<std::string>{"PF Param Utils Suite 1", "PF Handle Suite 1"}));

  host->paths().set(kMaskId, TestPath(kW, kH));
  SetControls(*host, DrawingControls());
  const Frame f = host->render(TestPicture(PixelFormat::k8, kW, kH, 0));
  ASSERT_EQ(f.err, PF_Err_NONE);
  EXPECT_EQ(Releases(f.preRender), (std::vector<std::string>{"PF Handle Suite 1"}));
  ASSERT_TRUE(f.render.has_value());
  // The scoped suites first, mask before world, then the call's cache in its table order.
  EXPECT_EQ(
      Releases(*f.render),
      (std::vector<std::string>{"AEGP Mask Suite 1", "PF World Suite 2", "PF Path Query Suite 1",
                                "PF Path Data Suite 1", "PF Handle Suite 1"}));
  EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
}

TEST(SmartRender, NothingToDrawWithoutAMaskOrAtTimeZeroOrFull) {
  struct Case {
    const char* name;
    PF_PathID path;
    std::int32_t timeFixed;  // percent, 16.16
    std::int32_t onOriginal;
    bool errorPending;  // the mask suite refused before the test is made
    bool walks;         // the path is checked out and a CoverageMap allocated
    PF_Err err;
  };
  const Case cases[] = {
      {"no mask, on the original", 0, 40 << 16, 1, false, false, 0},
      {"no mask, on transparent black", 0, 40 << 16, 0, false, false, 0},
      {"Time 0 %", kMaskId, 0, 1, false, false, 0},
      {"Time 100 %", kMaskId, 100 << 16, 0, false, false, 0},
      {"Time 0 % with an error pending", kMaskId, 0, 0, true, false, 516},
      // The comparisons are exact: the smallest step off 0 % or 100 % walks.
      {"Time just above 0 %", kMaskId, 1, 1, false, true, 0},
      {"Time just below 100 %", kMaskId, (100 << 16) - 1, 0, false, true, 0},
  };
  const World input = TestPicture(PixelFormat::k16, kW, kH, 8);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto host = ReadyHost();
    host->paths().set(kMaskId, TestPath(kW, kH));
    ControlValues controls = DrawingControls();
    controls.path_id = c.path;
    controls.time_fixed = c.timeFixed;
    controls.on_original = c.onOriginal;
    SetControls(*host, controls);
    if (c.errorPending) {
      host->faults().refuseSuite("AEGP Mask Suite", 1);
    }
    host->faults().resetCounts();
    RenderOptions options;
    options.output = MarkedWorld(PixelFormat::k16, kW, kH);
    const Frame f = host->render(input, options);

    EXPECT_EQ(f.err, c.err);
    EXPECT_EQ(host->faults().calls(HostOp::kCheckoutPath), c.walks ? 1 : 0);
    // The pre-render record, and the CoverageMap only for a walk.
    EXPECT_EQ(host->faults().calls(HostOp::kNewHandle), c.walks ? 2 : 1);
    if (!c.walks) {
      const World start = c.onOriginal != 0 ? input : World(PixelFormat::k16, kW, kH);
      EXPECT_EQ(minihost::FirstDifference(f.output, start), std::nullopt);
    }
    EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
  }
}

}  // namespace
}  // namespace boxwander::test
