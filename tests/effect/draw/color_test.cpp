#include "draw/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "draw_fixture.h"

namespace boxwander {
namespace {

TEST(RgbToHsv, FindsHueSaturationAndValue) {
  const struct Case {
    const char* name;
    Pixel8 pixel;
    HsvColor expected;
  } cases[] = {
      {"grey", {77, 100, 100, 100}, {77, 0, 0, 100}},
      {"black, no division", {255, 0, 0, 0}, {255, 0, 0, 0}},
      {"red", {255, 255, 0, 0}, {255, 0, 255, 255}},
      {"green", {255, 0, 255, 0}, {255, 120, 255, 255}},
      {"blue", {255, 0, 0, 255}, {255, 240, 255, 255}},
      {"negative raw hue lifted by 360", {255, 255, 0, 128}, {255, 329.88235294117646, 255, 255}},
      {"red and green largest: red decides", {255, 255, 255, 0}, {255, 60, 255, 255}},
      {"dark orange", {10, 200, 100, 50}, {10, 20, 191.25, 200}},
  };
  for (const Case& c : cases) {
    const HsvColor hsv = RgbToHsv(c.pixel);
    EXPECT_EQ(hsv.alpha, c.expected.alpha) << c.name;
    EXPECT_NEAR(hsv.hue, c.expected.hue, 1e-9) << c.name;
    EXPECT_NEAR(hsv.saturation, c.expected.saturation, 1e-9) << c.name;
    EXPECT_EQ(hsv.value, c.expected.value) << c.name;
  }
}

TEST(RgbToHsv, OtherDepthsMeasureOnTheEightBitScaleButKeepTheirAlpha) {
  const HsvColor h16 = RgbToHsv(Pixel16{20000, 16384, 32768, 0});
  EXPECT_EQ(h16.alpha, 20000.0);
  EXPECT_EQ(h16.hue, 90.0);
  EXPECT_EQ(h16.value, 255.0);

  const HsvColor hf = RgbToHsv(PixelFloat{0.5f, 0.5f, 1.0f, 0.0f});
  EXPECT_EQ(hf.alpha, 0.5);
  EXPECT_EQ(hf.hue, 90.0);
  EXPECT_EQ(hf.value, 255.0);
  // A float channel above 1.0 gives a value above 255.
  EXPECT_EQ(RgbToHsv(PixelFloat{1.0f, 2.0f, 0.0f, 0.0f}).value, 510.0);
}

TEST(HsvToRgb, GreyBranchAndCeilingInEveryDepth) {
  const struct Case {
    const char* name;
    HsvColor hsv;
    Pixel8 p8;
    Pixel16 p16;
    PixelFloat pf;
  } cases[] = {
      {"grey 100",
       {255, 0, 0, 100},
       {255, 100, 100, 100},
       {255, 12850, 12850, 12850},
       {255, 100.0f / 255.0f, 100.0f / 255.0f, 100.0f / 255.0f}},
      {"grey above 255 caps",
       {200, 0, 0, 300},
       {200, 255, 255, 255},
       {200, 32768, 32768, 32768},
       {200, 1, 1, 1}},
      {"red above 255 caps its own channel",
       {255, 0, 255, 400},
       {255, 255, 0, 0},
       {255, 32768, 0, 0},
       {255, 1, 0, 0}},
      {"yellow", {255, 60, 255, 255}, {255, 255, 255, 0}, {255, 32768, 32768, 0}, {255, 1, 1, 0}},
      {"blue", {255, 240, 255, 255}, {255, 0, 0, 255}, {255, 0, 0, 32768}, {255, 0, 0, 1}},
      // No lower clamp: a negative channel keeps its low bits, and NaN gives 0; both defined.
      {"negative grey wraps",
       {-1, 0, 0, -1},
       {255, 255, 255, 255},
       {65535, 65408, 65408, 65408},
       {-1, -1.0f / 255.0f, -1.0f / 255.0f, -1.0f / 255.0f}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HsvToRgb<Pixel8>(c.hsv), c.p8) << c.name;
    EXPECT_EQ(HsvToRgb<Pixel16>(c.hsv), c.p16) << c.name;
    EXPECT_EQ(HsvToRgb<PixelFloat>(c.hsv), c.pf) << c.name;
  }
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(HsvToRgb<Pixel8>({nan, nan, 255, nan}), (Pixel8{0, 0, 0, 0}));
  EXPECT_EQ(HsvToRgb<Pixel16>({1e300, 1e300, 255, -1e300}), (Pixel16{65535, 0, 0, 0}));
}

TEST(HsvRoundTrip, EightBitComesBackUnchangedOrOneLower) {
  for (int c = 0; c < 256; ++c) {
    const auto v = static_cast<std::uint8_t>(c);
    const Pixel8 grey{static_cast<std::uint8_t>(255 - c), v, v, v};
    ASSERT_EQ(HsvToRgb<Pixel8>(RgbToHsv(grey)), grey) << c;
  }
  const auto near = [](std::uint8_t back, std::uint8_t in) { return back == in || back + 1 == in; };
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 17) {
      for (int b = 0; b < 256; b += 5) {
        const Pixel8 in{static_cast<std::uint8_t>((r + g + b) & 255), static_cast<std::uint8_t>(r),
                        static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
        const Pixel8 back = HsvToRgb<Pixel8>(RgbToHsv(in));
        ASSERT_EQ(back.alpha, in.alpha);
        ASSERT_TRUE(near(back.red, in.red) && near(back.green, in.green) &&
                    near(back.blue, in.blue))
            << ::testing::PrintToString(in) << " came back as " << ::testing::PrintToString(back);
      }
    }
  }
}

TEST(HsvRoundTrip, BrightenedColoursBitForBit) {
  // Gain 3 (Edge Brightness 2) on dark colours: each row truncates one channel differently
  // under another grouping of the same arithmetic (hue per branch, saturation, the fraction
  // within the sector, q and t), so the formulas are pinned as written.
  const struct Case {
    const char* name;
    Pixel8 pixel;
    Pixel8 expected;
  } cases[] = {
      {"red largest", {90, 7, 0, 5}, {90, 21, 0, 14}},
      {"green largest", {90, 0, 7, 1}, {90, 0, 21, 2}},
      {"blue largest", {90, 0, 1, 7}, {90, 0, 2, 21}},
      {"saturation", {90, 1, 1, 7}, {90, 2, 2, 21}},
      {"fraction within the sector", {90, 0, 1, 5}, {90, 0, 3, 15}},
  };
  for (const Case& c : cases) {
    HsvColor hsv = RgbToHsv(c.pixel);
    hsv.value *= 3.0;
    EXPECT_EQ(HsvToRgb<Pixel8>(hsv), c.expected) << c.name;
  }
}

TEST(HsvRoundTrip, FloatNeverComesBackAboveOne) {
  const PixelFloat pixels[] = {
      {1.0f, 2.0f, 0.5f, 0.25f}, {0.5f, 1.5f, 1.5f, 1.5f}, {1.0f, 0.1f, 3.0f, 0.9f}};
  for (const PixelFloat& p : pixels) {
    for (const double gain : {1.0, 0.5, 3.0}) {
      HsvColor hsv = RgbToHsv(p);
      hsv.value *= gain;
      const PixelFloat back = HsvToRgb<PixelFloat>(hsv);
      EXPECT_LE(back.red, 1.0f) << ::testing::PrintToString(p) << " gain " << gain;
      EXPECT_LE(back.green, 1.0f) << ::testing::PrintToString(p) << " gain " << gain;
      EXPECT_LE(back.blue, 1.0f) << ::testing::PrintToString(p) << " gain " << gain;
      EXPECT_EQ(back.alpha, p.alpha);
    }
  }
}

TEST(EdgeColorConversions, WidenEveryChannelAlphaIncluded) {
  for (int c = 0; c < 256; ++c) {
    const auto v = static_cast<std::uint8_t>(c);
    const auto expected = static_cast<std::uint16_t>((c * 32768 + 128) / 255);
    ASSERT_EQ(Color8To16({v, v, v, v}), (Pixel16{expected, expected, expected, expected})) << c;
  }
  EXPECT_EQ(Color8To16({0, 128, 255, 1}), (Pixel16{0, 16448, 32768, 129}));
  EXPECT_EQ(Color8ToFloat({255, 0, 51, 255}), (PixelFloat{1.0f, 0.0f, 0.2f, 1.0f}));
}

}  // namespace
}  // namespace boxwander
