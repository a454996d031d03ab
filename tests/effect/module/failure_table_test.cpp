// Every failure the host can cause, injected through our host: the code returned, the
// message and flags, what the output holds, and that the books balance afterwards.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

using minihost::CommandResult;
using minihost::Frame;
using minihost::HostOp;
using minihost::RenderOptions;

constexpr PF_Err kHostCode = 77;  // an error of the host's own, passed on unchanged
constexpr std::int32_t kW = 64;
constexpr std::int32_t kH = 48;

bool DisplaysError(PF_OutFlags flags) {
  return (flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;
}

// ---- Setup and UI commands ----

enum class Stage { Global, Params, Sequence, UpdateUI };

struct SetupCase {
  const char* name;
  Stage stage;                         // the command under test; earlier stages run first
  std::function<void(Host&)> arrange;  // just before it
  PF_Err err;
  const char* message;  // nullptr: none shown
  std::function<void(Host&, const CommandResult&)> check = {};
};

CommandResult RunStage(Host& host, Stage stage) {
  switch (stage) {
    case Stage::Global:
      return host.globalSetup();
    case Stage::Params:
      return host.paramsSetup();
    case Stage::Sequence:
      return host.sequenceSetup();
    case Stage::UpdateUI:
      return host.updateParamsUI();
  }
  return {};
}

void Prepare(Host& host, Stage stage) {
  if (stage == Stage::Global) {
    return;
  }
  ASSERT_EQ(host.globalSetup().err, PF_Err_NONE);
  if (stage == Stage::Params) {
    return;
  }
  ASSERT_EQ(host.paramsSetup().err, PF_Err_NONE);
  if (stage == Stage::Sequence) {
    return;
  }
  ASSERT_EQ(host.sequenceSetup().err, PF_Err_NONE);
  ASSERT_EQ(host.updateParamsUI().err, PF_Err_NONE);  // the first snapshot
  host.params().set(ToInt(ParamIndex::EdgeMode), 2);  // a change to notice
}

TEST(FailureTable, SetupAndUiCommands) {
  const auto noGlobalBlock = [](Host& h, const CommandResult&) {
    EXPECT_EQ(h.globalData(), nullptr);
  };
  const auto noSequenceBlock = [](Host& h, const CommandResult&) {
    EXPECT_EQ(h.sequenceData(), nullptr);
  };
  const auto flagsAndVersionStand = [](Host& h, const CommandResult& r) {
    EXPECT_EQ(r.myVersion, 0x00080601u);
    EXPECT_EQ(r.outFlags, 0x06000040);
    EXPECT_EQ(r.outFlags2, 0x00001400);
    EXPECT_EQ(h.globalData(), nullptr);
  };
  // A failed UI update leaves the controls as they were and only the error and refresh
  // flags set.
  const auto uiUnchanged = [](Host& h, const CommandResult& r) {
    EXPECT_EQ(r.outFlags, PF_OutFlag_DISPLAY_ERROR_MESSAGE | PF_OutFlag_REFRESH_UI);
    EXPECT_EQ(h.params().def(ToInt(ParamIndex::EdgeBrightness)).ui_flags, 0);
    EXPECT_EQ(h.params().def(ToInt(ParamIndex::EdgeColor)).ui_flags, PF_PUI_DISABLED);
  };
  std::optional<PF_Handle> snapshotBefore;
  const auto oldSnapshotStays = [&](Host& h, const CommandResult&) {
    ASSERT_TRUE(snapshotBefore.has_value());
    EXPECT_EQ(h.sequenceData(), *snapshotBefore);
    EXPECT_TRUE(h.handles().live(*snapshotBefore));
  };
  const auto keepSnapshot = [&](Host& h) { snapshotBefore = h.sequenceData(); };

  const SetupCase cases[] = {
      {"global: no handle", Stage::Global,
       [](Host& h) { h.faults().failAt(HostOp::kNewHandle, 1, 0); }, 512, nullptr,
       flagsAndVersionStand},
      {"global: lock gives no pointer", Stage::Global,
       [](Host& h) { h.faults().failAt(HostOp::kLockHandle, 1, 0); }, 0, nullptr, noGlobalBlock},
      {"global: registration fails", Stage::Global,
       [](Host& h) { h.faults().failAt(HostOp::kRegisterWithAEGP, 1, kHostCode); }, kHostCode,
       nullptr, noGlobalBlock},
      {"global: handle suite refused", Stage::Global,
       [](Host& h) { h.faults().refuseSuite("PF Handle Suite", 1); }, 516, nullptr, noGlobalBlock},
      {"global: handle suite answered without a pointer", Stage::Global,
       [](Host& h) { h.faults().withholdSuite("PF Handle Suite", 1); }, 516, nullptr,
       noGlobalBlock},
      {"global: utility suite refused", Stage::Global,
       [](Host& h) { h.faults().refuseSuite("AEGP Utility Suite", 7); }, 516, nullptr,
       noGlobalBlock},
      {"params: first addition refused", Stage::Params,
       [](Host& h) { h.faults().failAt(HostOp::kAddParam, 1, kHostCode); }, kHostCode, nullptr,
       [](Host& h, const CommandResult& r) {
         EXPECT_EQ(h.params().count(), 0);
         EXPECT_EQ(r.numParams, 0);
       }},
      {"params: fifth addition refused", Stage::Params,
       [](Host& h) { h.faults().failAt(HostOp::kAddParam, 5, kHostCode); }, kHostCode, nullptr,
       [](Host& h, const CommandResult& r) {
         EXPECT_EQ(h.params().count(), 4);
         EXPECT_EQ(r.numParams, 0);
       }},
      {"sequence: no handle", Stage::Sequence,
       [](Host& h) { h.faults().failAt(HostOp::kNewHandle, 1, 0); }, 4, nullptr, noSequenceBlock},
      {"sequence: lock gives no pointer", Stage::Sequence,
       [](Host& h) { h.faults().failAt(HostOp::kLockHandle, 1, 0); }, 0, nullptr, noSequenceBlock},
      {"UI: state comparison fails", Stage::UpdateUI,
       [&](Host& h) {
         keepSnapshot(h);
         h.faults().failAt(HostOp::kHasParamChanged, 1, kHostCode);
       },
       kHostCode, "ERROR",
       [&](Host& h, const CommandResult& r) {
         uiUnchanged(h, r);
         oldSnapshotStays(h, r);
       }},
      {"UI: state query fails", Stage::UpdateUI,
       [&](Host& h) {
         keepSnapshot(h);
         h.faults().failAt(HostOp::kGetCurrentState, 1, kHostCode);
       },
       kHostCode, "ERROR",
       [&](Host& h, const CommandResult& r) {
         uiUnchanged(h, r);
         oldSnapshotStays(h, r);
       }},
      {"UI: control update fails", Stage::UpdateUI,
       [](Host& h) { h.faults().failAt(HostOp::kUpdateParamUI, 1, kHostCode); }, kHostCode, "ERROR",
       uiUnchanged},
      {"UI: no handle for the snapshot", Stage::UpdateUI,
       [&](Host& h) {
         keepSnapshot(h);
         h.faults().failAt(HostOp::kNewHandle, 1, 0);
       },
       0, nullptr,
       [&](Host& h, const CommandResult& r) {
         oldSnapshotStays(h, r);
         EXPECT_EQ(r.outFlags, PF_OutFlag_REFRESH_UI);
         EXPECT_EQ(h.params().def(ToInt(ParamIndex::EdgeColor)).ui_flags, 0) << "still toggled";
       }},
      {"UI: handle suite refused", Stage::UpdateUI,
       [&](Host& h) {
         keepSnapshot(h);
         h.faults().refuseSuite("PF Handle Suite", 1);
       },
       516, nullptr,
       [&](Host& h, const CommandResult& r) {
         EXPECT_EQ(r.outFlags, 0) << "no refresh either";
         oldSnapshotStays(h, r);
         EXPECT_EQ(h.params().def(ToInt(ParamIndex::EdgeColor)).ui_flags, PF_PUI_DISABLED);
       }},
      // A release's answer is never looked at.
      {"UI: suite releases fail", Stage::UpdateUI,
       [](Host& h) { h.faults().failAt(HostOp::kReleaseSuite, 1, kHostCode, true); }, 0, nullptr,
       [](Host& h, const CommandResult& r) {
         EXPECT_EQ(r.outFlags, PF_OutFlag_REFRESH_UI);
         EXPECT_EQ(h.faults().fired(HostOp::kReleaseSuite), 2);
       }},
      {"UI: param utils suite refused", Stage::UpdateUI,
       [](Host& h) { h.faults().refuseSuite("PF Param Utils Suite", 1); }, 516, nullptr,
       [](Host&, const CommandResult& r) { EXPECT_EQ(r.outFlags, 0) << "no refresh either"; }},
  };

  for (const SetupCase& c : cases) {
    SCOPED_TRACE(c.name);
    Host host(BOXWANDER_MODULE_PATH);
    Prepare(host, c.stage);
    c.arrange(host);
    const CommandResult r = RunStage(host, c.stage);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.message, c.message != nullptr ? c.message : "");
    EXPECT_EQ(DisplaysError(r.outFlags), c.message != nullptr);
    if (c.check) {
      c.check(host, r);
    }
    EXPECT_TRUE(host.audit().balanced()) << host.audit().report();
  }
}

// ---- Frames: smart pre-render and smart render ----

// What the output world holds after a failed frame.
enum class Output {
  Untouched,  // the marked starting world
  Start,      // the copy of the input (On Original)
  Drawn,      // a full normal render
  Any,        // as the host left it
};

struct FrameCase {
  const char* name;
  std::function<void(Host&, RenderOptions&)> arrange;
  PF_Err err;
  const char* message;  // nullptr: none shown
  Output output;
  std::function<void(Host&, const Frame&)> check = {};
};

TEST(FailureTable, Frames) {
  const World input = TestPicture(PixelFormat::k8, kW, kH, 8);
  const auto fail = [](HostOp op, std::int64_t nth, PF_Err code) {
    return [=](Host& h, RenderOptions&) { h.faults().failAt(op, nth, code); };
  };
  const auto refuse = [](const char* suite, std::int32_t version) {
    return [=](Host& h, RenderOptions&) { h.faults().refuseSuite(suite, version); };
  };
  const auto noRender = [](Host&, const Frame& f) { EXPECT_FALSE(f.render.has_value()); };

  const FrameCase cases[] = {
      // Pre-render.
      {"pre-render: no handle", fail(HostOp::kNewHandle, 1, 0), 4, nullptr, Output::Untouched,
       noRender},
      {"pre-render: lock gives no pointer", fail(HostOp::kLockHandle, 1, 0), 4, nullptr,
       Output::Untouched, noRender},
      {"pre-render: handle suite refused", refuse("PF Handle Suite", 1), 516, nullptr,
       Output::Untouched, noRender},
      {"pre-render: fifth parameter checkout fails", fail(HostOp::kCheckoutParam, 5, kHostCode),
       kHostCode, nullptr, Output::Untouched,
       [](Host& h, const Frame& f) {
         EXPECT_EQ(h.faults().calls(HostOp::kCheckoutParam), 5);
         EXPECT_EQ(h.faults().calls(HostOp::kCheckoutLayer), 0);
         EXPECT_FALSE(f.render.has_value());
         // Path, Mode, Max Width and Min Width; the fifth, Edge Thickness, failed.
         EXPECT_EQ(f.preRender.paramCheckouts, (std::vector<PF_ParamIndex>{1, 2, 4, 5}));
       }},
      {"pre-render: handle suite answered without a pointer",
       [](Host& h, RenderOptions&) { h.faults().withholdSuite("PF Handle Suite", 1); }, 516,
       nullptr, Output::Untouched, noRender},
      {"pre-render: input checkout fails", fail(HostOp::kCheckoutLayer, 1, kHostCode), kHostCode,
       nullptr, Output::Untouched,
       [](Host&, const Frame& f) {
         EXPECT_EQ(f.resultRect.right, 0) << "output rectangles untouched";
       }},
      // Render, before the output is written.
      {"render: record not lockable", fail(HostOp::kLockHandle, 2, 0), 516, nullptr,
       Output::Untouched},
      {"render: input checkout fails", fail(HostOp::kCheckoutLayerPixels, 1, kHostCode), 516,
       nullptr, Output::Untouched},
      {"render: output checkout fails", fail(HostOp::kCheckoutOutput, 1, kHostCode), 516, nullptr,
       Output::Untouched},
      {"render: world suite refused", refuse("PF World Suite", 2), 516, "Couldn't load suite.",
       Output::Untouched},
      {"render: pixel format query fails", fail(HostOp::kGetPixelFormat, 1, kHostCode), 516,
       nullptr, Output::Untouched},
      {"render: unknown pixel format",
       [](Host&, RenderOptions& o) { o.reportedFormat = PF_PixelFormat_INVALID; }, 516, nullptr,
       Output::Untouched},
      {"render: output row shorter than the input",
       [](Host&, RenderOptions& o) { o.output = MarkedWorld(PixelFormat::k8, kW - 1, kH); }, 255,
       nullptr, Output::Untouched},
      {"render: rows not a whole number of pixels",
       [](Host&, RenderOptions& o) { o.output = MarkedWorld(PixelFormat::k8, kW, kH, 2); }, 255,
       nullptr, Output::Untouched},
      {"render: input row shorter than its width",
       [](Host&, RenderOptions& o) { o.inputRowBytes = (kW - 1) * 4; }, 255, nullptr,
       Output::Untouched},
      {"render: heights differ",
       [](Host&, RenderOptions& o) { o.output = MarkedWorld(PixelFormat::k8, kW, kH + 1); }, 255,
       nullptr, Output::Untouched},
      {"render: copy fails", fail(HostOp::kCopy, 1, kHostCode), kHostCode, nullptr, Output::Any},
      // Render, after the starting content.
      {"render: mask suite refused", refuse("AEGP Mask Suite", 1), 516, "Couldn't load suite.",
       Output::Start},
      {"render: path query suite refused", refuse("PF Path Query Suite", 1), 516, nullptr,
       Output::Start},
      {"render: path data suite refused", refuse("PF Path Data Suite", 1), 516, nullptr,
       Output::Start},
      {"render: path data suite answered without a pointer",
       [](Host& h, RenderOptions&) { h.faults().withholdSuite("PF Path Data Suite", 1); }, 516,
       nullptr, Output::Start},
      {"render: path checkout fails", fail(HostOp::kCheckoutPath, 1, kHostCode), kHostCode, nullptr,
       Output::Start},
      {"render: segment count fails", fail(HostOp::kPathNumSegments, 1, kHostCode), kHostCode,
       nullptr, Output::Start},
      {"render: segment preparation fails", fail(HostOp::kPathPrepareSegLength, 2, kHostCode),
       kHostCode, nullptr, Output::Start},
      {"render: segment length fails", fail(HostOp::kPathGetSegLength, 3, kHostCode), kHostCode,
       nullptr, Output::Start},
      {"render: evaluation fails", fail(HostOp::kPathEval, 40, kHostCode), kHostCode, nullptr,
       Output::Start},
      {"render: segment cleanup fails", fail(HostOp::kPathCleanup, 1, kHostCode), kHostCode,
       nullptr, Output::Start},
      {"render: no CoverageMap", fail(HostOp::kNewHandle, 2, 0), 512, "Memory Error!",
       Output::Start},
      // The map is asked for even with an error pending, and its failure replaces that
      // error and its message.
      {"render: no CoverageMap with the mask suite refused",
       [](Host& h, RenderOptions&) {
         h.faults().refuseSuite("AEGP Mask Suite", 1);
         h.faults().failAt(HostOp::kNewHandle, 2, 0);
       },
       512, "Memory Error!", Output::Start},
      // A release's answer is never looked at, the scoped suites' included.
      {"render: suite releases fail", fail(HostOp::kReleaseSuite, 1, kHostCode), 0, nullptr,
       Output::Drawn,
       [](Host& h, const Frame&) { EXPECT_EQ(h.faults().fired(HostOp::kReleaseSuite), 1); }},
      {"render: every suite release fails",
       [](Host& h, RenderOptions&) {
         h.faults().failAt(HostOp::kReleaseSuite, 1, kHostCode, true);
       },
       0, nullptr, Output::Drawn},
      {"render: progress cancels at once", fail(HostOp::kProgress, 1, PF_Interrupt_CANCEL),
       PF_Interrupt_CANCEL, nullptr, Output::Drawn,
       [](Host&, const Frame& f) { EXPECT_EQ(f.progress.size(), 1u) << "no report after it"; }},
  };

  // The picture a frame without any failure makes.
  World drawn = [&] {
    const auto host = ReadyHost();
    host->paths().set(kMaskId, TestPath(kW, kH));
    SetControls(*host, DrawingControls());
    RenderOptions options;
    options.output = MarkedWorld(PixelFormat::k8, kW, kH);
    Frame f = host->render(input, options);
    EXPECT_EQ(f.err, PF_Err_NONE);
    EXPECT_GT(f.progress.size(), 1u) << "the test chain must have several rectangles";
    return f.output;
  }();
  ASSERT_TRUE(minihost::FirstDifference(drawn, input).has_value()) << "nothing drawn";

  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto host = ReadyHost();
    host->paths().set(kMaskId, TestPath(kW, kH));
    SetControls(*host, DrawingControls());
    RenderOptions options;
    options.output = MarkedWorld(PixelFormat::k8, kW, kH);
    c.arrange(*host, options);
    const World marked = *options.output;
    const Frame f = host->render(input, options);

    EXPECT_EQ(f.err, c.err);
    const CommandResult& last = f.render ? *f.render : f.preRender;
    EXPECT_EQ(last.message, c.message != nullptr ? c.message : "");
    EXPECT_EQ(DisplaysError(last.outFlags), c.message != nullptr);
    switch (c.output) {
      case Output::Untouched:
        EXPECT_EQ(minihost::FirstDifference(f.output, marked), std::nullopt);
        break;
      case Output::Start:
        EXPECT_EQ(minihost::FirstDifference(f.output, input), std::nullopt);
        break;
      case Output::Drawn:
        EXPECT_EQ(minihost::FirstDifference(f.output, drawn), std::nullopt);
        break;
      case Output::Any:
        break;
    }
    if (c.check) {
      c.check(*host, f);
    }
    EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
  }
}

}  // namespace
}  // namespace boxwander::test
