// The render beside its peer, in one run: each scene rendered in every depth, the walk on
// its own, cairo filling the same rectangles over a copy of the same frame, a cold memcpy of
// the frame as the yardstick, and the module's smart render through our host. Frames rotate
// through pools larger than any cache. The summary prints the ratios from the medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/cairo_fill.h"
#include "bench/frame_pool.h"
#include "bench/scene.h"
#include "minihost/frame_memory.h"
#include "minihost/host.h"
#include "render/render_core.h"
#include "tests/effect/module/module_host.h"

namespace boxwander::bench {
namespace {

struct Scene {
  std::string name;
  std::int32_t width;
  std::int32_t height;
  std::int32_t maxWidth;
  std::uint8_t alpha;
  std::function<StraightSegmentPath()> path;
};

std::vector<Scene> Scenes() {
  return {
      {"spiral", 1920, 1080, 40, 255, [] { return Spiral(1920, 1080, 20000.0); }},
      {"zigzag", 1920, 1080, 160, 255, [] { return Zigzag(1920, 1080, 90.0); }},
      {"zigzag-alpha128", 1920, 1080, 160, 128, [] { return Zigzag(1920, 1080, 90.0); }},
      {"zigzag-4k", 3840, 2160, 320, 255, [] { return Zigzag(3840, 2160, 180.0); }},
  };
}

template <class P>
const char* DepthName() {
  return std::is_same_v<P, Pixel8> ? "8" : std::is_same_v<P, Pixel16> ? "16" : "float";
}

// One pool at a time: benchmarks of the same frames are registered one after another.
struct PoolSlot {
  std::string key;
  std::shared_ptr<void> pool;
};
PoolSlot& Slot() {
  static PoolSlot slot;
  return slot;
}
template <class P>
FramePool<P>& PoolFor(const Scene& s) {
  const std::string key = std::string(DepthName<P>()) + "/" + std::to_string(s.width) + "x" +
                          std::to_string(s.height) + "/" + std::to_string(s.alpha);
  PoolSlot& slot = Slot();
  if (slot.key != key) {
    slot.pool.reset();
    slot.pool = std::make_shared<FramePool<P>>(s.width, s.height, s.alpha);
    slot.key = key;
  }
  return *static_cast<FramePool<P>*>(slot.pool.get());
}

template <class P>
void ColdMemcpy(benchmark::State& state, const Scene& s) {
  FramePool<P>& pool = PoolFor<P>(s);
  std::size_t i = 0;
  for (auto _ : state) {
    std::memcpy(pool.output(i).pixels, pool.input(i).pixels, pool.frameBytes());
    benchmark::ClobberMemory();
    ++i;
  }
}

template <class P>
void Render(benchmark::State& state, const Scene& s) {
  FramePool<P>& pool = PoolFor<P>(s);
  StraightSegmentPath path = s.path();
  const PreRenderData settings = SceneSettings(s.maxWidth);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        RenderOnBuffers(settings, kFormatOf<P>, pool.input(i), pool.output(i), &path));
    benchmark::ClobberMemory();
    ++i;
  }
}

// The walk alone, the same in every depth.
void Walk(benchmark::State& state, const Scene& s, std::int32_t maxWidth) {
  StraightSegmentPath path = s.path();
  const PreRenderData settings = SceneSettings(maxWidth);
  std::int32_t rects = 0;
  for (auto _ : state) {
    RenderFrame frame;
    frame.settings = &settings;
    frame.width = s.width;
    frame.height = s.height;
    CoverageMap coverage;
    frame.coverage = &coverage;
    PrepareFrame(frame);
    benchmark::DoNotOptimize(RunPathWalk(frame, path, kErrNone));
    rects = frame.rectCount;
  }
  state.counters["rects"] = rects;
}

void Cairo(benchmark::State& state, const Scene& s) {
  FramePool<Pixel8>& pool = PoolFor<Pixel8>(s);
  StraightSegmentPath path = s.path();
  const Chain chain = ComputeChain(SceneSettings(s.maxWidth), s.width, s.height, path);
  std::size_t i = 0;
  for (auto _ : state) {
    CairoCopyAndFill(pool.input(i), pool.output(i), chain.records);
    benchmark::ClobberMemory();
    ++i;
  }
  state.counters["rects"] = static_cast<double>(chain.records.size());
}

// The module's smart render through our host: pre-render, render and the host's own work.
template <class P>
void Module(benchmark::State& state, const Scene& s) {
  auto host = test::ReadyHost();
  host->paths().set(test::kMaskId, std::make_shared<StraightSegmentPath>(s.path()));
  test::SetControls(*host, SceneControls(s.maxWidth));
  minihost::World input(kFormatOf<P>, s.width, s.height);
  const std::vector<P> noise = NoiseFrame<P>(s.width, s.height, s.alpha);
  std::memcpy(input.data(), noise.data(), noise.size() * sizeof(P));
  for (auto _ : state) {
    const minihost::Frame frame = host->render(input);
    if (frame.err != PF_Err_NONE) {
      state.SkipWithError("the module's render failed");
      break;
    }
  }
}

// A mask far outside the frame that crosses it: only its visible part should cost.
void FarAway(benchmark::State& state, double reach) {
  const Scene s{"far", 1920, 1080, 160, 255, nullptr};
  StraightSegmentPath path({{reach, 5.0, -reach, 5.0}});
  const PreRenderData settings = SceneSettings(s.maxWidth);
  std::vector<Pixel8> in = NoiseFrame<Pixel8>(s.width, s.height, 255);
  std::vector<Pixel8> out(in.size());
  const ImageView input{in.data(), s.width, s.height, s.width};
  const ImageView output{out.data(), s.width, s.height, s.width};
  for (auto _ : state) {
    benchmark::DoNotOptimize(RenderOnBuffers(settings, PixelFormat::k8, input, output, &path));
  }
}

void Register(const std::string& name, std::function<void(benchmark::State&)> fn) {
  benchmark::RegisterBenchmark(name.c_str(), [fn](benchmark::State& st) {
    fn(st);
  })->Unit(benchmark::kMillisecond);
}

template <class P>
void RegisterDepth(const Scene& s) {
  const std::string d = DepthName<P>();
  Register("memcpy/" + s.name + "/" + d, [s](benchmark::State& st) { ColdMemcpy<P>(st, s); });
  Register("render/" + s.name + "/" + d, [s](benchmark::State& st) { Render<P>(st, s); });
  if (std::is_same_v<P, Pixel8>) {
    Register("cairo/" + s.name, [s](benchmark::State& st) { Cairo(st, s); });
  }
  if (s.width <= 1920) {
    Register("module/" + s.name + "/" + d, [s](benchmark::State& st) { Module<P>(st, s); });
  }
}

void RegisterAll() {
  for (const Scene& s : Scenes()) {
    Register("walk/" + s.name, [s](benchmark::State& st) { Walk(st, s, s.maxWidth); });
    RegisterDepth<Pixel8>(s);
    RegisterDepth<Pixel16>(s);
    RegisterDepth<PixelFloat>(s);
  }
  const Scene zigzag = Scenes()[1];
  for (const std::int32_t w : {10, 1000}) {
    Register("walk-max-width/" + std::to_string(w),
             [zigzag, w](benchmark::State& st) { Walk(st, zigzag, w); });
  }
  Register("far-away/1e9", [](benchmark::State& st) { FarAway(st, 1e9); });
  Register("far-away/2e15", [](benchmark::State& st) { FarAway(st, 2e15); });
}

// Keeps each benchmark's median and prints the table's ratios at the end. CPU time: the
// machine is shared, and time spent waiting for a core is no one's cost.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.aggregate_name == "median" || (run.aggregate_name.empty() && !run.error_occurred)) {
        medians_[run.run_name.function_name] = run.GetAdjustedCPUTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Summary() const {
    std::printf(
        "\nMedians of CPU time in ms. render/memcpy: whole render over a cold memcpy of its frame; "
        "(render-walk)/cairo: drawing over cairo's copy and fill of the same "
        "rectangles (8-bit).\n");
    std::printf("%-16s %-6s %8s %8s %8s %8s %14s %20s %8s\n", "scene", "depth", "render", "walk",
                "cairo", "memcpy", "render/memcpy", "(render-walk)/cairo", "module");
    for (const Scene& s : Scenes()) {
      for (const char* d : {"8", "16", "float"}) {
        const double render = Get("render/" + s.name + "/" + d);
        const double walk = Get("walk/" + s.name);
        const double cairo = Get("cairo/" + s.name);
        const double copy = Get("memcpy/" + s.name + "/" + d);
        const double module = Get("module/" + s.name + "/" + d);
        std::printf("%-16s %-6s %8.3f %8.3f %8.3f %8.3f %14.2f %20.2f %8.3f\n", s.name.c_str(), d,
                    render, walk, cairo, copy, render / copy, (render - walk) / cairo, module);
      }
    }
    for (const char* d : {"8", "16", "float"}) {
      std::printf(
          "4K / HD render, zigzag, %s: %.2f\n", d,
          Get(std::string("render/zigzag-4k/") + d) / Get(std::string("render/zigzag/") + d));
    }
    std::printf("walk, zigzag, Max Width 10: %.3f ms, 1000: %.3f ms (ratio %.2f)\n",
                Get("walk-max-width/10"), Get("walk-max-width/1000"),
                Get("walk-max-width/1000") / Get("walk-max-width/10"));
    std::printf("far-away masks, HD 8-bit: M 1e9 5 L -1e9 5: %.3f ms; a 4e15 px segment: %.3f ms\n",
                Get("far-away/1e9"), Get("far-away/2e15"));
  }

 private:
  double Get(const std::string& name) const {
    const auto it = medians_.find(name);
    return it == medians_.end() ? std::numeric_limits<double>::quiet_NaN() : it->second;
  }
  std::map<std::string, double> medians_;
};

}  // namespace
}  // namespace boxwander::bench

int main(int argc, char** argv) {
  // As the tool does: the module column shows the host's work, not the allocator's.
  boxwander::minihost::KeepFrameMemory();
  // Medians of five runs unless the command line says otherwise.
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  bool chosen = false;
  for (int i = 1; i < argc; ++i) {
    chosen = chosen || std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0;
  }
  if (!chosen) {
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
  }
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  boxwander::bench::RegisterAll();
  boxwander::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summary();
  benchmark::Shutdown();
  return 0;
}
