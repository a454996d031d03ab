#include <gtest/gtest.h>

#include <string>

#include "cli/common/cli_error.h"
#include "cli/controls/controls.h"
#include "cli/controls/frame_range.h"
#include "cli/controls/keyframes.h"
#include "tests/cli/failure_of.h"

namespace boxwander::cli {
namespace {

TEST(Keyframes, LinearBetweenHeldOutside) {
  struct Case {
    const char* text;
    std::int32_t frame;
    double expected;
  };
  const Case cases[] = {
      {"12.5", -7, 12.5},           {"12.5", 1000, 12.5},          {"0@0,100@10", 5, 50},
      {"0@0,100@10", -3, 0},    // held before the first
      {"0@0,100@10", 20, 100},  // held after the last
      {"100@10,0@0", 5, 50},    // keyframes in any order
      {"0@0,100@10,50@20", 15, 75}, {"0@0,100@10,50@20", 10, 100}, {"-1@4,1@8", 7, 0.5},
      {"0.1@0,0.7@3", 3, 0.7},  // a keyframe's own value exactly, not 0.1 + 0.6
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.frame));
    EXPECT_EQ(ParseTrack(c.text).at(c.frame), c.expected);
  }
}

TEST(Controls, ValuesReachTheModuleAsTheHostStoresThem) {
  AnimatedControls controls;
  // Defaults are the module's own.
  const ControlValues initial = controls.at(0);
  const ControlValues module;
  EXPECT_EQ(initial.time_fixed, module.time_fixed);
  EXPECT_EQ(initial.max_width, module.max_width);
  EXPECT_EQ(initial.min_width_fixed, module.min_width_fixed);
  EXPECT_EQ(initial.wh, module.wh);
  EXPECT_EQ(initial.wh_variance_fixed, module.wh_variance_fixed);
  EXPECT_EQ(initial.edge_thickness, module.edge_thickness);
  EXPECT_EQ(initial.edge_brightness, module.edge_brightness);
  EXPECT_EQ(initial.seed, module.seed);
  EXPECT_EQ(initial.edge_color, module.edge_color);

  controls.time = ParseControlTrack(kTime, "0@0,100@47");
  controls.minWidth = ParseControlTrack(kMinWidth, "33.3");
  controls.maxWidth = ParseControlTrack(kMaxWidth, "2@0,5@2");
  controls.widthHeight = ParseControlTrack(kWidthHeight, "-0.37");
  controls.seed = ParseControlTrack(kSeed, "0@0,3@4");
  controls.invert = true;
  const ControlValues v = controls.at(1);
  EXPECT_EQ(v.time_fixed, 139438);        // 100/47 % = 139437.957.../65536
  EXPECT_EQ(v.min_width_fixed, 2182349);  // 33.3 % = 2182348.8/65536
  EXPECT_EQ(v.max_width, 4);              // 3.5 rounds half up
  EXPECT_EQ(v.wh, -0.37);                 // float sliders keep the double
  EXPECT_EQ(v.seed, 1);                   // 0.75
  EXPECT_EQ(v.invert, 1);
  EXPECT_EQ(controls.at(47).time_fixed, 100 << 16);
}

TEST(Controls, RefusesBadValuesNamingOptionAndRange) {
  struct Case {
    const NumericControl* control;
    const char* text;
    const char* message;  // the message, or its beginning
  };
  const Case cases[] = {
      {&kTime, "150", "--time: 150 is out of range 0..100"},
      {&kTime, "0@0,100.5@10", "--time: 100.5 is out of range 0..100"},
      {&kTime, "100.0000001", "--time: 100.0000001 is out of range 0..100"},
      {&kMaxWidth, "1", "--max-width: 1 is out of range 2..5000"},
      {&kMaxWidth, "50.5", "--max-width: 50.5 is not a whole number"},
      {&kWidthHeight, "-1.5", "--wh: -1.5 is out of range -1..1"},
      {&kSeed, "50001", "--seed: 50001 is out of range 0..50000"},
      {&kTime, "abc", "--time: expected VALUE or VALUE@FRAME[,VALUE@FRAME...], found 'abc'"},
      {&kTime, "nan", "--time: expected VALUE"},
      {&kTime, "1e999", "--time: expected VALUE"},
      {&kTime, "0x10", "--time: expected VALUE"},
      {&kTime, "10@", "--time: expected VALUE"},
      {&kTime, "10@1.5", "--time: expected VALUE"},
      {&kTime, "50@0,20", "--time: expected VALUE"},
      {&kTime, "10@1,20@1", "--time: frame 1 has two keyframes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string message = FailureOf([&] { ParseControlTrack(*c.control, c.text); });
    EXPECT_TRUE(message.starts_with(c.message)) << message;
  }
}

TEST(Controls, ColoursAndChoices) {
  struct Case {
    const char* text;
    Pixel8 expected;
  };
  const Case good[] = {
      {"#FF8000", {255, 255, 128, 0}},
      {"#80ff8000", {128, 255, 128, 0}},
      {"10,20,30", {255, 10, 20, 30}},
      {"10,20,30,40", {40, 10, 20, 30}},  // alpha last in this form
  };
  for (const Case& c : good) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseColor(c.text), c.expected);
  }
  for (const char* bad :
       {"#FF80", "#GG8000", "FF8000", "10,20", "1,2,3,4,5", "10,,30", "", "10,20,300", "-1,0,0"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(FailureOf([&] { ParseColor(bad); }).rfind("--edge-color: ", 0), 0u);
  }
  EXPECT_EQ(ParseMode("discrete2"), kModeDiscrete2);
  EXPECT_EQ(ParseEdgeMode("color"), kEdgeModeColor);
  EXPECT_EQ(FailureOf([] { ParseMode("Discrete 1"); }),
            "--mode: expected continuous, discrete1 or discrete2, found 'Discrete 1'");
}

TEST(FrameRanges, RangesAndFrameNumbersInNames) {
  EXPECT_EQ(ParseFrameRange("12").first, 12);
  EXPECT_EQ(ParseFrameRange("3-47").last, 47);
  EXPECT_EQ(ParseFrameRange("3-47").count(), 45);
  for (const char* bad :
       {"", "-", "5-", "-5", "7-3", "1-2-3", "a-b", "+1-2", "1 - 2", "99999999999"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(FailureOf([&] { ParseFrameRange(bad); }).rfind("--frames: expected A-B", 0), 0u);
  }
  struct Case {
    const char* pattern;
    std::int32_t frame;
    const char* expected;
  };
  const Case names[] = {
      {"out/frame.####.png", 7, "out/frame.0007.png"},
      {"f#.png", 123, "f123.png"},  // wider than the run when it must be
      {"a##/b###.exr", 5, "a05/b005.exr"},
      {"still.png", 5, "still.png"},
  };
  for (const Case& c : names) {
    EXPECT_EQ(FrameFileName(c.pattern, c.frame), c.expected);
  }
  EXPECT_FALSE(HasFrameNumber("still.png"));
}

}  // namespace
}  // namespace boxwander::cli
