// The small commands through the loaded module: about, setups, setdown, the
// completely-general command, unknown selectors and a host without a basic suite.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "minihost/world.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::test {
namespace {

using minihost::HostOp;

TEST(Lifecycle, AboutShowsNameVersionAndPurpose) {
  Host host(BOXWANDER_MODULE_PATH);
  const auto r = host.about();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_EQ(r.message, "Boxwander v1.0\rLays a chain of rectangles along a mask path.");
  EXPECT_TRUE(host.audit().balanced()) << host.audit().report();
}

TEST(Lifecycle, GlobalSetupDeclaresVersionFlagsAndHandsOverItsBlock) {
  Host host(BOXWANDER_MODULE_PATH);
  const auto r = host.globalSetup();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_EQ(r.myVersion, 0x00080601u);
  EXPECT_EQ(r.outFlags, 0x06000040);
  EXPECT_EQ(r.outFlags2, 0x00001400);  // never PF_OutFlag2_I_AM_THREADSAFE
  EXPECT_EQ(host.registeredName(), "Error!");
  ASSERT_NE(host.globalData(), nullptr);
  EXPECT_EQ(*static_cast<const std::uint8_t*>(*host.globalData()), 1) << "initialized";
  EXPECT_TRUE(host.audit().balanced()) << host.audit().report();
}

// Selectors the effect does not handle (some the host sends, some it never would).
constexpr PF_Cmd kUnknown[] = {PF_Cmd_GLOBAL_SETDOWN,
                               PF_Cmd_SEQUENCE_FLATTEN,
                               PF_Cmd_DO_DIALOG,
                               PF_Cmd_FRAME_SETUP,
                               PF_Cmd_RENDER,
                               PF_Cmd_FRAME_SETDOWN,
                               PF_Cmd_EVENT,
                               25,
                               1000,
                               -1};

TEST(Lifecycle, UnknownSelectorsDoNothing) {
  Host host(BOXWANDER_MODULE_PATH);
  for (const PF_Cmd cmd : kUnknown) {
    const auto r = host.command(cmd);
    EXPECT_EQ(r.err, PF_Err_NONE) << cmd;
    EXPECT_EQ(r.outFlags, 0) << cmd;
    EXPECT_EQ(r.myVersion, 0u) << cmd;
    EXPECT_EQ(r.message, "") << cmd;
  }
  EXPECT_EQ(host.faults().calls(HostOp::kAcquireSuite), 0);
}

TEST(Lifecycle, UnknownSelectorsTouchNeitherOutDataNorTheOutput) {
  // Out-data and an output buffer that hold something, so a write would show.
  minihost::CommandStart start;
  start.outData.my_version = 0x01020304;
  start.outData.out_flags = 0x5A5A5A5A;
  start.outData.out_flags2 = 0x1234;
  start.outData.num_params = 99;
  std::strcpy(start.outData.return_msg, "as the host left it");
  const World marked = MarkedWorld(PixelFormat::k8, 8, 4);
  World output = marked;
  start.output = &output;

  Host host(BOXWANDER_MODULE_PATH);
  for (const PF_Cmd cmd : kUnknown) {
    const auto r = host.command(cmd, nullptr, start);
    EXPECT_EQ(r.err, PF_Err_NONE) << cmd;
    EXPECT_EQ(r.myVersion, start.outData.my_version) << cmd;
    EXPECT_EQ(r.outFlags, start.outData.out_flags) << cmd;
    EXPECT_EQ(r.outFlags2, start.outData.out_flags2) << cmd;
    EXPECT_EQ(r.numParams, start.outData.num_params) << cmd;
    EXPECT_EQ(r.message, start.outData.return_msg) << cmd;
    EXPECT_EQ(r.globalData, nullptr) << cmd;
    EXPECT_EQ(r.sequenceData, nullptr) << cmd;
    EXPECT_EQ(minihost::FirstDifference(output, marked), std::nullopt) << cmd;
  }
  EXPECT_TRUE(host.audit().balanced()) << host.audit().report();
}

TEST(Lifecycle, ResetupLeavesOneFreshZeroedStateBlock) {
  const auto host = ReadyHost();
  const PF_Handle first = host->sequenceData();
  ASSERT_NE(first, nullptr);
  const std::size_t live = host->handles().liveCount();

  EXPECT_EQ(host->sequenceResetup().err, PF_Err_NONE);
  const PF_Handle second = host->sequenceData();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(host->handles().liveCount(), live);
  // A whole parameter state, so the host's comparison never reads past the block.
  ASSERT_EQ(host->handles().size(second), sizeof(PF_State));
  const auto* bytes = static_cast<const std::uint8_t*>(*second);
  for (std::size_t i = 0; i < sizeof(PF_State); ++i) {
    EXPECT_EQ(bytes[i], 0) << "byte " << i;
  }
  EXPECT_TRUE(host->audit().balanced()) << host->audit().report();
}

TEST(Lifecycle, SetdownWithoutBlockAcquiresNothing) {
  Host host(BOXWANDER_MODULE_PATH);
  ASSERT_EQ(host.globalSetup().err, PF_Err_NONE);
  host.faults().resetCounts();
  EXPECT_EQ(host.sequenceSetdown().err, PF_Err_NONE);
  EXPECT_EQ(host.faults().calls(HostOp::kAcquireSuite), 0);
}

TEST(Lifecycle, CompletelyGeneralEchoesTextWithinTheMessageField) {
  struct Case {
    const char* name;
    const char* text;
    std::string expected;
  };
  const std::string longText(1000, 'q');
  const Case cases[] = {
      {"plain", "hello", "hello"},
      {"empty", "", ""},
      {"null extra", nullptr, ""},
      {"format directives are text", "%s%s%n%p", "%s%s%n%p"},
      {"cut to 255 bytes", longText.c_str(), std::string(255, 'q')},
  };
  Host host(BOXWANDER_MODULE_PATH);
  for (const Case& c : cases) {
    const auto r = host.completelyGeneral(c.text);
    EXPECT_EQ(r.err, PF_Err_NONE) << c.name;
    EXPECT_EQ(r.message, c.expected) << c.name;
  }
  EXPECT_TRUE(host.audit().balanced()) << host.audit().report();
}

TEST(Lifecycle, NoBasicSuiteFailsEveryHandlerThatNeedsOne) {
  struct Case {
    const char* name;
    std::function<void(Host&)> before;  // with the basic suite
    std::function<PF_Err(Host&)> run;   // without it
    PF_Err expected;
  };
  const auto nothing = [](Host&) {};
  const auto setUp = [](Host& h) { h.setup(); };
  const World input = TestPicture(PixelFormat::k8, 8, 8, 0);
  const Case cases[] = {
      {"about", nothing, [](Host& h) { return h.about().err; }, 516},
      {"global setup", nothing, [](Host& h) { return h.globalSetup().err; }, 516},
      {"parameter setup", [](Host& h) { h.globalSetup(); },
       [](Host& h) { return h.paramsSetup().err; }, 0},
      {"sequence setup", setUp, [](Host& h) { return h.sequenceSetup().err; }, 516},
      {"setdown with a block", setUp, [](Host& h) { return h.sequenceSetdown().err; }, 516},
      {"UI update", setUp, [](Host& h) { return h.updateParamsUI().err; }, 516},
      {"completely general", nothing, [](Host& h) { return h.completelyGeneral("x").err; }, 516},
      {"render", setUp, [&](Host& h) { return h.render(input).err; }, 516},
  };
  for (const Case& c : cases) {
    Host host(BOXWANDER_MODULE_PATH);
    c.before(host);
    host.setBasicSuiteAvailable(false);
    EXPECT_EQ(c.run(host), c.expected) << c.name;
  }

  Host host(BOXWANDER_MODULE_PATH);
  host.setBasicSuiteAvailable(false);
  const auto r = host.globalSetup();
  EXPECT_EQ(r.myVersion, 0u) << "nothing is set without a basic suite";
  EXPECT_EQ(r.outFlags, 0);
}

}  // namespace
}  // namespace boxwander::test
