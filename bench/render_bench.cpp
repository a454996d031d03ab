// One 1920 x 1080 frame with a spiral mask of about 20,000 pixels of arc length at
// Time 50 %: the walk, the reveal per depth, the whole render per depth, and a memcpy of
// the same frame as the yardstick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "bench/scene.h"
#include "draw/reveal.h"
#include "geometry/path_walk.h"
#include "render/render_core.h"

namespace boxwander::bench {
namespace {

constexpr double kArcLength = 20000.0;

template <class P>
std::vector<P> Frame(P colour) {
  return std::vector<P>(static_cast<std::size_t>(kWidth) * kHeight, colour);
}

template <class P>
P Opaque();
template <>
Pixel8 Opaque<Pixel8>() {
  return {255, 180, 90, 30};
}
template <>
Pixel16 Opaque<Pixel16>() {
  return {32768, 23000, 11000, 4000};
}
template <>
PixelFloat Opaque<PixelFloat>() {
  return {1.0f, 0.7f, 0.35f, 0.12f};
}

template <class P>
constexpr PixelFormat FormatOf() {
  if constexpr (std::is_same_v<P, Pixel8>) {
    return PixelFormat::k8;
  } else if constexpr (std::is_same_v<P, Pixel16>) {
    return PixelFormat::k16;
  } else {
    return PixelFormat::kFloat;
  }
}

template <class P>
void BM_Memcpy(benchmark::State& state) {
  const std::vector<P> in = Frame(Opaque<P>());
  std::vector<P> out = Frame(P{});
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size() * sizeof(P));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(in.size() * sizeof(P)));
}

// The walk is the same in every depth.
void BM_Walk(benchmark::State& state) {
  StraightSegmentPath path = Spiral(kArcLength);
  const PreRenderData settings = SceneSettings();
  CoverageMap coverage;
  std::int32_t rects = 0;
  for (auto _ : state) {
    RenderFrame frame;
    frame.settings = &settings;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.coverage = &coverage;
    PrepareFrame(frame);
    benchmark::DoNotOptimize(RunPathWalk(frame, path, kErrNone));
    rects = frame.rectCount;
  }
  state.counters["rects"] = rects;
}

template <class P>
void BM_Reveal(benchmark::State& state) {
  StraightSegmentPath path = Spiral(kArcLength);
  const PreRenderData settings = SceneSettings();
  const std::vector<P> in = Frame(Opaque<P>());
  std::vector<P> out = in;
  CoverageMap coverage;
  RenderFrame frame;
  frame.settings = &settings;
  frame.format = FormatOf<P>();
  frame.width = kWidth;
  frame.height = kHeight;
  frame.in_row_pixels = kWidth;
  frame.out_row_pixels = kWidth;
  frame.in_pixels = in.data();
  frame.out_pixels = out.data();
  frame.pixel_count = static_cast<std::int64_t>(kWidth) * kHeight;
  frame.coverage = &coverage;
  PrepareFrame(frame);
  RunPathWalk(frame, path, kErrNone);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RevealWalk(frame, {}));
    benchmark::ClobberMemory();
  }
  state.counters["rects"] = frame.rectCount;
}

template <class P>
void BM_Render(benchmark::State& state) {
  StraightSegmentPath path = Spiral(kArcLength);
  const PreRenderData settings = SceneSettings();
  std::vector<P> in = Frame(Opaque<P>());
  std::vector<P> out = Frame(P{});
  const ImageView input{in.data(), kWidth, kHeight, kWidth};
  const ImageView output{out.data(), kWidth, kHeight, kWidth};
  for (auto _ : state) {
    benchmark::DoNotOptimize(RenderOnBuffers(settings, FormatOf<P>(), input, output, &path));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_Walk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy<Pixel8>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reveal<Pixel8>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render<Pixel8>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy<Pixel16>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reveal<Pixel16>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render<Pixel16>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy<PixelFloat>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reveal<PixelFloat>)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render<PixelFloat>)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace boxwander::bench

BENCHMARK_MAIN();
