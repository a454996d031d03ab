// The fast run blends against the plain per-pixel over-blend, bit for bit, on seeded random
// colours and destinations in every depth; and whole rectangles drawn through them against
// a pixel-by-pixel drawing.
#include "draw/blend_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

#include "draw_fixture.h"

namespace boxwander {
namespace {

// Same bits, except that any NaN matches any NaN: which NaN an operation passes on is the
// processor's choice, not the blend's.
template <class P>
bool SamePixel(const P& a, const P& b) {
  if constexpr (std::is_same_v<P, PixelFloat>) {
    const float x[4] = {a.alpha, a.red, a.green, a.blue};
    const float y[4] = {b.alpha, b.red, b.green, b.blue};
    for (int c = 0; c < 4; ++c) {
      if (std::isnan(x[c]) ? !std::isnan(y[c]) : std::memcmp(&x[c], &y[c], sizeof(float)) != 0) {
        return false;
      }
    }
    return true;
  } else {
    return std::memcmp(&a, &b, sizeof(P)) == 0;
  }
}

// Alphas that take each path of the blend, its edges, and random ones.
template <class P>
typename PixelTraits<P>::Channel RandomAlpha(std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 9);
  const int k = pick(rng);
  if constexpr (std::is_same_v<P, PixelFloat>) {
    const float special[] = {0.0f, 1.0f / 255, 127.0f / 255, 128.0f / 255, 254.0f / 255,
                             1.0f, -0.0f,      1.5f,         -0.25f};
    if (k < 9 && pick(rng) < 6) {
      return special[k];
    }
    if (k == 9 && pick(rng) == 0) {
      return std::numeric_limits<float>::quiet_NaN();
    }
    return std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
  } else {
    using C = typename PixelTraits<P>::Channel;
    constexpr std::uint32_t kFull = PixelTraits<P>::kFull;
    const std::uint32_t special[] = {0, 1, 127, 128, 254, 255, kFull - 1, kFull, kFull / 2};
    if (k < 9) {
      return static_cast<C>(special[k]);
    }
    // Beyond full scale too, where the channel type allows it (16 bits).
    return static_cast<C>(
        std::uniform_int_distribution<std::uint32_t>(0, std::numeric_limits<C>::max())(rng));
  }
}

template <class P>
P RandomColour(std::mt19937& rng) {
  using C = typename PixelTraits<P>::Channel;
  const auto channel = [&]() -> C {
    if constexpr (std::is_same_v<P, PixelFloat>) {
      return std::uniform_real_distribution<float>(-0.1f, 1.6f)(rng);
    } else {
      // Mostly within full scale, sometimes anywhere the type allows.
      const std::uint32_t top = std::uniform_int_distribution<int>(0, 7)(rng) == 0
                                    ? std::numeric_limits<C>::max()
                                    : PixelTraits<P>::kFull;
      return static_cast<C>(std::uniform_int_distribution<std::uint32_t>(0, top)(rng));
    }
  };
  const C alpha = RandomAlpha<P>(rng);
  return {alpha, channel(), channel(), channel()};
}

// A way of blending a run of one colour, held against BlendRunPlain.
template <class P>
using Blender = void (*)(P* row, std::int64_t from, std::int64_t to, P colour);

template <class P>
void ThroughRunColor(P* row, std::int64_t from, std::int64_t to, P colour) {
  BlendRun(row, from, to, RunColor<P>(colour));
}
template <class P>
void ThroughScalarMix(P* row, std::int64_t from, std::int64_t to, P colour) {
  MixRunScalar(row, from, to, MixColor<P>::Of(colour));
}
#if defined(BOXWANDER_VECTOR_MIX)
template <class P>
void ThroughVectorMix(P* row, std::int64_t from, std::int64_t to, P colour) {
  MixRunVector(row, from, to, MixColor<P>::Of(colour));
}
#endif
#if defined(BOXWANDER_AVX2_MIX)
template <class P>
void ThroughAvx2Mix(P* row, std::int64_t from, std::int64_t to, P colour) {
  MixRunAvx2(row, from, to, MixColor<P>::Of(colour));
}
#endif

// The colours MixColor takes: translucent, integer alphas within full scale.
template <class P>
bool Mixable(const P& colour) {
  if constexpr (std::is_same_v<P, PixelFloat>) {
    return colour.alpha != 0.0f && colour.alpha != 1.0f;
  } else {
    return colour.alpha != 0 && colour.alpha < PixelTraits<P>::kFull;
  }
}

// Rows of random destinations with a random stride; several runs of one colour each, of
// every length up to 40 from every start: short runs, vector groups from misaligned starts
// and every remainder after them.
template <class P>
void CompareRuns(std::uint32_t seed, Blender<P> blend = ThroughRunColor<P>,
                 bool mixable_only = false) {
  std::mt19937 rng(seed);
  const auto uniform = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  for (int trial = 0; trial < 3000; ++trial) {
    const int width = uniform(1, 40);
    const int stride = width + uniform(0, 5);
    const int rows = uniform(1, 4);
    std::vector<P> fast(static_cast<std::size_t>(stride * rows));
    for (P& p : fast) {
      p = RandomColour<P>(rng);
    }
    std::vector<P> plain = fast;
    P colour = RandomColour<P>(rng);
    while (mixable_only && !Mixable(colour)) {
      colour = RandomColour<P>(rng);
    }
    for (int r = 0; r < rows; ++r) {
      const int from = uniform(0, width - 1);
      const int to = uniform(from - 1, width - 1);  // sometimes empty
      blend(fast.data() + r * stride, from, to, colour);
      BlendRunPlain(plain.data() + r * stride, from, to, colour);
    }
    for (std::size_t i = 0; i < fast.size(); ++i) {
      ASSERT_TRUE(SamePixel(fast[i], plain[i]))
          << "trial " << trial << ", pixel " << i << ": " << ::testing::PrintToString(fast[i])
          << " against " << ::testing::PrintToString(plain[i]) << ", colour "
          << ::testing::PrintToString(colour);
    }
  }
}

TEST(BlendRun, MatchesThePlainBlendEightBit) {
  CompareRuns<Pixel8>(11);
}
TEST(BlendRun, MatchesThePlainBlendSixteenBit) {
  CompareRuns<Pixel16>(12);
}
TEST(BlendRun, MatchesThePlainBlendFloat) {
  CompareRuns<PixelFloat>(13);
}

// The translucent blends directly, the portable loop and the vector ones alike: whichever the
// build dispatches to, the others are held to the same results.
TEST(BlendRun, ScalarMixMatchesThePlainBlend) {
  CompareRuns<Pixel8>(31, ThroughScalarMix<Pixel8>, true);
  CompareRuns<Pixel16>(32, ThroughScalarMix<Pixel16>, true);
  CompareRuns<PixelFloat>(33, ThroughScalarMix<PixelFloat>, true);
}

TEST(BlendRun, VectorMixMatchesThePlainBlend) {
#if defined(BOXWANDER_VECTOR_MIX)
  CompareRuns<Pixel8>(41, ThroughVectorMix<Pixel8>, true);
  CompareRuns<Pixel16>(42, ThroughVectorMix<Pixel16>, true);
  CompareRuns<PixelFloat>(43, ThroughVectorMix<PixelFloat>, true);
#else
  GTEST_SKIP() << "no vector loops on this machine";
#endif
}

TEST(BlendRun, Avx2MixMatchesThePlainBlend) {
#if defined(BOXWANDER_AVX2_MIX)
  if (!mix_avx2::Supported()) {
    GTEST_SKIP() << "this processor has no AVX2";
  }
  CompareRuns<Pixel8>(51, ThroughAvx2Mix<Pixel8>, true);
  CompareRuns<Pixel16>(52, ThroughAvx2Mix<Pixel16>, true);
  CompareRuns<PixelFloat>(53, ThroughAvx2Mix<PixelFloat>, true);
#else
  GTEST_SKIP() << "no AVX2 loop in this build";
#endif
}

// Every source alpha of 8 bits over every destination alpha, channels at their extremes.
TEST(BlendRun, EveryEightBitAlphaPair) {
  std::vector<Pixel8> row;
  for (int a = 0; a < 256; ++a) {
    row.push_back({static_cast<std::uint8_t>(a), 0, 255, static_cast<std::uint8_t>(a)});
  }
  for (int s = 0; s < 256; ++s) {
    const Pixel8 colour{static_cast<std::uint8_t>(s), 255, 0, static_cast<std::uint8_t>(255 - s)};
    std::vector<Pixel8> fast = row;
    std::vector<Pixel8> plain = row;
    BlendRun(fast.data(), 0, 255, RunColor<Pixel8>(colour));
    BlendRunPlain(plain.data(), 0, 255, colour);
    ASSERT_EQ(fast, plain) << "source alpha " << s;
  }
}

// Whole rectangles: DrawRectangle against blending each pixel of the span on its own, with
// samples and destinations of the alphas above and rows longer than the image.
template <class P>
void CompareRectangles(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const auto uniform = [&](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
  };
  for (int trial = 0; trial < 300; ++trial) {
    const int w = uniform(1, 24);
    const int h = uniform(1, 24);
    DrawLook settings = DrawSettings();
    settings.edge_thickness = uniform(1, 4);
    settings.edge_mode = uniform(1, 2);  // gain 1: in Brightness the band is the fill
    settings.edge_color = {255, static_cast<std::uint8_t>(uniform(0, 255)), 40, 200};
    Image<P> input(w, h, P{}, w + uniform(0, 3));
    for (P& p : input.pixels) {
      p = RandomColour<P>(rng);
    }
    Image<P> fast(w, h, P{}, w + uniform(0, 5));
    for (P& p : fast.pixels) {
      p = RandomColour<P>(rng);
    }
    Image<P> plain = fast;
    RevealFrame frame;
    AttachImages(frame, settings, input, fast);
    const RectRecord record{uniform(0, w - 1),  uniform(0, h - 1), uniform(-5, w + 5),
                            uniform(-5, h + 5), uniform(0, 12),    uniform(0, 12)};
    DrawRectangle(frame, record, WholeSpan(record));

    const P fill = input.at(record.anchorX, record.anchorY);
    P edge = fill;
    if (settings.edge_mode == kEdgeModeColor) {
      if constexpr (std::is_same_v<P, Pixel8>) {
        edge = settings.edge_color;
      } else if constexpr (std::is_same_v<P, Pixel16>) {
        edge = frame.edge_color16;
      } else {
        edge = frame.edge_color_float;
      }
      edge.alpha = fill.alpha;
    }
    const int e = settings.edge_thickness - 1;
    for (int y = record.centerY - record.halfHeight; y <= record.centerY + record.halfHeight; ++y) {
      for (int x = record.centerX - record.halfWidth; x <= record.centerX + record.halfWidth; ++x) {
        if (x < 0 || x >= w || y < 0 || y >= h) {
          continue;
        }
        const int dx = x - record.centerX;
        const int dy = y - record.centerY;
        const bool isEdge = -dx >= record.halfWidth - e || dx >= record.halfWidth - e ||
                            -dy >= record.halfHeight - e || dy >= record.halfHeight - e;
        plain.at(x, y) = BlendOver(plain.at(x, y), isEdge ? edge : fill);
      }
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < fast.rowPixels; ++x) {
        ASSERT_TRUE(SamePixel(fast.at(x, y), plain.at(x, y)))
            << "trial " << trial << " at (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(BlendRun, RectanglesMatchPixelByPixelDrawing) {
  CompareRectangles<Pixel8>(21);
  CompareRectangles<Pixel16>(22);
  CompareRectangles<PixelFloat>(23);
}

}  // namespace
}  // namespace boxwander
