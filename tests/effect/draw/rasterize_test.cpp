#include "draw/rasterize.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "draw/blend.h"
#include "draw/color.h"
#include "draw_fixture.h"

namespace boxwander {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// Which pixels a span covers and which of them are band: drawn in Color mode with distinct
// opaque fill (F) and Edge Color (E) over transparent black (.), so each pixel shows its
// colour exactly.
TEST(DrawRectangle, BandFollowsTheSpansOwnSides) {
  const struct Case {
    const char* name;
    RectSpan span;
    std::int32_t thickness;
    std::vector<std::string> expected;
  } cases[] = {
      {"thickness 1",
       {4, 3, 3, 3, 2, 2},
       1,
       {"..........", ".EEEEEEE..", ".EFFFFFE..", ".EFFFFFE..", ".EFFFFFE..", ".EEEEEEE..",
        ".........."}},
      {"thickness 2",
       {4, 3, 3, 3, 2, 2},
       2,
       {"..........", ".EEEEEEE..", ".EEEEEEE..", ".EEFFFEE..", ".EEEEEEE..", ".EEEEEEE..",
        ".........."}},
      {"uneven shrunk span",
       {4, 3, 1, 4, 0, 2},
       1,
       {"..........", "..........", "..........", "...EEEEEE.", "...EFFFFE.", "...EEEEEE.",
        ".........."}},
      {"2 x thickness columns are all band",
       {4, 3, 1, 2, 3, 3},
       2,
       {"...EEEE...", "...EEEE...", "...EEEE...", "...EEEE...", "...EEEE...", "...EEEE...",
        "...EEEE..."}},
      {"single pixel",
       {9, 6, 0, 0, 0, 0},
       3,
       {"..........", "..........", "..........", "..........", "..........", "..........",
        ".........E"}},
      {"cut at top left: no band along the border",
       {1, 1, 3, 3, 3, 3},
       1,
       {"FFFFE.....", "FFFFE.....", "FFFFE.....", "FFFFE.....", "EEEEE.....", "..........",
        ".........."}},
      {"cut at bottom right",
       {8, 5, 2, 2, 2, 2},
       1,
       {"..........", "..........", "..........", "......EEEE", "......EFFF", "......EFFF",
        "......EFFF"}},
      {"sides beyond the 32-bit range",
       {kMax - 1, 3, kMax, kMax, 1, 1},
       1,
       {"..........", "..........", "EEEEEEEEEE", "FFFFFFFFFF", "EEEEEEEEEE", "..........",
        ".........."}},
      {"left + right < 0 is empty",
       {4, 3, 2, -3, 2, 2},
       1,
       {"..........", "..........", "..........", "..........", "..........", "..........",
        ".........."}},
      {"up + down < 0 is empty",
       {4, 3, 2, 2, -2, 1},
       1,
       {"..........", "..........", "..........", "..........", "..........", "..........",
        ".........."}},
      {"far outside",
       {kMin + 5, 3, 4, 4, 2, 2},
       1,
       {"..........", "..........", "..........", "..........", "..........", "..........",
        ".........."}},
  };
  const Pixel8 fill{255, 200, 100, 50};
  const Pixel8 edge{255, 0, 0, 255};
  for (const Case& c : cases) {
    DrawLook settings = DrawSettings();
    settings.edge_mode = kEdgeModeColor;
    settings.edge_color = edge;
    settings.edge_thickness = c.thickness;
    const Image<Pixel8> input(10, 7, fill);
    Image<Pixel8> output(10, 7);
    RevealFrame frame;
    AttachImages(frame, settings, input, output);

    DrawRectangle(frame, RectRecord{5, 3, 0, 0, 2, 2}, c.span);

    Image<Pixel8> expected(10, 7);
    for (std::int32_t y = 0; y < 7; ++y) {
      for (std::int32_t x = 0; x < 10; ++x) {
        const char m = c.expected[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
        expected.at(x, y) = m == 'F' ? fill : m == 'E' ? edge : Pixel8{};
      }
    }
    EXPECT_TRUE(SameImage(output, expected)) << c.name;
  }
}

template <class P>
struct ColourCase {
  const char* name;
  std::int32_t edgeMode;
  double brightness;
  std::int32_t invert;
  Pixel8 edgeColor;
  P sample;
  P background;
  P inner;
  P band;
};

// Draws a 5 x 5 span with a one-pixel band and checks an inner and a band pixel.
template <class P>
void CheckColours(const std::vector<ColourCase<P>>& cases) {
  for (const ColourCase<P>& c : cases) {
    DrawLook settings = DrawSettings();
    settings.edge_mode = c.edgeMode;
    settings.edge_brightness = c.brightness;
    settings.invert = c.invert;
    settings.edge_color = c.edgeColor;
    const Image<P> input(5, 5, c.sample);
    Image<P> output(5, 5, c.background);
    RevealFrame frame;
    AttachImages(frame, settings, input, output);
    DrawRectangle(frame, RectRecord{2, 2, 2, 2, 2, 2}, RectSpan{2, 2, 2, 2, 2, 2});
    EXPECT_EQ(output.at(2, 2), c.inner) << c.name;
    EXPECT_EQ(output.at(0, 0), c.band) << c.name;
    EXPECT_EQ(output.at(4, 3), c.band) << c.name;
  }
}

TEST(DrawRectangle, ColoursEightBit) {
  const Pixel8 s{200, 10, 20, 30};
  const Pixel8 none{};
  const Pixel8 green{9, 0, 255, 0};
  CheckColours<Pixel8>({
      {"gain 1: band is exactly the fill", kEdgeModeBrightness, 1.0, 0, green, s, none, s, s},
      {"gain 0: black band with the fill's alpha",
       kEdgeModeBrightness,
       0.0,
       0,
       green,
       s,
       none,
       s,
       {200, 0, 0, 0}},
      {"gain 3: value capped at 255",
       kEdgeModeBrightness,
       2.0,
       0,
       green,
       {255, 100, 100, 100},
       none,
       {255, 100, 100, 100},
       {255, 255, 255, 255}},
      {"Brightness inverted", kEdgeModeBrightness, 0.0, 1, green, s, none, {200, 0, 0, 0}, s},
      {"Color: Edge Color with the sample's alpha",
       kEdgeModeColor,
       1.0,
       0,
       green,
       s,
       none,
       s,
       {200, 0, 255, 0}},
      {"Color inverted", kEdgeModeColor, 1.0, 1, green, s, none, {200, 0, 255, 0}, s},
      {"transparent sample over opaque output is invisible",
       kEdgeModeColor,
       1.0,
       0,
       green,
       {0, 10, 20, 30},
       {255, 1, 2, 3},
       {255, 1, 2, 3},
       {255, 1, 2, 3}},
      {"transparent sample over transparent output stays transparent",
       kEdgeModeColor,
       1.0,
       0,
       green,
       {0, 10, 20, 30},
       none,
       {0, 10, 20, 30},
       {0, 0, 255, 0}},
  });
}

TEST(DrawRectangle, ColoursSixteenBit) {
  const Pixel16 s{1000, 10000, 20000, 30000};
  const Pixel16 none{};
  CheckColours<Pixel16>({
      {"gain 0: black band", kEdgeModeBrightness, 0.0, 0, {}, s, none, s, {1000, 0, 0, 0}},
      {"Color uses the 16-bit Edge Color",
       kEdgeModeColor,
       1.0,
       0,
       {9, 0, 128, 255},
       s,
       none,
       s,
       {1000, 0, 16448, 32768}},
  });
}

TEST(DrawRectangle, ColoursFloat) {
  const PixelFloat bright{1.0f, 2.0f, 0.5f, 0.25f};
  const PixelFloat none{};
  CheckColours<PixelFloat>({
      {"gain 1 keeps a fill above 1.0 in the band",
       kEdgeModeBrightness,
       1.0,
       0,
       {},
       bright,
       none,
       bright,
       bright},
      {"gain 3: band capped at 1.0, fill kept",
       kEdgeModeBrightness,
       2.0,
       0,
       {},
       bright,
       none,
       bright,
       {1.0f, 1.0f, 0.25f, 0.125f}},
      {"Color uses the float Edge Color",
       kEdgeModeColor,
       1.0,
       0,
       {0, 255, 0, 51},
       bright,
       none,
       bright,
       {1.0f, 1.0f, 0.0f, 0.2f}},
  });
}

// Samples through the input's row stride, writes through the output's, leaves both
// paddings alone, and lays a later rectangle over an earlier one.
TEST(DrawRectangle, PaddedRowsAndOverlapOrder) {
  const Pixel8 inPad{1, 2, 3, 4};
  const Pixel8 outPad{5, 6, 7, 8};
  const Pixel8 background{255, 0, 255, 0};
  const Pixel8 a{128, 255, 0, 0};
  const Pixel8 b{100, 0, 0, 255};
  Image<Pixel8> input(6, 4, inPad, 9);
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 6; ++x) {
      input.at(x, y) = {255, 50, 50, 50};
    }
  }
  input.at(1, 1) = a;
  input.at(4, 2) = b;
  Image<Pixel8> output(6, 4, outPad, 8);
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 6; ++x) {
      output.at(x, y) = background;
    }
  }
  Image<Pixel8> expected = output;
  for (std::int32_t y = 0; y < 4; ++y) {
    for (std::int32_t x = 0; x < 6; ++x) {
      expected.at(x, y) = BlendOver(background, a);
      if (x >= 3 && y >= 1 && y <= 3) {
        expected.at(x, y) = BlendOver(expected.at(x, y), b);
      }
    }
  }
  const Image<Pixel8> inputBefore = input;
  const DrawLook settings = DrawSettings();
  RevealFrame frame;
  AttachImages(frame, settings, input, output);

  DrawRectangle(frame, RectRecord{1, 1, 2, 2, 10, 10}, RectSpan{2, 2, 10, 10, 10, 10});
  DrawRectangle(frame, RectRecord{4, 2, 4, 2, 1, 1}, RectSpan{4, 2, 1, 1, 1, 1});

  EXPECT_TRUE(SameImage(output, expected));
  EXPECT_TRUE(SameImage(input, inputBefore));
}

// --- The clipped row loop against a plain per-pixel reference ------------------------

template <class P>
P RandomPixel(std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 5);
  const int alphaKind = pick(rng);
  if constexpr (std::is_same_v<P, PixelFloat>) {
    std::uniform_real_distribution<float> colour(0.0f, 1.5f);
    std::uniform_real_distribution<float> alpha(0.0f, 1.0f);
    const float a = alphaKind == 0 ? 0.0f : alphaKind == 1 ? 1.0f : alpha(rng);
    return {a, colour(rng), colour(rng), colour(rng)};
  } else {
    using C = typename PixelTraits<P>::Channel;
    constexpr int kFull = PixelTraits<P>::kFull;
    std::uniform_int_distribution<int> channel(0, kFull);
    const int a = alphaKind == 0 ? 0 : alphaKind == 1 ? kFull : channel(rng);
    return {static_cast<C>(a), static_cast<C>(channel(rng)), static_cast<C>(channel(rng)),
            static_cast<C>(channel(rng))};
  }
}

template <class P>
P EdgeColorIn(const DrawFrame& frame) {
  if constexpr (std::is_same_v<P, Pixel8>) {
    return frame.edge_color;
  } else if constexpr (std::is_same_v<P, Pixel16>) {
    return frame.edge_color16;
  } else {
    return frame.edge_color_float;
  }
}

// Every image pixel tested against the span, one at a time, in 64 bits.
template <class P>
void ReferenceDraw(const DrawFrame& frame, const RectRecord& record, const RectSpan& span) {
  P fill = frame.in<P>()[std::int64_t{record.anchorY} * frame.in_row_pixels + record.anchorX];
  P edge = fill;
  if (frame.edge_mode == kEdgeModeBrightness) {
    if (frame.edge_gain != 1.0) {
      HsvColor hsv = RgbToHsv(fill);
      hsv.value *= frame.edge_gain;
      if (hsv.value > 255.0) {
        hsv.value = 255.0;
      }
      edge = HsvToRgb<P>(hsv);
    }
  } else {
    edge = EdgeColorIn<P>(frame);
    edge.alpha = fill.alpha;
  }
  if (frame.invert != 0) {
    std::swap(fill, edge);
  }
  const std::int64_t e = frame.edge_inset;
  for (std::int32_t py = 0; py < frame.height; ++py) {
    for (std::int32_t px = 0; px < frame.width; ++px) {
      const std::int64_t dx = std::int64_t{px} - span.centerX;
      const std::int64_t dy = std::int64_t{py} - span.centerY;
      if (dx < -std::int64_t{span.left} || dx > span.right || dy < -std::int64_t{span.up} ||
          dy > span.down) {
        continue;
      }
      const bool isEdge =
          -dx >= span.left - e || dx >= span.right - e || -dy >= span.up - e || dy >= span.down - e;
      P& out = frame.out<P>()[std::int64_t{py} * frame.out_row_pixels + px];
      out = BlendOver(out, isEdge ? edge : fill);
    }
  }
}

template <class P>
void CompareWithReference(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const auto uniform = [&](std::int64_t lo, std::int64_t hi) {
    return static_cast<std::int32_t>(std::uniform_int_distribution<std::int64_t>(lo, hi)(rng));
  };
  for (int trial = 0; trial < 400; ++trial) {
    const std::int32_t w = uniform(1, 16);
    const std::int32_t h = uniform(1, 16);
    DrawLook settings = DrawSettings();
    settings.edge_thickness = uniform(-1, 5);
    settings.edge_mode = uniform(1, 2);
    settings.invert = uniform(0, 1);
    const double brightnesses[] = {0.0, 0.5, 1.0, 2.0};
    settings.edge_brightness = brightnesses[uniform(0, 3)];
    settings.edge_color = RandomPixel<Pixel8>(rng);

    Image<P> input(w, h, P{}, w + uniform(0, 3));
    for (P& p : input.pixels) {
      p = RandomPixel<P>(rng);
    }
    // A guard column and a guard row beyond the image catch writes past its edges.
    Image<P> fast(w, h + 1, P{}, w + uniform(1, 3));
    for (P& p : fast.pixels) {
      p = RandomPixel<P>(rng);
    }
    Image<P> reference = fast;
    RevealFrame fastFrame;
    AttachImages(fastFrame, settings, input, fast);
    RevealFrame referenceFrame;
    AttachImages(referenceFrame, settings, input, reference);

    for (int r = 0; r < 3; ++r) {
      const RectRecord record{uniform(0, w - 1), uniform(0, h - 1), 0, 0, 2, 2};
      RectSpan span;
      switch (uniform(0, 5)) {
        case 0:  // far outside, or with sides beyond the 32-bit range
          span = {uniform(kMin, kMax), uniform(kMin, kMax), uniform(-3, kMax),
                  uniform(-3, kMax),   uniform(-3, kMax),   uniform(-3, kMax)};
          break;
        case 1:  // one extent large, the rest small
          span = {uniform(-20, 40), uniform(-20, 40), uniform(-3, 12),
                  uniform(0, kMax), uniform(-3, 12),  uniform(-3, 12)};
          break;
        default:
          span = {uniform(-10, w + 10), uniform(-10, h + 10), uniform(-3, 14),
                  uniform(-3, 14),      uniform(-3, 14),      uniform(-3, 14)};
      }
      DrawRectangle(fastFrame, record, span);
      ReferenceDraw<P>(referenceFrame, record, span);
      ASSERT_TRUE(SameImage(fast, reference))
          << "trial " << trial << ", rectangle " << r << ": span {" << span.centerX << ", "
          << span.centerY << ", " << span.left << ", " << span.right << ", " << span.up << ", "
          << span.down << "}, thickness " << settings.edge_thickness;
    }
  }
}

TEST(DrawRectangle, ClippedLoopMatchesPerPixelReference) {
  CompareWithReference<Pixel8>(1);
  CompareWithReference<Pixel16>(2);
  CompareWithReference<PixelFloat>(3);
}

}  // namespace
}  // namespace boxwander
