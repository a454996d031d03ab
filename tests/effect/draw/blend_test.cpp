#include "draw/blend.h"

#include <gtest/gtest.h>

#include "draw_fixture.h"

namespace boxwander {
namespace {

template <class P>
struct BlendCase {
  const char* name;
  P destination;
  P source;
  P expected;
};

TEST(BlendOver, EightBit) {
  const BlendCase<Pixel8> cases[] = {
      {"transparent destination takes a partial source",
       {0, 10, 20, 30},
       {77, 200, 100, 50},
       {77, 200, 100, 50}},
      {"transparent destination wins over transparent source",
       {0, 1, 2, 3},
       {0, 9, 9, 9},
       {0, 9, 9, 9}},
      {"opaque source replaces", {128, 10, 20, 30}, {255, 1, 2, 3}, {255, 1, 2, 3}},
      {"transparent source keeps", {128, 10, 20, 30}, {0, 1, 2, 3}, {128, 10, 20, 30}},
      // d = 127, a = 255, channel = (128 * source + 127 * destination) / 255
      {"half over opaque", {255, 0, 100, 255}, {128, 255, 0, 255}, {255, 128, 49, 255}},
      // d = 254 (weight unit 256, not 255), a = 255
      {"alpha 1 over opaque", {255, 0, 0, 0}, {1, 255, 255, 255}, {255, 1, 1, 1}},
      // d = 156 * 100 >> 8 = 60, a = 160
      {"partial over partial", {100, 0, 200, 50}, {100, 200, 0, 50}, {160, 125, 75, 50}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlendOver(c.destination, c.source), c.expected) << c.name;
  }
}

TEST(BlendOver, SixteenBit) {
  const BlendCase<Pixel16> cases[] = {
      {"transparent destination takes the source", {0, 5, 5, 5}, {100, 1, 2, 3}, {100, 1, 2, 3}},
      {"full scale is 32768", {9000, 5, 5, 5}, {32768, 1, 2, 3}, {32768, 1, 2, 3}},
      {"transparent source keeps", {9000, 5, 5, 5}, {0, 1, 2, 3}, {9000, 5, 5, 5}},
      // d = 16384, a = 32768
      {"half over opaque",
       {32768, 0, 32768, 3000},
       {16384, 32768, 0, 1000},
       {32768, 16384, 16384, 2000}},
      // Channels above full scale (hosts do hand them) are capped, never wrapped.
      {"over-range channels cap",
       {65535, 65535, 65535, 65535},
       {1, 65535, 0, 65535},
       {32768, 32768, 32768, 32768}},
      // A source alpha beyond full scale leaves the destination no weight.
      {"over-range source alpha",
       {32768, 1000, 1000, 1000},
       {40000, 16000, 0, 32768},
       {32768, 19531, 0, 32768}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlendOver(c.destination, c.source), c.expected) << c.name;
  }
}

TEST(BlendOver, Float) {
  const BlendCase<PixelFloat> cases[] = {
      {"transparent destination takes the source", {0, 1, 1, 1}, {0.3f, 2, 0, 0}, {0.3f, 2, 0, 0}},
      {"opaque source replaces", {0.5f, 1, 1, 1}, {1, 0.25f, 0, 3}, {1, 0.25f, 0, 3}},
      {"transparent source keeps", {0.5f, 1, 1, 1}, {0, 0, 0, 0}, {0.5f, 1, 1, 1}},
      // d = 0.5, a = 1: colour above 1.0 kept
      {"half over opaque keeps bright colour",
       {1, 1, 0, 0.5f},
       {0.5f, 3, 0, 0.5f},
       {1, 2, 0, 0.5f}},
      // d = 0.75, a = 1.25 capped to 1
      {"alpha never above one", {1.5f, 1, 0, 0}, {0.5f, 3, 0, 0}, {1, 2.25f, 0, 0}},
      // d = 0.375, a = -0.125: nothing left
      {"non-positive alpha gives zero", {0.25f, 1, 1, 1}, {-0.5f, 1, 1, 1}, {0, 0, 0, 0}},
      // Every product, sum and quotient rounded to float in turn: factoring out s / a, or
      // forming d as alpha - s * alpha, or d or a numerator in double, changes a last bit.
      {"rounded step by step",
       {71 / 255.0f, 95 / 255.0f, 116 / 255.0f, 19 / 255.0f},
       {53 / 255.0f, 194 / 255.0f, 51 / 255.0f, 16 / 255.0f},
       {0.42840448f, 0.560903847f, 0.331234664f, 0.068802081f}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BlendOver(c.destination, c.source), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace boxwander
