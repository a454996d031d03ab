#include "cli/render_command.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <thread>

#include "cli/common/cli_error.h"
#include "cli/controls/controls.h"
#include "cli/io/downsample.h"
#include "cli/io/image_io.h"
#include "cli/module_session.h"
#include "cli/paths/path_source.h"
#include "cli/progress_bar.h"
#include "cli/rects_json.h"
#include "cli/shapes/mask_shape.h"
#include "cli/workers.h"

namespace boxwander::cli {
namespace {

// Everything the arguments say, checked before any file is touched.
struct RenderPlan {
  AnimatedControls controls;
  FrameRange frames;
  std::optional<PixelFormat> depth;
  std::int32_t jobs = 1;
};

RenderPlan Plan(const RenderArguments& a) {
  RenderPlan plan;
  AnimatedControls& c = plan.controls;
  struct ControlText {
    const NumericControl& control;
    const std::string& text;
    std::optional<Track>& track;
  };
  const ControlText given[] = {
      {kTime, a.time, c.time},
      {kMaxWidth, a.maxWidth, c.maxWidth},
      {kMinWidth, a.minWidth, c.minWidth},
      {kWidthHeight, a.widthHeight, c.widthHeight},
      {kWidthHeightVariance, a.widthHeightVariance, c.widthHeightVariance},
      {kEdgeThickness, a.edgeThickness, c.edgeThickness},
      {kEdgeBrightness, a.edgeBrightness, c.edgeBrightness},
      {kSeed, a.seed, c.seed},
  };
  for (const ControlText& g : given) {
    if (!g.text.empty()) {
      g.track = ParseControlTrack(g.control, g.text);
    }
  }
  if (!a.mode.empty())
    c.mode = ParseMode(a.mode);
  if (!a.edgeMode.empty())
    c.edgeMode = ParseEdgeMode(a.edgeMode);
  if (!a.edgeColor.empty())
    c.edgeColor = ParseColor(a.edgeColor);
  c.invert = a.invert;
  c.onOriginal = a.onOriginal;
  plan.frames = ParseFrameRange(a.frames);
  if (!a.depth.empty())
    plan.depth = ParseDepth(a.depth);
  if (a.output.empty())
    throw CliError("-o/--output: an output file is required");
  if (plan.frames.count() > 1 && !HasFrameNumber(a.output)) {
    throw CliError("-o/--output: a frame range needs '#' in the name for the frame number");
  }
  if (!a.rectsJson.empty() && plan.frames.count() > 1 && !HasFrameNumber(a.rectsJson)) {
    throw CliError("--rects-json: a frame range needs '#' in the name for the frame number");
  }
  const auto cores = static_cast<std::int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  plan.jobs = a.jobs > 0 ? a.jobs : cores;
  plan.jobs = static_cast<std::int32_t>(std::min<std::int64_t>(plan.jobs, plan.frames.count()));
  return plan;
}

shapes::MaskShape LoadMask(const RenderArguments& a) {
  try {
    std::string note;
    shapes::MaskShape shape = LoadMaskShape(a.path, &note);
    // Said once, by the process the user started.
    if (!note.empty() && !a.worker)
      std::fprintf(stderr, "boxwander: note: %s\n", note.c_str());
    return shape;
  } catch (const CliError& e) {
    throw CliError(std::string("--path: ") + e.what());
  }
}

void RenderHere(const RenderArguments& a, const RenderPlan& plan) {
  const shapes::MaskShape shape = LoadMask(a);
  const Image input = Downsample(ReadImage(a.input, plan.depth), a.downsample);
  ModuleSession session(FindModule(a.module), plan.controls, shape,
                        static_cast<std::uint32_t>(a.fps));
  // A worker reports to its parent, which draws the one bar for all of them.
  ProgressBar bar(plan.frames.count(), !a.quiet && !a.worker && plan.frames.count() > 1);
  WorkerReporter reporter;
  std::set<std::string> warned;
  std::vector<std::string> warnings;
  std::int64_t done = 0;
  const auto progress = [&](std::int32_t count, std::int32_t total) {
    if (a.worker) {
      reporter.progress(count, total);
    } else {
      bar.update(done, total > 0 ? static_cast<double>(count) / total : 0.0);
    }
  };
  bar.update(0);
  for (std::int32_t frame = plan.frames.first;; ++frame) {
    const Image output = session.render(input, frame, a.downsample, warnings, progress);
    for (const std::string& w : warnings) {
      if (warned.insert(w).second) {
        bar.message("boxwander: warning: host: " + w);
      }
    }
    warnings.clear();
    WriteImage(FrameFileName(a.output, frame), output);
    if (!a.rectsJson.empty()) {
      const Chain chain = session.chain(frame, input.width(), input.height(), a.downsample);
      WriteTextFile(FrameFileName(a.rectsJson, frame), ChainJson(chain, frame));
    }
    ++done;
    if (a.worker) {
      reporter.frameDone(frame);
    }
    bar.update(done);
    if (frame == plan.frames.last)
      break;
  }
  bar.finish();
}

}  // namespace

std::vector<std::string> WorkerArguments(const RenderArguments& a, FrameRange range) {
  std::vector<std::string> args = {"boxwander", "render", a.input, "--output=" + a.output,
                                   "--path=" + a.path};
  // "--name=value" keeps values that start with '-' from reading as options.
  const std::pair<const char*, const std::string*> texts[] = {
      {"module", &a.module},
      {"rects-json", &a.rectsJson},
      {"depth", &a.depth},
      {"mode", &a.mode},
      {kTime.option, &a.time},
      {kMaxWidth.option, &a.maxWidth},
      {kMinWidth.option, &a.minWidth},
      {kWidthHeight.option, &a.widthHeight},
      {kWidthHeightVariance.option, &a.widthHeightVariance},
      {kEdgeThickness.option, &a.edgeThickness},
      {"edge-mode", &a.edgeMode},
      {kEdgeBrightness.option, &a.edgeBrightness},
      {"edge-color", &a.edgeColor},
      {kSeed.option, &a.seed},
  };
  for (const auto& [name, value] : texts) {
    if (!value->empty())
      args.push_back(std::string("--") + name + "=" + *value);
  }
  if (a.invert)
    args.push_back("--invert");
  if (a.onOriginal)
    args.push_back("--on-original");
  args.push_back("--fps=" + std::to_string(a.fps));
  args.push_back("--downsample=" + std::to_string(a.downsample));
  args.push_back("--frames=" + std::to_string(range.first) + "-" + std::to_string(range.last));
  args.push_back("--jobs=1");
  args.push_back("--worker");
  return args;
}

int RunRender(const RenderArguments& a) {
  try {
    const RenderPlan plan = Plan(a);
    // Before any frame is rendered: a format that cannot be written fails every frame.
    CheckImageFormat(FrameFileName(a.output, plan.frames.first));
    if (plan.jobs <= 1 || a.worker) {
      RenderHere(a, plan);
      return 0;
    }
    // What every worker would refuse is refused here once, in one line: mask, image,
    // module and its setup.
    ReadImage(a.input, plan.depth);
    {
      const ModuleSession trial(FindModule(a.module), plan.controls, LoadMask(a),
                                static_cast<std::uint32_t>(a.fps));
    }
    // Contiguous ranges, one per worker: the effect does not declare itself thread-safe,
    // so frames run side by side in separate processes.
    std::vector<std::vector<std::string>> lists;
    const std::int64_t count = plan.frames.count();
    std::int64_t first = plan.frames.first;
    for (std::int32_t j = 0; j < plan.jobs; ++j) {
      const std::int64_t size = count / plan.jobs + (j < count % plan.jobs ? 1 : 0);
      lists.push_back(WorkerArguments(
          a, {static_cast<std::int32_t>(first), static_cast<std::int32_t>(first + size - 1)}));
      first += size;
    }
    ProgressBar bar(count, !a.quiet);
    // A worker that fails has said why on stderr.
    return RunWorkers(lists, count, bar) ? 0 : 1;
  } catch (const CliError& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "boxwander: out of memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "boxwander: %s\n", e.what());
  }
  return 1;
}

}  // namespace boxwander::cli
