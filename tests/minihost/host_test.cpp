#include "minihost/host.h"

#include <gtest/gtest.h>

#include <functional>

namespace boxwander::minihost {
namespace {

// The fixture module copies its input, reads parameter 1 at pre-render into a handle it
// releases through its release routine, and misbehaves on request (completely-general
// text).
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { host.setup(); }

  static World Pattern(PixelFormat format, std::int32_t padding = 0) {
    World w(format, 5, 3, padding);
    for (std::int32_t y = 0; y < 3; ++y) {
      for (std::int32_t x = 0; x < 5; ++x) {
        const auto v = static_cast<std::uint8_t>(16 * y + x + 1);
        if (format == PixelFormat::k8) {
          w.at<Pixel8>(x, y) = {255, v, 0, 1};
        } else if (format == PixelFormat::k16) {
          w.at<Pixel16>(x, y) = {32768, v, 0, 1};
        } else {
          w.at<PixelFloat>(x, y) = {1.0f, v / 255.0f, 0.0f, -0.0f};
        }
      }
    }
    return w;
  }

  Host host{FIXTURE_MODULE_PATH};
};

TEST_F(HostTest, LifecycleAndFramesLeaveTheBooksBalanced) {
  EXPECT_EQ(host.lifecycle(), Lifecycle::kSequenceSetUp);
  EXPECT_EQ(host.params().count(), 2);
  EXPECT_EQ(host.params().text(2), "One|Two");
  EXPECT_TRUE(host.handles().live(host.globalData()));
  ASSERT_TRUE(host.handles().live(host.sequenceData()));

  for (const PixelFormat format : {PixelFormat::k8, PixelFormat::k16, PixelFormat::kFloat}) {
    const World input = Pattern(format, 16);
    RenderOptions options;
    options.outputPadding = 32;
    const Frame f = host.render(input, options);
    EXPECT_EQ(f.err, PF_Err_NONE);
    ASSERT_TRUE(f.render.has_value());
    EXPECT_EQ(FirstDifference(f.output, input), std::nullopt);
    EXPECT_EQ(f.output.rowPadding(), 32);
    EXPECT_TRUE(f.output.intact());
    EXPECT_TRUE(f.preRenderDataReleased);
    ASSERT_EQ(f.progress.size(), 1u);
    EXPECT_EQ(f.progress[0].total, 1);
    ASSERT_TRUE(f.layerRequest.has_value());
    EXPECT_EQ(f.layerRequest->preserve_rgb_of_zero_alpha, 1);
    EXPECT_EQ(f.resultRect.right, 5);
    EXPECT_EQ(f.maxResultRect.bottom, 3);
    EXPECT_TRUE(f.audit.balanced()) << f.audit.report();
  }
  EXPECT_EQ(host.ledger().suite(kPFHandleSuite, 1).acquired, 3);

  // Resetup replaces the block; the fixture disposes of the old one.
  EXPECT_EQ(host.sequenceResetup().err, PF_Err_NONE);
  EXPECT_EQ(host.handles().liveCount(), 2u);
  EXPECT_TRUE(host.handles().live(host.sequenceData()));
  EXPECT_TRUE(host.audit().balanced()) << host.audit().report();

  const Audit last = host.shutdown();
  EXPECT_TRUE(last.balanced()) << last.report();
  EXPECT_EQ(host.handles().liveCount(), 0u);
  EXPECT_EQ(host.lifecycle(), Lifecycle::kShutDown);
  EXPECT_THROW(host.about(), std::logic_error);
}

TEST_F(HostTest, MisbehaviourIsRecordedNotFatal) {
  struct Case {
    const char* text;
    const char* finding;  // null: a well-behaved command
    std::size_t messageLength;
  };
  const Case cases[] = {
      {"hello", nullptr, 5},
      {"leak-handle", "handle of 32 bytes never disposed", 0},
      {"keep-suite", "suite \"PF ANSI Suite\" 1 acquired 1 times, released 0", 0},
      {"long-message", "sprintf of 300 characters into return_msg, which has room for 255", 255},
      {"throw", "an exception left EntryPointFunc in command 17", 0},
      {"progress-outside-render", "progress called during command 17", 0},
      {"unlock-unlocked", "host_unlock_handle of a handle of 4 bytes that is not locked", 0},
  };
  for (const Case& c : cases) {
    Host fresh(FIXTURE_MODULE_PATH);
    fresh.setup();
    const CommandResult r = fresh.completelyGeneral(c.text);
    EXPECT_EQ(r.message.size(), c.messageLength) << c.text;
    const Audit audit = fresh.audit();
    if (c.finding == nullptr) {
      EXPECT_EQ(r.message, c.text);
      EXPECT_TRUE(audit.balanced()) << c.text << ": " << audit.report();
    } else {
      EXPECT_NE(audit.report().find(c.finding), std::string::npos)
          << c.text << ": " << audit.report();
    }
  }
}

TEST_F(HostTest, AnyOperationCanBeMadeToFailAtItsNthCall) {
  struct Case {
    HostOp op;
    std::int64_t nth;
    PF_Err code;
    PF_Err expected;
    bool rendered;  // whether smart render ran
  };
  const Case cases[] = {
      {HostOp::kNewHandle, 1, 0, PF_Err_OUT_OF_MEMORY, false},
      {HostOp::kLockHandle, 1, 0, PF_Err_OUT_OF_MEMORY, false},
      {HostOp::kCheckoutParam, 1, 601, 601, false},
      {HostOp::kCheckoutLayer, 1, 602, 602, false},
      {HostOp::kCheckoutLayerPixels, 1, 603, 603, true},
      {HostOp::kCheckoutOutput, 1, 604, 604, true},
      {HostOp::kCopy, 1, 605, 605, true},
      {HostOp::kProgress, 1, PF_Interrupt_CANCEL, PF_Interrupt_CANCEL, true},
      {HostOp::kAcquireSuite, 1, 606, PF_Err_BAD_CALLBACK_PARAM, false},
  };
  const World input = Pattern(PixelFormat::k8);
  for (const Case& c : cases) {
    const std::string name = HostOpName(c.op);
    host.faults().failAt(c.op, c.nth, c.code);
    const Frame f = host.render(input);
    EXPECT_EQ(f.err, c.expected) << name;
    EXPECT_EQ(f.render.has_value(), c.rendered) << name;
    EXPECT_EQ(host.faults().fired(c.op), 1) << name;
    EXPECT_TRUE(f.audit.balanced()) << name << ": " << f.audit.report();
    host.faults().clear();
    host.faults().resetCounts();
  }
  // Refusing a suite by name and version.
  const std::int64_t acquired = host.ledger().suite(kPFHandleSuite, 1).acquired;
  host.faults().refuseSuite(kPFHandleSuite, kPFHandleSuiteVersion1);
  EXPECT_EQ(host.render(input).err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.ledger().suite(kPFHandleSuite, 1).acquired, acquired);
}

TEST_F(HostTest, ProgressIsSeenLiveEvenWhenTheCallIsCancelled) {
  const World input = Pattern(PixelFormat::k8);
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "going on");
    struct Seen {
      ProgressCall call;
      std::size_t liveHandles;
    };
    std::vector<Seen> seen;
    RenderOptions options;
    options.onProgress = [&](std::int32_t count, std::int32_t total) {
      seen.push_back({{count, total}, host.handles().liveCount()});
    };
    if (cancel) {
      host.faults().failAt(HostOp::kProgress, 1, PF_Interrupt_CANCEL);
    }
    const Frame f = host.render(input, options);
    EXPECT_EQ(f.err, cancel ? PF_Interrupt_CANCEL : PF_Err_NONE);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].call.count, 1);
    EXPECT_EQ(seen[0].call.total, 1);
    // Global, sequence and pre-render data: seen while the frame was under way.
    EXPECT_EQ(seen[0].liveHandles, 3u);
    EXPECT_EQ(host.handles().liveCount(), 2u);
    host.faults().clear();
  }
  // A hook that throws does not unwind through the module: the call answers an error.
  RenderOptions throwing;
  throwing.onProgress = [](std::int32_t, std::int32_t) { throw 42; };
  const Frame f = host.render(input, throwing);
  EXPECT_EQ(f.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_NE(f.audit.report().find("host error in progress"), std::string::npos) << f.audit.report();
}

TEST(HostSetupTest, SetupStopsAtTheFirstFailingCommand) {
  Host host(FIXTURE_MODULE_PATH);
  host.faults().failAt(HostOp::kAddParam, 2, 610);
  try {
    host.setup();
    ADD_FAILURE() << "setup succeeded";
  } catch (const CommandFailed& e) {
    EXPECT_EQ(e.result().cmd, PF_Cmd_PARAMS_SETUP);
    EXPECT_EQ(e.result().err, 610);
  }
  EXPECT_EQ(host.lifecycle(), Lifecycle::kGlobalSetUp);
  EXPECT_EQ(host.params().count(), 1);

  host.setBasicSuiteAvailable(false);
  EXPECT_EQ(host.completelyGeneral("x").err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(host.shutdown().balanced());
}

}  // namespace
}  // namespace boxwander::minihost
