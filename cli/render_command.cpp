#include "cli/render_command.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <thread>

#include "cli/common/cli_error.h"
#include "cli/common/report_errors.h"
#include "cli/common/stop_signals.h"
#include "cli/controls/controls.h"
#include "cli/input_sequence.h"
#include "cli/io/downsample.h"
#include "cli/io/image_io.h"
#include "cli/module_session.h"
#include "cli/paths/animated_mask.h"
#include "cli/paths/path_source.h"
#include "cli/progress_bar.h"
#include "cli/progress_mode.h"
#include "cli/rects_json.h"
#include "cli/shapes/degenerate_shape.h"
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
  ProgressStyle progress = ProgressStyle::kNone;
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
  plan.progress = ChooseProgressStyle(a.progress, a.quiet);
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

AnimatedMask LoadMask(const RenderArguments& a, FrameRange frames) {
  try {
    std::string note;
    AnimatedMask mask = LoadAnimatedMask(a.path, frames, &note);
    // Said once, by the process the user started.
    if (!note.empty() && !a.worker)
      std::fprintf(stderr, "boxwander: note: %s\n", note.c_str());
    return mask;
  } catch (const CliError& e) {
    throw CliError(std::string("--path: ") + e.what());
  }
}

// The input of each frame, read once when it is one picture for all.
class Inputs {
 public:
  struct Picture {
    Image image;
    AlphaStorage stored = AlphaStorage::kStraight;
  };
  Inputs(const RenderArguments& a, const RenderPlan& plan) : a_(a), plan_(plan) {
    if (!HasFrameNumber(a.input))
      fixed_ = read(a.input);
  }
  const Picture& at(std::int32_t frame) {
    if (fixed_)
      return *fixed_;
    current_ = read(FrameFileName(a_.input, frame));
    return current_;
  }

 private:
  Picture read(const std::string& path) const {
    Picture p;
    p.image = Downsample(ReadImage(path, plan_.depth, &p.stored), a_.downsample);
    return p;
  }
  const RenderArguments& a_;
  const RenderPlan& plan_;
  std::optional<Picture> fixed_;
  Picture current_;
};

std::string FailureSummary(std::vector<std::int32_t> failed, std::int64_t total) {
  std::sort(failed.begin(), failed.end());
  std::string text = "boxwander: " + std::to_string(failed.size()) + " of " +
                     std::to_string(total) + " frames failed:";
  for (std::size_t i = 0; i < failed.size(); ++i)
    text += (i ? ", " : " ") + std::to_string(failed[i]);
  return text;
}

// The warning for a frame whose mask has nothing to walk along; empty when it has.
std::string DegenerateWarning(const AnimatedMask& mask, std::int32_t frame) {
  const char* reason = shapes::DegenerateReason(mask.at(frame));
  if (reason == nullptr)
    return "";
  if (mask.animated()) {
    return "boxwander: warning: frame " + std::to_string(frame) + ": the mask path " + reason +
           "; nothing is drawn along it";
  }
  return std::string("boxwander: warning: the mask path ") + reason + "; nothing is drawn along it";
}

int RenderHere(const RenderArguments& a, const RenderPlan& plan) {
  if (a.worker) {
    // A worker whose parent is gone (even killed outright) stops too.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() == 1)
      return 1;
  }
  const AnimatedMask mask = LoadMask(a, plan.frames);
  Inputs inputs(a, plan);
  ModuleSession session(FindModule(a.module), plan.controls, mask,
                        static_cast<std::uint32_t>(a.fps));
  // A worker reports to its parent, which shows the progress of all of them.
  ProgressBar bar(plan.frames.count(),
                  a.worker || plan.frames.count() <= 1 ? ProgressStyle::kNone : plan.progress);
  WorkerReporter reporter;
  std::set<std::string> warned;
  std::vector<std::string> warnings;
  std::vector<std::int32_t> failed;
  std::int64_t finished = 0;  // frames written or failed
  const auto warn = [&](const std::string& line) {
    if (!line.empty() && warned.insert(line).second)
      bar.message(line);
  };
  const auto progress = [&](std::int32_t count, std::int32_t total) {
    if (a.worker) {
      reporter.progress(count, total);
    } else {
      bar.update(finished, total > 0 ? static_cast<double>(count) / total : 0.0);
    }
  };
  bar.update(0);
  for (std::int32_t frame = plan.frames.first;; ++frame) {
    const auto start = std::chrono::steady_clock::now();
    std::string reason;
    try {
      const Inputs::Picture& input = inputs.at(frame);
      warn(DegenerateWarning(mask, frame));
      const Image output = session.render(input.image, frame, a.downsample, warnings, progress);
      for (const std::string& w : warnings)
        warn("boxwander: warning: host: " + w);
      warnings.clear();
      WriteImage(FrameFileName(a.output, frame), output, input.stored);
      if (!a.rectsJson.empty()) {
        const Chain chain =
            session.chain(frame, input.image.width(), input.image.height(), a.downsample);
        WriteTextFile(FrameFileName(a.rectsJson, frame), ChainJson(chain, frame));
      }
    } catch (const CliError& e) {
      reason = e.what();
    } catch (const std::bad_alloc&) {
      reason = "out of memory";
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ++finished;
    if (!reason.empty()) {
      const std::string line = "frame " + std::to_string(frame) + ": " + reason;
      if (!a.keepGoing)
        throw CliError(line);
      bar.message("boxwander: " + line);
      failed.push_back(frame);
      if (a.worker)
        reporter.frameFailed(frame, seconds);
    } else if (a.worker) {
      reporter.frameDone(frame, seconds);
    }
    bar.frameDone(frame, seconds, finished, !reason.empty());
    bar.update(finished);
    if (frame == plan.frames.last)
      break;
  }
  bar.finish();
  if (failed.empty())
    return 0;
  // A worker's parent lists the failures of all of them.
  if (!a.worker)
    bar.message(FailureSummary(failed, plan.frames.count()));
  return 1;
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
  if (a.keepGoing)
    args.push_back("--keep-going");
  args.push_back("--fps=" + std::to_string(a.fps));
  args.push_back("--downsample=" + std::to_string(a.downsample));
  args.push_back("--frames=" + std::to_string(range.first) + "-" + std::to_string(range.last));
  args.push_back("--jobs=1");
  args.push_back("--worker");
  return args;
}

int RunRender(const RenderArguments& a) {
  // Until workers start, a stop has only this process's own temporaries to remove; a
  // worker's parent tells of the stop itself.
  ExitOnStopSignals(!a.worker);
  return RunReportingErrors([&] {
    const RenderPlan plan = Plan(a);
    // Before any frame is rendered: a format that cannot be written fails every frame.
    CheckImageFormat(FrameFileName(a.output, plan.frames.first));
    // The parent checks the whole sequence for its workers.
    if (HasFrameNumber(a.input) && !a.worker)
      CheckInputSequence(a.input, plan.frames);
    if (plan.jobs <= 1 || a.worker)
      return RenderHere(a, plan);
    // What every worker would refuse is refused here once, in one line: mask, image,
    // module and its setup.
    ReadImage(FrameFileName(a.input, plan.frames.first), plan.depth);
    {
      const ModuleSession trial(FindModule(a.module), plan.controls, LoadMask(a, plan.frames),
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
    ProgressBar bar(count, plan.progress);
    // A worker that fails has said why on stderr.
    const WorkersOutcome outcome = RunWorkers(lists, count, bar, a.keepGoing);
    if (outcome.stopSignal != 0) {
      bar.message("boxwander: stopped by " + SignalName(outcome.stopSignal));
      return 128 + outcome.stopSignal;
    }
    if (!outcome.failedFrames.empty())
      bar.message(FailureSummary(outcome.failedFrames, count));
    return outcome.ok ? 0 : 1;
  });
}

}  // namespace boxwander::cli
